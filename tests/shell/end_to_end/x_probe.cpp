// Looks at and acts on the X screen for the end-to-end test, so that it needs
// no image tools:
//
//   x_probe snapshot OUT.png [X Y WIDTH HEIGHT]  the screen (or a part) as PNG;
//                                                prints "hash=... mean=..."
//   x_probe area WINDOW                          the drawing area of the game's
//                                                window: prints "X Y WIDTH HEIGHT"
//   x_probe changed BEFORE.png AFTER.png         prints the fraction of pixels
//                                                that differ
//   x_probe matches-bmp PICTURE.bmp SHOT.png     prints the fraction of the shot's
//                                                pixels equal to the picture's
//                                                top-left pixels
//   x_probe close WINDOW                         asks the window to close, as
//                                                its close box does
//   x_probe picture SHOT.png                     the box round every pixel that
//                                                is not black, and the black
//                                                pixels outside it: prints
//                                                "X Y WIDTH HEIGHT" (nothing
//                                                but black: "0 0 0 0")
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi_bitmap.h"

namespace {

// Two pixels are the same when no channel differs by more than this: the
// screen is 24-bit, so a copied picture matches exactly, but leave room for
// rounding in the GL path.
constexpr int channelTolerance = 8;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

bool WritePng(const char* path, const Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, picture.rgb.data(), 0, nullptr) != 0;
}

bool ReadPng(const char* path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

bool Same(const uint8_t* a, const uint8_t* b) {
    for (int channel = 0; channel < 3; ++channel) {
        if (std::abs(a[channel] - b[channel]) > channelTolerance) return false;
    }
    return true;
}

Display* OpenDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) std::fprintf(stderr, "x_probe: no display\n");
    return display;
}

int Snapshot(int argc, char** argv) {
    Display* display = OpenDisplay();
    if (display == nullptr) return 1;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    int x = 0, y = 0, width = attributes.width, height = attributes.height;
    if (argc == 7) {
        x = std::atoi(argv[3]);
        y = std::atoi(argv[4]);
        width = std::atoi(argv[5]);
        height = std::atoi(argv[6]);
    }
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > attributes.width ||
        y + height > attributes.height) {
        std::fprintf(stderr, "x_probe: region outside the screen\n");
        XCloseDisplay(display);
        return 2;
    }
    XImage* image = XGetImage(display, root, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "x_probe: cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }
    auto shiftOf = [](unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        return shift;
    };
    auto scale = [](unsigned long value, unsigned long mask, int shift) -> uint8_t {
        const unsigned long maximum = mask >> shift;
        if (maximum == 0) return 0;
        return static_cast<uint8_t>((value >> shift & maximum) * 255 / maximum);
    };
    const int redShift = shiftOf(image->red_mask);
    const int greenShift = shiftOf(image->green_mask);
    const int blueShift = shiftOf(image->blue_mask);
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    uint64_t hash = 1469598103934665603ull;
    uint64_t brightness = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            uint8_t* out = &picture.rgb[(static_cast<size_t>(row) * width + column) * 3];
            out[0] = scale(pixel, image->red_mask, redShift);
            out[1] = scale(pixel, image->green_mask, greenShift);
            out[2] = scale(pixel, image->blue_mask, blueShift);
            for (int channel = 0; channel < 3; ++channel) {
                hash = (hash ^ out[channel]) * 1099511628211ull;
                brightness += out[channel];
            }
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    if (!WritePng(argv[2], picture)) {
        std::fprintf(stderr, "x_probe: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("hash=%016" PRIx64 " mean=%d\n", hash,
                static_cast<int>(brightness / (static_cast<uint64_t>(width) * height * 3)));
    return 0;
}

// The game's window holds the menu bar (not an X window of its own) and one
// child window, the OpenGL drawing area.
int Area(char** argv) {
    Display* display = OpenDisplay();
    if (display == nullptr) return 1;
    const Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int result = 1;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && count > 0) {
        Window best = 0;
        long bestArea = -1;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
            const long area = static_cast<long>(attributes.width) * attributes.height;
            if (attributes.map_state == IsViewable && area > bestArea) {
                best = children[i];
                bestArea = area;
            }
        }
        XWindowAttributes attributes;
        int x = 0, y = 0;
        Window child = 0;
        if (best != 0 && XGetWindowAttributes(display, best, &attributes) &&
            XTranslateCoordinates(display, best, root, 0, 0, &x, &y, &child)) {
            std::printf("%d %d %d %d\n", x, y, attributes.width, attributes.height);
            result = 0;
        }
    }
    if (children != nullptr) XFree(children);
    if (result != 0) std::fprintf(stderr, "x_probe: no drawing area\n");
    XCloseDisplay(display);
    return result;
}

