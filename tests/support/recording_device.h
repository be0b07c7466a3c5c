#pragma once
// A Direct3D device that draws nothing and records every call it gets, with
// the arguments a test wants to check, in order. Results are S_OK unless a
// test sets another for a call's name. The textures and mesh buffers it makes
// stay owned by the device, so a test can still look at them (and at whether
// they were released) after their owner let go.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9.h"

struct RecordedCall {
    std::string name;                // as Direct3D spells it: "SetRenderState"
    std::vector<int64_t> arguments;  // integer arguments and object addresses, in order
    std::vector<float> values;       // float data: a matrix's 16, a material's 17, ...
};

class RecordingTexture : public IDirect3DTexture9 {
  public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return references > 0 ? --references : 0; }
    UINT Width() const override { return width; }
    UINT Height() const override { return height; }

    UINT width = 0;
    UINT height = 0;
    std::vector<uint8_t> rgba;
    ULONG references = 1;  // 0: released
};

class RecordingMeshBuffers : public IDirect3DMeshBuffers9 {
  public:
    ULONG Release() override { return references > 0 ? --references : 0; }

    std::vector<D3DVERTEX> vertices;
    std::vector<uint32_t> indices;
    ULONG references = 1;  // 0: released
};

class RecordingDevice : public IDirect3DDevice9 {
  public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return references > 0 ? --references : 0; }

    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* source, const RECT* destination, HWND window,
                    const void* dirtyRegion) override;
    BOOL ShowCursor(BOOL show) override;
    HRESULT CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                    IDirect3DTexture9** texture) override;
    HRESULT CreateMeshBuffers(const D3DVERTEX* vertices, UINT vertexCount, const uint32_t* indices,
                              UINT indexCount, const MeshRange* ranges, UINT rangeCount,
                              IDirect3DMeshBuffers9** buffers) override;
    HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9* buffers, UINT firstIndex,
                            UINT indexCount) override;
    HRESULT DrawCoverage(LONG left, LONG top, UINT width, UINT height, const uint8_t* coverage,
                         D3DCOLOR color) override;
    HRESULT ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) override;

    // The calls of one name, in order; how many there were; the last one.
    std::vector<const RecordedCall*> CallsNamed(const std::string& name) const;
    size_t CountOf(const std::string& name) const;
    const RecordedCall* LastCall(const std::string& name) const;
    // The names of all the calls, in order.
    std::vector<std::string> CallNames() const;
    // Forgets the calls, keeps the objects made and the results set.
    void ClearCalls() { calls.clear(); }

    std::vector<RecordedCall> calls;
    // The result each call returns, by name ("BeginScene"); S_OK when unset.
    // A failing Create... call makes nothing.
    std::map<std::string, HRESULT> results;
    ULONG references = 1;                     // 0: released
    int cursorCount = 0;                      // ShowCursor's display counter
    D3DPRESENT_PARAMETERS resetParameters{};  // the last Reset's, whole

    std::vector<std::unique_ptr<RecordingTexture>> textures;
    std::vector<std::unique_ptr<RecordingMeshBuffers>> meshBuffers;
    // Made and not yet released.
    size_t LiveTextures() const;
    size_t LiveMeshBuffers() const;

  private:
    HRESULT Record(const char* name, std::vector<int64_t> arguments,
                   std::vector<float> values = {});
};
