#pragma once
// The Direct3D objects of a game: created by the Start command, released on
// Escape or at shut-down. Whether `device` is set is the program-wide test of
// whether a game is running.
#include <cstdint>

#include "platform/d3d9.h"

class ID3DXFont;

extern IDirect3D9* direct3d;
extern IDirect3DDevice9* device;
extern ID3DXFont* hudFont;
extern D3DLIGHT9 sceneLight;
extern char fontFace[32];
extern int32_t fontPointSize;

HRESULT InitDirect3D(HWND window, bool windowed, bool lightsOn, int32_t width, int32_t height);
// Alt+Enter during a race: the running device is reset to a windowed (the
// given client size) or full-screen (a back buffer of the given size)
// presentation, keeping its meshes, textures and font, and the states set at
// creation are set again. A failure leaves the device as it was.
HRESULT ResetDeviceForm(bool windowed, bool lightsOn, int32_t width, int32_t height);
HRESULT CreateHudFont(ID3DXFont** font, const char* face, int32_t points);
void ReleaseDevice();

// Where InitDirect3D gets its Direct3D object: Direct3DCreate9 unless a test
// or a tool puts a recording or drawing-free one in its place (nullptr
// restores Direct3DCreate9).
using Direct3DFactory = IDirect3D9* (*)(UINT sdkVersion);
void SetDirect3DFactory(Direct3DFactory factory);
