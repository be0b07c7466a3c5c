#include "render/triangle_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct Vector {
    double x, y, z;
};

Vector ToVector(const D3DVECTOR& v) {
    return {v.x, v.y, v.z};
}
Vector Subtract(const Vector& a, const Vector& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double Dot(const Vector& a, const Vector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vector Cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool IsFinite(const D3DVECTOR& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool FaceIndicesValid(const CpuMesh& mesh, uint32_t face) {
    const size_t vertexCount = mesh.vertices.size();
    const uint32_t* corner = &mesh.indices[3 * static_cast<size_t>(face)];
    return corner[0] < vertexCount && corner[1] < vertexCount && corner[2] < vertexCount;
}

TriangleBounds HitBounds(const D3DVECTOR& a, const D3DVECTOR& b, const D3DVECTOR& c) {
    TriangleBounds box{std::min({a.x, b.x, c.x}), std::min({a.z, b.z, c.z}),
                       std::max({a.x, b.x, c.x}), std::max({a.z, b.z, c.z})};
    const double height = std::max({a.y, b.y, c.y}) - std::min({a.y, b.y, c.y});
    const double widening = 1e-6 * std::max({box.maxX - box.minX, box.maxZ - box.minZ, height});
    box.minX -= widening, box.minZ -= widening;
    box.maxX += widening, box.maxZ += widening;
    return box;
}

// Moller-Trumbore without back-face rejection, worked in double. Rounding can
// still accept a point just beside a thin triangle seen almost edge-on; a hit
// is therefore kept only where the point found lies within the triangle's
// widened x-z bounds. That makes "which cells can a hit come from" exact, and
// so lets the grid give the brute-force answers bit for bit.
bool HitTriangle(const CpuMesh& mesh, uint32_t face, const Vector& origin, const Vector& direction,
                 RayHit& hit) {
    if (!FaceIndicesValid(mesh, face)) return false;
    const uint32_t* corner = &mesh.indices[3 * static_cast<size_t>(face)];
    const D3DVECTOR& a = mesh.vertices[corner[0]].position;
    const D3DVECTOR& b = mesh.vertices[corner[1]].position;
    const D3DVECTOR& c = mesh.vertices[corner[2]].position;
    const Vector p0 = ToVector(a);
    const Vector edge1 = Subtract(ToVector(b), p0);
    const Vector edge2 = Subtract(ToVector(c), p0);
    const Vector p = Cross(direction, edge2);
    const double determinant = Dot(edge1, p);
    if (!(determinant != 0.0)) return false;  // parallel, or NaN
    const double inverse = 1.0 / determinant;
    const Vector toOrigin = Subtract(origin, p0);
    const double u = Dot(toOrigin, p) * inverse;
    if (!(u >= 0.0 && u <= 1.0)) return false;
    const Vector q = Cross(toOrigin, edge1);
    const double v = Dot(direction, q) * inverse;
    if (!(v >= 0.0 && u + v <= 1.0)) return false;
    const double distance = Dot(edge2, q) * inverse;
    if (!(distance >= 0.0)) return false;
    // A ray within a microradian of the triangle's plane grazes it: no
    // meaningful hit. Relative, so that it holds for tiny and huge triangles
    // alike. Checked last as it is rarely reached.
    const Vector normal = Cross(edge1, edge2);
    if (!(determinant * determinant > 1e-12 * Dot(direction, direction) * Dot(normal, normal)))
        return false;
    const TriangleBounds box = HitBounds(a, b, c);
    const double x = origin.x + distance * direction.x;
    const double z = origin.z + distance * direction.z;
    if (!(x >= box.minX && x <= box.maxX && z >= box.minZ && z <= box.maxZ)) return false;
    hit = RayHit{face, static_cast<float>(u), static_cast<float>(v), static_cast<float>(distance)};
    return true;
}

bool Nearer(const RayHit& candidate, const RayHit& best) {
    return candidate.distance < best.distance ||
           (candidate.distance == best.distance && candidate.face < best.face);
}

// The nearest hit among the faces `forEachFace` hands to its callback: the
// full scan and the grid differ only in which faces they offer.
template <typename ForEachFace>
bool NearestHit(const CpuMesh& mesh, const D3DVECTOR& origin, const D3DVECTOR& direction,
                ForEachFace&& forEachFace, RayHit& nearest) {
    if (!IsFinite(origin) || !IsFinite(direction)) return false;
    const Vector from = ToVector(origin);
    const Vector towards = ToVector(direction);
    bool found = false;
    RayHit best{};
    forEachFace([&](uint32_t face) {
        RayHit hit;
        if (HitTriangle(mesh, face, from, towards, hit) && (!found || Nearer(hit, best))) {
            best = hit;
            found = true;
        }
    });
    if (found) nearest = best;
    return found;
}

// Every hit among the faces `forEachFace` hands over, in the order offered.
template <typename ForEachFace>
void EveryHit(const CpuMesh& mesh, const D3DVECTOR& origin, const D3DVECTOR& direction,
              ForEachFace&& forEachFace, std::vector<RayHit>& hits) {
    hits.clear();
    if (!IsFinite(origin) || !IsFinite(direction)) return;
    const Vector from = ToVector(origin);
    const Vector towards = ToVector(direction);
    forEachFace([&](uint32_t face) {
        RayHit hit;
        if (HitTriangle(mesh, face, from, towards, hit)) hits.push_back(hit);
    });
}

// Offers every face of the mesh in order.
auto AllFaces(const CpuMesh& mesh) {
    return [&mesh](auto&& visit) {
        const uint32_t faceCount = mesh.TriangleCount();
        for (uint32_t face = 0; face < faceCount; ++face) visit(face);
    };
}

// Triangles whose widened bounds cover more cells than this are tested by
// every ray instead of being listed in each cell: keeps the grid's size in
// proportion to the mesh whatever its shape.
constexpr uint64_t maxCellsPerFace = 64;
constexpr uint32_t maxCellsPerSide = 2048;

}  // namespace

bool IntersectBruteForce(const CpuMesh& mesh, const D3DVECTOR& origin, const D3DVECTOR& direction,
                         RayHit& nearest) {
    return NearestHit(mesh, origin, direction, AllFaces(mesh), nearest);
}

void IntersectAllBruteForce(const CpuMesh& mesh, const D3DVECTOR& origin,
                            const D3DVECTOR& direction, std::vector<RayHit>& hits) {
    EveryHit(mesh, origin, direction, AllFaces(mesh), hits);
}

void TriangleGrid::Build(const CpuMesh& mesh) {
    *this = TriangleGrid();
    const uint32_t faceCount = mesh.TriangleCount();
    std::vector<TriangleBounds> bounds(faceCount);
    std::vector<uint8_t> listed(faceCount, 0);
    const double scale = MeasureFaces(mesh, bounds, listed);
    if (!WidenAndEnclose(scale, bounds, listed)) return;
    ChooseCells(faceCount);
    const std::vector<uint32_t> counts = CountCellFaces(bounds, listed);
    uint64_t total = 0;
    for (uint32_t count : counts) total += count;
    if (total > std::numeric_limits<uint32_t>::max()) {
        // Beyond what the offsets can index: fall back to testing everything.
        for (uint32_t face = 0; face < faceCount; ++face)
            if (listed[face]) everywhereFaces.push_back(face);
        columns = rows = 0;
        std::sort(everywhereFaces.begin(), everywhereFaces.end());
        return;
    }
    std::sort(everywhereFaces.begin(), everywhereFaces.end());
    FillCells(bounds, listed, counts);
}

// Each triangle is listed wherever a hit on it can lie: within its widened
// bounds (see HitTriangle). Triangles with a corner that is not finite are
// tested by every ray; those with an index past the vertices are never hit
// and go in no cell. Returns the largest x or z of the listed bounds.
double TriangleGrid::MeasureFaces(const CpuMesh& mesh, std::vector<TriangleBounds>& bounds,
                                  std::vector<uint8_t>& listed) {
    double scale = 0.0;
    for (uint32_t face = 0; face < bounds.size(); ++face) {
        if (!FaceIndicesValid(mesh, face)) continue;
        const uint32_t* corner = &mesh.indices[3 * static_cast<size_t>(face)];
        const D3DVECTOR& a = mesh.vertices[corner[0]].position;
        const D3DVECTOR& b = mesh.vertices[corner[1]].position;
        const D3DVECTOR& c = mesh.vertices[corner[2]].position;
        if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c)) {
            everywhereFaces.push_back(face);
            continue;
        }
        const TriangleBounds& box = bounds[face] = HitBounds(a, b, c);
        scale = std::max({scale, std::fabs(box.minX), std::fabs(box.maxX), std::fabs(box.minZ),
                          std::fabs(box.maxZ)});
        listed[face] = 1;
    }
    return scale;
}

