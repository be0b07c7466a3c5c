// The program's focus as the X server has it, on a private X server with no
// window manager: the keys in the main window or a dialog of the program
// make it active; in another client's window, or following the pointer out
// of the program's windows, they do not.
//
// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>
//
#define FL_INTERNALS

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/fltk_window.h"
#include "platform/window.h"

extern char** environ;

namespace {

// Xvfb on the first free display, gone with the object; Name() is empty
// when it could not start.
class PrivateXServer {
  public:
    PrivateXServer() {
        int displayPipe[2];
        if (pipe(displayPipe) != 0) return;
        const std::string fd = std::to_string(displayPipe[1]);
        const char* arguments[] = {"Xvfb",       "-displayfd", fd.c_str(), "-screen", "0",
                                   "640x480x24", "-nolisten",  "tcp",      nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, displayPipe[0]);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const bool spawned = posix_spawnp(&server, "Xvfb", &actions, nullptr,
                                          const_cast<char**>(arguments), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(displayPipe[1]);
        if (!spawned) server = 0;
        // Xvfb writes the display's number and a line end once it listens.
        std::string number;
        pollfd ready{displayPipe[0], POLLIN, 0};
        char c = 0;
        while (server != 0 && poll(&ready, 1, 10000) == 1 && read(displayPipe[0], &c, 1) == 1 &&
               c != '\n') {
            number += c;
        }
        if (c == '\n' && !number.empty()) name = ":" + number;
        close(displayPipe[0]);
    }
    ~PrivateXServer() {
        if (server == 0) return;
        kill(server, SIGTERM);
        for (int i = 0; i < 200 && waitpid(server, nullptr, WNOHANG) == 0; ++i) usleep(10000);
        if (waitpid(server, nullptr, WNOHANG) == 0) {
            kill(server, SIGKILL);
            waitpid(server, nullptr, 0);
        }
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& Name() const { return name; }

  private:
    pid_t server = 0;
    std::string name;
};

// Handles events until the program's focus is `expected`, for two seconds at
// most; the focus it ends with.
bool SettlesOn(bool expected) {
    for (int i = 0; i < 200 && ProgramIsActive() != expected; ++i) Fl::wait(0.01);
    return ProgramIsActive();
}

// The toolkit's display, opened once a process: FLTK keeps what it made on
// a display for good, and cannot open a second one.
const std::string& ToolkitOnPrivateDisplay() {
    static PrivateXServer server;
    static const bool opened = [] {
        Display* display = server.Name().empty() ? nullptr : XOpenDisplay(server.Name().c_str());
        if (display == nullptr) return false;
        fl_open_display(display);
        WatchProgramFocus();
        return true;
    }();
    static const std::string none;
    return opened ? server.Name() : none;
}

}  // namespace

TEST(ProgramFocus, FollowsTheKeysIntoAndOutOfTheProgramsWindows) {
    const std::string& server = ToolkitOnPrivateDisplay();
    if (server.empty()) GTEST_SKIP() << "Xvfb could not start";
    Display* display = fl_display;
    Display* stranger = XOpenDisplay(server.c_str());
    ASSERT_NE(stranger, nullptr);
    const Window root = DefaultRootWindow(stranger);
    const Window strangerWindow = XCreateSimpleWindow(stranger, root, 300, 300, 100, 100, 0, 0, 0);
    XMapWindow(stranger, strangerWindow);
    const auto focusOn = [](Display* owner, Window window) {
        XSetInputFocus(owner, window, RevertToNone, CurrentTime);
        XSync(owner, False);
    };
    const auto pointerTo = [&](int x, int y) {
        XWarpPointer(stranger, None, root, 0, 0, 0, 0, x, y);
        XSync(stranger, False);
    };
    {
        Fl_Window main(0, 0, 100, 100);
        main.end();  // or the dialog would be made inside it
        Fl_Window dialog(150, 0, 100, 100);
        dialog.end();
        main.show();
        dialog.show();
        for (int i = 0; i < 200 && !(main.visible() && dialog.visible()); ++i) Fl::wait(0.01);

        focusOn(display, fl_xid(&main));
        EXPECT_TRUE(SettlesOn(true));
        focusOn(stranger, strangerWindow);
        EXPECT_FALSE(SettlesOn(false));
        focusOn(display, fl_xid(&dialog));
        EXPECT_TRUE(SettlesOn(true));
        focusOn(stranger, strangerWindow);
        EXPECT_FALSE(SettlesOn(false));
        // Keys that follow the pointer: the program has them while the
        // pointer is in one of its windows.
        pointerTo(50, 50);
        focusOn(stranger, PointerRoot);
        EXPECT_TRUE(SettlesOn(true));
        pointerTo(350, 350);
        EXPECT_FALSE(SettlesOn(false));
        pointerTo(200, 50);
        EXPECT_TRUE(SettlesOn(true));
    }
    XDestroyWindow(stranger, strangerWindow);
    XCloseDisplay(stranger);
    SetProgramActive(true);
}
