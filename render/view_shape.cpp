#include "render/view_shape.h"

#include <cmath>

ViewShape viewShape;

namespace {

// The original's picture: 4:3, its text laid out for 480 rows.
constexpr float originalHeight = 480.0f;
constexpr float originalShape = 4.0f / 3.0f;

}  // namespace

ViewShape DisplaySizeViewShape(float width, float height) {
    ViewShape shape;
    if (!(width > 0.0f) || !(height > 0.0f)) return shape;
    // The original's aspect of 1.0 stretched its square view over a 4:3
    // picture; the same stretch over a wider one shows more at the sides.
    shape.aspect = width / height / originalShape;
    shape.hudScale = height / originalHeight;
    shape.scoreLeft = std::lround((width - height * originalShape) / 2.0f);
    if (shape.scoreLeft < 0) shape.scoreLeft = 0;
    return shape;
}
