#include "model.h"

#include <cmath>
#include <numbers>

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 Normalised(const Vec3& v) {
    double length = std::sqrt(Dot(v, v));
    return length > 0 ? v * (1.0 / length) : Vec3{0, 1, 0};
}

uint32_t Model::AddMaterial(const ModelMaterial& material) {
    materials.push_back(material);
    return static_cast<uint32_t>(materials.size() - 1);
}

uint32_t Model::AddVertex(const ModelVertex& vertex) {
    auto key =
        std::make_tuple(vertex.position.x, vertex.position.y, vertex.position.z, vertex.normal.x,
                        vertex.normal.y, vertex.normal.z, vertex.u, vertex.v);
    auto found = vertexIndex.find(key);
    if (found != vertexIndex.end()) return found->second;
    vertices.push_back(vertex);
    uint32_t index = static_cast<uint32_t>(vertices.size() - 1);
    vertexIndex.emplace(key, index);
    return index;
}

void Model::AddTriangle(uint32_t material, uint32_t a, uint32_t b, uint32_t c) {
    faces.push_back({a, b, c});
    faceMaterials.push_back(material);
}

void Model::AddFacingTriangle(uint32_t material, const Vec3& a, const Vec3& b, const Vec3& c,
                              const Vec3& towards, const std::array<double, 6>& uv) {
    Vec3 normal = Cross(b - a, c - a);
    Vec3 n = Normalised(Dot(normal, towards) >= 0 ? normal : normal * -1.0);
    uint32_t ia = AddVertex({a, n, uv[0], uv[1]});
    uint32_t ib = AddVertex({b, n, uv[2], uv[3]});
    uint32_t ic = AddVertex({c, n, uv[4], uv[5]});
    if (Dot(normal, towards) >= 0) {
        AddTriangle(material, ia, ib, ic);
    } else {
        AddTriangle(material, ia, ic, ib);
    }
}

void Model::AddFacingQuad(uint32_t material, const Vec3& a, const Vec3& b, const Vec3& c,
                          const Vec3& d, const Vec3& towards, const std::array<double, 8>& uv) {
    AddFacingTriangle(material, a, b, c, towards, {uv[0], uv[1], uv[2], uv[3], uv[4], uv[5]});
    AddFacingTriangle(material, a, c, d, towards, {uv[0], uv[1], uv[4], uv[5], uv[6], uv[7]});
}

void Model::AddTwoSidedQuad(uint32_t material, const Vec3& a, const Vec3& b, const Vec3& c,
                            const Vec3& d, const Vec3& front, const std::array<double, 8>& uv) {
    AddFacingQuad(material, a, b, c, d, front, uv);
    AddFacingQuad(material, a, b, c, d, front * -1.0, uv);
}

void Model::AddBox(uint32_t material, const Vec3& low, const Vec3& high) {
    AddTaperedBox(material, low, high, 0, 0);
}

void Model::AddTaperedBox(uint32_t material, const Vec3& low, const Vec3& high, double topInsetX,
                          double topInsetZ) {
    double x0 = low.x, x1 = high.x, y0 = low.y, y1 = high.y, z0 = low.z, z1 = high.z;
    double tx0 = x0 + topInsetX, tx1 = x1 - topInsetX, tz0 = z0 + topInsetZ, tz1 = z1 - topInsetZ;
    AddBlock(material,
             {Vec3{x0, y0, z0}, Vec3{x1, y0, z0}, Vec3{x1, y0, z1}, Vec3{x0, y0, z1},
              Vec3{tx0, y1, tz0}, Vec3{tx1, y1, tz0}, Vec3{tx1, y1, tz1}, Vec3{tx0, y1, tz1}});
}

void Model::AddBlock(uint32_t material, const std::array<Vec3, 8>& c, uint32_t endMaterial) {
    Vec3 centre;
    for (const Vec3& corner : c) centre = centre + corner * 0.125;
    const std::array<double, 8> uv{0, 1, 1, 1, 1, 0, 0, 0};
    auto face = [&](uint32_t m, const Vec3& a, const Vec3& b, const Vec3& d, const Vec3& e) {
        Vec3 middle = (a + b + d + e) * 0.25;
        AddFacingQuad(m, a, b, d, e, middle - centre, uv);
    };
    face(material, c[0], c[1], c[5], c[4]);
    face(material, c[1], c[2], c[6], c[5]);
    face(material, c[2], c[3], c[7], c[6]);
    face(material, c[3], c[0], c[4], c[7]);
    face(endMaterial == noMaterial ? material : endMaterial, c[4], c[5], c[6], c[7]);
    face(material, c[3], c[2], c[1], c[0]);
}

