// The Direct3D 9 device on OpenGL: its render states, transforms, light,
// material and texture stage, recorded to be applied at each draw.
#include "platform/gl_device_parts.h"

namespace gl_device {

HRESULT GlDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    switch (state) {
        case D3DRS_ZENABLE:
            renderStates.zEnable = value;
            return D3D_OK;
        case D3DRS_ZWRITEENABLE:
            renderStates.zWriteEnable = value;
            return D3D_OK;
        case D3DRS_ALPHABLENDENABLE:
            renderStates.alphaBlendEnable = value;
            return D3D_OK;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            if (value < D3DBLEND_ZERO || value > D3DBLEND_INVDESTCOLOR) return D3DERR_INVALIDCALL;
            (state == D3DRS_SRCBLEND ? renderStates.sourceBlend : renderStates.destinationBlend) =
                value;
            return D3D_OK;
        case D3DRS_CULLMODE:
            if (value < D3DCULL_NONE || value > D3DCULL_CCW) return D3DERR_INVALIDCALL;
            renderStates.cullMode = value;
            return D3D_OK;
        case D3DRS_SPECULARENABLE:
            renderStates.specularEnable = value;
            shadingChanged = true;
            return D3D_OK;
        case D3DRS_LIGHTING:
            renderStates.lighting = value;
            shadingChanged = true;
            return D3D_OK;
        case D3DRS_AMBIENT:
            renderStates.ambient = value;
            shadingChanged = true;
            return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT GlDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_WORLD:
            shading.world = *matrix;
            break;
        case D3DTS_VIEW:
            shading.view = *matrix;
            break;
        case D3DTS_PROJECTION:
            shading.projection = *matrix;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    transformsChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (index != 0 || light == nullptr) return D3DERR_INVALIDCALL;
    if (light->Type != D3DLIGHT_POINT && light->Type != D3DLIGHT_SPOT &&
        light->Type != D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    const D3DVECTOR& direction = light->Direction;
    if (light->Type != D3DLIGHT_POINT && direction.x == 0.0f && direction.y == 0.0f &&
        direction.z == 0.0f) {
        return D3DERR_INVALIDCALL;
    }
    if (light->Type != D3DLIGHT_DIRECTIONAL && !(light->Range >= 0.0f)) {
        return D3DERR_INVALIDCALL;
    }
    shading.light = *light;
    transformsChanged = true;
    shadingChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::LightEnable(DWORD index, BOOL enable) {
    if (index != 0) return D3DERR_INVALIDCALL;
    shading.lightEnabled = enable != FALSE;
    shadingChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::SetMaterial(const D3DMATERIAL9* material) {
    if (material == nullptr) return D3DERR_INVALIDCALL;
    shading.material = *material;
    shadingChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
    if (stage != 0) return D3DERR_INVALIDCALL;
    GlTexture9* ours = nullptr;
    if (texture != nullptr) {
        ours = dynamic_cast<GlTexture9*>(texture);
        if (ours == nullptr || ours->Owner() != owner.get()) return D3DERR_INVALIDCALL;
        // The stage holds its texture, as Direct3D's does, so a texture
        // released by the game while still bound stays valid until replaced.
        ours->AddRef();
    }
    if (stageTexture != nullptr) stageTexture->Release();
    stageTexture = ours;
    shadingChanged = true;
    return D3D_OK;
}

}  // namespace gl_device
