// Takes a picture of the X screen for the end-to-end test: writes it as PNG
// and prints what the test compares, so no image tool is needed.
//
//   x_snapshot OUT.png [X Y WIDTH HEIGHT]
//
// prints one line: "hash=<64-bit FNV-1a of the RGB pixels> mean=<average
// brightness 0..255> width=<w> height=<h>".
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool WritePng(const char* path, int width, int height, const std::vector<uint8_t>& rgb) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, const_cast<png_bytep>(&rgb[static_cast<size_t>(y) * width * 3]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: x_snapshot OUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x_snapshot: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    int x = 0, y = 0, width = attributes.width, height = attributes.height;
    if (argc == 6) {
        x = std::atoi(argv[2]);
        y = std::atoi(argv[3]);
        width = std::atoi(argv[4]);
        height = std::atoi(argv[5]);
    }
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > attributes.width ||
        y + height > attributes.height) {
        std::fprintf(stderr, "x_snapshot: region outside the screen\n");
        XCloseDisplay(display);
        return 2;
    }
    XImage* image = XGetImage(display, root, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "x_snapshot: cannot read the screen\n");
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
        return maximum ? static_cast<uint8_t>((value >> shift & maximum) * 255 / maximum) : 0;
    };
    const int redShift = shiftOf(image->red_mask);
    const int greenShift = shiftOf(image->green_mask);
    const int blueShift = shiftOf(image->blue_mask);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint64_t hash = 1469598103934665603ull;
    uint64_t brightness = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            uint8_t* out = &rgb[(static_cast<size_t>(row) * width + column) * 3];
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
    if (!WritePng(argv[1], width, height, rgb)) {
        std::fprintf(stderr, "x_snapshot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("hash=%016" PRIx64 " mean=%d width=%d height=%d\n", hash,
                static_cast<int>(brightness / (static_cast<uint64_t>(width) * height * 3)), width,
                height);
    return 0;
}
