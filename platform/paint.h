#pragma once
// Painting with device contexts: a window's drawing area while it paints, and
// memory DCs that hold a bitmap's pixels, copied with BitBlt.
#include <cstddef>
#include <cstdint>

#include "platform/window.h"

constexpr DWORD SRCCOPY = 0x00CC0020;

class DeviceContextObject {
  public:
    DeviceContextObject() = default;
    virtual ~DeviceContextObject() = default;
    DeviceContextObject(const DeviceContextObject&) = delete;
    DeviceContextObject& operator=(const DeviceContextObject&) = delete;

    // A window's DC draws width x height RGBA pixels with their top-left at
    // (x, y) of the drawing area; source rows lie `strideBytes` apart.
    virtual void DrawPixels(int /*x*/, int /*y*/, int /*width*/, int /*height*/,
                            const uint8_t* /*rgba*/, size_t /*strideBytes*/) {}

    // A memory DC's selected bitmap: RGBA, rows from the top; none at first.
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    const uint8_t* bitmapPixels = nullptr;
};

// Where one paint of a window's DC drew: the smallest rectangle holding every
// block DrawPixels drew since BeginPaint. EndPaint fills the rest of the area
// with the background, as the class's brush does on Windows.
class PaintedExtent {
  public:
    void Clear() { drawn = RECT{0, 0, 0, 0}; }
    void Add(int x, int y, int width, int height);
    bool Empty() const { return drawn.right <= drawn.left || drawn.bottom <= drawn.top; }
    const RECT& Rect() const { return drawn; }

  private:
    RECT drawn{0, 0, 0, 0};
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// A memory DC; the reference DC does not matter, every DC holds RGBA pixels.
HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
// Selects a bitmap's pixels into a memory DC (SelectObject with a bitmap):
// the DC refers to them, so they must outlive the selection.
void SelectBitmapPixels(HDC dc, int width, int height, const uint8_t* rgba);

// Copies the block at (sourceX, sourceY) of the source's bitmap to (x, y) of
// the destination, cut to the part of the block the bitmap has. A DC without a
// bitmap copies nothing.
BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD operation);