// One more widening for the whole mesh, in proportion to its coordinates:
// rounding of the ray's path across the cells is relative to those. Then the
// grid's extent encloses every listed triangle. False when none is listed.
bool TriangleGrid::WidenAndEnclose(double scale, std::vector<TriangleBounds>& bounds,
                                   const std::vector<uint8_t>& listed) {
    margin = 1e-9 * scale + 1e-30;
    bool any = false;
    for (uint32_t face = 0; face < bounds.size(); ++face) {
        if (!listed[face]) continue;
        TriangleBounds& box = bounds[face];
        box.minX -= margin, box.minZ -= margin;
        box.maxX += margin, box.maxZ += margin;
        if (!any) {
            minX = box.minX, maxX = box.maxX, minZ = box.minZ, maxZ = box.maxZ;
            any = true;
        }
        minX = std::min(minX, box.minX), maxX = std::max(maxX, box.maxX);
        minZ = std::min(minZ, box.minZ), maxZ = std::max(maxZ, box.maxZ);
    }
    return any;
}

// About four cells per triangle, shaped like the mesh's extent. A ground
// probe tests the triangles of the one cell under it, nine probes a racing
// frame: on the circuit's ground four cells per triangle list about four
// triangles a cell, where one cell per triangle lists six.
void TriangleGrid::ChooseCells(uint32_t faceCount) {
    const double width = maxX - minX;
    const double depth = maxZ - minZ;
    const double target = std::max<double>(1.0, 4.0 * faceCount);
    double across = std::sqrt(target * width / depth);
    across = std::clamp(across, 1.0, static_cast<double>(maxCellsPerSide));
    double deep = std::clamp(std::ceil(target / across), 1.0, static_cast<double>(maxCellsPerSide));
    columns = static_cast<uint32_t>(across);
    rows = static_cast<uint32_t>(deep);
    cellWidth = width / columns;
    cellDepth = depth / rows;
}

