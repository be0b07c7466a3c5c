#include "tests/support/recording_window.h"

#include <algorithm>
#include <cstdio>

#include "platform/shell_open.h"

namespace {

POINT cursor{0, 0};

POINT ReadCursor() {
    return cursor;
}

INT_PTR RecordDialog(HINSTANCE, const DialogResource& dialog, HWND owner, DLGPROC procedure,
                     LPARAM) {
    RunDialogs().push_back(RunDialog{dialog.id, procedure, owner});
    return 1;
}

bool RecordOpen(const char* file) {
    OpenedFiles().push_back(file ? file : "");
    return true;
}

std::string Hex(LONG value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

void RecordingWindow::SetStyle(LONG newStyle) {
    style = newStyle;
    calls.push_back("style " + Hex(newStyle));
}

void RecordingWindow::SetMenu(HMENU newMenu) {
    menu = newMenu;
    calls.push_back(newMenu ? "menu attached" : "menu removed");
}

void RecordingWindow::Place(int x, int y, int width, int height, UINT flags) {
    calls.push_back("place " + std::to_string(x) + "," + std::to_string(y) + "," +
                    std::to_string(width) + "," + std::to_string(height) + " " +
                    Hex(static_cast<LONG>(flags)));
}

int RecordingWindow::Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

void PlaceCursor(LONG x, LONG y) {
    cursor = POINT{x, y};
}

void InstallCursorDouble() {
    cursor = POINT{0, 0};
    SetCursorSource(ReadCursor);
}

std::vector<RunDialog>& RunDialogs() {
    static std::vector<RunDialog> dialogs;
    return dialogs;
}

void InstallDialogRecorder() {
    RunDialogs().clear();
    SetDialogRunner(RecordDialog);
}

std::vector<std::string>& OpenedFiles() {
    static std::vector<std::string> files;
    return files;
}

void InstallShellOpenRecorder() {
    OpenedFiles().clear();
    SetShellOpener(RecordOpen);
}

std::vector<MSG> TakeQueuedMessages() {
    std::vector<MSG> messages;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message);
    return messages;
}
