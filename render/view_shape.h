#pragma once
// How a picture is laid out on a back buffer of the display's own size: the
// original's vertical view widened to the display's shape, and the two text
// lines scaled with the picture's height, in their places relative to its top,
// bottom and centre. Everywhere else (in a window, and full screen at the
// game's three sizes) the original's: the picture stretched from a square
// view, and the text at its own size and place.
struct ViewShape {
    float aspect = 1.0f;    // the projection's width over height
    float hudScale = 1.0f;  // the text lines' size and distances, over the original's
    long scoreLeft = 0;     // where the score line starts, in pixels from the left
};

extern ViewShape viewShape;

// The shape for a back buffer of the display's own size: the original's 4:3
// picture, as tall as the back buffer, sets the view and the text; a wider
// back buffer sees more to the left and right.
ViewShape DisplaySizeViewShape(float width, float height);
