#include "platform/shell_open.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <string>

#include "platform/file_bytes.h"

namespace {

bool OpenNothing(const char*) {
    return false;
}

ShellOpener currentOpener = OpenNothing;

bool HasScheme(const std::string& text) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

}  // namespace

HINSTANCE_RESULT ShellExecuteA(HWND, const char* operation, const char* file, const char*,
                               const char*, int) {
    if (file == nullptr || (operation != nullptr && std::strcmp(operation, "open") != 0)) {
        return 2;  // ERROR_FILE_NOT_FOUND
    }
    std::string target = file;
    if (!HasScheme(target)) {
        // A page is found as a data file is; one that is there but is no
        // regular file (a named pipe) would hold the browser that opens it.
        const std::string found = FindDataFile(file);
        struct stat status {};
        if (found.empty() && stat(file, &status) == 0) return 2;
        if (!found.empty()) target = found;
    }
    return currentOpener(target.c_str()) ? 42 : 2;
}

ShellOpener SetShellOpener(ShellOpener opener) {
    ShellOpener previous = currentOpener;
    currentOpener = opener ? opener : OpenNothing;
    return previous;
}

std::string ShellUriFor(const char* file) {
    const std::string text = file ? file : "";
    if (text.empty() || HasScheme(text)) return text;
    std::string uri = "file://";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("/-._~", c) != nullptr) {
            uri += c;
        } else {
            static const char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 15];
        }
    }
    return uri;
}
