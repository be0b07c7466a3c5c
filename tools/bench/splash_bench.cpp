// Process start to the splash picture on screen: the real program, launched as
// a player launches it, on a private X server, watched from outside until its
// drawing area shows the splash. Nothing in the game is changed or hooked, so
// the time covers loading the program and its libraries, the toolkit, the
// window, the track map, the splash, the sounds and the first paint.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/media_path.h"
#include "measures.h"
#include "platform/gdi_bitmap.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The window shows the top-left 632 x 426 pixels of the picture.
constexpr int shownWidth = 632;
constexpr int shownHeight = 426;
// The screen is 24-bit, so a copied picture matches exactly; the margin
// leaves room for rounding on the way through OpenGL.
constexpr int channelTolerance = 8;
constexpr double shownFraction = 0.99;
// Every fourth pixel of every fourth row: plenty to tell the picture from
// anything else, and cheap enough to look often.
constexpr int sampleStep = 4;
constexpr double giveUpSeconds = 30.0;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string FindProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= directories.size()) {
        const size_t end = std::min(directories.find(':', begin), directories.size());
        const std::string candidate = directories.substr(begin, end - begin) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        begin = end + 1;
    }
    return "";
}

std::string ProgramBeside(const char* name) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "";
    self[length] = '\0';
    std::string directory(self);
    directory.resize(directory.rfind('/') + 1);
    return directory + name;
}

// Starts `arguments` with extra environment entries, its output thrown away.
// Descriptors not marked close-on-exec stay open in the child.
pid_t Launch(const std::vector<std::string>& arguments,
             const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment(extraEnvironment);
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<char*> argumentPointers;
    for (const std::string& argument : arguments)
        argumentPointers.push_back(const_cast<char*>(argument.c_str()));
    argumentPointers.push_back(nullptr);
    std::vector<char*> environmentPointers;
    for (const std::string& entry : environment)
        environmentPointers.push_back(const_cast<char*>(entry.c_str()));
    environmentPointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argumentPointers[0], &actions, nullptr,
                                    argumentPointers.data(), environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

void Stop(pid_t child, int signal) {
    if (child <= 0) return;
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
}

// A private X server on the first free display; its number, or -1. It never
// resets, so the game is not turned away while the watcher's last look ends.
int StartXServer(const std::string& xvfb, pid_t& server) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    server = Launch({xvfb, "-displayfd", std::to_string(ends[1]), "-screen", "0", "1024x768x24",
                     "-nolisten", "tcp", "-noreset"},
                    {});
    close(ends[1]);
    std::string number;
    char character = 0;
    while (server > 0 && read(ends[0], &character, 1) == 1 && character != '\n')
        number += character;
    close(ends[0]);
    if (server <= 0 || number.empty()) {
        Stop(server, SIGTERM);
        server = -1;
        return -1;
    }
    return std::atoi(number.c_str());
}

// Windows come and go while we look: a failed request only means "not yet".
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// The game's top-level window, viewable, or 0.
Window GameWindow(Display* display) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            XWindowAttributes attributes;
            if (std::strcmp(name, "Kestrune") == 0 &&
                XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Where on the screen the drawing area (the window's largest viewable child;
// the menu bar is drawn into the window itself) starts.
bool DrawingArea(Display* display, Window window, int& x, int& y, int& width, int& height) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    Window best = 0;
    long bestArea = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
        const long area = static_cast<long>(attributes.width) * attributes.height;
        if (attributes.map_state == IsViewable && area > bestArea) {
            best = children[i];
            bestArea = area;
            width = attributes.width;
            height = attributes.height;
        }
    }
    if (children != nullptr) XFree(children);
    Window child = 0;
    return best != 0 && XTranslateCoordinates(display, best, root, 0, 0, &x, &y, &child);
}

unsigned Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long maximum = mask >> shift;
    return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / maximum);
}

