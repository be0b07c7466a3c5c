#include "render/d3dx_texture.h"

#include "render/image.h"

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture) {
    if (device == nullptr || path == nullptr || texture == nullptr) return E_INVALIDARG;
    RgbaImage image;
    const HRESULT decoded = DecodeImageFile(path, image);
    if (FAILED(decoded)) return decoded;
    IDirect3DTexture9* created = nullptr;
    const HRESULT result =
        device->CreateTextureFromPixels(image.width, image.height, image.pixels.data(), &created);
    if (FAILED(result)) return result;
    if (created == nullptr) return E_FAIL;
    *texture = created;
    return S_OK;
}
