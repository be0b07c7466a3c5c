#pragma once
// A Direct3D device that draws nothing and records the calls the shell makes
// on it: Reset with its parameters, the scene calls and Present, releases.
#include <string>
#include <vector>

#include "platform/d3d9.h"

class NullDevice final : public IDirect3DDevice9 {
  public:
    ULONG AddRef() override { return 2; }
    ULONG Release() override {
        calls.push_back("Release");
        return 0;
    }
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override {
        calls.push_back("Reset");
        if (parameters) resetParameters = *parameters;
        return S_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return S_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return S_OK; }
    HRESULT SetLight(DWORD, const D3DLIGHT9*) override { return S_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return S_OK; }
    HRESULT SetMaterial(const D3DMATERIAL9*) override { return S_OK; }
    HRESULT SetTexture(DWORD, IDirect3DTexture9*) override { return S_OK; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return S_OK; }
    HRESULT BeginScene() override {
        calls.push_back("BeginScene");
        return S_OK;
    }
    HRESULT EndScene() override {
        calls.push_back("EndScene");
        return S_OK;
    }
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override {
        calls.push_back("Present");
        return S_OK;
    }
    BOOL ShowCursor(BOOL) override { return TRUE; }
    HRESULT CreateTextureFromPixels(UINT, UINT, const uint8_t*, IDirect3DTexture9**) override {
        return E_FAIL;
    }
    HRESULT CreateMeshBuffers(const D3DVERTEX*, UINT, const uint32_t*, UINT,
                              IDirect3DMeshBuffers9**) override {
        return E_FAIL;
    }
    HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9*, UINT, UINT) override { return S_OK; }
    HRESULT DrawCoverage(LONG, LONG, UINT, UINT, const uint8_t*, D3DCOLOR) override { return S_OK; }
    HRESULT ReadBackBuffer(UINT&, UINT&, std::vector<uint8_t>&) override { return E_FAIL; }

    std::vector<std::string> calls;
    D3DPRESENT_PARAMETERS resetParameters{};
};
