#include "null_direct3d.h"

namespace {

class NullTexture final : public IDirect3DTexture9 {
  public:
    NullTexture(UINT textureWidth, UINT textureHeight)
        : width(textureWidth), height(textureHeight) {}
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG remaining = --references;
        if (remaining == 0) delete this;
        return remaining;
    }
    UINT Width() const override { return width; }
    UINT Height() const override { return height; }

  private:
    ~NullTexture() override = default;
    UINT width;
    UINT height;
    ULONG references = 1;
};

class NullMeshBuffers final : public IDirect3DMeshBuffers9 {
  public:
    ULONG Release() override {
        delete this;
        return 0;
    }

  private:
    ~NullMeshBuffers() override = default;
};

class NullDevice final : public IDirect3DDevice9 {
  public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG remaining = --references;
        if (remaining == 0) delete this;
        return remaining;
    }
    HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return D3D_OK; }
    HRESULT SetLight(DWORD, const D3DLIGHT9*) override { return D3D_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return D3D_OK; }
    HRESULT SetMaterial(const D3DMATERIAL9*) override { return D3D_OK; }
    HRESULT SetTexture(DWORD, IDirect3DTexture9*) override { return D3D_OK; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return D3D_OK; }
    BOOL ShowCursor(BOOL) override { return TRUE; }
    HRESULT CreateTextureFromPixels(UINT width, UINT height, const uint8_t*,
                                    IDirect3DTexture9** texture) override {
        if (texture == nullptr) return D3DERR_INVALIDCALL;
        *texture = new NullTexture(width, height);
        return D3D_OK;
    }
    HRESULT CreateMeshBuffers(const D3DVERTEX*, UINT, const uint32_t*, UINT, const MeshRange*, UINT,
                              IDirect3DMeshBuffers9** buffers) override {
        if (buffers == nullptr) return D3DERR_INVALIDCALL;
        *buffers = new NullMeshBuffers;
        return D3D_OK;
    }
    HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9*, UINT, UINT) override { return D3D_OK; }
    HRESULT DrawCoverage(LONG, LONG, UINT, UINT, const uint8_t*, D3DCOLOR) override {
        return D3D_OK;
    }
    HRESULT ReadBackBuffer(UINT&, UINT&, std::vector<uint8_t>&) override { return E_FAIL; }

  private:
    ~NullDevice() override = default;
    ULONG references = 1;
};

class NullDirect3D final : public IDirect3D9 {
  public:
    ULONG Release() override {
        delete this;
        return 0;
    }
    HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                         IDirect3DDevice9** device) override {
        if (device == nullptr) return D3DERR_INVALIDCALL;
        *device = new NullDevice;
        return D3D_OK;
    }

  private:
    ~NullDirect3D() override = default;
};

}  // namespace

IDirect3D9* CreateNullDirect3D(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new NullDirect3D;
}
