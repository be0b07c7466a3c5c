// Modal dialogs and message boxes on FLTK. A dialog is built from its
// template: each control becomes the widget of its kind at its place,
// converted from dialog units, and every click reaches the dialog procedure
// as WM_COMMAND with the control's id. Both are owned by their owner window,
// as on Windows: the window manager keeps them above it and gives them only
// a caption and a close box.

// The window manager hints are set on the windows' X windows.
#define FL_INTERNALS

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "platform/dialog.h"
#include "platform/fltk_window.h"
#include "platform/pad_keys.h"

namespace {

// The toolkit's size for the dialog font at 8 points; other sizes scale.
constexpr int dialogLabelSize = 12;

int LabelSizeFor(int points) {
    return std::max(1, dialogLabelSize * points / 8);
}

// The dialog font's average character cell, measured as Windows measures
// it, so that every control's text fits the place its template gives it.
void MeasureDialogCell(int labelSize, int& cellWidth, int& cellHeight) {
    fl_font(FL_HELVETICA, labelSize);
    cellWidth = std::max(1, AverageCharacterWidth(static_cast<int>(
                                fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))));
    cellHeight = std::max(1, fl_height());
}

// Marks a shown top-level window as a dialog of `owner` for the window
// manager: transient for it (kept above it and, for a box, placed on it),
// a dialog, and with no minimise or maximise button. Without an owner it
// is still a dialog.
void MarkAsDialog(Fl_Window* window, HWND owner) {
    const Window xid = fl_xid(window);
    if (xid == 0) return;
    Fl_Window* ownerFrame = FltkFrameOf(owner);
    if (ownerFrame != nullptr && fl_xid(ownerFrame) != 0) {
        XSetTransientForHint(fl_display, xid, fl_xid(ownerFrame));
    }
    const Atom windowType = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE", False);
    const Atom dialogType = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(fl_display, xid, windowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dialogType), 1);
    // Motif hints: functions move and close; decorations border, title and
    // window menu.
    const long motifHints[5] = {1 | 2, 4 | 32, 2 | 8 | 16, 0, 0};
    const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motifHints), 5);
    XFlush(fl_display);
}

// Shows a dialog window with its hints in force. The toolkit maps a window
// as it makes it, and a window manager reads the hints only when it takes a
// window on; so the window is withdrawn and mapped again with them set.
void ShowAsDialog(Fl_Window* window, HWND owner) {
    window->show();
    MarkAsDialog(window, owner);
    const Window xid = fl_xid(window);
    if (xid == 0) return;
    XWithdrawWindow(fl_display, xid, fl_screen);
    XSync(fl_display, False);
    XMapWindow(fl_display, xid);
    XFlush(fl_display);
}

class FltkDialog;

struct ControlHandle {
    FltkDialog* dialog;
    int id;
};

// A group box: a sunken frame with its title on the top edge.
class GroupFrame final : public Fl_Widget {
  public:
    GroupFrame(int x, int y, int width, int height, const char* label)
        : Fl_Widget(x, y, width, height) {
        copy_label(label);
    }
    void draw() override {
        fl_font(labelfont(), labelsize());
        const int half = labelsize() / 2;
        fl_draw_box(FL_ENGRAVED_FRAME, x(), y() + half, w(), h() - half, color());
        if (label() == nullptr) return;
        int labelWidth = 0;
        int labelHeight = 0;
        fl_measure(label(), labelWidth, labelHeight, 0);
        fl_color(parent() ? parent()->color() : FL_BACKGROUND_COLOR);
        fl_rectf(x() + 6, y(), labelWidth + 4, labelSize());
        fl_color(labelcolor());
        fl_draw(label(), x() + 8, y(), labelWidth, labelSize(), FL_ALIGN_LEFT, nullptr, 0);
    }

  private:
    int labelSize() const { return labelsize() + 2; }
};

// Static text that tells of clicks (SS_NOTIFY): shown as a link.
class NotifyingText final : public Fl_Box {
  public:
    NotifyingText(int x, int y, int width, int height) : Fl_Box(x, y, width, height) {}
    int handle(int event) override {
        switch (event) {
            case FL_ENTER:
                window()->cursor(FL_CURSOR_HAND);
                return 1;
            case FL_LEAVE:
                window()->cursor(FL_CURSOR_DEFAULT);
                return 1;
            case FL_PUSH:
                return 1;
            case FL_RELEASE:
                if (Fl::event_inside(this)) do_callback();
                return 1;
            default:
                return Fl_Box::handle(event);
        }
    }
};

class FltkDialog final : public WindowObject {
  public:
    FltkDialog(HINSTANCE instance, const DialogResource& resource, HWND owner, DLGPROC procedure);

    INT_PTR Run(LPARAM parameter);

