// The window stand-ins on the real desktop: the toolkit's main window, its
// dialogs and message boxes, on a private X server with a window manager
// (openbox) that this program starts itself. One process for every case:
// the toolkit opens its display once.
#include <gtest/gtest.h>

#define FL_INTERNALS

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "core/options.h"
#include "platform/dialog.h"
#include "platform/fltk_window.h"
#include "platform/paint.h"
#include "platform/xinput.h"
#include "race/game_state.h"
#include "render/device.h"
#include "shell/game_controller.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "tests/support/recording_device.h"
#include "tests/support/recording_window.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/virtual_controller.h"

extern char** environ;

namespace {

pid_t Launch(std::vector<std::string> arguments, int keepOpen = -1) {
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    (void)keepOpen;
    pid_t child = -1;
    if (posix_spawnp(&child, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
        child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// Lets the toolkit and the window manager work for a while.
void Pump(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) Fl::wait(0.02);
}

bool PumpUntil(const std::function<bool()>& done, double seconds = 5.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        Fl::wait(0.02);
    }
    return done();
}

std::vector<Atom> AtomsOf(Window window, const char* property) {
    std::vector<Atom> atoms;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(fl_display, window, XInternAtom(fl_display, property, False), 0, 64,
                           False, AnyPropertyType, &type, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        atoms.assign(values, values + count);
    }
    if (data != nullptr) XFree(data);
    return atoms;
}

bool Has(const std::vector<Atom>& atoms, const char* name) {
    const Atom wanted = XInternAtom(fl_display, name, False);
    for (Atom atom : atoms) {
        if (atom == wanted) return true;
    }
    return false;
}

// Where the window manager's frame around `window` starts on the screen.
POINT OuterOrigin(Window window) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(fl_display, window, RootWindow(fl_display, fl_screen), 0, 0, &x, &y,
                          &child);
    const std::vector<Atom> extents = AtomsOf(window, "_NET_FRAME_EXTENTS");
    const int left = extents.size() == 4 ? static_cast<int>(extents[0]) : 0;
    const int top = extents.size() == 4 ? static_cast<int>(extents[2]) : 0;
    return POINT{x - left, y - top};
}

void AskWindowManager(Window window, const char* message, long a, long b, long c) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(fl_display, message, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = a;
    event.xclient.data.l[1] = b;
    event.xclient.data.l[2] = c;
    event.xclient.data.l[3] = 1;
    XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(fl_display);
}

// A private X server with openbox on it, for the whole program.
class Desktop : public ::testing::Environment {
  public:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        // Never reset (as the end-to-end scripts' servers): a client that
        // connects while the last one has just left is otherwise turned away.
        server = Launch({"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0",
                         "1024x768x24", "-nolisten", "tcp", "-noreset"});
        close(ends[1]);
        std::string number;
        char character = 0;
        while (server > 0 && read(ends[0], &character, 1) == 1 && character != '\n') {
            number += character;
        }
        close(ends[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        std::string failure;
        ASSERT_TRUE(UseFltkDesktop(&failure)) << failure;
        windowManager = Launch({"openbox", "--sm-disable"});
        const Atom check = XInternAtom(fl_display, "_NET_SUPPORTING_WM_CHECK", False);
        for (int i = 0; i < 100 && managed == false; ++i) {
            managed =
                !AtomsOf(RootWindow(fl_display, fl_screen), "_NET_SUPPORTING_WM_CHECK").empty();
            if (!managed) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        (void)check;
        // The check window comes early in the window manager's start; give
        // it the moment it takes to begin managing windows.
        if (managed) std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    void TearDown() override {
        if (windowManager > 0) kill(windowManager, SIGTERM);
        if (server > 0) kill(server, SIGTERM);
        int status = 0;
        if (windowManager > 0) waitpid(windowManager, &status, 0);
        if (server > 0) waitpid(server, &status, 0);
    }
    static inline bool managed = false;

  private:
    pid_t server = -1;
    pid_t windowManager = -1;
};

const auto* const desktop = ::testing::AddGlobalTestEnvironment(new Desktop);

std::vector<MSG> received;
// When set, the messages go on to this procedure once recorded.
WNDPROC passOnTo = nullptr;

LRESULT RecordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{100, 100};
        return 0;
    }
    received.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    return passOnTo != nullptr ? passOnTo(window, message, wParam, lParam) : 0;
}

// Runs xdotool (real input through the X server) to its end.
bool XdoTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const pid_t child = Launch(command);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

WPARAM LastSizeKind() {
    WPARAM kind = 0xFFFF;
    for (const MSG& seen : received) {
        if (seen.message == WM_SIZE) kind = seen.wParam;
    }
    return kind;
}

size_t Count(UINT message) {
    size_t count = 0;
    for (const MSG& seen : received) count += seen.message == message ? 1 : 0;
    return count;
}

// The game's main window as start-up makes it, its messages recorded.
class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Desktop::managed) GTEST_SKIP() << "openbox did not start";
        WNDCLASSEXA windowClass{};
        windowClass.lpfnWndProc = RecordMessage;
        windowClass.hInstance = &gameResources;
        windowClass.menuId = IDC_KESTRUNE;
        windowClass.lpszClassName = "Kestrune";
        RegisterClassExA(&windowClass);
        window =
            CreateWindowExA(0, "Kestrune", "Kestrune", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 640, 480, nullptr, nullptr, &gameResources, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        frame = FltkFrameOf(window);
        ASSERT_TRUE(
            PumpUntil([&] { return !AtomsOf(fl_xid(frame), "_NET_FRAME_EXTENTS").empty(); }));
        Pump(0.7);  // past the window's own changes
        Deliver();
        received.clear();
    }
    void TearDown() override {
        if (window != nullptr) DestroyWindow(window);
        Deliver();
        received.clear();
    }
    void Deliver() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    RECT Client() const {
        RECT client{};
        GetClientRect(window, &client);
        return client;
    }

