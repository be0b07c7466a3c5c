#include "platform/message_box.h"

#include <cstdio>

namespace {

int WriteToStandardError(HWND, const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}

MessageBoxHandler currentHandler = WriteToStandardError;

}  // namespace

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    return currentHandler(owner, text, caption, type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = currentHandler;
    currentHandler = handler ? handler : WriteToStandardError;
    return previous;
}
