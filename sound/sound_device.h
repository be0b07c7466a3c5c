#pragma once
// The DirectSound device and the game's sound clips. The device is set to the
// priority level and a fixed primary format (mono, 8000 Hz, 8 bits); each clip
// is one wave file loaded whole into static buffers in the wave's own format.
// Nothing is streamed.
#include <memory>
#include <vector>

#include "platform/dsound.h"
#include "sound/wav_file.h"

struct SoundClip {
    // The clip's own copy of the buffer pointers; an entry may be null.
    std::vector<IDirectSoundBuffer*> buffers;
    DWORD bufferSize = 0;  // bytes in each buffer: the wave's data size
    // Kept open for the clip's whole life, so a lost buffer can be refilled.
    std::unique_ptr<WavFile> wavFile;
    DWORD bufferCount = 0;
    DWORD creationFlags = 0;  // the DSBCAPS_* flags the buffers were made with

    // Plays a free buffer, restoring and refilling it first when it was lost.
    // A frequency of -1 leaves the buffer's frequency as it is.
    HRESULT Play(DWORD priority, DWORD playFlags, LONG volume, LONG frequency, LONG pan);
    // Stops every buffer where it stands; the OR of their results.
    HRESULT Stop();
    // 1 when any buffer plays, else 0.
    BOOL IsPlaying();
    // Re-pitches every buffer; a buffer without DSBCAPS_CTRLFREQUENCY refuses,
    // silently.
    void SetFrequency(DWORD frequency);
    // The first buffer that is not playing, or when all play, a random one.
    IDirectSoundBuffer* FreeBuffer();
    HRESULT RestoreBuffer(IDirectSoundBuffer* buffer, bool* wasRestored);
    // Copies the whole wave into the buffer; what the file can't supply is
    // silence.
    HRESULT FillBuffer(IDirectSoundBuffer* buffer);
};

struct SoundDevice {
    IDirectSound8* directSound = nullptr;
    // True only when the device, its cooperative level and its primary format
    // were all set up. Every play site tests it first.
    bool initialised = false;

    HRESULT SetPrimaryFormat(WORD channels, DWORD samplesPerSecond, WORD bitsPerSample);
    // Makes a clip of `count` buffers from the wave file at `path`.
    HRESULT CreateClip(const char* path, DWORD creationFlags, const GUID& algorithm, DWORD count,
                       SoundClip** clip);
};

// The device for the whole run, held here from start-up to shut-down.
extern SoundDevice* soundDevice;

// Opens the default device at the priority level and the game's primary
// format. When that fails it says so once ("Error initializing DirectSound. ")
// and the device stays uninitialised: the game runs silent.
SoundDevice* CreateSoundDevice(HWND window);

// A clip of one buffer from the named file in the media folder, or null when
// the device isn't ready or the sound can't be made.
SoundClip* LoadSound(const char* fileName, DWORD creationFlags);

// Releases the clip's buffers and its wave file and frees it. Null is skipped.
void DestroyClip(SoundClip* clip);

// Releases the DirectSound object, frees the device and nulls soundDevice.
void DestroySoundDevice();

// The clip operations for slots that may be null, as the play sites use them:
// a null clip is silent, can't be played or stopped (CO_E_NOTINITIALIZED) and
// is skipped by the pitch update.
BOOL IsPlaying(SoundClip* clip);
HRESULT Play(SoundClip* clip, DWORD priority, DWORD playFlags, LONG volume, LONG frequency,
             LONG pan);
HRESULT Stop(SoundClip* clip);
void SetFrequency(SoundClip* clip, DWORD frequency);