// The cells a triangle's bounds overlap; false when they are too many for it
// to be listed in each.
bool TriangleGrid::CellsOf(const TriangleBounds& box, uint32_t& firstColumn, uint32_t& lastColumn,
                           uint32_t& firstRow, uint32_t& lastRow) const {
    ColumnRange(box.minX, box.maxX, firstColumn, lastColumn);
    RowRange(box.minZ, box.maxZ, firstRow, lastRow);
    return static_cast<uint64_t>(lastColumn - firstColumn + 1) * (lastRow - firstRow + 1) <=
           maxCellsPerFace;
}

// How many triangles each cell lists (one count more than there are cells, as
// the offsets need). A triangle over too many cells moves to the ones every
// ray tests.
std::vector<uint32_t> TriangleGrid::CountCellFaces(const std::vector<TriangleBounds>& bounds,
                                                   std::vector<uint8_t>& listed) {
    std::vector<uint32_t> counts(static_cast<size_t>(columns) * rows + 1, 0);
    for (uint32_t face = 0; face < bounds.size(); ++face) {
        if (!listed[face]) continue;
        uint32_t c0, c1, r0, r1;
        if (!CellsOf(bounds[face], c0, c1, r0, r1)) {
            listed[face] = 0;
            everywhereFaces.push_back(face);
            continue;
        }
        for (uint32_t row = r0; row <= r1; ++row)
            for (uint32_t column = c0; column <= c1; ++column)
                ++counts[static_cast<size_t>(row) * columns + column];
    }
    return counts;
}

// The offsets of the cells' lists, then the faces of each cell, ascending.
void TriangleGrid::FillCells(const std::vector<TriangleBounds>& bounds,
                             const std::vector<uint8_t>& listed,
                             const std::vector<uint32_t>& counts) {
    const size_t cellCount = static_cast<size_t>(columns) * rows;
    cellStart.assign(cellCount + 1, 0);
    for (size_t cell = 0; cell < cellCount; ++cell)
        cellStart[cell + 1] = cellStart[cell] + counts[cell];
    cellFaces.resize(cellStart[cellCount]);
    std::vector<uint32_t> fill(cellStart.begin(), cellStart.end() - 1);
    for (uint32_t face = 0; face < bounds.size(); ++face) {
        if (!listed[face]) continue;
        uint32_t c0, c1, r0, r1;
        CellsOf(bounds[face], c0, c1, r0, r1);
        for (uint32_t row = r0; row <= r1; ++row)
            for (uint32_t column = c0; column <= c1; ++column)
                cellFaces[fill[static_cast<size_t>(row) * columns + column]++] = face;
    }
}

bool TriangleGrid::ColumnRange(double low, double high, uint32_t& first, uint32_t& last) const {
    if (columns == 0 || !(high >= minX && low <= maxX)) return false;
    const double top = columns - 1;
    first = static_cast<uint32_t>(std::clamp(std::floor((low - minX) / cellWidth), 0.0, top));
    last = static_cast<uint32_t>(std::clamp(std::floor((high - minX) / cellWidth), 0.0, top));
    return true;
}

bool TriangleGrid::RowRange(double low, double high, uint32_t& first, uint32_t& last) const {
    if (rows == 0 || !(high >= minZ && low <= maxZ)) return false;
    const double top = rows - 1;
    first = static_cast<uint32_t>(std::clamp(std::floor((low - minZ) / cellDepth), 0.0, top));
    last = static_cast<uint32_t>(std::clamp(std::floor((high - minZ) / cellDepth), 0.0, top));
    return true;
}