void Model::AddBeam(uint32_t material, const Vec3& from, const Vec3& to, double thickness) {
    Vec3 along = Normalised(to - from);
    Vec3 helper = std::abs(along.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 side = Normalised(Cross(helper, along)) * (thickness / 2);
    Vec3 up = Normalised(Cross(along, side)) * (thickness / 2);
    AddBlock(material, {from - side - up, from + side - up, from + side + up, from - side + up,
                        to - side - up, to + side - up, to + side + up, to - side + up});
}

void Model::AddWheel(uint32_t tyreMaterial, uint32_t hubMaterial, const Vec3& centre, double radius,
                     double halfWidth, int sides) {
    const double pi = std::numbers::pi;
    for (int i = 0; i < sides; ++i) {
        double a0 = 2 * pi * i / sides, a1 = 2 * pi * (i + 1) / sides;
        Vec3 r0{0, std::sin(a0), std::cos(a0)}, r1{0, std::sin(a1), std::cos(a1)};
        Vec3 p00 = centre + Vec3{-halfWidth, 0, 0} + r0 * radius;
        Vec3 p01 = centre + Vec3{halfWidth, 0, 0} + r0 * radius;
        Vec3 p10 = centre + Vec3{-halfWidth, 0, 0} + r1 * radius;
        Vec3 p11 = centre + Vec3{halfWidth, 0, 0} + r1 * radius;
        double u0 = double(i) / sides, u1 = double(i + 1) / sides;
        uint32_t a = AddVertex({p00, r0, u0, 0}), b = AddVertex({p01, r0, u0, 1});
        uint32_t c = AddVertex({p11, r1, u1, 1}), d = AddVertex({p10, r1, u1, 0});
        // Seen from outside the tread: orient by the outward normal.
        if (Dot(Cross(p01 - p00, p11 - p00), r0 + r1) >= 0) {
            AddTriangle(tyreMaterial, a, b, c);
            AddTriangle(tyreMaterial, a, c, d);
        } else {
            AddTriangle(tyreMaterial, a, c, b);
            AddTriangle(tyreMaterial, a, d, c);
        }
        for (int side = -1; side <= 1; side += 2) {
            Vec3 hub = centre + Vec3{side * halfWidth, 0, 0};
            Vec3 q0 = hub + r0 * radius, q1 = hub + r1 * radius;
            AddFacingTriangle(hubMaterial, hub, q0, q1, Vec3{double(side), 0, 0},
                              {0.5, 0.5, 0.5 + 0.5 * std::cos(a0), 0.5 - 0.5 * std::sin(a0),
                               0.5 + 0.5 * std::cos(a1), 0.5 - 0.5 * std::sin(a1)});
        }
    }
}

void Model::AddUpright(uint32_t material, const Vec3& base, double radius, double height,
                       int sides) {
    const double pi = std::numbers::pi;
    Vec3 top = base + Vec3{0, height, 0};
    for (int i = 0; i < sides; ++i) {
        double a0 = 2 * pi * i / sides, a1 = 2 * pi * (i + 1) / sides;
        Vec3 r0{std::cos(a0), 0, std::sin(a0)}, r1{std::cos(a1), 0, std::sin(a1)};
        Vec3 p00 = base + r0 * radius, p01 = top + r0 * radius;
        Vec3 p10 = base + r1 * radius, p11 = top + r1 * radius;
        double u0 = double(i) / sides, u1 = double(i + 1) / sides;
        uint32_t a = AddVertex({p00, r0, u0, 1}), b = AddVertex({p01, r0, u0, 0});
        uint32_t c = AddVertex({p11, r1, u1, 0}), d = AddVertex({p10, r1, u1, 1});
        if (Dot(Cross(p01 - p00, p11 - p00), r0 + r1) >= 0) {
            AddTriangle(material, a, b, c);
            AddTriangle(material, a, c, d);
        } else {
            AddTriangle(material, a, c, b);
            AddTriangle(material, a, d, c);
        }
        AddFacingTriangle(material, top, p01, p11, Vec3{0, 1, 0}, {0.5, 0.5, u0, 0, u1, 0});
        AddFacingTriangle(material, base, p00, p10, Vec3{0, -1, 0}, {0.5, 0.5, u0, 1, u1, 1});
    }
}

void Model::AddBall(uint32_t material, const Vec3& centre, const Vec3& scale, int slices,
                    int stacks) {
    const double pi = std::numbers::pi;
    auto point = [&](int i, int j, Vec3& normal) {
        double theta = 2 * pi * i / slices, phi = pi * j / stacks;
        Vec3 unit{std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta)};
        normal = Normalised({unit.x / scale.x, unit.y / scale.y, unit.z / scale.z});
        return centre + Vec3{unit.x * scale.x, unit.y * scale.y, unit.z * scale.z};
    };
    for (int j = 0; j < stacks; ++j) {
        for (int i = 0; i < slices; ++i) {
            Vec3 n00, n10, n01, n11;
            Vec3 p00 = point(i, j, n00), p10 = point(i + 1, j, n10);
            Vec3 p01 = point(i, j + 1, n01), p11 = point(i + 1, j + 1, n11);
            double u0 = double(i) / slices, u1 = double(i + 1) / slices;
            double v0 = double(j) / stacks, v1 = double(j + 1) / stacks;
            Vec3 outward = (n00 + n10 + n01 + n11);
            // Vertices are added only for triangles that are kept: the ones
            // collapsed at a pole would leave unused vertices behind.
            auto tri = [&](const ModelVertex& x, const ModelVertex& y, const ModelVertex& z) {
                Vec3 normal = Cross(y.position - x.position, z.position - x.position);
                if (Dot(normal, normal) < 1e-18) return;
                uint32_t a = AddVertex(x), b = AddVertex(y), c = AddVertex(z);
                if (Dot(normal, outward) >= 0) {
                    AddTriangle(material, a, b, c);
                } else {
                    AddTriangle(material, a, c, b);
                }
            };
            ModelVertex a{p00, n00, u0, v0}, b{p10, n10, u1, v0}, c{p11, n11, u1, v1},
                d{p01, n01, u0, v1};
            tri(a, b, c);
            tri(a, c, d);
        }
    }
}
