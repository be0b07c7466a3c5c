#include "sound/sound_device.h"

#include <chrono>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "core/media_path.h"
#include "core/random.h"
#include "platform/clock.h"
#include "platform/message_box.h"

SoundDevice* soundDevice = nullptr;

namespace {

// A lost buffer is retried for about this long. The game has one thread, and
// a device that never comes back must not hold it for ever.
constexpr DWORD restoreGiveUpMilliseconds = 1000;

}  // namespace

HRESULT SoundClip::Play(DWORD priority, DWORD playFlags, LONG volume, LONG frequency, LONG pan) {
    if (buffers.empty()) return CO_E_NOTINITIALIZED;
    IDirectSoundBuffer* buffer = FreeBuffer();
    if (!buffer) return E_FAIL;
    bool restored = false;
    if (FAILED(RestoreBuffer(buffer, &restored))) return E_FAIL;
    if (restored && FAILED(FillBuffer(buffer))) return E_FAIL;
    if (creationFlags & DSBCAPS_CTRLVOLUME) buffer->SetVolume(volume);
    if (frequency != -1 && (creationFlags & DSBCAPS_CTRLFREQUENCY)) {
        buffer->SetFrequency(static_cast<DWORD>(frequency));
    }
    if (creationFlags & DSBCAPS_CTRLPAN) buffer->SetPan(pan);
    return buffer->Play(0, priority, playFlags);
}

HRESULT SoundClip::Stop() {
    if (buffers.empty()) return CO_E_NOTINITIALIZED;
    HRESULT result = S_OK;
    for (IDirectSoundBuffer* buffer : buffers) {
        if (buffer) result |= buffer->Stop();
    }
    return result;
}

BOOL SoundClip::IsPlaying() {
    DWORD playing = 0;
    for (IDirectSoundBuffer* buffer : buffers) {
        if (!buffer) continue;
        DWORD status = 0;
        buffer->GetStatus(&status);
        playing |= status & DSBSTATUS_PLAYING;
    }
    return playing ? TRUE : FALSE;
}

void SoundClip::SetFrequency(DWORD frequency) {
    for (IDirectSoundBuffer* buffer : buffers) {
        if (buffer) buffer->SetFrequency(frequency);
    }
}

IDirectSoundBuffer* SoundClip::FreeBuffer() {
    if (buffers.empty()) return nullptr;
    for (IDirectSoundBuffer* buffer : buffers) {
        if (!buffer) continue;
        DWORD status = 0;
        buffer->GetStatus(&status);
        if (!(status & DSBSTATUS_PLAYING)) return buffer;
    }
    // All busy: the draw is made even for a single buffer, so the generator
    // moves on exactly as often as the game plays over a busy clip.
    const DWORD count = bufferCount ? bufferCount : static_cast<DWORD>(buffers.size());
    const DWORD index = static_cast<DWORD>(RandomInt()) % count;
    return index < buffers.size() ? buffers[index] : nullptr;
}

HRESULT SoundClip::RestoreBuffer(IDirectSoundBuffer* buffer, bool* wasRestored) {
    if (wasRestored) *wasRestored = false;
    if (!buffer) return CO_E_NOTINITIALIZED;
    DWORD status = 0;
    if (FAILED(buffer->GetStatus(&status))) return E_FAIL;
    if (!(status & DSBSTATUS_BUFFERLOST)) return S_FALSE;

    const DWORD start = timeGetTime();
    HRESULT result;
    do {
        result = buffer->Restore();
        if (result == DSERR_BUFFERLOST) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        result = buffer->Restore();
        if (result == DSERR_BUFFERLOST && timeGetTime() - start >= restoreGiveUpMilliseconds) {
            return DSERR_BUFFERLOST;
        }
    } while (result == DSERR_BUFFERLOST);
    if (wasRestored) *wasRestored = true;
    return S_OK;
}

HRESULT SoundClip::FillBuffer(IDirectSoundBuffer* buffer) {
    if (!buffer) return CO_E_NOTINITIALIZED;
    if (FAILED(RestoreBuffer(buffer, nullptr))) return E_FAIL;
    void* region = nullptr;
    DWORD lockedBytes = 0;
    if (FAILED(buffer->Lock(0, bufferSize, &region, &lockedBytes, nullptr, nullptr, 0))) {
        return E_FAIL;
    }
    if (!region) lockedBytes = 0;
    BYTE* bytes = static_cast<BYTE*>(region);

    DWORD bytesRead = 0;
    HRESULT readResult = CO_E_NOTINITIALIZED;
    if (wavFile) {
        wavFile->ResetToData();
        readResult = wavFile->Read(bytes, lockedBytes, &bytesRead);
    }
    // Whatever the read did, the rest of the buffer is silence and the buffer
    // is unlocked: it never plays stray bytes, and it can be locked again.
    if (FAILED(readResult) || bytesRead > lockedBytes) bytesRead = 0;
    const WAVEFORMATEX* format = wavFile ? wavFile->Format() : nullptr;
    const BYTE silence = format && format->wBitsPerSample == 8 ? 0x80 : 0x00;
    if (bytesRead < lockedBytes) std::memset(bytes + bytesRead, silence, lockedBytes - bytesRead);
    buffer->Unlock(region, lockedBytes, nullptr, 0);
    return FAILED(readResult) ? E_FAIL : S_OK;
}

