// Modal dialogs and message boxes in the page: HTML <dialog> elements built
// from the same templates as the desktop's, each control at its place
// converted from dialog units. The game waits for them in a loop of its own,
// as Windows' modal loop does, giving the browser its turn while it waits;
// every click reaches the dialog procedure as WM_COMMAND with the control's
// id.
#include <emscripten.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/web/web_window.h"

// clang-format off
EM_JS(void, kestrune_open_dialog, (const char* json), {
    Module.kestrunePage.openDialog(JSON.parse(UTF8ToString(json)));
});
EM_JS(void, kestrune_close_dialog, (), { Module.kestrunePage.closeDialog(); });
EM_JS(void, kestrune_set_check, (int id, int checked), {
    Module.kestrunePage.setCheck(id, checked != 0);
});
EM_JS(int, kestrune_check, (int id), { return Module.kestrunePage.check(id) ? 1 : 0; });
EM_JS(void, kestrune_open_message, (const char* json), {
    Module.kestrunePage.openMessage(JSON.parse(UTF8ToString(json)));
});
// clang-format on

namespace {

// The dialog font's average character cell at 8 points in the page's
// sans-serif font, as Windows measures its own: 6 x 13 pixels.
constexpr int cellWidth = 6;
constexpr int cellHeight = 13;

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::AutoCheckBox:
            return "check";
        case ControlKind::AutoRadioButton:
            return "radio";
        case ControlKind::GroupBox:
            return "group";
        case ControlKind::PushButton:
            return "button";
        case ControlKind::DefaultPushButton:
            return "default";
        case ControlKind::StaticText:
            return "text";
        case ControlKind::StaticIcon:
            return "icon";
    }
    return "text";
}

class WebDialog final : public WindowObject, public web_page::ModalTarget {
  public:
    WebDialog(HINSTANCE instance, const DialogResource& resource, DLGPROC procedure)
        : dialogProcedure(procedure) {
        std::string json = "{\"caption\":" + web_page::JsonString(resource.title) +
                           ",\"width\":" + Pixels(resource.width, true) +
                           ",\"height\":" + Pixels(resource.height, false) + ",\"controls\":[";
        bool first = true;
        for (const DialogControlResource& control : resource.controls) {
            if (!first) json += ",";
            first = false;
            json += "{\"kind\":\"" + std::string(KindName(control.kind)) + "\"";
            json += ",\"id\":" + std::to_string(control.id);
            json += ",\"x\":" + Pixels(control.x, true) + ",\"y\":" + Pixels(control.y, false);
            json += ",\"width\":" + Pixels(control.width, true) +
                    ",\"height\":" + Pixels(control.height, false);
            json += ",\"notify\":" + std::string((control.style & SS_NOTIFY) ? "true" : "false");
            if (control.kind == ControlKind::StaticIcon) {
                const int iconId = control.text != nullptr ? std::atoi(control.text) : 0;
                icons.push_back(web_page::IconRgba(instance, iconId, 32));
                if (!icons.back().empty()) {
                    json += ",\"icon\":" +
                            std::to_string(reinterpret_cast<uintptr_t>(icons.back().data()));
                }
            } else {
                json += ",\"text\":" + web_page::JsonString(control.text);
            }
            json += "}";
            if (control.id >= 0) ids.push_back(control.id);
        }
        json += "]}";
        kestrune_open_dialog(json.c_str());
    }
    ~WebDialog() override { kestrune_close_dialog(); }

    INT_PTR Run(LPARAM parameter) {
        web_page::PushModal(this);
        dialogProcedure(this, WM_INITDIALOG, 0, parameter);
        while (!ended) {
            web_page::WaitForPageEvent(-1.0);
            web_page::TakePageEvents();
        }
        web_page::PopModal(this);
        return result;
    }

    void SetItemCheck(int id, UINT state) override {
        kestrune_set_check(id, state == BST_CHECKED ? 1 : 0);
    }
    UINT ItemCheck(int id) const override {
        return kestrune_check(id) != 0 ? BST_CHECKED : BST_UNCHECKED;
    }
    void EndDialog(INT_PTR value) override {
        ended = true;
        result = value;
    }

    // Escape and the close box come as IDCANCEL: the procedure decides.
    void ControlClicked(int id) override {
        if (!ended) dialogProcedure(this, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
    }

  private:
    static std::string Pixels(int units, bool horizontal) {
        return std::to_string(horizontal ? DialogUnitsToPixelsX(units, cellWidth)
                                         : DialogUnitsToPixelsY(units, cellHeight));
    }

    DLGPROC dialogProcedure;
    std::vector<std::vector<uint8_t>> icons;
    std::vector<int> ids;
    bool ended = false;
    INT_PTR result = IDCANCEL;
};

// A message box: the kind's icon, the text and one "OK" button, which Enter,
// Escape and the close box also answer.
class WebMessageBox final : public web_page::ModalTarget {
  public:
    WebMessageBox(const char* text, const char* caption, UINT type) {
        const UINT kind = type & 0xF0;
        const char* icon = kind == MB_ICONHAND          ? "error"
                           : kind == MB_ICONEXCLAMATION ? "warning"
                                                        : "";
        const std::string json = "{\"caption\":" + web_page::JsonString(caption) +
                                 ",\"text\":" + web_page::JsonString(text) + ",\"icon\":\"" + icon +
                                 "\"}";
        kestrune_open_message(json.c_str());
    }
    ~WebMessageBox() override { kestrune_close_dialog(); }

    void Run() {
        web_page::PushModal(this);
        while (!answered) {
            web_page::WaitForPageEvent(-1.0);
            web_page::TakePageEvents();
        }
        web_page::PopModal(this);
    }
    void ControlClicked(int) override { answered = true; }

  private:
    bool answered = false;
};

}  // namespace

INT_PTR RunWebDialog(HINSTANCE instance, const DialogResource& resource, HWND owner,
                     DLGPROC procedure, LPARAM parameter) {
    INT_PTR result = IDCANCEL;
    {
        WebDialog dialog(instance, resource, procedure);
        result = dialog.Run(parameter);
    }
    if (owner != nullptr) owner->Activate();
    return result;
}

int ShowWebMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    {
        WebMessageBox box(text, caption, type);
        box.Run();
    }
    if (owner != nullptr) owner->Activate();
    return IDOK;
}
