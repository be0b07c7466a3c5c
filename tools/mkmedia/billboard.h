#pragma once
// Flat models in the x-y plane cut to the shape of an alpha-textured picture.
#include <string>

#include "model.h"

// A billboard `width` x `height` standing on its origin (bottom centre at
// y = -sink), showing `picture` (written as `textureName`). Only the cells of
// the picture that hold visible pixels get geometry: the leaves blend but
// still write depth, so less empty area means fewer trees hiding others.
// Every face is emitted with both windings, so the board shows from either side.
Model BillboardModel(const std::string& name, const Picture& picture,
                     const std::string& textureName, double width, double height, double sink);
