#pragma once
// D3DXCreateTextureFromFileA: an image file (PNG, JPEG, BMP or DDS, told apart
// by content) as a texture of the file's size in the managed pool, alpha kept.
#include "platform/d3d9.h"

// Negative result, `texture` untouched, for a missing, unknown or corrupt file
// or a device that refuses the texture.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture);
