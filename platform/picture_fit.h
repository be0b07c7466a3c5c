#pragma once
// Where a full-screen picture lies on a display of another shape: the largest
// rectangle of the picture's own shape that fits, centred, the rest left to
// black bars. Present draws into it and the cursor is read through it, so the
// two always agree.
#include "platform/windows_types.h"

// The picture's place on the area, in the area's pixels (top-left origin).
// A picture or an area without a size fills the whole area.
RECT FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// A point on the area as a pixel of the picture placed by FitPicture: a point
// over a bar counts as at the picture's nearest edge.
POINT PointInPicture(POINT areaPoint, int pictureWidth, int pictureHeight, int areaWidth,
                     int areaHeight);
