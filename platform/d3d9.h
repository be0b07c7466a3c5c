#pragma once
// Direct3D 9, the subset the game calls, as abstract interfaces: the OpenGL
// device implements them for the game and the headless tools, and tests put a
// recording device in their place.
//
// Beyond Direct3D's own calls the device offers three of ours, marked below:
// vertex and index data for the extension library's meshes, an alpha-coverage
// blit for its font, and a read-back of the back buffer for tests and
// screenshots.
#include <cstdint>
#include <vector>

#include "platform/d3d9_types.h"
#include "platform/mesh_pieces.h"

class IDirect3DTexture9 {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual UINT Width() const = 0;
    virtual UINT Height() const = 0;

  protected:
    virtual ~IDirect3DTexture9() = default;
};

// Ours: a mesh's vertices and 32-bit indices in device memory.
class IDirect3DMeshBuffers9 {
  public:
    virtual ULONG Release() = 0;

  protected:
    virtual ~IDirect3DMeshBuffers9() = default;
};

class IDirect3DDevice9 {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) = 0;
    virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Present(const RECT* source, const RECT* destination, HWND window,
                            const void* dirtyRegion) = 0;
    virtual BOOL ShowCursor(BOOL show) = 0;

    // A texture in the managed pool from 8-bit RGBA pixels, rows from the top
    // (what the image decoders produce; stands in for CreateTexture + LockRect).
    virtual HRESULT CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                            IDirect3DTexture9** texture) = 0;

    // Ours: mesh data and the drawing of an index range of it, with the
    // current transforms, material, light, texture and render states. The
    // `ranges` (a mesh's subsets) are the ranges drawn whole: the device may
    // send their triangles in another order, and leave out of their draws
    // the parts wholly outside the view.
    virtual HRESULT CreateMeshBuffers(const D3DVERTEX* vertices, UINT vertexCount,
                                      const uint32_t* indices, UINT indexCount,
                                      const MeshRange* ranges, UINT rangeCount,
                                      IDirect3DMeshBuffers9** buffers) = 0;
    virtual HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9* buffers, UINT firstIndex,
                                    UINT indexCount) = 0;

    // Ours: blends `color` into the back buffer at pixel (left, top) with the
    // per-pixel alpha of `coverage` (width x height bytes, rows from the top),
    // leaving every render, texture and transform state as it found it.
    virtual HRESULT DrawCoverage(LONG left, LONG top, UINT width, UINT height,
                                 const uint8_t* coverage, D3DCOLOR color) = 0;

    // Ours: the back buffer as 8-bit RGBA, rows from the top.
    virtual HRESULT ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) = 0;

  protected:
    virtual ~IDirect3DDevice9() = default;
};

class IDirect3D9 {
  public:
    virtual ULONG Release() = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                 DWORD behaviourFlags, D3DPRESENT_PARAMETERS* parameters,
                                 IDirect3DDevice9** device) = 0;

  protected:
    virtual ~IDirect3D9() = default;
};

// nullptr for an SDK version other than D3D_SDK_VERSION. Whether a window can
// be drawn to is learnt by CreateDevice: it fails with D3DERR_NOTAVAILABLE when
// the window has registered no OpenGL context (platform/gl_context.h) or its
// context offers less than OpenGL 3.3.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);
