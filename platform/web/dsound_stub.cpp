// A DirectSound that accepts every buffer and plays none of them: the page's
// stand-in until the browser's own sound output (Web Audio) takes its place.
// Buffers hold their bytes, so the game fills and plays them as ever.
#include <algorithm>
#include <new>
#include <vector>

#include "platform/dsound.h"

namespace {

class SilentBuffer final : public IDirectSoundBuffer {
  public:
    SilentBuffer(DWORD bytes, DWORD frequency) : data(bytes), rate(frequency) {}
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT GetStatus(DWORD* status) override {
        if (status == nullptr) return DSERR_INVALIDCALL;
        *status = 0;
        return DS_OK;
    }
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override {
        if (playCursor != nullptr) *playCursor = 0;
        if (writeCursor != nullptr) *writeCursor = 0;
        return DS_OK;
    }
    HRESULT GetFrequency(DWORD* frequency) override {
        if (frequency == nullptr) return DSERR_INVALIDCALL;
        *frequency = rate;
        return DS_OK;
    }
    HRESULT SetFormat(const WAVEFORMATEX*) override { return DS_OK; }
    HRESULT Lock(DWORD offset, DWORD bytes, void** audioPointer1, DWORD* audioBytes1,
                 void** audioPointer2, DWORD* audioBytes2, DWORD flags) override {
        if (audioPointer1 == nullptr || audioBytes1 == nullptr || data.empty()) {
            return DSERR_INVALIDCALL;
        }
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = static_cast<DWORD>(data.size());
        }
        if (offset >= data.size() || bytes > data.size()) return DSERR_INVALIDCALL;
        const DWORD first = std::min<DWORD>(bytes, static_cast<DWORD>(data.size()) - offset);
        *audioPointer1 = data.data() + offset;
        *audioBytes1 = first;
        if (audioPointer2 != nullptr) *audioPointer2 = first < bytes ? data.data() : nullptr;
        if (audioBytes2 != nullptr) *audioBytes2 = bytes - first;
        return DS_OK;
    }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DS_OK; }
    HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
    HRESULT Stop() override { return DS_OK; }
    HRESULT SetFrequency(DWORD frequency) override {
        rate = frequency;
        return DS_OK;
    }
    HRESULT SetVolume(LONG) override { return DS_OK; }
    HRESULT SetPan(LONG) override { return DS_OK; }
    HRESULT Restore() override { return DS_OK; }

  private:
    ~SilentBuffer() override = default;
    std::vector<BYTE> data;
    DWORD rate;
    ULONG references = 1;
};

class SilentSound final : public IDirectSound8 {
  public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return DS_OK; }
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer,
                              void* outer) override {
        if (description == nullptr || buffer == nullptr || outer != nullptr) {
            return DSERR_INVALIDCALL;
        }
        const bool primary = (description->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0;
        const DWORD bytes = primary ? DSBSIZE_MIN : description->dwBufferBytes;
        if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX) return DSERR_INVALIDCALL;
        const DWORD rate =
            description->lpwfxFormat != nullptr ? description->lpwfxFormat->nSamplesPerSec : 8000;
        *buffer = new (std::nothrow) SilentBuffer(bytes, rate);
        return *buffer != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
    }
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                 IDirectSoundBuffer** duplicate) override {
        if (original == nullptr || duplicate == nullptr) return DSERR_INVALIDCALL;
        original->AddRef();
        *duplicate = original;
        return DS_OK;
    }

  private:
    ~SilentSound() override = default;
    ULONG references = 1;
};

}  // namespace

HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** directSound, void* outer) {
    if (directSound == nullptr || device != nullptr || outer != nullptr) return DSERR_INVALIDCALL;
    *directSound = new (std::nothrow) SilentSound;
    return *directSound != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
}

void SetSoundApplicationName(const char*) {}
