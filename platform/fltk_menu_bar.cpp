// The main window's menu bar on FLTK: built from the menu resource, and
// pulled down in a loop of its own as Windows runs its menu loop.
// FLTK's platform internals (the X windows behind the widgets), before any
// FLTK header.
#define FL_INTERNALS

#include "platform/fltk_window_parts.h"
#include "platform/pad_keys.h"

namespace fltk_desktop {

namespace {

void MenuItemChosen(Fl_Widget* widget, void* id) {
    GameMenuBar* bar = static_cast<GameMenuBar*>(widget);
    bar->chosen = static_cast<UINT>(reinterpret_cast<uintptr_t>(id));
}

}  // namespace

// Built item by item: FLTK's add() would read a '/' in a label as a submenu.
void FillMenuBar(GameMenuBar& bar, const MenuResource& menu) {
    std::vector<Fl_Menu_Item> items;
    auto entry = [](const char* label, Fl_Callback* callback, void* data, int flags) {
        return Fl_Menu_Item{label,
                            0,
                            callback,
                            data,
                            flags,
                            FL_NORMAL_LABEL,
                            FL_HELVETICA,
                            FL_NORMAL_SIZE,
                            FL_FOREGROUND_COLOR};
    };
    for (const MenuPopupResource& popup : menu.popups) {
        items.push_back(entry(popup.label, nullptr, nullptr, FL_SUBMENU));
        for (const MenuItemResource& item : popup.items) {
            if (item.label == nullptr) {
                items.back().flags |= FL_MENU_DIVIDER;
                continue;
            }
            items.push_back(entry(item.label, MenuItemChosen,
                                  reinterpret_cast<void*>(static_cast<uintptr_t>(item.id)), 0));
        }
        items.push_back(entry(nullptr, nullptr, nullptr, 0));
    }
    items.push_back(entry(nullptr, nullptr, nullptr, 0));
    bar.copy(items.data());
}

// A pulled-down menu runs FLTK's own loop, as Windows runs its menu loop: the
// window procedure hears of its start and end, and the chosen command comes
// after the end.
template <typename Loop>
int GameMenuBar::MenuLoop(Loop loop) {
    HWND window = owner.Handle();
    chosen = 0;
    SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
    int handled = 0;
    {
        PadKeysInModalLoop pad;
        handled = loop();
    }
    SendMessageA(window, WM_EXITMENULOOP, FALSE, 0);
    if (chosen != 0) PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    chosen = 0;
    return handled;
}

int GameMenuBar::handle(int event) {
    bool opens = event == FL_PUSH;
    if (event == FL_SHORTCUT && visible_r() && menu() != nullptr) {
        const Fl_Menu_Item* title = menu()->find_shortcut(nullptr, true);
        opens = title != nullptr && title->submenu();
    }
    if (!opens) return Fl_Menu_Bar::handle(event);
    return MenuLoop([this, event] { return Fl_Menu_Bar::handle(event); });
}

void GameMenuBar::PullDownFirst() {
    if (!visible_r() || menu() == nullptr || menu()->label() == nullptr) return;
    MenuLoop([this] {
        picked(menu()->pulldown(x(), y(), w(), h(), menu(), this, nullptr, 1));
        return 1;
    });
}

}  // namespace fltk_desktop