    HWND window = nullptr;
    Fl_Window* frame = nullptr;
};

TEST_F(MainWindow, IsTheOriginalsClientAreaUnderTheGamesClassAndPaintsTheRestDark) {
    EXPECT_EQ(Client().right, 632);
    EXPECT_EQ(Client().bottom, 426);
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(fl_display, fl_xid(frame), &hint));
    EXPECT_STREQ(hint.res_name, "kestrune");
    EXPECT_STREQ(hint.res_class, "Kestrune");
    XFree(hint.res_name);
    XFree(hint.res_class);

    // Maximised, the area outgrows a 632 x 426 picture: what it does not
    // cover is dark, never white.
    AskWindowManager(fl_xid(frame), "_NET_WM_STATE", 1,
                     static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_VERT", 0)),
                     static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_HORZ", 0)));
    ASSERT_TRUE(PumpUntil([&] { return Client().right > 700; }));
    Pump(0.3);
    std::vector<uint8_t> picture(632 * 426 * 4, 0xFF);  // white, opaque
    HDC bitmap = CreateCompatibleDC(nullptr);
    SelectBitmapPixels(bitmap, 632, 426, picture.data());
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    ASSERT_NE(dc, nullptr);
    BitBlt(dc, 0, 0, 632, 426, bitmap, 0, 0, SRCCOPY);
    EndPaint(window, &paint);
    DeleteDC(bitmap);
    Pump(0.2);
    const POINT origin = window->ClientOrigin();
    XImage* image = XGetImage(fl_display, RootWindow(fl_display, fl_screen), origin.x, origin.y,
                              static_cast<unsigned>(Client().right),
                              static_cast<unsigned>(Client().bottom), AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    const unsigned long inside = XGetPixel(image, 10, 10);
    const unsigned long right = XGetPixel(image, 700, 10);
    const unsigned long below = XGetPixel(image, 10, 500);
    XDestroyImage(image);
    EXPECT_EQ(inside & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_LT(right & 0xFF, 0x40u);
    EXPECT_LT(below & 0xFF, 0x40u);
}

TEST_F(MainWindow, MaximisingAndRestoringAreSizeMessagesNotMoves) {
    const Window xid = fl_xid(frame);
    const long vertical =
        static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_VERT", 0));
    const long horizontal =
        static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_MAXIMIZED_HORZ", 0));
    // Asks for the state, then waits for its size message and any late one.
    auto setMaximised = [&](long maximised) {
        received.clear();
        AskWindowManager(xid, "_NET_WM_STATE", maximised, vertical, horizontal);
        ASSERT_TRUE(PumpUntil([&] {
            Deliver();
            return Count(WM_SIZE) > 0;
        }));
        Pump(0.8);
        Deliver();
    };
    setMaximised(1);
    ASSERT_EQ(Count(WM_SIZE), 1u);
    EXPECT_EQ(LastSizeKind(), SIZE_MAXIMIZED);
    EXPECT_GT(Client().right, 632);

    setMaximised(0);
    ASSERT_EQ(Count(WM_SIZE), 1u);
    EXPECT_EQ(LastSizeKind(), SIZE_RESTORED);
    EXPECT_EQ(Client().right, 632);
    EXPECT_EQ(Count(WM_ENTERSIZEMOVE) + Count(WM_EXITSIZEMOVE), 0u);

    // A move by the player still is one.
    received.clear();
    XMoveWindow(fl_display, xid, 150, 120);
    XFlush(fl_display);
    ASSERT_TRUE(PumpUntil([&] {
        Deliver();
        return Count(WM_EXITSIZEMOVE) > 0;
    }));
    EXPECT_EQ(Count(WM_ENTERSIZEMOVE), 1u);
    EXPECT_EQ(Count(WM_SIZE), 0u);
}

TEST_F(MainWindow, LeavingFullScreenReturnsToTheTopLeftAt640By480) {
    XMoveWindow(fl_display, fl_xid(frame), 200, 150);
    XFlush(fl_display);
    Pump(0.7);
    const HMENU menu = GetMenu(window);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(0x90080000u));
    SetMenu(window, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Client().right == 1024; }));
    Pump(0.3);
    // The steps by which the game gives the window its windowed form back.
    SetWindowLongA(window, GWL_STYLE, 0x10CF0000);
    SetMenu(window, menu);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    Pump(1.5);
    const POINT outer = OuterOrigin(fl_xid(frame));
    EXPECT_EQ(outer.x, 0);
    EXPECT_EQ(outer.y, 0);
    EXPECT_EQ(Client().right, 632);
    EXPECT_EQ(Client().bottom, 426);
}

