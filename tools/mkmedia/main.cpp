// kestrune-mkmedia FOLDER: writes every data file of the game into FOLDER.
// kestrune-mkmedia --icons FOLDER: writes the desktop's icons into FOLDER.
// The same program always writes the same bytes.
#include <cstdio>
#include <filesystem>
#include <string>

#include "image_files.h"
#include "media_writers.h"

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: kestrune-mkmedia [--icons] FOLDER\n");
        return 2;
    }
    std::string folder = argv[argc - 1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "kestrune-mkmedia: cannot make %s\n", folder.c_str());
        return 1;
    }
    if (icons) {
        if (!WriteIcons(folder) || !WriteText(folder + "/.generated", "kestrune icons\n")) {
            std::fprintf(stderr, "kestrune-mkmedia: could not write the icons into %s\n",
                         folder.c_str());
            return 1;
        }
        return 0;
    }
    struct Step {
        const char* what;
        bool (*write)(const std::string&);
    };
    const Step steps[] = {
        {"circuit", WriteCircuitFiles},
        {"ground textures", WriteGroundTextures},
        {"trees", WriteTrees},
        {"car", WriteCar},
        {"robot", WriteRobot},
        {"advert", WriteAdvert},
        {"flag", WriteFlag},
        {"splash", WriteSplash},
        {"sounds", WriteSounds},
        {"help page", WriteHelpPage},
    };
    for (const Step& step : steps) {
        if (!step.write(folder)) {
            std::fprintf(stderr, "kestrune-mkmedia: could not write the %s into %s\n", step.what,
                         folder.c_str());
            return 1;
        }
    }
    // Written last: the build takes it as the sign that the folder is complete.
    if (!WriteText(folder + "/.generated", "kestrune media\n")) return 1;
    return 0;
}