HRESULT SoundDevice::SetPrimaryFormat(WORD channels, DWORD samplesPerSecond, WORD bitsPerSample) {
    if (!directSound) return CO_E_NOTINITIALIZED;
    DSBUFFERDESC description{};
    description.dwSize = dsbufferdescSize32;
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    if (FAILED(directSound->CreateSoundBuffer(&description, &primary, nullptr))) return E_FAIL;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = samplesPerSecond;
    format.wBitsPerSample = bitsPerSample;
    format.nBlockAlign = static_cast<WORD>(bitsPerSample / 8 * channels);
    format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSecond;
    format.cbSize = 0;
    const HRESULT result = primary->SetFormat(&format);
    primary->Release();
    return FAILED(result) ? E_FAIL : S_OK;
}

HRESULT SoundDevice::CreateClip(const char* path, DWORD creationFlags, const GUID& algorithm,
                                DWORD count, SoundClip** clip) {
    if (!directSound) return CO_E_NOTINITIALIZED;
    if (!path || !clip || count < 1) return E_INVALIDARG;
    *clip = nullptr;
    std::unique_ptr<IDirectSoundBuffer*[]> made(new (std::nothrow) IDirectSoundBuffer*[count]());
    std::unique_ptr<WavFile> wavFile(new (std::nothrow) WavFile);
    if (!made || !wavFile) return E_OUTOFMEMORY;

    // The open's own result says less than the data size: a failed open
    // leaves it 0, and an empty sound is no sound either.
    wavFile->Open(path);
    if (wavFile->DataSize() == 0) return E_FAIL;

    DSBUFFERDESC description{};
    description.dwSize = dsbufferdescSize32;
    description.dwFlags = creationFlags;
    description.dwBufferBytes = wavFile->DataSize();
    description.dwReserved = 0;
    description.lpwfxFormat = wavFile->Format();
    description.guid3DAlgorithm = algorithm;

    const auto releaseMade = [&made, count] {
        for (DWORD i = 0; i < count; ++i) {
            if (made[i]) made[i]->Release();
        }
    };
    HRESULT result = directSound->CreateSoundBuffer(&description, &made[0], nullptr);
    const HRESULT success = result == DS_NO_VIRTUALIZATION ? DS_NO_VIRTUALIZATION : S_OK;
    if (FAILED(result)) return result;
    for (DWORD i = 1; i < count; ++i) {
        // Effects need a buffer of their own; otherwise the copies share the
        // first buffer's memory.
        if (creationFlags & DSBCAPS_CTRLFX) {
            result = directSound->CreateSoundBuffer(&description, &made[i], nullptr);
        } else {
            result = directSound->DuplicateSoundBuffer(made[0], &made[i]);
        }
        if (FAILED(result)) {
            releaseMade();
            return result;
        }
    }

    SoundClip* newClip = new (std::nothrow) SoundClip;
    if (!newClip) {
        releaseMade();
        return success;
    }
    newClip->buffers.assign(made.get(), made.get() + count);
    newClip->bufferSize = wavFile->DataSize();
    newClip->wavFile = std::move(wavFile);
    newClip->bufferCount = count;
    newClip->creationFlags = creationFlags;
    newClip->FillBuffer(newClip->buffers[0]);
    *clip = newClip;
    return success;
}

SoundDevice* CreateSoundDevice(HWND window) {
    SoundDevice* device = new (std::nothrow) SoundDevice;
    if (!device) return nullptr;
    HRESULT result = DirectSoundCreate8(nullptr, &device->directSound, nullptr);
    if (SUCCEEDED(result))
        result = device->directSound->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (SUCCEEDED(result)) result = device->SetPrimaryFormat(1, 8000, 8);
    if (SUCCEEDED(result)) {
        device->initialised = true;
    } else {
        MessageBoxA(window, "Error initializing DirectSound. ", "Tolvarin", MB_ICONHAND | MB_OK);
    }
    return device;
}

SoundClip* LoadSound(const char* fileName, DWORD creationFlags) {
    if (!soundDevice || !soundDevice->initialised) return nullptr;
    const std::string path = MediaPath(fileName);
    SoundClip* clip = nullptr;
    if (FAILED(soundDevice->CreateClip(path.c_str(), creationFlags, GUID_NULL, 1, &clip))) {
        return nullptr;
    }
    return clip;
}

void DestroyClip(SoundClip* clip) {
    if (!clip) return;
    for (IDirectSoundBuffer*& buffer : clip->buffers) {
        if (buffer) buffer->Release();
        buffer = nullptr;
    }
    clip->buffers.clear();
    clip->wavFile.reset();
    delete clip;
}

void DestroySoundDevice() {
    if (!soundDevice) return;
    if (soundDevice->directSound) soundDevice->directSound->Release();
    delete soundDevice;
    soundDevice = nullptr;
}

BOOL IsPlaying(SoundClip* clip) {
    return clip ? clip->IsPlaying() : FALSE;
}

HRESULT Play(SoundClip* clip, DWORD priority, DWORD playFlags, LONG volume, LONG frequency,
             LONG pan) {
    return clip ? clip->Play(priority, playFlags, volume, frequency, pan) : CO_E_NOTINITIALIZED;
}

HRESULT Stop(SoundClip* clip) {
    return clip ? clip->Stop() : CO_E_NOTINITIALIZED;
}

void SetFrequency(SoundClip* clip, DWORD frequency) {
    if (clip) clip->SetFrequency(frequency);
}