template <typename Visit>
void TriangleGrid::VisitCell(uint32_t column, uint32_t row, Visit& visit) const {
    const size_t cell = static_cast<size_t>(row) * columns + column;
    for (uint32_t at = cellStart[cell]; at < cellStart[cell + 1]; ++at) visit(cellFaces[at]);
}

// Calls visit(face) for a set of faces that holds every face the ray can hit;
// a face may come more than once.
template <typename Visit>
void TriangleGrid::VisitCandidates(const D3DVECTOR& origin, const D3DVECTOR& direction,
                                   Visit&& visit) const {
    for (uint32_t face : everywhereFaces) visit(face);
    if (columns == 0) return;
    const double ox = origin.x, oz = origin.z;
    const double dx = direction.x, dz = direction.z;
    uint32_t c0, c1, r0, r1;

    // Straight up or down, as the ground probes are: the hit lies at the
    // origin's x and z, so the cell there holds every candidate.
    if (dx == 0.0 && dz == 0.0) {
        if (!ColumnRange(ox, ox, c0, c1) || !RowRange(oz, oz, r0, r1)) return;
        for (uint32_t row = r0; row <= r1; ++row)
            for (uint32_t column = c0; column <= c1; ++column) VisitCell(column, row, visit);
        return;
    }

    // The part of the ray (t >= 0) above the grid's rectangle.
    double t0 = 0.0, t1 = INFINITY;
    auto clip = [&](double o, double d, double low, double high) {
        if (d == 0.0) return o >= low && o <= high;
        double ta = (low - o) / d, tb = (high - o) / d;
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        return t0 <= t1;
    };
    if (!clip(ox, dx, minX, maxX) || !clip(oz, dz, minZ, maxZ)) return;

    // Walk the strips of cells across the ray's main direction; in each strip,
    // the cells its stretch of the ray passes over, with a margin for rounding.
    const bool alongX = std::fabs(dx) >= std::fabs(dz);
    const double mainOrigin = alongX ? ox : oz, mainStep = alongX ? dx : dz;
    const double crossOrigin = alongX ? oz : ox, crossStep = alongX ? dz : dx;
    const double stripStart = alongX ? minX : minZ, stripSize = alongX ? cellWidth : cellDepth;
    auto stripRange = [&](double low, double high, uint32_t& first, uint32_t& last) {
        return alongX ? ColumnRange(low, high, first, last) : RowRange(low, high, first, last);
    };
    auto crossRange = [&](double low, double high, uint32_t& first, uint32_t& last) {
        return alongX ? RowRange(low, high, first, last) : ColumnRange(low, high, first, last);
    };
    // Rounding of the positions along the ray grows with the origin's distance.
    const double slack = margin + 1e-12 * std::max(std::fabs(ox), std::fabs(oz));
    const double a = mainOrigin + t0 * mainStep, b = mainOrigin + t1 * mainStep;
    uint32_t firstStrip, lastStrip;
    if (!stripRange(std::min(a, b) - slack, std::max(a, b) + slack, firstStrip, lastStrip)) return;
    for (uint32_t strip = firstStrip; strip <= lastStrip; ++strip) {
        const double low = stripStart + strip * stripSize - slack;
        const double high = low + stripSize + 2.0 * slack;
        double ta = (low - mainOrigin) / mainStep, tb = (high - mainOrigin) / mainStep;
        if (ta > tb) std::swap(ta, tb);
        ta = std::clamp(ta, t0, t1);
        tb = std::clamp(tb, t0, t1);
        const double ca = crossOrigin + ta * crossStep, cb = crossOrigin + tb * crossStep;
        uint32_t first, last;
        if (!crossRange(std::min(ca, cb) - slack, std::max(ca, cb) + slack, first, last)) continue;
        for (uint32_t across = first; across <= last; ++across) {
            if (alongX)
                VisitCell(strip, across, visit);
            else
                VisitCell(across, strip, visit);
        }
    }
}

bool TriangleGrid::Intersect(const CpuMesh& mesh, const D3DVECTOR& origin,
                             const D3DVECTOR& direction, RayHit& nearest) const {
    const auto candidates = [&](auto&& visit) { VisitCandidates(origin, direction, visit); };
    return NearestHit(mesh, origin, direction, candidates, nearest);
}

void TriangleGrid::IntersectAll(const CpuMesh& mesh, const D3DVECTOR& origin,
                                const D3DVECTOR& direction, std::vector<RayHit>& hits) const {
    const auto candidates = [&](auto&& visit) { VisitCandidates(origin, direction, visit); };
    EveryHit(mesh, origin, direction, candidates, hits);
    std::sort(hits.begin(), hits.end(),
              [](const RayHit& a, const RayHit& b) { return a.face < b.face; });
    hits.erase(std::unique(hits.begin(), hits.end(),
                           [](const RayHit& a, const RayHit& b) { return a.face == b.face; }),
               hits.end());
}
