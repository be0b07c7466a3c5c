#include "platform/module_path.h"

#include <filesystem>
#include <system_error>

namespace {
std::string pathForTesting;
}

std::string GetModuleFileNameA() {
    if (!pathForTesting.empty()) return pathForTesting;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

void SetModuleFileNameForTesting(const std::string& path) {
    pathForTesting = path;
}
