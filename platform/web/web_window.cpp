// The main window in the page: the menu bar (HTML, built from the menu
// resource) over the canvas, which is the window's client area. The splash
// is painted on a 2D canvas laid over it; a race draws on the canvas itself
// through a WebGL2 context made when Start asks for a device. The full-screen
// form is the browser's full screen of the window's element.
#include "platform/web/web_window.h"

#include <emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>

#include <memory>

#include "platform/dialog.h"
#include "platform/gl_context.h"
#include "platform/message_box.h"
#include "platform/paint.h"
#include "platform/picture_fit.h"
#include "platform/shell_open.h"

// clang-format off
EM_JS(void, kestrune_make_window, (const char* menuJson, int width, int height), {
    Module.kestrunePage.makeWindow(JSON.parse(UTF8ToString(menuJson)), width, height);
});
EM_JS(void, kestrune_set_menu_visible, (int visible), {
    Module.kestrunePage.setMenuVisible(visible != 0);
});
EM_JS(void, kestrune_set_client_size, (int width, int height), {
    Module.kestrunePage.setClientSize(width, height);
});
EM_JS(void, kestrune_set_full_screen, (int fullScreen), {
    Module.kestrunePage.setFullScreen(fullScreen != 0);
});
EM_JS(int, kestrune_area_width, (), { return Module.kestrunePage.areaSize()[0]; });
EM_JS(int, kestrune_area_height, (), { return Module.kestrunePage.areaSize()[1]; });
EM_JS(int, kestrune_area_left, (), { return Module.kestrunePage.areaOrigin()[0]; });
EM_JS(int, kestrune_area_top, (), { return Module.kestrunePage.areaOrigin()[1]; });
EM_JS(void, kestrune_begin_paint, (), { Module.kestrunePage.beginPaint(); });
EM_JS(void, kestrune_draw_pixels, (int x, int y, int width, int height, const uint8_t* rgba,
                                   int stride), {
    Module.kestrunePage.drawPixels(x, y, width, height, rgba, stride);
});
EM_JS(void, kestrune_end_paint, (int left, int top, int right, int bottom, int deviceAttached), {
    Module.kestrunePage.endPaint(left, top, right, bottom, deviceAttached != 0);
});
EM_JS(void, kestrune_device_attached, (int attached), {
    Module.kestrunePage.deviceAttached(attached != 0);
});
EM_JS(void, kestrune_set_cursor_visible, (int visible), {
    Module.kestrunePage.setCursorVisible(visible != 0);
});
EM_JS(void, kestrune_open_menu_bar, (), { Module.kestrunePage.openMenuBar(); });
EM_JS(int, kestrune_screen_width, (), { return Module.kestrunePage.screenSize()[0]; });
EM_JS(int, kestrune_screen_height, (), { return Module.kestrunePage.screenSize()[1]; });
EM_JS(int, kestrune_open_page, (const char* name), {
    return Module.kestrunePage.openPage(UTF8ToString(name)) ? 1 : 0;
});
// clang-format on

namespace web_page {

namespace {

int framesPresented = 0;

class WebWindow final : public WindowObject, public GlContext, public DeviceContextObject {
  public:
    WebWindow(const WNDCLASSEXA& windowClass, LONG initialStyle, int outerWidth, int outerHeight)
        : WindowObject(windowClass.lpfnWndProc) {
        style = initialStyle;
        if (windowClass.menuId != 0) menu = LoadMenuA(windowClass.hInstance, windowClass.menuId);
        ClientSizeOfWindow(outerWidth, outerHeight, clientWidth, clientHeight);
        kestrune_make_window(MenuJson().c_str(), clientWidth, clientHeight);
        kestrune_set_menu_visible(menu != nullptr ? 1 : 0);
        RegisterGlContext(this, this);
    }
    ~WebWindow() override { TearDown(); }

    // WindowObject
    void SetStyle(LONG newStyle) override {
        style = newStyle;
        const bool popup = (newStyle & WS_POPUP) != 0;
        if (popup == fullScreen) return;
        fullScreen = popup;
        kestrune_set_full_screen(popup ? 1 : 0);
        kestrune_set_menu_visible(menu != nullptr && !fullScreen ? 1 : 0);
    }
    void SetMenu(HMENU newMenu) override {
        menu = newMenu;
        kestrune_set_menu_visible(menu != nullptr && !fullScreen ? 1 : 0);
    }
    void Place(int, int, int outerWidth, int outerHeight, UINT) override {
        if (fullScreen) return;
        ClientSizeOfWindow(outerWidth, outerHeight, clientWidth, clientHeight);
        kestrune_set_client_size(clientWidth, clientHeight);
        Update();
    }
    void Show(int command) override {
        if (command != SW_HIDE) Update();
    }
    // The page has no expose events of its own: the window procedure paints
    // whenever the area may show something new.
    void Update() override {
        if (!destroyed) SendMessageA(this, WM_PAINT, 0, 0);
    }
    RECT ClientRect() const override {
        return RECT{0, 0, kestrune_area_width(), kestrune_area_height()};
    }
    POINT ClientOrigin() const override { return POINT{kestrune_area_left(), kestrune_area_top()}; }
    void Destroy() override { TearDown(); }
    void OpenMenuBar() override {
        if (menu != nullptr && !fullScreen) kestrune_open_menu_bar();
    }
    HDC BeginPaint() override {
        painting = true;
        drawn.Clear();
        kestrune_begin_paint();
        return this;
    }
    void EndPaint() override {
        if (!painting) return;
        painting = false;
        const RECT& block = drawn.Rect();
        kestrune_end_paint(block.left, block.top, block.right, block.bottom,
                           deviceAttached ? 1 : 0);
    }

