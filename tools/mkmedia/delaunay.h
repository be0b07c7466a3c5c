#pragma once
// Delaunay triangulation of points on the ground (x, z), used to fill the
// terrain between the grid and the road's edges.
#include <array>
#include <vector>

#include "circuit.h"

// Triangles as indices into `points`, each counter-clockwise in the (x, z)
// plane seen with x to the right and z upwards. Empty when the points could
// not be triangulated cleanly (the covered area is checked against the hull).
std::vector<std::array<int, 3>> Triangulate(const std::vector<GroundPoint>& points,
                                            double expectedArea);
