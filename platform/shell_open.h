#pragma once
// Opening a document or web page with the desktop's program for it
// (ShellExecuteA with "open"). The real program installs the toolkit's opener;
// until then, and in every test, nothing is started.
#include <string>

#include "platform/window.h"

using HINSTANCE_RESULT = intptr_t;

// Greater than 32 on success, as on Windows.
HINSTANCE_RESULT ShellExecuteA(HWND owner, const char* operation, const char* file,
                               const char* parameters, const char* directory, int showCommand);

using ShellOpener = bool (*)(const char* file);
// nullptr: the default, which opens nothing and reports failure.
ShellOpener SetShellOpener(ShellOpener opener);

// A file path as the URI the desktop's opener takes ("file:///..."); a name
// that already has a scheme ("http:", "file:", ...) is kept as it is.
std::string ShellUriFor(const char* file);
