#include "platform/paint.h"

#include <algorithm>

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    HDC dc = window ? window->BeginPaint() : nullptr;
    if (paint != nullptr) {
        *paint = PAINTSTRUCT{dc, FALSE, window ? window->ClientRect() : RECT{0, 0, 0, 0}};
    }
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT*) {
    if (window == nullptr) return FALSE;
    window->EndPaint();
    return TRUE;
}

void PaintedExtent::Add(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const RECT block{x, y, x + width, y + height};
    if (Empty()) {
        drawn = block;
        return;
    }
    drawn.left = std::min(drawn.left, block.left);
    drawn.top = std::min(drawn.top, block.top);
    drawn.right = std::max(drawn.right, block.right);
    drawn.bottom = std::max(drawn.bottom, block.bottom);
}

HDC CreateCompatibleDC(HDC) {
    return new DeviceContextObject();
}

BOOL DeleteDC(HDC dc) {
    if (dc == nullptr) return FALSE;
    delete dc;
    return TRUE;
}

void SelectBitmapPixels(HDC dc, int width, int height, const uint8_t* rgba) {
    if (dc == nullptr) return;
    const bool valid = rgba != nullptr && width > 0 && height > 0;
    dc->bitmapWidth = valid ? width : 0;
    dc->bitmapHeight = valid ? height : 0;
    dc->bitmapPixels = valid ? rgba : nullptr;
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD operation) {
    if (destination == nullptr || source == nullptr || operation != SRCCOPY) return FALSE;
    if (source->bitmapPixels == nullptr || sourceX < 0 || sourceY < 0) return FALSE;
    const int copiedWidth = std::min(width, source->bitmapWidth - sourceX);
    const int copiedHeight = std::min(height, source->bitmapHeight - sourceY);
    if (copiedWidth <= 0 || copiedHeight <= 0) return TRUE;
    const size_t stride = static_cast<size_t>(source->bitmapWidth) * 4;
    const uint8_t* first = source->bitmapPixels + static_cast<size_t>(sourceY) * stride +
                           static_cast<size_t>(sourceX) * 4;
    destination->DrawPixels(x, y, copiedWidth, copiedHeight, first, stride);
    return TRUE;
}
