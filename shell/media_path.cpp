#include "shell/media_path.h"

#include "platform/module_path.h"

std::string MediaPath(const char* name) {
    std::string directory = GetModuleFileNameA();
    const std::string::size_type slash = directory.rfind('/');
    // Without a separator the whole text stands for the directory, as the
    // original rule had it.
    if (slash != std::string::npos) directory.erase(slash);
    return directory + "/media/" + (name ? name : "");
}