    void SetItemCheck(int id, UINT state) override {
        auto found = buttons.find(id);
        if (found != buttons.end()) found->second->value(state == BST_CHECKED ? 1 : 0);
    }
    UINT ItemCheck(int id) const override {
        auto found = buttons.find(id);
        return found != buttons.end() && found->second->value() ? BST_CHECKED : BST_UNCHECKED;
    }
    void EndDialog(INT_PTR value) override {
        ended = true;
        result = value;
    }

    void Command(int id, WORD code) {
        if (!ended) dialogProcedure(this, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), 0);
    }

  private:
    static void ControlClicked(Fl_Widget*, void* data) {
        auto* handle = static_cast<ControlHandle*>(data);
        handle->dialog->Command(handle->id, BN_CLICKED);
    }
    // Escape and the close box ask the procedure to cancel (IDCANCEL); the
    // dialog stays open unless the procedure ends it.
    static void CancelRequested(Fl_Widget*, void* data) {
        static_cast<FltkDialog*>(data)->Command(IDCANCEL, BN_CLICKED);
    }

    void AddControl(HINSTANCE instance, const DialogControlResource& control);

    DLGPROC dialogProcedure;
    HWND owner;
    int labelSize = dialogLabelSize;
    int cellWidth = 6;
    int cellHeight = 13;
    std::unique_ptr<Fl_Window> window;
    std::map<int, Fl_Button*> buttons;
    std::vector<std::unique_ptr<ControlHandle>> handles;
    std::vector<std::vector<uint8_t>> iconPixels;
    std::vector<std::unique_ptr<Fl_RGB_Image>> images;
    bool ended = false;
    INT_PTR result = 0;
};

FltkDialog::FltkDialog(HINSTANCE instance, const DialogResource& resource, HWND ownerWindow,
                       DLGPROC dialogProc)
    : dialogProcedure(dialogProc), owner(ownerWindow) {
    const int points = resource.fontPoints > 0 ? resource.fontPoints : 8;
    labelSize = LabelSizeFor(points);
    MeasureDialogCell(labelSize, cellWidth, cellHeight);
    const int width = DialogUnitsToPixelsX(resource.width, cellWidth);
    const int height = DialogUnitsToPixelsY(resource.height, cellHeight);
    // A dialog's place is given from its owner's client area.
    POINT origin = owner ? owner->ClientOrigin() : POINT{0, 0};
    origin.x += DialogUnitsToPixelsX(resource.x, cellWidth);
    origin.y += DialogUnitsToPixelsY(resource.y, cellHeight);
    window = std::make_unique<Fl_Window>(origin.x, origin.y, width, height);
    window->copy_label(resource.title);
    window->callback(CancelRequested, this);
    window->begin();
    for (const DialogControlResource& control : resource.controls) {
        AddControl(instance, control);
    }
    window->end();
    window->set_modal();
}

void FltkDialog::AddControl(HINSTANCE instance, const DialogControlResource& control) {
    const int x = DialogUnitsToPixelsX(control.x, cellWidth);
    const int y = DialogUnitsToPixelsY(control.y, cellHeight);
    const int width = DialogUnitsToPixelsX(control.width, cellWidth);
    const int height = DialogUnitsToPixelsY(control.height, cellHeight);
    handles.push_back(std::make_unique<ControlHandle>(ControlHandle{this, control.id}));
    void* handle = handles.back().get();

    Fl_Widget* widget = nullptr;
    Fl_Button* button = nullptr;
    switch (control.kind) {
        case ControlKind::AutoCheckBox:
            button = new Fl_Check_Button(x, y, width, height);
            break;
        case ControlKind::AutoRadioButton: {
            // Each radio button is a group of its own: choosing it clears no
            // other; the dialog procedure does that.
            auto* group = new Fl_Group(x, y, width, height);
            button = new Fl_Round_Button(x, y, width, height);
            button->type(FL_RADIO_BUTTON);
            group->end();
            break;
        }
        case ControlKind::PushButton:
            button = new Fl_Button(x, y, width, height);
            break;
        case ControlKind::DefaultPushButton:
            button = new Fl_Return_Button(x, y, width, height);
            break;
        case ControlKind::GroupBox:
            widget = new GroupFrame(x, y, width, height, control.text);
            break;
        case ControlKind::StaticText: {
            Fl_Box* text = nullptr;
            if (control.style & SS_NOTIFY) {
                text = new NotifyingText(x, y, width, height);
                text->labelcolor(FL_BLUE);
                text->callback(ControlClicked, handle);
            } else {
                text = new Fl_Box(x, y, width, height);
            }
            text->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
            widget = text;
            break;
        }
        case ControlKind::StaticIcon: {
            const int size = std::min(width, height) >= 32 ? 32 : std::min(width, height);
            const int iconId = control.text ? std::atoi(control.text) : 0;
            iconPixels.push_back(IconPixels(instance, iconId, 32));
            auto* box = new Fl_Box(x, y, width, height);
            if (!iconPixels.back().empty()) {
                images.push_back(
                    std::make_unique<Fl_RGB_Image>(iconPixels.back().data(), 32, 32, 4));
                if (size != 32) {
                    images.back().reset(
                        static_cast<Fl_RGB_Image*>(images.back()->copy(size, size)));
                }
                box->image(images.back().get());
            }
            widget = box;
            break;
        }
    }
    if (button != nullptr) {
        button->when(FL_WHEN_RELEASE_ALWAYS);
        button->callback(ControlClicked, handle);
        if (control.id >= 0) buttons[control.id] = button;
        widget = button;
    }
    if (widget == nullptr) return;
    if (control.kind != ControlKind::GroupBox && control.kind != ControlKind::StaticIcon) {
        widget->copy_label(control.text);
    }
    widget->labelsize(labelSize);
}

