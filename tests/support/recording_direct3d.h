#pragma once
// A Direct3D object whose CreateDevice hands out a RecordingDevice (or fails,
// when told to), keeping the presentation parameters it was asked for. Put in
// place with SetDirect3DFactory(RecordingDirect3D::Create).
#include <memory>

#include "platform/d3d9.h"
#include "tests/support/recording_device.h"

class RecordingDirect3D : public IDirect3D9 {
  public:
    ULONG Release() override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override;

    // The factory for SetDirect3DFactory: returns the shared instance below,
    // or nullptr when `refuseToExist` is set.
    static IDirect3D9* Create(UINT sdkVersion);

    // What the last CreateDevice was asked for and made.
    D3DPRESENT_PARAMETERS parameters = {};
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    DWORD behaviourFlags = 0;
    HWND focusWindow = nullptr;
    int createCount = 0;
    int releaseCount = 0;
    bool failCreateDevice = false;
    std::unique_ptr<RecordingDevice> device;
};

// The instance the factory hands out; tests reset it in SetUp.
extern RecordingDirect3D* recordingDirect3D;
extern bool refuseToExist;