int Changed(char** argv) {
    Picture before, after;
    if (!ReadPng(argv[2], before) || !ReadPng(argv[3], after) || before.width != after.width ||
        before.height != after.height || before.width == 0) {
        std::fprintf(stderr, "x_probe: cannot compare %s and %s\n", argv[2], argv[3]);
        return 1;
    }
    size_t differing = 0;
    const size_t pixels = static_cast<size_t>(before.width) * before.height;
    for (size_t i = 0; i < pixels; ++i) {
        if (!Same(&before.rgb[i * 3], &after.rgb[i * 3])) ++differing;
    }
    std::printf("%.4f\n", static_cast<double>(differing) / static_cast<double>(pixels));
    return 0;
}

int MatchesBmp(char** argv) {
    GdiBitmap bitmap;
    Picture shot;
    if (!bitmap.LoadFromFile(argv[2]) || !ReadPng(argv[3], shot) || shot.width == 0 ||
        shot.width > bitmap.Width() || shot.height > bitmap.Height()) {
        std::fprintf(stderr, "x_probe: cannot compare %s and %s\n", argv[2], argv[3]);
        return 1;
    }
    size_t matching = 0;
    const std::vector<uint8_t>& rgba = bitmap.Rgba();
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const uint8_t* expected = &rgba[(static_cast<size_t>(y) * bitmap.Width() + x) * 4];
            const uint8_t* seen = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
            if (Same(expected, seen)) ++matching;
        }
    }
    std::printf("%.4f\n",
                static_cast<double>(matching) / (static_cast<double>(shot.width) * shot.height));
    return 0;
}

int PictureBox(char** argv) {
    Picture shot;
    if (!ReadPng(argv[2], shot) || shot.width == 0) {
        std::fprintf(stderr, "x_probe: cannot read %s\n", argv[2]);
        return 1;
    }
    int left = shot.width, top = shot.height, right = -1, bottom = -1;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const uint8_t* seen = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
            if (seen[0] == 0 && seen[1] == 0 && seen[2] == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) {
        std::printf("0 0 0 0\n");
    } else {
        std::printf("%d %d %d %d\n", left, top, right - left + 1, bottom - top + 1);
    }
    return 0;
}

int Close(char** argv) {
    Display* display = OpenDisplay();
    if (display == nullptr) return 1;
    const Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "snapshot" && (argc == 3 || argc == 7)) return Snapshot(argc, argv);
    if (command == "area" && argc == 3) return Area(argv);
    if (command == "changed" && argc == 4) return Changed(argv);
    if (command == "matches-bmp" && argc == 4) return MatchesBmp(argv);
    if (command == "close" && argc == 3) return Close(argv);
    if (command == "picture" && argc == 3) return PictureBox(argv);
    std::fprintf(stderr,
                 "usage: x_probe snapshot OUT.png [X Y W H] | area WINDOW | changed A.png B.png |"
                 " matches-bmp PICTURE.bmp SHOT.png | close WINDOW | picture SHOT.png\n");
    return 2;
}
