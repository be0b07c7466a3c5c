// The track map: a BMP decoded into the GDI bitmap stand-in, then read pixel
// by pixel over the whole window that the road test samples, each colour
// looked up among the lap zones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "drive/track_map.h"
#include "platform/gdi_bitmap.h"
#include "tools/fuzz/require.h"

namespace {

// The pixels the road test can read: rows and columns 2 to 478.
constexpr LONG windowLow = 2;
constexpr LONG windowHigh = 478;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GdiBitmap bitmap;
    if (!bitmap.LoadFromMemory(data, size)) {
        FUZZ_REQUIRE(!bitmap.IsLoaded() && bitmap.GetPixel(windowLow, windowLow) == CLR_INVALID);
        return 0;
    }
    const LONG width = bitmap.Width();
    const LONG height = bitmap.Height();
    FUZZ_REQUIRE(width > 0 && height > 0);
    FUZZ_REQUIRE(bitmap.Rgba().size() ==
                 static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    // Where the window runs past the picture, GetPixel has only its bounds to
    // check; the pixels the picture has are read and checked one by one.
    const LONG lastX = width - 1 < windowHigh ? width - 1 : windowHigh;
    const LONG lastY = height - 1 < windowHigh ? height - 1 : windowHigh;
    for (LONG y = windowLow; y <= lastY; ++y) {
        for (LONG x = windowLow; x <= lastX; ++x) {
            const COLORREF colour = bitmap.GetPixel(x, y);
            const uint8_t* pixel = bitmap.Rgba().data() + (static_cast<size_t>(y) * width + x) * 4;
            FUZZ_REQUIRE(colour ==
                         (pixel[0] | pixel[1] << 8 | static_cast<COLORREF>(pixel[2]) << 16));
            const int32_t zone = TrackZone(colour);
            FUZZ_REQUIRE(zone == noZone || (zone >= 0 && zone < zoneCount));
        }
        if (lastX < windowHigh) FUZZ_REQUIRE(bitmap.GetPixel(lastX + 1, y) == CLR_INVALID);
    }
    if (lastY < windowHigh) FUZZ_REQUIRE(bitmap.GetPixel(windowLow, lastY + 1) == CLR_INVALID);
    FUZZ_REQUIRE(bitmap.GetPixel(-1, 0) == CLR_INVALID &&
                 bitmap.GetPixel(width, 0) == CLR_INVALID &&
                 bitmap.GetPixel(0, height) == CLR_INVALID);
    return 0;
}
