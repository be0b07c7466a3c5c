#include "platform/window.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace {

struct RegisteredClass {
    std::string name;
    WNDCLASSEXA windowClass;
};

std::vector<RegisteredClass>& Classes() {
    static std::vector<RegisteredClass> classes;
    return classes;
}

WindowFactory windowFactory = nullptr;
CursorSource cursorSource = nullptr;
ScreenSizeSource screenSizeSource = nullptr;
KeyHeldSource keyHeldSource = nullptr;
const EventPump* eventPump = nullptr;
int fullScreenDisplayWidth = 0;
int fullScreenDisplayHeight = 0;
std::atomic<bool> programActive{true};

std::deque<MSG>& Queue() {
    static std::deque<MSG> queue;
    return queue;
}

// Menus live as long as the program: a handle detached from its window must
// stay good for attaching again.
std::list<MenuObject>& Menus() {
    static std::list<MenuObject> menus;
    return menus;
}

}  // namespace

WORD RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr) return 0;
    auto& classes = Classes();
    std::erase_if(classes, [&](const RegisteredClass& registered) {
        return registered.name == windowClass->lpszClassName;
    });
    classes.push_back(RegisteredClass{windowClass->lpszClassName, *windowClass});
    return static_cast<WORD>(classes.size());
}

HWND CreateWindowExA(DWORD, const char* className, const char* title, LONG style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, void*) {
    if (windowFactory == nullptr || className == nullptr) return nullptr;
    for (const RegisteredClass& registered : Classes()) {
        if (registered.name == className) {
            return windowFactory(registered.windowClass, title ? title : "", style, x, y, width,
                                 height);
        }
    }
    return nullptr;
}

void SetWindowFactory(WindowFactory factory) {
    windowFactory = factory;
}

BOOL DestroyWindow(HWND window) {
    if (window == nullptr || window->destroyed) return FALSE;
    window->destroyed = true;
    SendMessageA(window, WM_DESTROY, 0, 0);
    // Messages still waiting for a destroyed window are never delivered.
    std::erase_if(Queue(), [window](const MSG& message) { return message.hwnd == window; });
    window->Destroy();
    return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && window != nullptr) {
        window->OpenMenuBar();
    }
    return 0;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    if (window == nullptr || index != GWL_STYLE) return 0;
    const LONG previous = window->Style();
    window->SetStyle(value);
    return previous;
}

LONG GetWindowLongA(HWND window, int index) {
    if (window == nullptr || index != GWL_STYLE) return 0;
    return window->Style();
}

HMENU GetMenu(HWND window) {
    return window ? window->Menu() : nullptr;
}

BOOL SetMenu(HWND window, HMENU menu) {
    if (window == nullptr) return FALSE;
    window->SetMenu(menu);
    return TRUE;
}

HMENU LoadMenuA(HINSTANCE instance, int id) {
    const MenuResource* resource = FindMenuResource(instance, id);
    if (resource == nullptr) return nullptr;
    return &Menus().emplace_back(MenuObject{resource});
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
    if (window == nullptr) return FALSE;
    window->Place(x, y, width, height, flags);
    return TRUE;
}

void ClientSizeOfWindow(int outerWidth, int outerHeight, int& width, int& height) {
    constexpr int frameExtraWidth = 8;
    constexpr int frameExtraHeight = 54;
    width = std::max(1, outerWidth - frameExtraWidth);
    height = std::max(1, outerHeight - frameExtraHeight);
}

BOOL ShowWindow(HWND window, int command) {
    if (window == nullptr) return FALSE;
    window->Show(command);
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    if (window == nullptr) return FALSE;
    window->Update();
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    if (window == nullptr || rect == nullptr) return FALSE;
    *rect = window->ClientRect();
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    if (window == nullptr || point == nullptr) return FALSE;
    const POINT origin = window->ClientOrigin();
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    *point = cursorSource ? cursorSource() : POINT{0, 0};
    return TRUE;
}

void SetCursorSource(CursorSource source) {
    cursorSource = source;
}

