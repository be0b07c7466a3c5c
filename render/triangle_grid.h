#pragma once
// The ray test behind D3DXIntersect: Moller-Trumbore against every triangle,
// hits counted from either side (the ground is probed from below), and a
// uniform grid over x and z so that the nine ground probes of a racing frame
// look only at the triangles near each ray.
#include <cstdint>
#include <vector>

#include "platform/d3d9_types.h"
#include "render/cpu_mesh.h"

// The point hit is v0 + u (v1 - v0) + v (v2 - v0) of triangle `face`, and
// origin + distance x direction along the ray.
struct RayHit {
    uint32_t face;
    float u;
    float v;
    float distance;
};

// The nearest hit of the ray (distance >= 0); among hits at the same distance,
// the lowest face. `nearest` is written only on a hit.
bool IntersectBruteForce(const CpuMesh& mesh, const D3DVECTOR& origin, const D3DVECTOR& direction,
                         RayHit& nearest);
// Every hit, in ascending face order.
void IntersectAllBruteForce(const CpuMesh& mesh, const D3DVECTOR& origin,
                            const D3DVECTOR& direction, std::vector<RayHit>& hits);

// A triangle's x-z bounds, widened a little in proportion to its size.
struct TriangleBounds {
    double minX, minZ, maxX, maxZ;
};

// A uniform grid of cells over the mesh's x-z extent, each listing the
// triangles whose (slightly widened) x-z bounds overlap it. The answers are
// those of the brute-force scan, bit for bit: the same triangle test runs on a
// subset that is sure to hold every triangle the ray can hit.
class TriangleGrid {
  public:
    // Built once per mesh; the mesh must not change afterwards.
    void Build(const CpuMesh& mesh);
    bool Intersect(const CpuMesh& mesh, const D3DVECTOR& origin, const D3DVECTOR& direction,
                   RayHit& nearest) const;
    void IntersectAll(const CpuMesh& mesh, const D3DVECTOR& origin, const D3DVECTOR& direction,
                      std::vector<RayHit>& hits) const;

    uint32_t CellsAcross() const { return columns; }
    uint32_t CellsDeep() const { return rows; }

  private:
    template <typename Visit>
    void VisitCandidates(const D3DVECTOR& origin, const D3DVECTOR& direction, Visit&& visit) const;
    template <typename Visit>
    void VisitCell(uint32_t column, uint32_t row, Visit& visit) const;
    bool ColumnRange(double low, double high, uint32_t& first, uint32_t& last) const;
    bool RowRange(double low, double high, uint32_t& first, uint32_t& last) const;

    // The steps of Build, in order.
    double MeasureFaces(const CpuMesh& mesh, std::vector<TriangleBounds>& bounds,
                        std::vector<uint8_t>& listed);
    bool WidenAndEnclose(double scale, std::vector<TriangleBounds>& bounds,
                         const std::vector<uint8_t>& listed);
    void ChooseCells(uint32_t faceCount);
    bool CellsOf(const TriangleBounds& box, uint32_t& firstColumn, uint32_t& lastColumn,
                 uint32_t& firstRow, uint32_t& lastRow) const;
    std::vector<uint32_t> CountCellFaces(const std::vector<TriangleBounds>& bounds,
                                         std::vector<uint8_t>& listed);
    void FillCells(const std::vector<TriangleBounds>& bounds, const std::vector<uint8_t>& listed,
                   const std::vector<uint32_t>& counts);

    double minX = 0.0, minZ = 0.0, maxX = 0.0, maxZ = 0.0;
    double cellWidth = 1.0, cellDepth = 1.0;
    double margin = 0.0;  // how much further every listed triangle is widened
    uint32_t columns = 0, rows = 0;
    std::vector<uint32_t> cellStart;        // columns * rows + 1 offsets into cellFaces
    std::vector<uint32_t> cellFaces;        // the faces of each cell, ascending
    std::vector<uint32_t> everywhereFaces;  // too large or not finite: tested by every ray
};