    // DeviceContextObject: the splash, on the 2D canvas over the GL one.
    void DrawPixels(int x, int y, int width, int height, const uint8_t* rgba,
                    size_t strideBytes) override {
        if (!painting || rgba == nullptr || width <= 0 || height <= 0) return;
        kestrune_draw_pixels(x, y, width, height, rgba, static_cast<int>(strideBytes));
        drawn.Add(x, y, width, height);
    }

    // GlContext: WebGL2 on the canvas, made on the first call for a device.
    bool MakeCurrent() override {
        if (!CreateContext()) return false;
        if (emscripten_webgl_get_current_context() == glContext) return true;
        return emscripten_webgl_make_context_current(glContext) == EMSCRIPTEN_RESULT_SUCCESS;
    }
    bool IsCurrent() const override {
        return glContext != 0 && emscripten_webgl_get_current_context() == glContext;
    }
    void GetDrawableSize(int& width, int& height) const override {
        width = kestrune_area_width();
        height = kestrune_area_height();
    }
    unsigned DefaultFramebuffer() const override { return 0; }
    // The browser shows what was drawn when the game gives it its turn; the
    // game's loop goes on at the next frame the browser draws, which is the
    // vertical blank's pace a swap interval of 1 asks for.
    void SwapBuffers() override {
        ++framesPresented;
        YieldUntilNextFrame();
    }
    void SetSwapInterval(int) override {}
    void SetCursorVisible(bool visible) override { kestrune_set_cursor_visible(visible ? 1 : 0); }
    void DeviceAttached(bool attached) override {
        deviceAttached = attached;
        kestrune_device_attached(attached ? 1 : 0);
    }

    bool FullScreen() const { return fullScreen; }

  private:
    std::string MenuJson() const {
        std::string json = "[";
        if (menu != nullptr) {
            bool firstPopup = true;
            for (const MenuPopupResource& popup : menu->resource->popups) {
                if (!firstPopup) json += ",";
                firstPopup = false;
                json += "{\"label\":" + JsonString(popup.label) + ",\"items\":[";
                bool firstItem = true;
                for (const MenuItemResource& item : popup.items) {
                    if (!firstItem) json += ",";
                    firstItem = false;
                    if (item.label == nullptr) {
                        json += "null";
                    } else {
                        json += "{\"label\":" + JsonString(item.label) +
                                ",\"id\":" + std::to_string(item.id) + "}";
                    }
                }
                json += "]}";
            }
        }
        return json + "]";
    }

    bool CreateContext() {
        if (glContext != 0) return true;
        EmscriptenWebGLContextAttributes attributes;
        emscripten_webgl_init_context_attributes(&attributes);
        attributes.majorVersion = 2;
        attributes.minorVersion = 0;
        // The device draws into a back buffer of its own and copies it here:
        // a plain single-sampled surface takes that copy.
        attributes.alpha = EM_FALSE;
        attributes.depth = EM_FALSE;
        attributes.stencil = EM_FALSE;
        attributes.antialias = EM_FALSE;
        attributes.preserveDrawingBuffer = EM_FALSE;
        glContext = emscripten_webgl_create_context("#canvas", &attributes);
        if (glContext <= 0) {
            glContext = 0;
            return false;
        }
        return true;
    }

    void TearDown() {
        if (tornDown) return;
        tornDown = true;
        RegisterGlContext(this, nullptr);
    }

