#include "tests/support/recording_direct3d.h"

RecordingDirect3D* recordingDirect3D = nullptr;
bool refuseToExist = false;

ULONG RecordingDirect3D::Release() {
    ++releaseCount;
    return 0;
}

HRESULT RecordingDirect3D::CreateDevice(UINT, D3DDEVTYPE deviceType, HWND window, DWORD flags,
                                        D3DPRESENT_PARAMETERS* asked, IDirect3DDevice9** made) {
    ++createCount;
    parameters = *asked;
    type = deviceType;
    behaviourFlags = flags;
    focusWindow = window;
    if (failCreateDevice) return E_FAIL;
    device = std::make_unique<RecordingDevice>();
    *made = device.get();
    return S_OK;
}

IDirect3D9* RecordingDirect3D::Create(UINT) {
    return refuseToExist ? nullptr : recordingDirect3D;
}
