#include "tests/support/fake_sound_buffer.h"

#include <cstddef>

ULONG FakeSoundBuffer::Release() {
    // The test owns the fake; a release is only counted.
    ++releaseCount;
    return 0;
}

HRESULT FakeSoundBuffer::GetStatus(DWORD* statusOut) {
    if (statusOut) *statusOut = status;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
    if (playCursor) *playCursor = 0;
    if (writeCursor) *writeCursor = 0;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetFrequency(DWORD* frequency) {
    if (frequency) *frequency = frequencies.empty() ? 0 : frequencies.back();
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetFormat(const WAVEFORMATEX*) {
    return DSERR_INVALIDCALL;
}

HRESULT FakeSoundBuffer::Lock(DWORD offset, DWORD bytes, void** audioPointer1, DWORD* audioBytes1,
                              void** audioPointer2, DWORD* audioBytes2, DWORD) {
    lastLockBytes = bytes;
    if (FAILED(lockResult)) return lockResult;
    if (memory.empty()) memory.assign(bytes, 0xEE);
    if (!audioPointer1 || !audioBytes1 || offset > memory.size()) return DSERR_INVALIDPARAM;
    const DWORD available = static_cast<DWORD>(memory.size()) - offset;
    *audioPointer1 = memory.data() + offset;
    *audioBytes1 = bytes < available ? bytes : available;
    if (audioPointer2) *audioPointer2 = nullptr;
    if (audioBytes2) *audioBytes2 = 0;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Unlock(void*, DWORD, void*, DWORD) {
    ++unlockCount;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags) {
    plays.push_back({reserved, priority, flags});
    status |= DSBSTATUS_PLAYING;
    status = (flags & DSBPLAY_LOOPING) ? status | DSBSTATUS_LOOPING : status & ~DSBSTATUS_LOOPING;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Stop() {
    ++stopCount;
    status &= ~(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetFrequency(DWORD frequency) {
    frequencies.push_back(frequency);
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetVolume(LONG volume) {
    volumes.push_back(volume);
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetPan(LONG pan) {
    pans.push_back(pan);
    return DS_OK;
}

HRESULT FakeSoundBuffer::Restore() {
    const std::size_t call = static_cast<size_t>(restoreCount++);
    if (call < restoreResults.size()) {
        if (SUCCEEDED(restoreResults[call])) status &= ~DSBSTATUS_BUFFERLOST;
        return restoreResults[call];
    }
    status &= ~DSBSTATUS_BUFFERLOST;
    return DS_OK;
}
