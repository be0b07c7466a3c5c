#pragma once
// A mesh as the generator builds it: materials, shared vertices and triangles,
// written out by x_file_writer. Coordinates are Direct3D's: left-handed, y up,
// and a triangle is seen from the side where its corners run clockwise.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "picture.h"

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(const Vec3& a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
// The usual cross product; in Direct3D's left-handed space (b - a) x (c - a)
// points towards a viewer who sees a, b, c clockwise.
Vec3 Cross(const Vec3& a, const Vec3& b);
double Dot(const Vec3& a, const Vec3& b);
Vec3 Normalised(const Vec3& v);

struct ModelMaterial {
    std::string name;
    Colour diffuse{1, 1, 1, 1};
    double power = 0;
    Colour specular{0, 0, 0, 1};
    Colour emissive{0, 0, 0, 1};
    std::string texture;  // bare file name in the media folder; empty for none
};

struct ModelVertex {
    Vec3 position;
    Vec3 normal;
    double u = 0, v = 0;
};

constexpr uint32_t noMaterial = 0xFFFFFFFFu;

struct Model {
    std::string name;
    std::vector<ModelMaterial> materials;
    std::vector<ModelVertex> vertices;
    std::vector<std::array<uint32_t, 3>> faces;
    std::vector<uint32_t> faceMaterials;

    uint32_t AddMaterial(const ModelMaterial& material);
    // Equal vertices are stored once.
    uint32_t AddVertex(const ModelVertex& vertex);
    // Corners as given: the caller has wound them clockwise for the viewer.
    void AddTriangle(uint32_t material, uint32_t a, uint32_t b, uint32_t c);
    // Flat triangle whose visible side faces `towards`; normals are the face's.
    void AddFacingTriangle(uint32_t material, const Vec3& a, const Vec3& b, const Vec3& c,
                           const Vec3& towards, const std::array<double, 6>& uv);
    // Flat quad a-b-c-d (in order round its rim) whose visible side faces
    // `towards`; texture corners (u, v) in the same order.
    void AddFacingQuad(uint32_t material, const Vec3& a, const Vec3& b, const Vec3& c,
                       const Vec3& d, const Vec3& towards, const std::array<double, 8>& uv);
    // The same quad visible from both sides, each side lit from its own side.
    void AddTwoSidedQuad(uint32_t material, const Vec3& a, const Vec3& b, const Vec3& c,
                         const Vec3& d, const Vec3& front, const std::array<double, 8>& uv);
    // Axis-aligned box from `low` to `high`, all six faces outwards; the
    // texture spans each face once.
    void AddBox(uint32_t material, const Vec3& low, const Vec3& high);
    // A box whose top is narrower than its base (a tapered block), outwards.
    void AddTaperedBox(uint32_t material, const Vec3& low, const Vec3& high, double topInsetX,
                       double topInsetZ);
    // Any six-sided block: the four corners of one end, then the four of the
    // other end in the same order. Faces outwards; the face of the second
    // ring may take its own material (a striped bonnet top).
    void AddBlock(uint32_t material, const std::array<Vec3, 8>& corners,
                  uint32_t endMaterial = noMaterial);
    // A square bar of `thickness` from `from` to `to` (arms, posts, struts).
    void AddBeam(uint32_t material, const Vec3& from, const Vec3& to, double thickness);
    // Cylinder along the x axis (wheels): centre, radius, half width; smooth
    // sides, flat caps; texture u runs round the tread.
    void AddWheel(uint32_t tyreMaterial, uint32_t hubMaterial, const Vec3& centre, double radius,
                  double halfWidth, int sides);
    // Cylinder along y from `base` up by `height`, smooth sides, capped.
    void AddUpright(uint32_t material, const Vec3& base, double radius, double height, int sides);
    // Sphere squashed by `scale`, smooth; texture wraps once round y.
    void AddBall(uint32_t material, const Vec3& centre, const Vec3& scale, int slices, int stacks);

  private:
    std::map<std::tuple<double, double, double, double, double, double, double, double>, uint32_t>
        vertexIndex;
};
