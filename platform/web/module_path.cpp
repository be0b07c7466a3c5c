// The page has no program file: it names one at the root of its file
// system, beside the media folder the page packs at /media, so the media
// are found as beside a program in a build tree.
#include "platform/module_path.h"

namespace {
std::string pathForTesting;
}

std::string GetModuleFileNameA() {
    return pathForTesting.empty() ? std::string("/kestrune") : pathForTesting;
}

void SetModuleFileNameForTesting(const std::string& path) {
    pathForTesting = path;
}
