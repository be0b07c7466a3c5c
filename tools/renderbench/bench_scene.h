#pragma once
// A scene shaped like a race: one large textured ground mesh and 39 small
// objects, 31 of them alpha-blended billboards, drawn the way the game's
// frame draws them. Generated, so the benchmark needs no media files.
#include <vector>

#include "platform/d3d9.h"

struct BenchObject {
    IDirect3DMeshBuffers9* mesh = nullptr;
    UINT indexCount = 0;
    D3DMATERIAL9 material{};
    int textureSlot = -1;
    D3DMATRIX world{};
};

struct BenchScene {
    std::vector<IDirect3DTexture9*> textures;
    std::vector<BenchObject> opaque;   // ground first, then the 8 solid objects
    std::vector<BenchObject> blended;  // the 31 billboards
    UINT triangleCount = 0;

    HRESULT Create(IDirect3DDevice9* device);
    void Release();
};

// One frame in the game's order: clear, projection and view, the opaque
// objects, the blended ones, two HUD lines, present. With `sceneObjects`
// false it only clears and presents.
void DrawBenchFrame(IDirect3DDevice9* device, const BenchScene& scene, bool sceneObjects,
                    float time);
