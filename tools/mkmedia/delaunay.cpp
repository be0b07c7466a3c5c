#include "delaunay.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

struct Triangle {
    int a, b, c;
    double centreX, centreZ, radius2;
};

double Orientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    return (b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x);
}

Triangle MakeTriangle(const std::vector<GroundPoint>& p, int a, int b, int c) {
    if (Orientation(p[a], p[b], p[c]) < 0) std::swap(b, c);
    double ax = p[a].x, az = p[a].z, bx = p[b].x, bz = p[b].z, cx = p[c].x, cz = p[c].z;
    double d = 2 * (ax * (bz - cz) + bx * (cz - az) + cx * (az - bz));
    double a2 = ax * ax + az * az, b2 = bx * bx + bz * bz, c2 = cx * cx + cz * cz;
    double ux = (a2 * (bz - cz) + b2 * (cz - az) + c2 * (az - bz)) / d;
    double uz = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    return {a, b, c, ux, uz, (ax - ux) * (ax - ux) + (az - uz) * (az - uz)};
}

}  // namespace

std::vector<std::array<int, 3>> Triangulate(const std::vector<GroundPoint>& input,
                                            double expectedArea) {
    // Bowyer-Watson: insert each point, remove the triangles whose circumcircle
    // holds it, and fan the hole's rim to it.
    std::vector<GroundPoint> points = input;
    int n = static_cast<int>(points.size());
    const double far = 1e5;
    points.push_back({-far, -far});
    points.push_back({far, -far});
    points.push_back({0, far});
    std::vector<Triangle> triangles{MakeTriangle(points, n, n + 1, n + 2)};

    std::vector<Triangle> kept;
    std::map<std::pair<int, int>, int> rim;
    for (int i = 0; i < n; ++i) {
        const GroundPoint& p = points[i];
        kept.clear();
        rim.clear();
        for (const Triangle& t : triangles) {
            double dx = p.x - t.centreX, dz = p.z - t.centreZ;
            if (dx * dx + dz * dz < t.radius2) {
                for (auto [u, v] :
                     {std::pair{t.a, t.b}, std::pair{t.b, t.c}, std::pair{t.c, t.a}}) {
                    ++rim[{std::min(u, v), std::max(u, v)}];
                }
            } else {
                kept.push_back(t);
            }
        }
        for (const auto& [edge, count] : rim) {
            if (count == 1) kept.push_back(MakeTriangle(points, edge.first, edge.second, i));
        }
        triangles.swap(kept);
    }

    std::vector<std::array<int, 3>> result;
    double area = 0;
    for (const Triangle& t : triangles) {
        if (t.a >= n || t.b >= n || t.c >= n) continue;
        double twice = Orientation(points[t.a], points[t.b], points[t.c]);
        if (!(twice > 0)) return {};
        area += twice / 2;
        result.push_back({t.a, t.b, t.c});
    }
    if (std::abs(area - expectedArea) > 1e-6 * expectedArea) return {};
    return result;
}
