#include "ground_mesh.h"

#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "circuit.h"
#include "delaunay.h"
#include "random_stream.h"
#include "terrain.h"

namespace {

constexpr double worldHalf = 240.0;
constexpr double gridStep = 6.0;        // terrain points away from the road
constexpr double roadRowStep = 3.0;     // road cross-sections along the lap
constexpr double gridClearance = 3.0;   // no terrain point this close to the road's edge
constexpr double grassTile = 24.0;      // world units per repeat of the grass
constexpr double asphaltRepeat = 12.0;  // world units per repeat of the road markings
constexpr int roadColumns = 4;          // strips across the road

// Beyond the map the ground goes on in coarser cells far enough that the
// chase camera, whose far plane lies 500 away and whose view corners reach
// about 580, never looks past its end, even from the fence. The cells are a
// whole number of terrain steps, so the rim points fall on their corners, and
// small enough that the ray test's grid still lists each in a few cells of its
// own instead of testing it for every ray.
constexpr double outerHalf = 840.0;
constexpr double outerStep = 30.0;  // divides outerHalf - worldHalf and worldHalf alike

// The fence round the edge of the world. The car is held five units inside it,
// at 234: room for its nose, and for the chase camera 3.75 behind it.
constexpr double fenceLine = 239.0;
constexpr int fenceSpans = 30;  // per side, a post at each end
constexpr double postHalfWidth = 0.12;
constexpr double postHeight = 1.5;
constexpr double footDepth = 0.6;  // posts and rails reach this far into the ground
constexpr double railLows[] = {0.6, 1.1};
constexpr double railHeight = 0.25;

// Arc lengths of the road's cross-sections: one pair bounding the start line,
// the rest evenly spaced round the lap.
std::vector<double> RoadRows() {
    double length = CircuitLength();
    double rest = length - (startLineTo - startLineFrom);
    int count = static_cast<int>(std::round(rest / roadRowStep));
    std::vector<double> rows{startLineFrom};
    for (int i = 0; i < count; ++i) rows.push_back(startLineTo + rest * i / count);
    return rows;  // the last section runs back to rows[0] + length
}

GroundPoint RoadPoint(double s, double across) {
    GroundPoint centre = CentreAt(s);
    GroundPoint heading = HeadingAt(s);
    return {centre.x + heading.z * across, centre.z - heading.x * across};
}

ModelVertex GrassVertex(const GroundPoint& p, double height) {
    return {{p.x, height, p.z}, GroundNormal(p.x, p.z), p.x / grassTile, -p.z / grassTile};
}

// Adds a ground triangle seen from above: clockwise in (x, z) with z upwards.
void AddGroundTriangle(Model& model, uint32_t material, uint32_t a, uint32_t b, uint32_t c) {
    const Vec3& pa = model.vertices[a].position;
    const Vec3& pb = model.vertices[b].position;
    const Vec3& pc = model.vertices[c].position;
    double turn = (pb.x - pa.x) * (pc.z - pa.z) - (pb.z - pa.z) * (pc.x - pa.x);
    if (turn > 0) {
        model.AddTriangle(material, a, c, b);
    } else {
        model.AddTriangle(material, a, b, c);
    }
}

// The ground beyond the map: coarse cells out to outerHalf. The cells along
// the map's rim fan out from the rim points the terrain used, so the two meet
// without a crack. Returns false when a rim point is missing.
bool AddOuterGround(Model& model, uint32_t material, const std::vector<GroundPoint>& points,
                    size_t gridPoints) {
    std::map<std::pair<long, long>, size_t> rim;
    for (size_t i = 0; i < gridPoints; ++i) {
        const GroundPoint& p = points[i];
        if (std::abs(p.x) == worldHalf || std::abs(p.z) == worldHalf)
            rim[{std::lround(p.x), std::lround(p.z)}] = i;
    }
    auto vertex = [&](const GroundPoint& p) {
        return model.AddVertex(GrassVertex(p, GroundHeight(p.x, p.z)));
    };
    int cells = static_cast<int>(2 * outerHalf / outerStep);
    int perCell = static_cast<int>(outerStep / gridStep);
    for (int iz = 0; iz < cells; ++iz) {
        for (int ix = 0; ix < cells; ++ix) {
            double x0 = -outerHalf + ix * outerStep, z0 = -outerHalf + iz * outerStep;
            double x1 = x0 + outerStep, z1 = z0 + outerStep;
            bool insideX = x0 >= -worldHalf && x1 <= worldHalf;
            bool insideZ = z0 >= -worldHalf && z1 <= worldHalf;
            if (insideX && insideZ) continue;
            // The side a rim cell shares with the map, as its two ends and
            // the far corners opposite them.
            GroundPoint from, to, farFrom, farTo;
            if (insideZ && (x0 == worldHalf || x1 == -worldHalf)) {
                double rimX = x0 == worldHalf ? x0 : x1, farX = x0 == worldHalf ? x1 : x0;
                from = {rimX, z0}, to = {rimX, z1}, farFrom = {farX, z0}, farTo = {farX, z1};
            } else if (insideX && (z0 == worldHalf || z1 == -worldHalf)) {
                double rimZ = z0 == worldHalf ? z0 : z1, farZ = z0 == worldHalf ? z1 : z0;
                from = {x0, rimZ}, to = {x1, rimZ}, farFrom = {x0, farZ}, farTo = {x1, farZ};
            } else {
                uint32_t a = vertex({x0, z0}), b = vertex({x1, z0});
                uint32_t c = vertex({x1, z1}), d = vertex({x0, z1});
                AddGroundTriangle(model, material, a, b, c);
                AddGroundTriangle(model, material, a, c, d);
                continue;
            }
            // Half the rim points fan to one far corner, half to the other.
            std::vector<uint32_t> along;
            for (int k = 0; k <= perCell; ++k) {
                double t = static_cast<double>(k) / perCell;
                GroundPoint p{from.x + (to.x - from.x) * t, from.z + (to.z - from.z) * t};
                auto found = rim.find({std::lround(p.x), std::lround(p.z)});
                if (found == rim.end()) return false;
                along.push_back(vertex(points[found->second]));
            }
            uint32_t nearFar = vertex(farFrom), otherFar = vertex(farTo);
            for (int k = 0; k < perCell; ++k) {
                uint32_t apex = k < perCell / 2 ? nearFar : otherFar;
                AddGroundTriangle(model, material, along[k], along[k + 1], apex);
            }
            AddGroundTriangle(model, material, along[perCell / 2], nearFar, otherFar);
        }
    }
    return true;
}

// A white running rail on posts round the edge of the world, so that a car
// held there stops at something a player knows. Only what faces the world is
// built: the car and its camera never get beyond it. Every face is vertical,
// so a ray cast straight up never meets one and the ground's height is the
// ground's alone.
void AddEdgeFence(Model& model, uint32_t material) {
    // Each side runs from one corner to the next, anticlockwise seen from
    // above; `inward` points back into the world.
    struct Side {
        GroundPoint start, step, inward;
    };
    const double span = 2 * fenceLine / fenceSpans;
    const Side sides[] = {
        {{fenceLine, -fenceLine}, {0, span}, {-1, 0}},
        {{fenceLine, fenceLine}, {-span, 0}, {0, -1}},
        {{-fenceLine, fenceLine}, {0, -span}, {1, 0}},
        {{-fenceLine, -fenceLine}, {span, 0}, {0, 1}},
    };
    const std::array<double, 8> plain{};
    for (const Side& side : sides) {
        const Vec3 in{side.inward.x, 0, side.inward.z};
        const double length = std::hypot(side.step.x, side.step.z);
        const Vec3 ahead{side.step.x / length, 0, side.step.z / length};
        for (int k = 0; k < fenceSpans; ++k) {
            GroundPoint p{side.start.x + side.step.x * k, side.start.z + side.step.z * k};
            GroundPoint q{p.x + side.step.x, p.z + side.step.z};
            double groundP = GroundHeight(p.x, p.z), groundQ = GroundHeight(q.x, q.z);
            // The post: its face towards the world and both its sides.
            Vec3 centre{p.x, 0, p.z};
            Vec3 front = centre + in * postHalfWidth, back = centre - in * postHalfWidth;
            Vec3 left = ahead * -postHalfWidth, right = ahead * postHalfWidth;
            double low = groundP - footDepth, high = groundP + postHeight;
            auto at = [](const Vec3& v, double y) { return Vec3{v.x, y, v.z}; };
            model.AddFacingQuad(material, at(front + left, low), at(front + left, high),
                                at(front + right, high), at(front + right, low), in, plain);
            model.AddFacingQuad(material, at(back + left, low), at(back + left, high),
                                at(front + left, high), at(front + left, low), ahead * -1.0, plain);
            model.AddFacingQuad(material, at(front + right, low), at(front + right, high),
                                at(back + right, high), at(back + right, low), ahead, plain);
            // The rails on the posts' world side, following the ground.
            Vec3 railP = front + in * 0.01, railQ = Vec3{q.x, 0, q.z} + in * (postHalfWidth + 0.01);
            for (double rail : railLows) {
                model.AddFacingQuad(
                    material, at(railP, groundP + rail), at(railP, groundP + rail + railHeight),
                    at(railQ, groundQ + rail + railHeight), at(railQ, groundQ + rail), in, plain);
            }
        }
    }
}

}  // namespace

