#include "platform/picture_fit.h"

#include <algorithm>
#include <cstdint>

RECT FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return RECT{0, 0, std::max(areaWidth, 0), std::max(areaHeight, 0)};
    }
    // Whole-number products decide the narrower side exactly, so a 4:3
    // picture on a 4:3 display fills it without a stray bar of one pixel.
    const int64_t wideProduct = static_cast<int64_t>(areaWidth) * pictureHeight;
    const int64_t tallProduct = static_cast<int64_t>(areaHeight) * pictureWidth;
    LONG width = areaWidth;
    LONG height = areaHeight;
    if (wideProduct > tallProduct) {
        width = static_cast<LONG>((tallProduct + pictureHeight / 2) / pictureHeight);
    } else if (wideProduct < tallProduct) {
        height = static_cast<LONG>((wideProduct + pictureWidth / 2) / pictureWidth);
    }
    width = std::max<LONG>(width, 1);
    height = std::max<LONG>(height, 1);
    const LONG left = (areaWidth - width) / 2;
    const LONG top = (areaHeight - height) / 2;
    return RECT{left, top, left + width, top + height};
}

POINT PointInPicture(POINT areaPoint, int pictureWidth, int pictureHeight, int areaWidth,
                     int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return areaPoint;
    const RECT picture = FitPicture(pictureWidth, pictureHeight, areaWidth, areaHeight);
    const LONG placedWidth = picture.right - picture.left;
    const LONG placedHeight = picture.bottom - picture.top;
    if (placedWidth <= 0 || placedHeight <= 0) return POINT{0, 0};
    const auto scale = [](LONG offset, LONG placed, int size) {
        const LONG inside = std::clamp<LONG>(offset, 0, placed - 1);
        return static_cast<LONG>(static_cast<int64_t>(inside) * size / placed);
    };
    return POINT{scale(areaPoint.x - picture.left, placedWidth, pictureWidth),
                 scale(areaPoint.y - picture.top, placedHeight, pictureHeight)};
}