int GetSystemMetrics(int index) {
    int width = 0;
    int height = 0;
    if (screenSizeSource) screenSizeSource(width, height);
    if (width <= 0 || height <= 0) return 0;
    if (index == SM_CXSCREEN) return width;
    if (index == SM_CYSCREEN) return height;
    return 0;
}

void SetScreenSizeSource(ScreenSizeSource source) {
    screenSizeSource = source;
}

void SetFullScreenDisplaySize(int width, int height) {
    fullScreenDisplayWidth = width > 0 && height > 0 ? width : 0;
    fullScreenDisplayHeight = width > 0 && height > 0 ? height : 0;
}

void GetFullScreenDisplaySize(int& width, int& height) {
    width = fullScreenDisplayWidth;
    height = fullScreenDisplayHeight;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue().push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr || window->procedure == nullptr) return 0;
    return window->procedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removal) {
    auto& queue = Queue();
    if (queue.empty() && eventPump != nullptr) eventPump->poll();
    if (queue.empty()) return FALSE;
    if (message != nullptr) *message = queue.front();
    if (removal & PM_REMOVE) queue.pop_front();
    return TRUE;
}

BOOL WaitMessage() {
    if (Queue().empty() && eventPump != nullptr) eventPump->wait();
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD) {
    if (count != 0) return WAIT_FAILED;
    if (Queue().empty() && eventPump != nullptr) {
        if (milliseconds == INFINITE || eventPump->waitAtMost == nullptr) {
            eventPump->wait();
        } else {
            eventPump->waitAtMost(milliseconds / 1000.0);
        }
    }
    return Queue().empty() ? WAIT_TIMEOUT : WAIT_OBJECT_0;
}

// The toolkit already reports the character of a key press as WM_CHAR or
// WM_SYSCHAR, so there is nothing left to translate.
BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (message == nullptr) return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

void SetEventPump(const EventPump* pump) {
    eventPump = pump;
}

HACCEL LoadAcceleratorsA(HINSTANCE instance, int id) {
    const AcceleratorResource* resource = FindAcceleratorResource(instance, id);
    if (resource == nullptr) return nullptr;
    return new AcceleratorTable{resource, {}};
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    if (table == nullptr) return FALSE;
    delete table;
    return TRUE;
}

void SetKeyHeldSource(KeyHeldSource source) {
    keyHeldSource = source;
}

int TranslateAcceleratorA(HWND window, HACCEL table, MSG* message) {
    if (window == nullptr || table == nullptr || message == nullptr) return 0;
    const UINT kind = message->message;
    const bool character = kind == WM_CHAR || kind == WM_SYSCHAR;
    const bool key = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
    if ((kind == WM_KEYUP || kind == WM_SYSKEYUP) && message->wParam < 256) {
        table->keysHeld.reset(message->wParam);
    }
    // Repeats come only while nothing else is pressed: the press of another
    // key (the Alt of the next Alt+Enter) ends every hold, even one whose
    // release went to another window.
    if (key && message->wParam < 256 && !table->keysHeld.test(message->wParam)) {
        table->keysHeld.reset();
    }
    if (!character && !key) return 0;
    const bool alt = kind == WM_SYSCHAR || kind == WM_SYSKEYDOWN;
    for (const ACCEL& entry : table->resource->entries) {
        // A virtual-key entry matches the key's press, a character entry the
        // character it types.
        if (((entry.fVirt & FVIRTKEY) != 0) != key) continue;
        if (entry.fVirt & (FSHIFT | FCONTROL)) continue;
        if (((entry.fVirt & FALT) != 0) != alt) continue;
        if (entry.key != message->wParam) continue;
        if (key && entry.key < 256) {
            const bool repeat = table->keysHeld.test(entry.key) &&
                                (keyHeldSource == nullptr || keyHeldSource(entry.key));
            if (repeat) return 1;  // taken, not acted on
            table->keysHeld.set(entry.key);
        }
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
        return 1;
    }
    return 0;
}

bool ProgramIsActive() {
    return programActive.load(std::memory_order_relaxed);
}

void SetProgramActive(bool active) {
    programActive.store(active, std::memory_order_relaxed);
}