Model BuildGroundModel(std::string& problem) {
    Model model;
    model.name = "Track";
    ModelMaterial grass;
    grass.name = "Grass";
    grass.texture = "grass.jpg";
    ModelMaterial asphalt;
    asphalt.name = "Asphalt";
    asphalt.texture = "asphalt.png";
    ModelMaterial line;
    line.name = "StartLine";
    line.texture = "startline.bmp";
    uint32_t grassMaterial = model.AddMaterial(grass);
    uint32_t asphaltMaterial = model.AddMaterial(asphalt);
    uint32_t lineMaterial = model.AddMaterial(line);
    ModelMaterial fence;
    fence.name = "Fence";
    fence.diffuse = Rgb(236, 234, 226);
    uint32_t fenceMaterial = model.AddMaterial(fence);

    std::vector<double> rows = RoadRows();
    size_t rowCount = rows.size();
    double length = CircuitLength();

    // Terrain points: a jittered grid (jitter keeps the Delaunay step away from
    // four points on one circle), the world's rim exactly, then both road edges.
    std::vector<GroundPoint> points;
    RandomStream jitter(7001);
    int steps = static_cast<int>(2 * worldHalf / gridStep);
    for (int iz = 0; iz <= steps; ++iz) {
        for (int ix = 0; ix <= steps; ++ix) {
            double x = -worldHalf + ix * gridStep, z = -worldHalf + iz * gridStep;
            double jx = jitter.Range(-0.35, 0.35), jz = jitter.Range(-0.35, 0.35);
            if (ix > 0 && ix < steps) x += jx;
            if (iz > 0 && iz < steps) z += jz;
            if (NearestRoadPlace(x, z).distance < roadHalfWidth + gridClearance) continue;
            points.push_back({x, z});
        }
    }
    size_t firstEdgePoint = points.size();  // the grid's points come first
    for (double s : rows) points.push_back(RoadPoint(s, -roadHalfWidth));
    for (double s : rows) points.push_back(RoadPoint(s, roadHalfWidth));

    std::vector<std::array<int, 3>> triangles = Triangulate(points, 4 * worldHalf * worldHalf);
    if (triangles.empty()) {
        problem = "the terrain points could not be triangulated";
        return {};
    }

    // Every stretch of road edge must be an edge of the triangulation, so that
    // no grass triangle reaches over the road.
    std::set<std::pair<int, int>> edges;
    for (const auto& t : triangles) {
        for (int k = 0; k < 3; ++k) {
            int u = t[k], v = t[(k + 1) % 3];
            edges.insert({std::min(u, v), std::max(u, v)});
        }
    }
    for (size_t side = 0; side < 2; ++side) {
        for (size_t r = 0; r < rowCount; ++r) {
            int u = static_cast<int>(firstEdgePoint + side * rowCount + r);
            int v = static_cast<int>(firstEdgePoint + side * rowCount + (r + 1) % rowCount);
            if (!edges.count({std::min(u, v), std::max(u, v)})) {
                problem = "a road edge is missing from the terrain triangulation";
                return {};
            }
        }
    }

    std::vector<double> heights(points.size());
    for (size_t i = 0; i < firstEdgePoint; ++i) heights[i] = GroundHeight(points[i].x, points[i].z);
    for (size_t side = 0; side < 2; ++side) {
        for (size_t r = 0; r < rowCount; ++r)
            heights[firstEdgePoint + side * rowCount + r] = RoadHeight(rows[r]);
    }

    for (const auto& t : triangles) {
        GroundPoint middle{(points[t[0]].x + points[t[1]].x + points[t[2]].x) / 3,
                           (points[t[0]].z + points[t[1]].z + points[t[2]].z) / 3};
        if (NearestRoadPlace(middle.x, middle.z).distance < roadHalfWidth)
            continue;  // the road's own
        uint32_t a = model.AddVertex(GrassVertex(points[t[0]], heights[t[0]]));
        uint32_t b = model.AddVertex(GrassVertex(points[t[1]], heights[t[1]]));
        uint32_t c = model.AddVertex(GrassVertex(points[t[2]], heights[t[2]]));
        AddGroundTriangle(model, grassMaterial, a, b, c);
    }

    if (!AddOuterGround(model, grassMaterial, points, firstEdgePoint)) {
        problem = "a point of the world's rim is missing from the terrain";
        return {};
    }
    AddEdgeFence(model, fenceMaterial);

    // The road: cross-sections flat across, strips between them. The end
    // points of each section are the very edge points the terrain used.
    auto roadVertex = [&](size_t row, int column, double unwrappedS, bool startLine) {
        double across = -roadHalfWidth + 2 * roadHalfWidth * column / roadColumns;
        size_t r = row % rowCount;
        GroundPoint p;
        if (column == 0) {
            p = points[firstEdgePoint + r];
        } else if (column == roadColumns) {
            p = points[firstEdgePoint + rowCount + r];
        } else {
            p = RoadPoint(rows[r], across);
        }
        double u = double(column) / roadColumns;
        double v = startLine ? (unwrappedS - startLineFrom) / (startLineTo - startLineFrom)
                             : unwrappedS / asphaltRepeat;
        return ModelVertex{{p.x, RoadHeight(rows[r]), p.z}, GroundNormal(p.x, p.z), u, v};
    };
    for (size_t row = 0; row < rowCount; ++row) {
        double s0 = rows[row];
        double s1 = row + 1 < rowCount ? rows[row + 1] : rows[0] + length;
        bool startLine = row == 0;
        uint32_t material = startLine ? lineMaterial : asphaltMaterial;
        for (int column = 0; column < roadColumns; ++column) {
            uint32_t a = model.AddVertex(roadVertex(row, column, s0, startLine));
            uint32_t b = model.AddVertex(roadVertex(row, column + 1, s0, startLine));
            uint32_t c = model.AddVertex(roadVertex(row + 1, column + 1, s1, startLine));
            uint32_t d = model.AddVertex(roadVertex(row + 1, column, s1, startLine));
            AddGroundTriangle(model, material, a, b, c);
            AddGroundTriangle(model, material, a, c, d);
        }
    }
    return model;
}
