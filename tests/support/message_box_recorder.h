#pragma once
// Records message boxes instead of showing them. Installed by every test
// program's main; a test clears the record, acts, and inspects it.
#include <string>
#include <vector>

#include "platform/windows_types.h"

struct RecordedMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

void InstallMessageBoxRecorder();
std::vector<RecordedMessageBox>& RecordedMessageBoxes();
