#include "core/media_path.h"

#include <sys/stat.h>

#include "platform/module_path.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The folder part of a path; without a separator the whole text stands for
// the folder, as the original rule had it.
std::string FolderOf(std::string path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash != std::string::npos) path.erase(slash);
    return path;
}

}  // namespace

std::string MediaPath(const char* name) {
    const std::string programFolder = FolderOf(GetModuleFileNameA());
    std::string media = programFolder + "/media";
    // Installed, the program is P/bin/kestrune with its data in
    // P/share/kestrune, or, in Debian's layout for games, P/games/kestrune
    // with its data in P/share/games/kestrune. The folder beside the program
    // wins, so a build tree always plays its own media.
    if (!IsFolder(media)) {
        const std::string prefix = FolderOf(programFolder);
        const bool gamesLayout =
            programFolder.size() > prefix.size() &&
            programFolder.compare(prefix.size(), std::string::npos, "/games") == 0;
        const std::string installed =
            prefix + (gamesLayout ? "/share/games/kestrune/media" : "/share/kestrune/media");
        if (IsFolder(installed)) media = installed;
    }
    return media + "/" + (name ? name : "");
}