// Dialogs and boxes are looked at while they run, from a timer.
struct Inspection {
    HWND owner;
    std::function<void(Fl_Window*)> look;
    bool done = false;
};

Fl_Window* ShownDialog(const char* title) {
    for (Fl_Window* shown = Fl::first_window(); shown != nullptr; shown = Fl::next_window(shown)) {
        if (shown->label() != nullptr && std::strcmp(shown->label(), title) == 0) return shown;
    }
    return nullptr;
}

void ExpectOwnedDialog(Fl_Window* dialog, HWND owner) {
    Window transientFor = 0;
    ASSERT_TRUE(XGetTransientForHint(fl_display, fl_xid(dialog), &transientFor));
    EXPECT_EQ(transientFor, fl_xid(FltkFrameOf(owner)));
    EXPECT_TRUE(Has(AtomsOf(fl_xid(dialog), "_NET_WM_WINDOW_TYPE"), "_NET_WM_WINDOW_TYPE_DIALOG"));
    const std::vector<Atom> allowed = AtomsOf(fl_xid(dialog), "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_FALSE(Has(allowed, "_NET_WM_ACTION_MAXIMIZE_HORZ"));
    EXPECT_FALSE(Has(allowed, "_NET_WM_ACTION_MAXIMIZE_VERT"));
    EXPECT_FALSE(Has(allowed, "_NET_WM_ACTION_RESIZE"));
}

// Every button's text, with its check box or radio mark, fits the button.
void ExpectTextsFit(Fl_Window* dialog) {
    for (int i = 0; i < dialog->children(); ++i) {
        Fl_Widget* child = dialog->child(i);
        Fl_Group* group = child->as_group();
        if (group != nullptr && group->children() == 1) child = group->child(0);
        auto* button = dynamic_cast<Fl_Button*>(child);
        if (button == nullptr || button->label() == nullptr) continue;
        int width = 0, height = 0;
        button->measure_label(width, height);
        const bool marked = button->type() == FL_RADIO_BUTTON ||
                            std::strstr(typeid(*button).name(), "Check") != nullptr ||
                            std::strstr(typeid(*button).name(), "Round") != nullptr;
        const int decoration = marked ? button->labelsize() + 8 : 4;
        EXPECT_LE(width + decoration, button->w()) << '"' << button->label() << '"';
    }
}

Inspection* running = nullptr;

void Inspect(void*) {
    for (const char* title : {"Options", "About", "Tolvarin"}) {
        Fl_Window* shown = ShownDialog(title);
        if (shown == nullptr || running == nullptr) continue;
        if (AtomsOf(fl_xid(shown), "_NET_WM_ALLOWED_ACTIONS").empty()) break;  // not yet managed
        running->look(shown);
        running->done = true;
        shown->hide();
        return;
    }
    Fl::repeat_timeout(0.1, Inspect);
}

INT_PTR EndOnCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
    return message == WM_INITDIALOG ? 1 : 0;
}

