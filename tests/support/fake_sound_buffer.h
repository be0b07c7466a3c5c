#pragma once
// A recording stand-in for a DirectSound buffer: it counts every call with its
// arguments and answers with whatever status and results the test sets. Race
// and driving tests put it under a clip to see which cues played; sound tests
// use it to watch the clip operations.
#include <cstdint>
#include <vector>

#include "platform/dsound.h"

class FakeSoundBuffer : public IDirectSoundBuffer {
  public:
    struct PlayCall {
        DWORD reserved;
        DWORD priority;
        DWORD flags;
    };

    // Memory that Lock hands out; sized by the test (or by the first Lock).
    std::vector<BYTE> memory;

    // What GetStatus reports. Play sets DSBSTATUS_PLAYING (and LOOPING), Stop
    // clears them.
    DWORD status = 0;
    HRESULT lockResult = DS_OK;
    // Results of successive Restore calls; once used up, each call clears
    // DSBSTATUS_BUFFERLOST and gives DS_OK.
    std::vector<HRESULT> restoreResults;

    std::vector<PlayCall> plays;
    int stopCount = 0;
    int unlockCount = 0;
    int restoreCount = 0;
    int releaseCount = 0;
    std::vector<DWORD> frequencies;
    std::vector<LONG> volumes;
    std::vector<LONG> pans;
    DWORD lastLockBytes = 0;

    ULONG AddRef() override { return 1; }
    ULONG Release() override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT GetFrequency(DWORD* frequency) override;
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** audioPointer1, DWORD* audioBytes1,
                 void** audioPointer2, DWORD* audioBytes2, DWORD flags) override;
    HRESULT Unlock(void* audioPointer1, DWORD audioBytes1, void* audioPointer2,
                   DWORD audioBytes2) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT Stop() override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT Restore() override;

    ~FakeSoundBuffer() override = default;
};
