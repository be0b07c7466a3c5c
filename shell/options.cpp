#include "shell/options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/little_endian.h"
#include "platform/message_box.h"

GameOptionsRecord GameOptions;
std::string optionsFileName = "options.kvz";

namespace {

constexpr size_t fileSize = 16;

void WriteLittleEndian(uint32_t value, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool IsKnownWidth(uint32_t width) { return width == 640 || width == 800 || width == 1024; }

void ReportSaveFailure() {
    const std::string message = "Error saving the options file [" + optionsFileName + "].";
    MessageBoxA(nullptr, message.c_str(), "Tolvarin", MB_ICONEXCLAMATION | MB_OK);
}

bool WriteAll(int file, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(file, bytes, size);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

void LoadOptions() {
    // Read-only is enough: a file the player protected from writing still
    // holds their settings.
    std::FILE* file = std::fopen(optionsFileName.c_str(), "rb");
    if (!file) return;
    unsigned char bytes[fileSize];
    const size_t itemsRead = std::fread(bytes, 4, 4, file);
    std::fclose(file);
    if (itemsRead < 4) return;

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

    // A new file beside the old one, renamed over it only when complete: a
    // failed save never leaves a short or empty options file behind.
    std::string temporaryName = optionsFileName + ".XXXXXX";
    const int file = mkstemp(temporaryName.data());
    if (file < 0) {
        ReportSaveFailure();
        return;
    }
    fchmod(file, 0644);
    const bool written = WriteAll(file, bytes, fileSize);
    const bool closed = close(file) == 0;
    if (!written || !closed || std::rename(temporaryName.c_str(), optionsFileName.c_str()) != 0) {
        unlink(temporaryName.c_str());
        ReportSaveFailure();
    }
}