TEST_F(MainWindow, DialogsAreOwnedFixedAndFitTheirTexts) {
    for (int id : {IDD_OPTIONS, IDD_ABOUTBOX}) {
        Inspection inspection{window, [&](Fl_Window* dialog) {
                                  ExpectOwnedDialog(dialog, window);
                                  ExpectTextsFit(dialog);
                              }};
        running = &inspection;
        Fl::add_timeout(0.1, Inspect);
        DialogBoxParamA(&gameResources, id, window, EndOnCancel, 0);
        Fl::remove_timeout(Inspect);
        running = nullptr;
        EXPECT_TRUE(inspection.done) << "dialog " << id;
    }
}

TEST_F(MainWindow, MessageBoxesHaveAnOkButtonAndSitCentredOnTheirOwner) {
    Inspection inspection{window, [&](Fl_Window* box) {
                              ExpectOwnedDialog(box, window);
                              bool ok = false;
                              for (int i = 0; i < box->children(); ++i) {
                                  const char* label = box->child(i)->label();
                                  ok = ok || (label != nullptr && std::strcmp(label, "OK") == 0);
                              }
                              EXPECT_TRUE(ok);
                              const int boxCentre = box->x_root() + box->w() / 2;
                              const int ownerCentre = frame->x_root() + frame->w() / 2;
                              EXPECT_NEAR(boxCentre, ownerCentre, 2);
                          }};
    running = &inspection;
    Fl::add_timeout(0.1, Inspect);
    EXPECT_EQ(ShowFltkMessageBox(window, "Error initializing DirectX3D.", "Tolvarin", 0x10), 1);
    Fl::remove_timeout(Inspect);
    running = nullptr;
    EXPECT_TRUE(inspection.done);
}

}  // namespace

TEST_F(MainWindow, ADragBeyondTheDrawingAreaSteersAsFromItsEdge) {
    // The game's own procedure behind the window, a race on a recording device.
    RecordingDevice raceDevice;
    mainWindow = window;
    device = &raceDevice;
    passOnTo = WindowProc;
    const POINT origin = window->ClientOrigin();
    const RECT client = Client();
    // Pressed in the middle of the picture and dragged to the screen's far
    // corner, well beyond the drawing area's right and bottom edges.
    ASSERT_LT(origin.x + client.right + 100, 1023);
    ASSERT_LT(origin.y + client.bottom + 100, 767);
    const bool dragged = XdoTool({"mousemove", std::to_string(origin.x + client.right / 2),
                                  std::to_string(origin.y + client.bottom / 2), "mousedown", "1",
                                  "mousemove", "1023", "767"});
    // The toolkit goes on reporting the cursor during the drag, beyond the area.
    int16_t reportedX = 0;
    const bool beyond = PumpUntil([&] {
        Deliver();
        for (const MSG& seen : received) {
            if (seen.message == WM_MOUSEMOVE)
                reportedX = static_cast<int16_t>(seen.lParam & 0xFFFF);
        }
        return reportedX > client.right + 100;
    });
    const float x = mouseX;
    const float y = mouseY;
    XdoTool({"mouseup", "1"});
    Pump(0.2);
    Deliver();
    passOnTo = nullptr;
    device = nullptr;
    mainWindow = nullptr;
    phase = NewRace;
    phaseBeforePause = notPaused;
    ASSERT_TRUE(dragged) << "xdotool failed";
    ASSERT_TRUE(beyond) << "no move beyond the area was reported; last x " << reportedX;
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(y, -1.0f);
}

