#include "tests/support/message_box_recorder.h"

#include "platform/message_box.h"

namespace {

std::vector<RecordedMessageBox> recorded;

int Record(HWND owner, const char* text, const char* caption, UINT type) {
    recorded.push_back({owner, text ? text : "", caption ? caption : "", type});
    return IDOK;
}

}  // namespace

void InstallMessageBoxRecorder() {
    SetMessageBoxHandler(Record);
}

std::vector<RecordedMessageBox>& RecordedMessageBoxes() {
    return recorded;
}
