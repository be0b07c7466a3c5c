#include "render/mesh_object.h"

#include <cstring>
#include <string>

#include "core/media_path.h"
#include "platform/freed_memory.h"
#include "platform/message_box.h"
#include "race/game_state.h"
#include "render/d3dx_math.h"
#include "render/d3dx_mesh.h"
#include "render/d3dx_texture.h"
#include "render/device.h"

TextureSlot textureCache[textureCacheSize];
int32_t textureCount = 0;
int32_t lastTextureSlot = -1;

MeshObject* trackObject = nullptr;
MeshObject* carObject = nullptr;
MeshObject* robotObjects[robotCount] = {};
MeshObject* treeObjects[treeCount] = {};
MeshObject* advertObject = nullptr;
MeshObject* flagObjects[flagCount] = {};

const char* const treeMeshNames[6] = {"tree1.x",  "tree2.x",  "tree3.x",
                                      "tree1b.x", "tree2b.x", "tree3b.x"};

namespace {

constexpr int32_t noTexture = -1;
constexpr size_t nameCapacity = sizeof(TextureSlot::name);

void CopyName(char (&destination)[nameCapacity], const char* source) {
    std::strncpy(destination, source, nameCapacity - 1);
    destination[nameCapacity - 1] = '\0';
}

void Destroy(MeshObject*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

void ClearTextureCache() {
    for (TextureSlot& slot : textureCache) {
        slot.name[0] = '\0';
        slot.texture = nullptr;
    }
}

int32_t LoadTextureCached(const char* name) {
    for (int32_t slot = 0; slot < textureCount; ++slot) {
        if (std::strcmp(textureCache[slot].name, name) == 0) return slot;
    }
    // The game's meshes name far fewer textures than the cache holds; a name
    // beyond it is drawn untextured rather than written past the table.
    if (textureCount >= textureCacheSize) return noTexture;

    const int32_t slot = textureCount;
    CopyName(textureCache[slot].name, name);
    const std::string path = MediaPath(name);
    if (FAILED(D3DXCreateTextureFromFileA(device, path.c_str(), &textureCache[slot].texture))) {
        textureCache[slot].texture = nullptr;
        MessageBoxA(nullptr, "Warning: Could not load texture file.", "Tolvarin", MB_OK);
    }
    textureCount = slot + 1;
    return slot;
}

MeshObject::MeshObject() {
    D3DXMatrixIdentity(&world);
}

MeshObject::MeshObject(const char* fileName, IDirect3DDevice9* drawingDevice) : MeshObject() {
    Load(fileName, drawingDevice);
}

MeshObject::~MeshObject() {
    delete[] materials;
    delete[] textureSlots;
    if (mesh) mesh->Release();
}

HRESULT MeshObject::Load(const char* fileName, IDirect3DDevice9* newDevice) {
    device = newDevice;
    D3DXMatrixIdentity(&world);
    const std::string path = MediaPath(fileName);

    ID3DXBuffer* materialBuffer = nullptr;
    DWORD count = 0;
    ID3DXMesh* loaded = nullptr;
    if (FAILED(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr,
                                  &materialBuffer, nullptr, &count, &loaded))) {
        MessageBoxA(nullptr, "Could not find mesh file in the media directory.", "Tolvarin", MB_OK);
        return E_FAIL;
    }
    mesh = loaded;
    materialCount = count;
    materials = new D3DMATERIAL9[materialCount];
    textureSlots = new int32_t[materialCount];

    const auto* fileMaterials =
        static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
    for (uint32_t i = 0; i < materialCount; ++i) {
        materials[i] = fileMaterials[i].MatD3D;
        // Lit by the white ambient of daylight, every surface then shows its
        // full diffuse colour.
        materials[i].Ambient = materials[i].Diffuse;
        textureSlots[i] = noTexture;
        const char* textureName = fileMaterials[i].pTextureFilename;
        if (textureName && textureName[0] != '\0') {
            char name[nameCapacity];
            CopyName(name, textureName);
            textureSlots[i] = LoadTextureCached(name);
        }
    }
    materialBuffer->Release();
    return S_OK;
}

void MeshObject::UpdateWorld() {
    D3DXMATRIX rotationMatrix;
    D3DXMATRIX translation;
    D3DXMatrixRotationYawPitchRoll(&rotationMatrix, rotation.y, rotation.x, rotation.z);
    D3DXMatrixTranslation(&translation, position.x, position.y, position.z);
    D3DXMatrixMultiply(&world, &rotationMatrix, &translation);
}

int MeshObject::Draw() {
    if (state == -1) return 0;
    if (autoMatrix) UpdateWorld();
    if (parentMatrix) {
        D3DXMatrixMultiply(&world, &world, parentMatrix);
    }
    for (uint32_t i = 0; i < materialCount; ++i) {
        device->SetMaterial(&materials[i]);
        // Binding only on a change saves most texture switches: the cache's
        // slot is shared by all objects and kept across frames.
        if (textureSlots[i] != lastTextureSlot) {
            IDirect3DTexture9* texture =
                textureSlots[i] == noTexture ? nullptr : textureCache[textureSlots[i]].texture;
            device->SetTexture(0, texture);
            lastTextureSlot = textureSlots[i];
        }
        device->SetTransform(D3DTS_WORLD, &world);
        mesh->DrawSubset(i);
    }
    return 0;
}

HRESULT LoadMeshes() {
    // The order decides which texture takes which cache slot.
    trackObject = new MeshObject("track.x", device);
    carObject = new MeshObject("cockpit.x", device);
    for (MeshObject*& robot : robotObjects) robot = new MeshObject("zorvek.x", device);
    for (int i = 0; i < treeCount; ++i) {
        treeObjects[i] = new MeshObject(treeMeshNames[i / 6], device);
    }
    advertObject = new MeshObject("advert.x", device);
    for (int j = 0; j < flagCount; ++j) {
        flagObjects[j] = new MeshObject("flag.x", device);
        // Flags ride on robots 0 and 2: their places are relative to the robot.
        flagObjects[j]->parentMatrix = &robotObjects[2 * j]->world;
    }
    ShowRaceMessage(0);
    // Parsing the files and decoding their pictures left freed temporaries.
    ReturnFreedMemory();
    return S_OK;
}

void ReleaseMeshes() {
    Destroy(trackObject);
    Destroy(carObject);
    for (MeshObject*& robot : robotObjects) Destroy(robot);
    for (MeshObject*& tree : treeObjects) Destroy(tree);
    Destroy(advertObject);
    for (MeshObject*& flag : flagObjects) Destroy(flag);
    for (TextureSlot& slot : textureCache) {
        if (slot.texture) {
            slot.texture->Release();
            slot.texture = nullptr;
        }
    }
}