namespace {

// A player's hand on the pad while the toolkit runs a menu or a dialog: each
// turn waits until its moment has come, then presses or lets go.
struct PadTurn {
    std::function<bool()> ready;
    SDL_GameControllerButton button;
    bool down;
};

struct PadHand {
    VirtualController* pad = nullptr;
    std::vector<PadTurn> turns;
    size_t next = 0;
};

void PlayPadTurn(void* data) {
    auto* hand = static_cast<PadHand*>(data);
    if (hand->next >= hand->turns.size()) return;
    const PadTurn& turn = hand->turns[hand->next];
    if (!turn.ready || turn.ready()) {
        hand->pad->SetButton(turn.button, turn.down);
        ++hand->next;
    }
    Fl::repeat_timeout(0.1, PlayPadTurn, data);
}

// Whether the dialog `title` is open and holds the keys.
std::function<bool()> DialogHasTheKeys(const char* title) {
    return [title] {
        Fl_Window* modal = Fl::modal();
        return modal != nullptr && modal->label() != nullptr &&
               std::strcmp(modal->label(), title) == 0 && Fl::focus() != nullptr &&
               Fl::focus()->window() == modal;
    };
}

std::vector<PadTurn> Tap(SDL_GameControllerButton button, std::function<bool()> ready = nullptr) {
    return std::vector<PadTurn>{{std::move(ready), button, true}, {nullptr, button, false}};
}

// Y opens the menu bar, as the game reads it; then the turns, which end once
// Y's release has waited for the menu, are played inside the menu's and
// the dialogs' loops. False when the hand did not get through them all.
bool PlayFromTheMenuBar(VirtualController& pad, const std::vector<std::vector<PadTurn>>& taps,
                        const std::function<void()>& deliver) {
    PadHand hand{&pad, {}, 0};
    hand.turns.push_back({[] { return Fl::grab() != nullptr; }, SDL_CONTROLLER_BUTTON_Y, false});
    for (const auto& turns : taps) hand.turns.insert(hand.turns.end(), turns.begin(), turns.end());
    Fl::add_timeout(0.1, PlayPadTurn, &hand);
    pad.SetButton(SDL_CONTROLLER_BUTTON_Y, true);
    // The menu and the dialog run their loops inside the delivery of the
    // pad's press, as the game's loop delivers it.
    const bool played = PumpUntil(
        [&] {
            ReadGameController();
            deliver();
            return hand.next == hand.turns.size() && Fl::modal() == nullptr;
        },
        30.0);
    Fl::remove_timeout(PlayPadTurn, &hand);
    return played;
}

}  // namespace

TEST_F(MainWindow, ThePadAloneChangesAnOptionAndOpensAndClosesAbout) {
    TemporaryDirectory folder;
    optionsFileName = folder.File("options.kvz");
    GameOptions = GameOptionsRecord{};
    const HINSTANCE savedInstance = appInstance;
    appInstance = &gameResources;
    mainWindow = window;
    passOnTo = WindowProc;
    VirtualController pad;
    ASSERT_TRUE(pad.Plugged());
    // The pad is noticed at the game's next look for controllers.
    ASSERT_TRUE(PumpUntil([] {
        ReadGameController();
        return GameControllerWaitMilliseconds() != controllerArrivalCheckMilliseconds;
    }));

    // File > Options: the second item; up from the first control comes
    // round to the last, the Desktop size, and once more to Lights; A ticks
    // it off, Start confirms.
    const bool options =
        PlayFromTheMenuBar(pad,
                           {Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                            Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN), Tap(SDL_CONTROLLER_BUTTON_A),
                            Tap(SDL_CONTROLLER_BUTTON_DPAD_UP, DialogHasTheKeys("Options")),
                            Tap(SDL_CONTROLLER_BUTTON_DPAD_UP), Tap(SDL_CONTROLLER_BUTTON_A),
                            Tap(SDL_CONTROLLER_BUTTON_START)},
                           [this] { Deliver(); });
    // Help > About, the next menu's second item, and B closes it.
    const bool about = PlayFromTheMenuBar(
        pad,
        {Tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
         Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN), Tap(SDL_CONTROLLER_BUTTON_A),
         Tap(SDL_CONTROLLER_BUTTON_B, DialogHasTheKeys("About"))},
        [this] { Deliver(); });
    pad.Unplug();
    ReadGameController();
    passOnTo = nullptr;
    mainWindow = nullptr;
    appInstance = savedInstance;
    phase = NewRace;
    phaseBeforePause = notPaused;
    GameOptions = GameOptionsRecord{};
    LoadOptions();
    const GameOptionsRecord stored = GameOptions;
    GameOptions = GameOptionsRecord{};
    optionsFileName = "options.kvz";
    EXPECT_TRUE(about);
    ASSERT_TRUE(options);
    EXPECT_EQ(stored.lightsOn, 0u);
    EXPECT_EQ(stored.windowed, 1u);
    EXPECT_EQ(stored.musicOn, 1u);
}
