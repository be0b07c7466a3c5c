#pragma once
// Doubles of the window stand-ins: a window and a dialog that record what is
// done to them, a device context that records what is drawn, a cursor the test
// places, and recorders for dialogs run and pages opened.
#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/paint.h"
#include "platform/window.h"

struct DrawnBlock {
    int x, y, width, height;
    const uint8_t* first;  // the first source pixel
    size_t strideBytes;
};

class RecordingDC final : public DeviceContextObject {
  public:
    void DrawPixels(int x, int y, int width, int height, const uint8_t* rgba,
                    size_t strideBytes) override {
        drawn.push_back(DrawnBlock{x, y, width, height, rgba, strideBytes});
    }
    std::vector<DrawnBlock> drawn;
};

// A window with a client area of `clientWidth` x `clientHeight` whose top-left
// lies at `clientOrigin` on the screen. Records "style 0x...", "menu <name>",
// "place x,y,w,h flags", "show", "update", "destroy", "begin paint",
// "end paint".
class RecordingWindow final : public WindowObject {
  public:
    explicit RecordingWindow(WNDPROC windowProc = nullptr) : WindowObject(windowProc) {}

    void SetStyle(LONG newStyle) override;
    void SetMenu(HMENU newMenu) override;
    void Place(int x, int y, int width, int height, UINT flags) override;
    void Show(int) override { calls.push_back("show"); }
    void Update() override { calls.push_back("update"); }
    RECT ClientRect() const override { return RECT{0, 0, clientWidth, clientHeight}; }
    POINT ClientOrigin() const override { return clientOrigin; }
    void Destroy() override { calls.push_back("destroy"); }
    HDC BeginPaint() override {
        calls.push_back("begin paint");
        return &paintDC;
    }
    void EndPaint() override { calls.push_back("end paint"); }

    // Gives the window a menu without recording it.
    void GiveMenu(HMENU newMenu) { menu = newMenu; }
    int Count(const std::string& call) const;

    LONG clientWidth = 640;
    LONG clientHeight = 480;
    POINT clientOrigin{0, 0};
    RecordingDC paintDC;
    std::vector<std::string> calls;
};

// A dialog whose buttons are checked by id. Clicking an auto control first
// changes its check as the control would, then feeds the procedure.
class RecordingDialog final : public WindowObject {
  public:
    void SetItemCheck(int id, UINT state) override { checks[id] = state; }
    UINT ItemCheck(int id) const override {
        auto found = checks.find(id);
        return found == checks.end() ? BST_UNCHECKED : found->second;
    }
    void EndDialog(INT_PTR value) override {
        ended = true;
        result = value;
    }

    INT_PTR Init(DLGPROC dialogProc) { return dialogProc(this, WM_INITDIALOG, 0, 0); }
    INT_PTR Command(DLGPROC dialogProc, int id) {
        return dialogProc(this, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
    }
    // An auto check box toggles itself; an auto radio button checks itself.
    INT_PTR ClickCheckBox(DLGPROC dialogProc, int id) {
        checks[id] = ItemCheck(id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        return Command(dialogProc, id);
    }
    INT_PTR ClickRadioButton(DLGPROC dialogProc, int id) {
        checks[id] = BST_CHECKED;
        return Command(dialogProc, id);
    }

    std::map<int, UINT> checks;
    bool ended = false;
    INT_PTR result = 0;
};

// The cursor GetCursorPos reports while installed.
void PlaceCursor(LONG x, LONG y);
void InstallCursorDouble();

// Dialogs run through DialogBoxParamA, by template id and procedure; the
// double returns 1 without showing anything.
struct RunDialog {
    int id;
    DLGPROC procedure;
    HWND owner;
};
std::vector<RunDialog>& RunDialogs();
void InstallDialogRecorder();

// Files handed to ShellExecuteA.
std::vector<std::string>& OpenedFiles();
void InstallShellOpenRecorder();

// Takes every message waiting in the queue.
std::vector<MSG> TakeQueuedMessages();
