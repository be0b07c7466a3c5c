#include "platform/mesh_pieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "render/d3dx_math.h"

// The ground's triangles as the GL gets them: regrouped into pieces the view
// can leave out, every triangle still sent once, with its own material.

namespace {

using Triangle = std::array<uint32_t, 3>;

// A flat square of `side` x `side` cells, two triangles each, listed in an
// order that jumps about the square as a triangulation's does; subset 0 holds
// them all, subset 1 a last few more.
struct Ground {
    std::vector<D3DVERTEX> vertices;
    std::vector<uint32_t> indices;
    std::vector<MeshRange> subsets;
};

Ground ScatteredGround(uint32_t side, uint32_t extra) {
    Ground mesh;
    for (uint32_t z = 0; z <= side; ++z) {
        for (uint32_t x = 0; x <= side; ++x) {
            D3DVERTEX vertex{};
            vertex.position = {static_cast<float>(x), 0.0f, static_cast<float>(z)};
            mesh.vertices.push_back(vertex);
        }
    }
    const uint32_t cells = side * side;
    auto addCell = [&](uint32_t cell) {
        const uint32_t x = cell % side, z = cell / side, row = side + 1;
        const uint32_t a = z * row + x;
        mesh.indices.insert(mesh.indices.end(), {a, a + row, a + 1, a + 1, a + row, a + row + 1});
    };
    for (uint32_t k = 0; k < cells; ++k) addCell((k * 7919u) % cells);  // 7919 is prime
    for (uint32_t k = 0; k < extra; ++k) addCell(k);
    mesh.subsets = {{0, 6 * cells}, {6 * cells, 6 * extra}};
    return mesh;
}

std::vector<Triangle> Triangles(const std::vector<uint32_t>& indices, uint32_t first,
                                uint32_t count) {
    std::vector<Triangle> triangles;
    for (uint32_t i = first; i < first + count; i += 3) {
        triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
    }
    return triangles;
}

std::vector<PiecedRange> Split(const Ground& mesh, uint32_t trianglesPerPiece) {
    return SplitIntoPieces(mesh.vertices.data(), static_cast<uint32_t>(mesh.vertices.size()),
                           mesh.indices.data(), static_cast<uint32_t>(mesh.indices.size()),
                           mesh.subsets.data(), static_cast<uint32_t>(mesh.subsets.size()),
                           trianglesPerPiece);
}

MeshPiece Box(D3DVECTOR low, D3DVECTOR high) {
    return {low, high};
}

}  // namespace

TEST(MeshPieces, TheTrianglesOfThePiecesInSightAreSentInTheFilesOrderAndNoOthers) {
    const Ground mesh = ScatteredGround(40, 5);  // 3,200 triangles, then 10
    const std::vector<PiecedRange> ranges = Split(mesh, 128);
    ASSERT_EQ(ranges.size(), 2u);
    const PiecedRange& ground = ranges[0];
    EXPECT_GT(ground.pieces.size(), 16u);
    ASSERT_EQ(ground.pieceOfTriangle.size(), 3200u);
    EXPECT_EQ(ranges[1].pieces.size(), 1u);  // too few to split
    EXPECT_TRUE(ranges[1].pieceOfTriangle.empty());

    const std::vector<Triangle> inFile = Triangles(mesh.indices, 0, mesh.subsets[0].indexCount);
    for (size_t t = 0; t < inFile.size(); ++t) {
        const MeshPiece& piece = ground.pieces.at(ground.pieceOfTriangle[t]);
        for (uint32_t index : inFile[t]) {
            const D3DVECTOR& p = mesh.vertices[index].position;
            EXPECT_TRUE(p.x >= piece.low.x && p.x <= piece.high.x && p.z >= piece.low.z &&
                        p.z <= piece.high.z);
        }
    }
    for (const MeshPiece& piece : ground.pieces) {
        // A compact patch, not a strip across the square.
        EXPECT_LE(piece.high.x - piece.low.x, 10.0f);
        EXPECT_LE(piece.high.z - piece.low.z, 10.0f);
    }

    std::vector<uint8_t> inSight(ground.pieces.size(), 1);
    std::vector<uint32_t> out(mesh.subsets[0].indexCount);
    EXPECT_EQ(GatherInSight(ground, mesh.indices.data(), inSight, out.data()), out.size());
    EXPECT_EQ(out, std::vector<uint32_t>(mesh.indices.begin(),
                                         mesh.indices.begin() + mesh.subsets[0].indexCount));

    for (size_t piece = 0; piece < inSight.size(); ++piece) inSight[piece] = piece % 2;
    std::vector<Triangle> expected;
    for (size_t t = 0; t < inFile.size(); ++t) {
        if (ground.pieceOfTriangle[t] % 2 == 1) expected.push_back(inFile[t]);
    }
    const uint32_t sent = GatherInSight(ground, mesh.indices.data(), inSight, out.data());
    EXPECT_EQ(Triangles(out, 0, sent), expected);
}

TEST(MeshPieces, SubsetsTheLoaderCouldNotVouchForAreNotPieced) {
    Ground outOfRange = ScatteredGround(4, 1);
    outOfRange.indices[5] = static_cast<uint32_t>(outOfRange.vertices.size());
    Ground overlapping = ScatteredGround(4, 1);
    overlapping.subsets[1].firstIndex = 3;
    Ground pastTheEnd = ScatteredGround(4, 1);
    pastTheEnd.subsets[1].indexCount += 3;
    for (const Ground& ground : {outOfRange, overlapping, pastTheEnd}) {
        EXPECT_TRUE(Split(ground, 2).empty());
    }
}

TEST(MeshPieces, OnlyWhatLiesWhollyOutsideTheViewIsLeftOut) {
    // The game's camera: 45 degrees, near 3.7, far 500, looking along +z.
    D3DXMATRIX projection, view, both;
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398185f, 1.0f, 3.7f, 500.0f);
    const D3DXVECTOR3 eye(0.0f, 2.0f, 0.0f), target(0.0f, 2.0f, 10.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixMultiply(&both, &view, &projection);
    const ViewVolume volume = ViewVolumeOf(both);

    EXPECT_TRUE(MayBeSeen(volume, Box({-1, 0, 20}, {1, 1, 22})));     // ahead
    EXPECT_FALSE(MayBeSeen(volume, Box({-1, 0, -30}, {1, 1, -10})));  // behind
    EXPECT_FALSE(MayBeSeen(volume, Box({40, 0, 20}, {50, 1, 22})));   // far to the right
    EXPECT_TRUE(MayBeSeen(volume, Box({3, 0, 10}, {50, 1, 12})));     // across the edge
    EXPECT_FALSE(MayBeSeen(volume, Box({-1, 0, 510}, {1, 1, 520})));  // past the far plane
    EXPECT_FALSE(MayBeSeen(volume, Box({-0.5f, 1.5f, 0.5f}, {0.5f, 2.5f, 3.0f})));  // too near
    EXPECT_TRUE(MayBeSeen(volume, Box({-100, -5, -100}, {100, 0, 100})));           // all around
}
