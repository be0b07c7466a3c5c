#include "core/options.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/player_files.h"
#include "platform/little_endian.h"
#include "platform/message_box.h"

GameOptionsRecord GameOptions;
std::string optionsFileName = "options.kvz";
std::string mediaOptionsFileName;

namespace {

constexpr size_t fileSize = 16;

void WriteLittleEndian(uint32_t value, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool IsKnownWidth(uint32_t width) {
    return width == 640 || width == 800 || width == 1024 || width == displaySizeWidth;
}

void ReportSaveFailure() {
    const std::string message = "Error saving the options file [" + optionsFileName + "].";
    MessageBoxA(nullptr, message.c_str(), "Tolvarin", MB_ICONEXCLAMATION | MB_OK);
}

// The first 16 bytes of a regular file; a longer one is read as far as that.
bool ReadOptionsFile(const std::string& name, unsigned char* bytes, bool& missing) {
    std::vector<unsigned char> read;
    const PlayerFileRead result = ReadPlayerFile(name, fileSize, read);
    missing = result == PlayerFileRead::Missing;
    if (result != PlayerFileRead::Read || read.size() < fileSize) return false;
    std::memcpy(bytes, read.data(), fileSize);
    return true;
}

}  // namespace

std::string UserOptionsFileName() {
    return PlayerFolder("XDG_CONFIG_HOME", ".config") + "/options.kvz";
}

void LoadOptions() {
    // Read-only is enough: a file the player protected from writing still
    // holds their settings.
    unsigned char bytes[fileSize];
    bool missing = false;
    bool whole = ReadOptionsFile(optionsFileName, bytes, missing);
    if (missing && !mediaOptionsFileName.empty())
        whole = ReadOptionsFile(mediaOptionsFileName, bytes, missing);
    if (!whole) return;

    const uint32_t width = ReadU32(bytes);
    if (IsKnownWidth(width)) GameOptions.windowWidth = width;
    // The flags are kept exactly as read: any non-zero value counts as on.
    GameOptions.windowed = ReadU32(bytes + 4);
    GameOptions.lightsOn = ReadU32(bytes + 8);
    GameOptions.musicOn = ReadU32(bytes + 12);
}

void SaveOptions() {
    unsigned char bytes[fileSize];
    WriteLittleEndian(GameOptions.windowWidth, bytes);
    WriteLittleEndian(GameOptions.windowed, bytes + 4);
    WriteLittleEndian(GameOptions.lightsOn, bytes + 8);
    WriteLittleEndian(GameOptions.musicOn, bytes + 12);

    const bool saved = SavePlayerFile(optionsFileName, bytes, fileSize);
    if (!saved) ReportSaveFailure();
}
