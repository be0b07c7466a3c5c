#include "render/ghost_drawing.h"

#include "race/game_state.h"
#include "render/d3dx_math.h"
#include "render/d3dx_mesh.h"
#include "render/device.h"
#include "render/mesh_object.h"

bool ghostDrawn = false;
GhostSample ghostDrawnAt{};

namespace {

// A pale, untextured copy of the car, more than half see-through, lit a
// little from within so that it shows at night too.
D3DMATERIAL9 GhostMaterial() {
    D3DMATERIAL9 material{};
    material.Diffuse = {0.75f, 0.85f, 1.0f, 0.4f};
    material.Ambient = {0.75f, 0.85f, 1.0f, 0.4f};
    material.Emissive = {0.2f, 0.25f, 0.3f, 0.0f};
    return material;
}

}  // namespace

void DrawGhost() {
    ghostDrawn = false;
    if (!ghostShown || carObject == nullptr || carObject->mesh == nullptr) return;
    GhostSample place{};
    if (!bestGhost.PlaceAt(raceTime, place)) return;

    D3DXMATRIX turn;
    D3DXMATRIX move;
    D3DXMATRIX world;
    D3DXMatrixRotationYawPitchRoll(&turn, place.yaw, 0.0f, 0.0f);
    D3DXMatrixTranslation(&move, place.x, place.y, place.z);
    D3DXMatrixMultiply(&world, &turn, &move);

    const D3DMATERIAL9 material = GhostMaterial();
    device->SetMaterial(&material);
    device->SetTexture(0, nullptr);
    // The objects drawn next bind their textures again.
    lastTextureSlot = -1;
    // Nothing behind the ghost is hidden by it: it writes no depth.
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetTransform(D3DTS_WORLD, &world);
    for (uint32_t i = 0; i < carObject->materialCount; ++i) carObject->mesh->DrawSubset(i);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    ghostDrawn = true;
    ghostDrawnAt = place;
}