    int clientWidth = 632;
    int clientHeight = 426;
    bool fullScreen = false;
    bool painting = false;
    bool deviceAttached = false;
    bool tornDown = false;
    PaintedExtent drawn;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE glContext = 0;
};

std::vector<std::unique_ptr<WebWindow>>& Windows() {
    static std::vector<std::unique_ptr<WebWindow>> windows;
    return windows;
}

WebWindow* MainWindow() {
    for (auto& window : Windows()) {
        if (!window->destroyed) return window.get();
    }
    return nullptr;
}

HWND MakeWebWindow(const WNDCLASSEXA& windowClass, const char*, LONG style, int, int, int width,
                   int height) {
    // One page holds one window.
    if (MainWindow() != nullptr) return nullptr;
    Windows().push_back(std::make_unique<WebWindow>(windowClass, style, width, height));
    return Windows().back().get();
}

int cursorX = 0;
int cursorY = 0;

POINT ReadCursor() {
    WebWindow* window = MainWindow();
    int displayWidth = 0;
    int displayHeight = 0;
    GetFullScreenDisplaySize(displayWidth, displayHeight);
    if (window == nullptr || !window->FullScreen() || displayWidth == 0) {
        return POINT{cursorX, cursorY};
    }
    // The full-screen picture is the back buffer at the largest size of its
    // shape the area holds: the pointer is reported in the back buffer's
    // pixels, as after a change of the display mode.
    const POINT origin = window->ClientOrigin();
    const RECT area = window->ClientRect();
    if (area.right <= 0 || area.bottom <= 0) return POINT{cursorX, cursorY};
    return PointInPicture(POINT{cursorX - origin.x, cursorY - origin.y}, displayWidth,
                          displayHeight, area.right, area.bottom);
}

void ReadScreenSize(int& width, int& height) {
    width = kestrune_screen_width();
    height = kestrune_screen_height();
}

bool KeyHeldNow(UINT virtualKey) {
    return KeyHeld(virtualKey);
}

// The help page and its pictures lie beside the page: a file of the media
// folder is opened by its name, in a new tab.
bool OpenInNewTab(const char* file) {
    if (file == nullptr || file[0] == '\0') return false;
    std::string name = file;
    if (name.find(':') == std::string::npos) {
        const size_t slash = name.find_last_of('/');
        if (slash != std::string::npos) name = name.substr(slash + 1);
    }
    return kestrune_open_page(name.c_str()) != 0;
}

void PollEvents() {
    TakePageEvents();
}
void WaitForEvents() {
    WaitForPageEvent(-1.0);
    TakePageEvents();
}
void WaitForEventsAtMost(double seconds) {
    WaitForPageEvent(seconds * 1000.0);
    TakePageEvents();
}

const EventPump pagePump = {PollEvents, WaitForEvents, WaitForEventsAtMost};

}  // namespace

void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    WebWindow* window = MainWindow();
    if (window != nullptr) PostMessageA(window, message, wParam, lParam);
}

// A pulled-down menu is the menu loop: the window procedure hears of its
// start and end, and the chosen command comes after the end.
void MenuLoopChanged(bool open, UINT command) {
    WebWindow* window = MainWindow();
    if (window == nullptr) return;
    SendMessageA(window, open ? WM_ENTERMENULOOP : WM_EXITMENULOOP, FALSE, 0);
    if (!open && command != 0) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
    }
}

// The browser takes Escape for itself in full screen and leaves it: the
// player pressed Escape, which leaves a race, as it does on the desktop.
void FullScreenLeftByBrowser() {
    WebWindow* window = MainWindow();
    if (window == nullptr || !window->FullScreen()) return;
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0);
}

void CursorMoved(int pageX, int pageY) {
    cursorX = pageX;
    cursorY = pageY;
}

void AreaResized() {
    WebWindow* window = MainWindow();
    if (window != nullptr) window->Update();
}

std::vector<uint8_t> IconRgba(HINSTANCE instance, int id, int size) {
    std::vector<uint8_t> pixels;
    const IconResource* resource = FindIconResource(instance, id);
    if (resource != nullptr && resource->draw != nullptr && size > 0) resource->draw(size, pixels);
    if (pixels.size() != static_cast<size_t>(size) * static_cast<size_t>(size) * 4) pixels.clear();
    return pixels;
}

std::string JsonString(const char* text) {
    std::string json = "\"";
    for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte < 0x20) {
            static const char hex[] = "0123456789abcdef";
            json += "\\u00";
            json += hex[byte >> 4];
            json += hex[byte & 0xF];
        } else if (byte < 0x80) {
            json += static_cast<char>(byte);
        } else {
            // Latin-1's part of Windows-1252, as UTF-8.
            json += static_cast<char>(0xC0 | (byte >> 6));
            json += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return json + "\"";
}

}  // namespace web_page

int WebFramesPresented() {
    return web_page::framesPresented;
}

void UseWebPage() {
    SetWindowFactory(web_page::MakeWebWindow);
    SetDialogRunner(RunWebDialog);
    SetMessageBoxHandler(ShowWebMessageBox);
    SetShellOpener(web_page::OpenInNewTab);
    SetCursorSource(web_page::ReadCursor);
    SetScreenSizeSource(web_page::ReadScreenSize);
    SetKeyHeldSource(web_page::KeyHeldNow);
    SetEventPump(&web_page::pagePump);
}
