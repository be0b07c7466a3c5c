#include "render/device.h"

#include <cmath>
#include <cstring>

#include "platform/gl_context.h"
#include "platform/message_box.h"
#include "render/d3dx_font.h"
#include "render/mesh_object.h"
#include "render/view_shape.h"

IDirect3D9* direct3d = nullptr;
IDirect3DDevice9* device = nullptr;
ID3DXFont* hudFont = nullptr;
D3DLIGHT9 sceneLight = {};
char fontFace[32] = "Arial";
int32_t fontPointSize = 18;

namespace {

Direct3DFactory direct3dFactory = Direct3DCreate9;

// MulDiv rounds to the nearest whole number.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
    const int64_t product = static_cast<int64_t>(number) * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / denominator
                                             : (product - half) / denominator);
}

D3DPRESENT_PARAMETERS PresentationFor(bool windowed, int32_t width, int32_t height) {
    D3DPRESENT_PARAMETERS parameters = {};
    if (windowed) {
        // Zero size: the window's client area at creation.
        parameters.BackBufferFormat = D3DFMT_UNKNOWN;
        parameters.Windowed = TRUE;
    } else {
        parameters.BackBufferWidth = static_cast<UINT>(width);
        parameters.BackBufferHeight = static_cast<UINT>(height);
        parameters.BackBufferFormat = D3DFMT_R5G6B5;
        parameters.Windowed = FALSE;
    }
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return parameters;
}

void SetUpLights(bool lightsOn) {
    if (!lightsOn) {
        // Daylight: every material's ambient equals its diffuse colour, so a
        // white ambient shows each surface in its full colour.
        device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
        return;
    }
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    std::memset(&sceneLight, 0, sizeof sceneLight);
    sceneLight.Type = D3DLIGHT_DIRECTIONAL;
    sceneLight.Diffuse = {0.8f, 0.8f, 0.8f, 0.0f};
    sceneLight.Specular = {1.0f, 1.0f, 1.0f, 0.0f};
    sceneLight.Direction = {0.0f, -0.4f, 0.7f};  // not normalised: the device does that
    device->SetLight(0, &sceneLight);
    device->LightEnable(0, TRUE);
}

// The text grows with a picture of the display's own size, so that it stays
// as large beside the picture as the original's.
int32_t HudPointSize() {
    return static_cast<int32_t>(
        std::lround(static_cast<float>(fontPointSize) * viewShape.hudScale));
}

}  // namespace

void SetDirect3DFactory(Direct3DFactory factory) {
    direct3dFactory = factory ? factory : Direct3DCreate9;
}

HRESULT InitDirect3D(HWND window, bool windowed, bool lightsOn, int32_t width, int32_t height) {
    direct3d = direct3dFactory(D3D_SDK_VERSION);
    if (!direct3d) return E_FAIL;

    D3DPRESENT_PARAMETERS parameters = PresentationFor(windowed, width, height);
    // There is one kind of device here, so no second, reference-device attempt.
    if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device))) {
        device = nullptr;
        MessageBoxA(window,
                    "Error initializing DirectX3D. Make sure you have DirectX 9.0c from "
                    "Microsoft's Windows Update installed.",
                    "Tolvarin", MB_ICONERROR);
        return E_FAIL;
    }
    if (!windowed) device->ShowCursor(FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    SetUpLights(lightsOn);
    ClearTextureCache();
    textureCount = 0;
    lastTextureSlot = -1;
    return CreateHudFont(&hudFont, fontFace, HudPointSize());
}

HRESULT ResetDeviceForm(bool windowed, bool lightsOn, int32_t width, int32_t height) {
    if (device == nullptr) return E_FAIL;
    D3DPRESENT_PARAMETERS parameters = PresentationFor(windowed, width, height);
    if (windowed) {
        // The window's new client area, which the toolkit may not have
        // reached yet when the device looks.
        parameters.BackBufferWidth = static_cast<UINT>(width > 0 ? width : 0);
        parameters.BackBufferHeight = static_cast<UINT>(height > 0 ? height : 0);
    }
    const HRESULT result = device->Reset(&parameters);
    if (FAILED(result)) return result;
    // A reset device has its default states again: what the game set once at
    // creation is set again, and no texture is bound any more.
    device->ShowCursor(windowed ? TRUE : FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    SetUpLights(lightsOn);
    lastTextureSlot = -1;
    // The text's size follows the new picture's.
    ID3DXFont* font = nullptr;
    if (SUCCEEDED(CreateHudFont(&font, fontFace, HudPointSize()))) {
        if (hudFont) hudFont->Release();
        hudFont = font;
    }
    return result;
}

HRESULT CreateHudFont(ID3DXFont** font, const char* face, int32_t points) {
    // A negative height asks for the character height in pixels, not the cell.
    const int32_t height = -MulDiv(points, ScreenDotsPerInch(), 72);
    ID3DXFont* created = nullptr;
    const HRESULT result =
        D3DXCreateFontA(device, height, 0, FW_BOLD, 0, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face, &created);
    if (SUCCEEDED(result)) *font = created;
    return result;
}

void ReleaseDevice() {
    ReleaseMeshes();
    if (hudFont) {
        hudFont->Release();
        hudFont = nullptr;
    }
    if (device) {
        device->Release();
        device = nullptr;
    }
    if (direct3d) {
        direct3d->Release();
        direct3d = nullptr;
    }
}