INT_PTR FltkDialog::Run(LPARAM parameter) {
    ShowAsDialog(window.get(), owner);
    dialogProcedure(this, WM_INITDIALOG, 0, parameter);
    PadKeysInModalLoop pad;
    while (!ended && window->shown()) Fl::wait();
    window->hide();
    return ended ? result : IDCANCEL;
}

}  // namespace

INT_PTR RunFltkDialog(HINSTANCE instance, const DialogResource& resource, HWND owner,
                      DLGPROC procedure, LPARAM parameter) {
    INT_PTR result = IDCANCEL;
    {
        FltkDialog dialog(instance, resource, owner, procedure);
        result = dialog.Run(parameter);
    }
    if (owner != nullptr) owner->Activate();
    return result;
}

namespace {

// A message box as Windows draws one: the kind's icon, the text, and one
// "OK" button, centred on its owner (on the screen without one). Return,
// Escape and the close box all answer OK, the only answer it offers.
class MessageBoxWindow final : public Fl_Window {
  public:
    MessageBoxWindow(const char* text, const char* caption, UINT type) : Fl_Window(0, 0, 100, 100) {
        copy_label(caption ? caption : "");
        callback(Closed, this);
        const UINT kind = type & 0xF0;
        const bool withIcon = kind == MB_ICONHAND || kind == MB_ICONEXCLAMATION;
        fl_font(FL_HELVETICA, dialogLabelSize);
        int textWidth = maximumTextWidth;
        int textHeight = 0;
        fl_measure(text ? text : "", textWidth, textHeight, 0);
        const int textLeft = margin + (withIcon ? iconSize + margin : 0);
        const int bodyHeight = std::max(textHeight, withIcon ? iconSize : 0);
        const int width = std::max(textLeft + textWidth + margin, buttonWidth + 2 * margin);
        const int height = margin + bodyHeight + margin + buttonHeight + margin;
        size(width, height);
        begin();
        if (withIcon) {
            auto* icon = new Fl_Box(FL_OVAL_BOX, margin, margin, iconSize, iconSize,
                                    kind == MB_ICONHAND ? "X" : "!");
            icon->color(kind == MB_ICONHAND ? FL_RED : FL_YELLOW);
            icon->labelcolor(kind == MB_ICONHAND ? FL_WHITE : FL_BLACK);
            icon->labelfont(FL_HELVETICA_BOLD);
            icon->labelsize(20);
        }
        auto* message =
            new Fl_Box(textLeft, margin + (bodyHeight - textHeight) / 2, textWidth, textHeight);
        message->copy_label(text ? text : "");
        message->labelsize(dialogLabelSize);
        message->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        auto* ok = new Fl_Return_Button((width - buttonWidth) / 2, height - margin - buttonHeight,
                                        buttonWidth, buttonHeight, "OK");
        ok->labelsize(dialogLabelSize);
        ok->callback(Closed, this);
        end();
        set_modal();
    }

    void PlaceOn(HWND owner) {
        Fl_Window* frame = FltkFrameOf(owner);
        int x = 0, y = 0, width = 0, height = 0;
        if (frame != nullptr && frame->shown()) {
            x = frame->x_root();
            y = frame->y_root();
            width = frame->w();
            height = frame->h();
        } else {
            Fl::screen_xywh(x, y, width, height);
        }
        position(x + (width - w()) / 2, y + (height - h()) / 2);
    }

    void Run() {
        PadKeysInModalLoop pad;
        while (!answered && shown()) Fl::wait();
        hide();
    }

  private:
    static constexpr int margin = 12;
    static constexpr int iconSize = 32;
    static constexpr int buttonWidth = 75;
    static constexpr int buttonHeight = 23;
    static constexpr int maximumTextWidth = 420;

    static void Closed(Fl_Widget*, void* data) {
        static_cast<MessageBoxWindow*>(data)->answered = true;
    }

    bool answered = false;
};

}  // namespace

int ShowFltkMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    MessageBoxWindow box(text, caption, type);
    box.PlaceOn(owner);
    ShowAsDialog(&box, owner);
    box.Run();
    if (owner != nullptr) owner->Activate();
    return IDOK;
}
