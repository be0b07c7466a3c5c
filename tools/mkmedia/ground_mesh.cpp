#include "ground_mesh.h"

#include <cmath>
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
    size_t firstEdgePoint = points.size();
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
