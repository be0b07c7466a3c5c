#pragma once
// Windows, their messages and the message queue: the part of the Win32 user
// interface the game's shell calls. A window handle stands for a WindowObject;
// the toolkit window (fltk_window.h) is one kind, test doubles are others.
// Every operation a kind does not have does nothing, so a double implements
// only what its test looks at.
#include <bitset>
#include <cstdint>

#include "platform/resources.h"
#include "platform/windows_types.h"

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using INT_PTR = intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;
constexpr UINT WM_POWERBROADCAST = 0x0218;
constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;

// WM_SYSCOMMAND: open the menu bar, as F10 or Alt alone does.
constexpr WPARAM SC_KEYMENU = 0xF100;

constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

constexpr WPARAM PBT_APMQUERYSUSPEND = 0;
constexpr WPARAM PBT_APMRESUMESUSPEND = 7;

constexpr int GWL_STYLE = -16;
constexpr LONG WS_OVERLAPPED = 0x00000000;
constexpr LONG WS_POPUP = static_cast<LONG>(0x80000000u);
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_CAPTION = 0x00C00000;
constexpr LONG WS_SYSMENU = 0x00080000;
constexpr LONG WS_THICKFRAME = 0x00040000;
constexpr LONG WS_MINIMIZEBOX = 0x00020000;
constexpr LONG WS_MAXIMIZEBOX = 0x00010000;
constexpr LONG WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-2));
constexpr UINT SWP_SHOWWINDOW = 0x0040;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr WORD LOWORD(uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// A menu bar: the menu resource it was made from. Detaching it from a window
// hides it; the handle stays valid for attaching it again.
struct MenuObject {
    const MenuResource* resource;
};
using HMENU = MenuObject*;

// A loaded accelerator table, with the keys whose press fired one of its
// virtual-key entries and have not been released: a held key repeats its
// press, and a switch must not flip with every repeat.
struct AcceleratorTable {
    const AcceleratorResource* resource;
    std::bitset<256> keysHeld;
};
using HACCEL = AcceleratorTable*;

// A device context: a window's drawing area while it paints, or a memory DC
// holding a bitmap's pixels (paint.h).
class DeviceContextObject;
using HDC = DeviceContextObject*;

class WindowObject {
  public:
    explicit WindowObject(WNDPROC windowProc = nullptr) : procedure(windowProc) {}
    virtual ~WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    // The window procedure (a dialog has none: its dialog procedure is called
    // by the dialog itself).
    WNDPROC procedure;

    virtual LONG Style() const { return style; }
    virtual void SetStyle(LONG newStyle) { style = newStyle; }
    virtual HMENU Menu() const { return menu; }
    virtual void SetMenu(HMENU newMenu) { menu = newMenu; }
    // x, y, width and height of the outer window, in screen pixels.
    virtual void Place(int /*x*/, int /*y*/, int /*width*/, int /*height*/, UINT /*flags*/) {}
    virtual void Show(int /*command*/) {}
    // Paints now whatever needs painting (UpdateWindow).
    virtual void Update() {}
    // Takes the keyboard again, as an owner does when its modal dialog ends.
    virtual void Activate() {}
    // The drawing area: origin 0, 0 and its size.
    virtual RECT ClientRect() const { return RECT{0, 0, 0, 0}; }
    // Where the drawing area's top-left pixel lies on the screen.
    virtual POINT ClientOrigin() const { return POINT{0, 0}; }
    // WM_DESTROY has been handled; the window goes away.
    virtual void Destroy() {}
    // Pulls down the menu bar's first menu, if the window shows one, and
    // runs the menu loop until it closes.
    virtual void OpenMenuBar() {}

    // Painting: BeginPaint hands out the device context of the drawing area,
    // EndPaint shows what was drawn into it.
    virtual HDC BeginPaint() { return nullptr; }
    virtual void EndPaint() {}

    // Dialogs: the check state of a button control, the state of a control,
    // and the end of the dialog's modal loop.
    virtual void SetItemCheck(int /*id*/, UINT /*state*/) {}
    virtual UINT ItemCheck(int /*id*/) const { return 0; }
    virtual void EndDialog(INT_PTR /*result*/) {}

    // Set by DestroyWindow: a window is destroyed once.
    bool destroyed = false;

  protected:
    LONG style = 0;
    HMENU menu = nullptr;
};

// The window classes of the program: registered by name, found again by
// CreateWindowExA.
struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    int iconId;      // icon resource of the large icon
    int cursor;      // 0: the arrow
    int background;  // a system colour + 1
    int menuId;      // menu resource; 0 for none
    const char* lpszClassName;
    int smallIconId;  // icon resource of the small icon
};
WORD RegisterClassExA(const WNDCLASSEXA* windowClass);

// Makes the toolkit's window for a registered class; nullptr when the class is
// unknown, no window factory is installed (tests) or no display can be had.
HWND CreateWindowExA(DWORD extendedStyle, const char* className, const char* title, LONG style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* parameter);