// Whether the screen at (x, y) shows the splash picture's top-left part.
bool SplashShown(Display* display, const GdiBitmap& splash, int x, int y, int width, int height) {
    XWindowAttributes screen;
    XGetWindowAttributes(display, DefaultRootWindow(display), &screen);
    width = std::min({width, shownWidth, static_cast<int>(splash.Width()), screen.width - x});
    height = std::min({height, shownHeight, static_cast<int>(splash.Height()), screen.height - y});
    if (x < 0 || y < 0 || width <= 0 || height <= 0) return false;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    const std::vector<uint8_t>& picture = splash.Rgba();
    long same = 0;
    long looked = 0;
    for (int row = 0; row < height; row += sampleStep) {
        for (int column = 0; column < width; column += sampleStep) {
            const unsigned long pixel = XGetPixel(image, column, row);
            const uint8_t* expected =
                &picture[(static_cast<size_t>(row) * splash.Width() + column) * 4];
            const int differences[3] = {
                static_cast<int>(Channel(pixel, image->red_mask)) - expected[0],
                static_cast<int>(Channel(pixel, image->green_mask)) - expected[1],
                static_cast<int>(Channel(pixel, image->blue_mask)) - expected[2],
            };
            ++looked;
            if (std::abs(differences[0]) <= channelTolerance &&
                std::abs(differences[1]) <= channelTolerance &&
                std::abs(differences[2]) <= channelTolerance) {
                ++same;
            }
        }
    }
    XDestroyImage(image);
    return looked > 0 && static_cast<double>(same) >= shownFraction * static_cast<double>(looked);
}

// One launch: milliseconds until the splash is seen, or a negative number.
double TimeOneLaunch(Display* display, const std::string& game, int displayNumber,
                     const GdiBitmap& splash) {
    const Clock::time_point start = Clock::now();
    const pid_t child =
        Launch({game}, {"DISPLAY=:" + std::to_string(displayNumber), "SDL_AUDIODRIVER=dummy"});
    if (child <= 0) return -1.0;
    double milliseconds = -1.0;
    while (SecondsSince(start) < giveUpSeconds) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) return -1.0;  // it ended by itself
        int x = 0, y = 0, width = 0, height = 0;
        const Window window = GameWindow(display);
        if (window != 0 && DrawingArea(display, window, x, y, width, height) &&
            SplashShown(display, splash, x, y, width, height)) {
            milliseconds = SecondsSince(start) * 1e3;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The sound library takes SIGTERM for itself; the launch is ours to end.
    Stop(child, SIGKILL);
    // The server drops a dead client's windows a moment later: the next launch
    // must not find this one's.
    const Clock::time_point gone = Clock::now();
    while (GameWindow(display) != 0 && SecondsSince(gone) < 5.0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return milliseconds;
}

}  // namespace

SplashFigures MeasureSplash(int runs, const std::string& baselineProgram) {
    SplashFigures figures;
    const std::string xvfb = FindProgram("Xvfb");
    const std::string game = ProgramBeside("kestrune");
    GdiBitmap splash;
    if (xvfb.empty()) {
        figures.missing = "Xvfb is not installed";
        return figures;
    }
    for (const std::string& program : {game, baselineProgram}) {
        if (!program.empty() && access(program.c_str(), X_OK) != 0) {
            figures.missing = "no " + program;
            return figures;
        }
    }
    if (!splash.LoadFromFile(MediaPath("velmo2.bmp").c_str())) {
        figures.missing = "no splash picture in the media folder";
        return figures;
    }
    pid_t server = -1;
    const int displayNumber = StartXServer(xvfb, server);
    Display* display =
        displayNumber >= 0 ? XOpenDisplay((":" + std::to_string(displayNumber)).c_str()) : nullptr;
    if (display == nullptr) {
        figures.missing = "the private X server did not start";
        Stop(server, SIGTERM);
        return figures;
    }
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    std::vector<double> times;
    std::vector<double> baselineTimes;
    for (int run = 0; run < runs && figures.missing.empty(); ++run) {
        const double milliseconds = TimeOneLaunch(display, game, displayNumber, splash);
        if (milliseconds < 0.0) figures.missing = "the splash was not seen";
        times.push_back(milliseconds);
        if (baselineProgram.empty() || !figures.missing.empty()) continue;
        const double baseline = TimeOneLaunch(display, baselineProgram, displayNumber, splash);
        if (baseline < 0.0) figures.missing = "the baseline's splash was not seen";
        baselineTimes.push_back(baseline);
    }
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    Stop(server, SIGTERM);
    if (figures.missing.empty()) figures.milliseconds = Median(times);
    if (figures.missing.empty() && !baselineTimes.empty()) {
        figures.baselineMilliseconds = Median(baselineTimes);
    }
    return figures;
}
