// Modal dialogs on FLTK, built from dialog templates: each control becomes the
// widget of its kind at its place, converted from dialog units, and every
// click reaches the dialog procedure as WM_COMMAND with the control's id.
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

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "platform/dialog.h"
#include "platform/fltk_window.h"

namespace {

constexpr int dialogLabelSize = 12;

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

    void AddControl(HINSTANCE instance, const DialogControlResource& control, int points);

    DLGPROC dialogProcedure;
    std::unique_ptr<Fl_Window> window;
    std::map<int, Fl_Button*> buttons;
    std::vector<std::unique_ptr<ControlHandle>> handles;
    std::vector<std::vector<uint8_t>> iconPixels;
    std::vector<std::unique_ptr<Fl_RGB_Image>> images;
    bool ended = false;
    INT_PTR result = 0;
};

FltkDialog::FltkDialog(HINSTANCE instance, const DialogResource& resource, HWND owner,
                       DLGPROC dialogProc)
    : dialogProcedure(dialogProc) {
    const int points = resource.fontPoints > 0 ? resource.fontPoints : 8;
    const int width = DialogUnitsToPixelsX(resource.width, points);
    const int height = DialogUnitsToPixelsY(resource.height, points);
    // A dialog's place is given from its owner's client area.
    POINT origin = owner ? owner->ClientOrigin() : POINT{0, 0};
    origin.x += DialogUnitsToPixelsX(resource.x, points);
    origin.y += DialogUnitsToPixelsY(resource.y, points);
    window = std::make_unique<Fl_Window>(origin.x, origin.y, width, height);
    window->copy_label(resource.title);
    window->callback(CancelRequested, this);
    window->begin();
    for (const DialogControlResource& control : resource.controls) {
        AddControl(instance, control, points);
    }
    window->end();
    window->set_modal();
}

void FltkDialog::AddControl(HINSTANCE instance, const DialogControlResource& control, int points) {
    const int x = DialogUnitsToPixelsX(control.x, points);
    const int y = DialogUnitsToPixelsY(control.y, points);
    const int width = DialogUnitsToPixelsX(control.width, points);
    const int height = DialogUnitsToPixelsY(control.height, points);
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
    widget->labelsize(dialogLabelSize);
}

INT_PTR FltkDialog::Run(LPARAM parameter) {
    window->show();
    dialogProcedure(this, WM_INITDIALOG, 0, parameter);
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
