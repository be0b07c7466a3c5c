#pragma once
// DirectSound 8, the subset the game calls, as abstract interfaces: our SDL2
// device implements them for the game, and tests put recording doubles in
// their place.
//
// The device mixes in software (platform/sound_mixer.h) on SDL's audio thread
// (in a browser, as Web Audio asks: platform/sound_output.h), at the primary
// format the game sets. Secondary buffers are static: the whole
// sound lives in the buffer, in the wave's own format. Every call from the game
// holds the audio device's lock only while it changes a buffer's state.
//
// A removed audio device makes every buffer lost, as in DirectSound: each
// status query and play call looks at the SDL device first.
//
// Beyond DirectSound's own calls, two of ours are marked below, both for
// tests: manual mixing and a simulated device loss.
#include "platform/guid.h"
#include "platform/wave_format.h"
#include "platform/windows_types.h"

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DS_NO_VIRTUALIZATION = static_cast<HRESULT>(0x0878000Au);
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x887800A0u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_CTRLFX = 0x00000200;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;
constexpr DWORD DSBCAPS_LOCDEFER = 0x00040000;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;

constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;

constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

inline constexpr GUID DS3DALG_DEFAULT = GUID_NULL;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    const WAVEFORMATEX* lpwfxFormat;
    GUID guid3DAlgorithm;
};

// The size the record has in a 32-bit Windows build, which is what the game
// writes into dwSize; our own sizeof is accepted as well.
constexpr DWORD dsbufferdescSize32 = 36;

class IDirectSoundBuffer {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT GetStatus(DWORD* status) = 0;
    virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    // Primary buffer only: the format the device mixes to.
    virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** audioPointer1, DWORD* audioBytes1,
                         void** audioPointer2, DWORD* audioBytes2, DWORD flags) = 0;
    virtual HRESULT Unlock(void* audioPointer1, DWORD audioBytes1, void* audioPointer2,
                           DWORD audioBytes2) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT Restore() = 0;

  protected:
    virtual ~IDirectSoundBuffer() = default;
};

class IDirectSound8 {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    // `outer` must be null: aggregation is not offered.
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer,
                                      void* outer) = 0;
    virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                         IDirectSoundBuffer** duplicate) = 0;

  protected:
    virtual ~IDirectSound8() = default;
};

// Opens the default playback device. `device` must be null (the default) and
// `outer` null. Fails with DSERR_NODRIVER when SDL finds no usable audio device.
HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** directSound, void* outer);

// The name the desktop's volume mixer lists the program's sound under (SDL's
// application-name hints), given before the first device is made. A name the
// player gives in SDL's environment variables is kept.
void SetSoundApplicationName(const char* name);

// Ours: takes the mixing away from the audio thread for good and mixes
// `frames` frames of the primary format into `output` here and now, so tests
// hear exactly what the device would. Fails for anything but our own device.
HRESULT DirectSoundMixForTesting(IDirectSound8* directSound, BYTE* output, DWORD frames);

// Ours: while set, every device made is mixed by the caller from the start
// (as after DirectSoundMixForTesting) and opens no SDL device at all. For
// whole-program tests that start the game many times: SDL waits out the
// buffers in play whenever a device closes, tens of milliseconds a run.
void DirectSoundCreateWithoutOutputForTesting(bool withoutOutput);

// Ours: does what SDL's removal of the audio device does: every buffer of the
// device stops and reports DSBSTATUS_BUFFERLOST until it is restored.
HRESULT DirectSoundLoseDeviceForTesting(IDirectSound8* directSound);
