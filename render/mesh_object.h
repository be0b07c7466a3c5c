#pragma once
// Everything the game draws in 3D: a mesh from a .x file with its materials,
// shared textures, a place and an orientation, and the world matrix built from
// them at every draw. Also the texture cache and the 40 objects of a game.
#include <cstdint>

#include "platform/d3d9.h"

class ID3DXMesh;

constexpr int textureCacheSize = 100;

struct TextureSlot {
    char name[260];  // the texture file name as the mesh gives it; empty while free
    IDirect3DTexture9* texture;
};

extern TextureSlot textureCache[textureCacheSize];
extern int32_t textureCount;     // index of the next slot to fill
extern int32_t lastTextureSlot;  // slot last bound to stage 0 by Draw; -1 for none

void ClearTextureCache();
int32_t LoadTextureCached(const char* name);

class MeshObject {
  public:
    // An empty object: no mesh, nothing drawn; tests and tools fill it in.
    MeshObject();
    // Starts empty, then loads the file (the result of Load is not looked at).
    MeshObject(const char* fileName, IDirect3DDevice9* drawingDevice);
    ~MeshObject();
    MeshObject(const MeshObject&) = delete;
    MeshObject& operator=(const MeshObject&) = delete;

    HRESULT Load(const char* fileName, IDirect3DDevice9* device);
    void UpdateWorld();
    int Draw();

    uint32_t materialCount = 0;
    ID3DXMesh* mesh = nullptr;
    D3DMATERIAL9* materials = nullptr;
    int32_t* textureSlots = nullptr;
    IDirect3DDevice9* device = nullptr;
    int32_t state = 0;  // 0 present; -1 removed: not drawn, not hit-tested
    D3DVECTOR position{};
    D3DVECTOR rotation{};  // radians: x pitch, y yaw, z roll
    D3DVECTOR velocity{};  // the robots' displacement per frame
    bool autoMatrix = true;
    D3DMATRIX world;  // identity at creation
    const D3DMATRIX* parentMatrix = nullptr;
};

constexpr int robotCount = 4;
constexpr int treeCount = 31;
constexpr int flagCount = 2;

extern MeshObject* trackObject;
extern MeshObject* carObject;
extern MeshObject* robotObjects[robotCount];
extern MeshObject* treeObjects[treeCount];
extern MeshObject* advertObject;
extern MeshObject* flagObjects[flagCount];

extern const char* const treeMeshNames[6];

HRESULT LoadMeshes();
// Step one of releasing the device: the 40 objects, then the textures.
void ReleaseMeshes();