using WindowFactory = HWND (*)(const WNDCLASSEXA& windowClass, const char* title, LONG style, int x,
                               int y, int width, int height);
// The toolkit installs its factory here; nullptr removes it.
void SetWindowFactory(WindowFactory factory);

// Sends WM_DESTROY to the window, then lets the window go. Does not free the
// WindowObject of a test double.
BOOL DestroyWindow(HWND window);
// WM_CLOSE destroys the window; WM_SYSCOMMAND with SC_KEYMENU opens its menu
// bar; everything else is ignored and gives 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LONG SetWindowLongA(HWND window, int index, LONG value);
LONG GetWindowLongA(HWND window, int index);
HMENU GetMenu(HWND window);
BOOL SetMenu(HWND window, HMENU menu);
HMENU LoadMenuA(HINSTANCE instance, int id);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// The drawing area of a window whose outer size the program asks for, as on
// Windows: without the original's frame, whose 640 x 480 window had a client
// area of 632 x 426 below the menu bar (the size the splash picture is made
// to fill); at least 1 x 1.
void ClientSizeOfWindow(int outerWidth, int outerHeight, int& width, int& height);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ScreenToClient(HWND window, POINT* point);

// The cursor in screen pixels. In a window's full-screen form the screen is
// as large as the full-screen back buffer (see SetFullScreenDisplaySize).
BOOL GetCursorPos(POINT* point);
using CursorSource = POINT (*)();
// The toolkit reads the pointer through this; tests set the cursor themselves.
// nullptr: the cursor stays at 0, 0.
void SetCursorSource(CursorSource source);

// The display's size in pixels (SM_CXSCREEN, SM_CYSCREEN): the screen the
// toolkit shows the game on; 0 when there is none or it reports no size.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
int GetSystemMetrics(int index);
using ScreenSizeSource = void (*)(int& width, int& height);
// The toolkit reports the screen through this; tests set their own. nullptr:
// no screen (0 x 0).
void SetScreenSizeSource(ScreenSizeSource source);
// Whether a key is down at this moment, as the keyboard itself says: a key's
// release can go to another window (the form changed under it), so the
// accelerators ask here before taking a press for a repeat. nullptr (tests):
// only the key messages tell.
using KeyHeldSource = bool (*)(UINT virtualKey);
void SetKeyHeldSource(KeyHeldSource source);

// Full screen is a borderless window over the whole desktop, not a change of
// the display mode; the back buffer keeps its size and is shown at the largest
// size of its shape that fits (platform/picture_fit.h). What a mode change
// would do to the cursor we do here: while a window is in its full-screen
// form, GetCursorPos reports the pointer in pixels of a picture of this size,
// over a bar at its nearest edge. 0 x 0: the desktop's own pixels.
void SetFullScreenDisplaySize(int width, int height);
void GetFullScreenDisplaySize(int& width, int& height);

// Whether the keyboard focus is in one of the program's own windows: the
// main window, its dialogs or its message boxes (what Windows tells a program
// with WM_ACTIVATEAPP). The toolkit reports every change; until it does, and
// in tests without a toolkit, the program counts as active. Any thread may
// ask: the sound device's mixer does, to mute the program's sounds.
bool ProgramIsActive();
void SetProgramActive(bool active);

// The message queue of the one thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Takes (or with PM_NOREMOVE looks at) the oldest message; first lets the
// toolkit turn its pending events into messages, without waiting.
BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT removal);
// Waits until the toolkit has an event or a message is posted.
BOOL WaitMessage();
// The same, for at most `milliseconds` (INFINITE: no limit). Only the queue
// can be waited on: `count` must be 0. WAIT_OBJECT_0 when a message waits,
// WAIT_TIMEOUT otherwise.
using HANDLE = void*;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD QS_ALLINPUT = 0x04FF;
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);

// How the queue reaches the toolkit's events: `poll` handles what is pending
// without waiting, `wait` blocks until something happens, `waitAtMost` no
// longer than the seconds given. Tests install none.
struct EventPump {
    void (*poll)();
    void (*wait)();
    void (*waitAtMost)(double seconds);
};
void SetEventPump(const EventPump* pump);

// Accelerators: Alt with a character arrives as WM_SYSCHAR, a plain character
// as WM_CHAR; a virtual-key entry (FVIRTKEY) matches the key's WM_SYSKEYDOWN
// with Alt, WM_KEYDOWN without. A matching entry sends its command to the
// window as WM_COMMAND with 1 in the high word.
HACCEL LoadAcceleratorsA(HINSTANCE instance, int id);
BOOL DestroyAcceleratorTable(HACCEL table);
int TranslateAcceleratorA(HWND window, HACCEL table, MSG* message);

// Virtual-key codes the toolkit reports beyond the letters and digits, which
// are their upper-case ASCII codes.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_F1 = 0x70;
