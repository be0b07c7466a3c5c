// The page's events turned into the messages of the window procedure, as the
// desktop's toolkit turns its own: the canvas's mouse, the keys as
// virtual-key codes (and the characters they type), the menu bar's loop, the
// dialogs' clicks, the focus and visibility of the tab. The page's script
// queues them; the game takes them in its own loops, so none of its code runs
// inside a browser callback. Waiting gives the browser its turn.
#include <emscripten.h>

#include <bitset>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/web/web_window.h"

// clang-format off
// Takes the oldest queued event: its kind (0: none left), up to six numbers
// into `fields` and its text into `text`.
EM_JS(int, kestrune_take_event, (int* fields, char* text, int textSize), {
    const event = Module.kestrunePage.takeEvent();
    if (!event) return 0;
    const numbers = event.fields || [];
    for (let i = 0; i < 6; ++i) HEAP32[(fields >> 2) + i] = numbers[i] | 0;
    stringToUTF8(event.text || "", text, textSize);
    return event.kind;
});
EM_ASYNC_JS(void, kestrune_wait_for_event, (double milliseconds), {
    await Module.kestrunePage.waitForEvent(milliseconds);
});
EM_ASYNC_JS(void, kestrune_next_frame, (), {
    await Module.kestrunePage.nextFrame();
});
// clang-format on

namespace web_page {

namespace {

// The kinds of event the page's script queues (web/page.js).
enum PageEvent {
    MouseMove = 1,
    MouseDown = 2,
    MouseUp = 3,
    Key = 4,
    Menu = 5,
    DialogClick = 6,
    Active = 7,
    FullScreenLeft = 8,
    Resized = 9,
};

// The longest the game's loop may run without giving the browser its turn,
// should it run without presenting frames.
constexpr auto longestWithoutYield = std::chrono::milliseconds(100);

std::chrono::steady_clock::time_point lastYield = std::chrono::steady_clock::now();

// The keys down, as the page's key events tell.
std::bitset<256> keysHeld;

std::vector<ModalTarget*>& Modals() {
    static std::vector<ModalTarget*> modals;
    return modals;
}

LPARAM PointParameter(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)),
                      static_cast<WORD>(static_cast<int16_t>(y)));
}

void TakeKey(bool down, UINT key, bool alt, int character) {
    const bool altKey = alt || key == VK_MENU;
    if (key != 0) {
        const UINT message =
            altKey ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        PostToMainWindow(message, key, 0);
    }
    if (down && character > 0 && character < 256) {
        PostToMainWindow(altKey ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(character), 0);
    }
}

}  // namespace

void PushModal(ModalTarget* target) {
    Modals().push_back(target);
}

void PopModal(ModalTarget* target) {
    auto& modals = Modals();
    if (!modals.empty() && modals.back() == target) modals.pop_back();
}

void TakePageEvents() {
    int fields[6] = {};
    char text[64] = "";
    for (;;) {
        const int kind = kestrune_take_event(fields, text, static_cast<int>(sizeof text));
        if (kind == 0) break;
        switch (kind) {
            case MouseMove:
                CursorMoved(fields[2], fields[3]);
                if (Modals().empty()) {
                    PostToMainWindow(WM_MOUSEMOVE, 0, PointParameter(fields[0], fields[1]));
                }
                break;
            case MouseDown:
                CursorMoved(fields[2], fields[3]);
                PostToMainWindow(WM_LBUTTONDOWN, 1, PointParameter(fields[0], fields[1]));
                break;
            case MouseUp:
                CursorMoved(fields[2], fields[3]);
                PostToMainWindow(WM_LBUTTONUP, 0, PointParameter(fields[0], fields[1]));
                break;
            case Key: {
                // The text is the browser's key name and code, a line each.
                const std::string names = text;
                const size_t newline = names.find('\n');
                const UINT key = newline == std::string::npos
                                     ? 0
                                     : VirtualKeyOfBrowserKey(names.substr(0, newline),
                                                              names.substr(newline + 1));
                if (key != 0 && key < 256) keysHeld[key] = fields[0] != 0;
                TakeKey(fields[0] != 0, key, fields[2] != 0, fields[3]);
                break;
            }
            case Menu:
                MenuLoopChanged(fields[0] != 0, static_cast<UINT>(fields[1]));
                break;
            case DialogClick:
                if (!Modals().empty()) Modals().back()->ControlClicked(fields[0]);
                break;
            case Active:
                // Releases that come while the page has no focus go elsewhere.
                if (fields[0] == 0) keysHeld.reset();
                SetProgramActive(fields[0] != 0);
                break;
            case FullScreenLeft:
                FullScreenLeftByBrowser();
                break;
            case Resized:
                AreaResized();
                break;
            default:
                break;
        }
    }
    // A loop that never gives the browser its turn freezes the tab.
    if (std::chrono::steady_clock::now() - lastYield > longestWithoutYield) {
        lastYield = std::chrono::steady_clock::now();
        emscripten_sleep(0);
    }
}

bool KeyHeld(UINT virtualKey) {
    return virtualKey < 256 && keysHeld.test(virtualKey);
}

void YieldUntilNextFrame() {
    kestrune_next_frame();
    lastYield = std::chrono::steady_clock::now();
}

void WaitForPageEvent(double milliseconds) {
    kestrune_wait_for_event(milliseconds);
    lastYield = std::chrono::steady_clock::now();
}

UINT VirtualKeyOfBrowserKey(const std::string& key, const std::string& code) {
    if (code.size() == 4 && code.compare(0, 3, "Key") == 0 && code[3] >= 'A' && code[3] <= 'Z') {
        return static_cast<UINT>(code[3]);
    }
    if (code.size() == 6 && code.compare(0, 5, "Digit") == 0 && code[5] >= '0' && code[5] <= '9') {
        return static_cast<UINT>(code[5]);
    }
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return static_cast<UINT>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<UINT>(c);
        if (c == ' ') return VK_SPACE;
        return 0;
    }
    if (key.size() >= 2 && key[0] == 'F' && key[1] >= '1' && key[1] <= '9') {
        const int number = std::atoi(key.c_str() + 1);
        if (number >= 1 && number <= 24) return VK_F1 + static_cast<UINT>(number - 1);
    }
    struct Named {
        const char* name;
        UINT key;
    };
    static const Named named[] = {
        {"Escape", VK_ESCAPE},  {"Backspace", VK_BACK}, {"Tab", VK_TAB},
        {"Enter", VK_RETURN},   {"Shift", VK_SHIFT},    {"Control", VK_CONTROL},
        {"Alt", VK_MENU},       {"Pause", VK_PAUSE},    {"PageUp", VK_PRIOR},
        {"PageDown", VK_NEXT},  {"End", VK_END},        {"Home", VK_HOME},
        {"ArrowLeft", VK_LEFT}, {"ArrowUp", VK_UP},     {"ArrowRight", VK_RIGHT},
        {"ArrowDown", VK_DOWN}, {"Insert", VK_INSERT},  {"Delete", VK_DELETE},
    };
    for (const Named& entry : named) {
        if (key == entry.name) return entry.key;
    }
    return 0;
}

}  // namespace web_page
