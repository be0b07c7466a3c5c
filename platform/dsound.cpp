#include "platform/dsound.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/sound_mixer.h"
#include "platform/sound_output.h"
#include "platform/window.h"

namespace {

// DirectSound's own primary format until the game sets one.
constexpr PcmLayout defaultPrimaryLayout{2, 8, 22050};

bool createWithoutOutput = false;

// The device and every voice on it. The device object and each of its
// buffers share it, so the audio thread never outlives what it mixes.
class SoundOutput {
  public:
    SoundOutputId device = 0;
    PcmLayout layout = defaultPrimaryLayout;
    DWORD cooperativeLevel = 0;
    bool subsystemStarted = false;
    bool manualMixing = false;
    // Mixed only by the caller, from creation on: no SDL device ever opens.
    bool withoutOutput = false;
    bool deviceLost = false;

    SoundOutput() = default;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;
    ~SoundOutput() {
        CloseDevice();
        if (subsystemStarted) StopSoundOutputs();
    }

    // Holds the audio thread off the voices while the game changes them.
    class Lock {
      public:
        explicit Lock(const SoundOutput& output) : device(output.device) {
            LockSoundOutput(device);
        }
        ~Lock() { UnlockSoundOutput(device); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        SoundOutputId device;
    };

    // `shortBuffer` is for the device opened at creation, which stands only
    // until the game sets its format: the device waits out the buffer in play
    // when it closes, and a long one would cost every start-up ~90 ms.
    bool OpenDevice(const PcmLayout& wanted, bool shortBuffer = false) {
        CloseDevice();
        if (withoutOutput) {
            layout = wanted;
            return true;
        }
        const SoundOutputId opened = OpenSoundOutput(wanted, shortBuffer, MixCallback, this);
        if (opened == 0) return false;
        layout = wanted;
        device = opened;
        if (!manualMixing) PauseSoundOutput(device, false);
        return true;
    }

    void CloseDevice() {
        CloseSoundOutput(device);
        device = 0;
    }

    // The device is asked whether it is still there whenever the game asks
    // about a buffer.
    void CheckDevice() {
        if (SoundOutputRemoved(device)) LoseDevice();
    }

    void LoseDevice() {
        {
            Lock lock(*this);
            for (SoundVoice* voice : voices) {
                voice->playing = false;
                voice->lost = true;
            }
        }
        CloseDevice();
        deviceLost = true;
    }

    // Brings a lost device back at the format the game set.
    bool Reopen() {
        if (!deviceLost) return true;
        if (!OpenDevice(layout)) return false;
        deviceLost = false;
        return true;
    }

    void Add(SoundVoice* voice) {
        Lock lock(*this);
        voices.push_back(voice);
    }

    void Remove(SoundVoice* voice) {
        Lock lock(*this);
        voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end());
    }

    // As DirectSound does for the window of the cooperative level, the
    // program's sounds are muted while it does not have the focus; they play
    // on meanwhile, unheard.
    void Mix(uint8_t* output, size_t frames) {
        MixVoices(voices.data(), voices.size(), layout, output, frames, ProgramIsActive());
    }

  private:
    std::vector<SoundVoice*> voices;

    // Runs wherever the device fills its blocks, holding the device lock.
    static void MixCallback(void* userdata, uint8_t* stream, int length) {
        SoundOutput* output = static_cast<SoundOutput*>(userdata);
        const size_t frameBytes = output->layout.FrameBytes();
        const size_t frames = static_cast<size_t>(length) / frameBytes;
        output->Mix(stream, frames);
        const size_t mixed = frames * frameBytes;
        if (mixed < static_cast<size_t>(length)) {
            std::memset(stream + mixed, output->layout.bitsPerSample == 8 ? 0x80 : 0,
                        static_cast<size_t>(length) - mixed);
        }
    }
};

bool ToLayout(const WAVEFORMATEX& format, PcmLayout& layout) {
    if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
    layout.channels = format.nChannels;
    layout.bitsPerSample = format.wBitsPerSample;
    layout.samplesPerSecond = format.nSamplesPerSec;
    if (!IsMixableLayout(layout)) return false;
    if (format.nSamplesPerSec < DSBFREQUENCY_MIN || format.nSamplesPerSec > DSBFREQUENCY_MAX) {
        return false;
    }
    return format.nBlockAlign == layout.FrameBytes() &&
           format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

class PrimaryBuffer final : public IDirectSoundBuffer {
  public:
    explicit PrimaryBuffer(std::shared_ptr<SoundOutput> device) : output(std::move(device)) {}

    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        output->CheckDevice();
        *status = output->device ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
        return DS_OK;
    }
    HRESULT SetFormat(const WAVEFORMATEX* format) override {
        if (!format) return DSERR_INVALIDPARAM;
        if (output->cooperativeLevel < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
        PcmLayout wanted;
        if (!ToLayout(*format, wanted)) return DSERR_BADFORMAT;
        if (output->manualMixing || output->deviceLost) {
            output->layout = wanted;
            return DS_OK;
        }
        const PcmLayout previous = output->layout;
        if (output->OpenDevice(wanted)) return DS_OK;
        if (!output->OpenDevice(previous)) output->LoseDevice();
        return DSERR_GENERIC;
    }

    HRESULT GetCurrentPosition(DWORD*, DWORD*) override { return DSERR_INVALIDCALL; }
    HRESULT GetFrequency(DWORD*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) override {
        return DSERR_INVALIDCALL;
    }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Play(DWORD, DWORD, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Stop() override { return DSERR_INVALIDCALL; }
    HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetVolume(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT Restore() override { return DS_OK; }

  private:
    ~PrimaryBuffer() override = default;

    ULONG references = 1;
    std::shared_ptr<SoundOutput> output;
};

class SecondaryBuffer final : public IDirectSoundBuffer {
  public:
    SecondaryBuffer(std::shared_ptr<SoundOutput> device, DWORD creationFlags,
                    DWORD createdFrequency, std::shared_ptr<SoundVoice> mixedVoice)
        : output(std::move(device)),
          flags(creationFlags),
          originalFrequency(createdFrequency),
          voice(std::move(mixedVoice)) {
        output->Add(voice.get());
    }

    const SoundOutput* Output() const { return output.get(); }

    // A buffer over the same samples that plays on its own.
    SecondaryBuffer* Duplicate() const {
        auto copy = std::make_shared<SoundVoice>();
        {
            SoundOutput::Lock lock(*output);
            *copy = *voice;
        }
        copy->position = 0;
        copy->playing = false;
        copy->looping = false;
        return new (std::nothrow) SecondaryBuffer(output, flags, originalFrequency, copy);
    }

    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        output->CheckDevice();
        SoundOutput::Lock lock(*output);
        DWORD bits = 0;
        if (voice->playing) bits |= DSBSTATUS_PLAYING;
        if (voice->playing && voice->looping) bits |= DSBSTATUS_LOOPING;
        if (voice->lost) bits |= DSBSTATUS_BUFFERLOST;
        *status = bits;
        return DS_OK;
    }

    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override {
        if (!playCursor && !writeCursor) return DSERR_INVALIDPARAM;
        const DWORD cursor = PlayCursor();
        // A static buffer is written only when locked; its write cursor is
        // where the play cursor stands.
        if (playCursor) *playCursor = cursor;
        if (writeCursor) *writeCursor = cursor;
        return DS_OK;
    }

    HRESULT GetFrequency(DWORD* frequency) override {
        if (!frequency) return DSERR_INVALIDPARAM;
        if (!(flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        SoundOutput::Lock lock(*output);
        *frequency = voice->frequency;
        return DS_OK;
    }

    HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }

    // The game writes into a copy; Unlock puts it in place under the device
    // lock, so the audio thread never reads bytes that are being written.
    HRESULT Lock(DWORD offset, DWORD bytes, void** audioPointer1, DWORD* audioBytes1,
                 void** audioPointer2, DWORD* audioBytes2, DWORD lockFlags) override {
        if (!audioPointer1 || !audioBytes1) return DSERR_INVALIDPARAM;
        if (locked) return DSERR_INVALIDCALL;
        if (voice->lost) return DSERR_BUFFERLOST;
        const DWORD size = Bytes();
        if (lockFlags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = size;
        } else if (lockFlags & DSBLOCK_FROMWRITECURSOR) {
            offset = PlayCursor();
        }
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        const DWORD first = std::min(bytes, size - offset);
        const DWORD second = bytes - first;
        if (second > 0 && (!audioPointer2 || !audioBytes2)) return DSERR_INVALIDPARAM;

        // Only this thread ever writes the samples, so reading them here
        // needs no lock.
        const std::vector<uint8_t>& samples = *voice->samples;
        lockCopy.assign(samples.begin() + offset, samples.begin() + offset + first);
        lockCopy.insert(lockCopy.end(), samples.begin(), samples.begin() + second);
        lockOffset = offset;
        lockFirst = first;
        lockSecond = second;
        locked = true;
        *audioPointer1 = lockCopy.data();
        *audioBytes1 = first;
        if (audioPointer2) *audioPointer2 = second ? lockCopy.data() + first : nullptr;
        if (audioBytes2) *audioBytes2 = second;
        return DS_OK;
    }

    HRESULT Unlock(void* audioPointer1, DWORD audioBytes1, void* audioPointer2,
                   DWORD audioBytes2) override {
        if (!locked) return DSERR_INVALIDCALL;
        if (audioPointer1 != lockCopy.data() || audioBytes1 > lockFirst ||
            audioBytes2 > lockSecond ||
            (audioBytes2 > 0 && audioPointer2 != lockCopy.data() + lockFirst)) {
            return DSERR_INVALIDPARAM;
        }
        {
            SoundOutput::Lock lock(*output);
            std::vector<uint8_t>& samples = *voice->samples;
            std::memcpy(samples.data() + lockOffset, lockCopy.data(), audioBytes1);
            std::memcpy(samples.data(), lockCopy.data() + lockFirst, audioBytes2);
        }
        locked = false;
        std::vector<uint8_t>().swap(lockCopy);
        return DS_OK;
    }

    HRESULT Play(DWORD reserved, DWORD priority, DWORD playFlags) override {
        if (reserved != 0) return DSERR_INVALIDPARAM;
        if (priority != 0 && !(flags & DSBCAPS_LOCDEFER)) return DSERR_INVALIDPARAM;
        output->CheckDevice();
        SoundOutput::Lock lock(*output);
        if (voice->lost) return DSERR_BUFFERLOST;
        voice->looping = (playFlags & DSBPLAY_LOOPING) != 0;
        voice->playing = true;
        return DS_OK;
    }

    HRESULT Stop() override {
        SoundOutput::Lock lock(*output);
        voice->playing = false;
        return DS_OK;
    }

    HRESULT SetFrequency(DWORD frequency) override {
        if (!(flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        if (frequency == DSBFREQUENCY_ORIGINAL) frequency = originalFrequency;
        if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) {
            return DSERR_INVALIDPARAM;
        }
        SoundOutput::Lock lock(*output);
        voice->frequency = frequency;
        return DS_OK;
    }

    HRESULT SetVolume(LONG volume) override {
        if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        SoundOutput::Lock lock(*output);
        voice->volume = volume;
        return DS_OK;
    }

    HRESULT SetPan(LONG pan) override {
        if (!(flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        SoundOutput::Lock lock(*output);
        voice->pan = pan;
        return DS_OK;
    }

    // The samples survive a loss here, but the game may not rely on that: it
    // refills every restored buffer, as it must with DirectSound.
    HRESULT Restore() override {
        if (!voice->lost) return DS_OK;
        if (!output->Reopen()) return DSERR_BUFFERLOST;
        SoundOutput::Lock lock(*output);
        voice->lost = false;
        return DS_OK;
    }

  private:
    ~SecondaryBuffer() override { output->Remove(voice.get()); }

    DWORD Bytes() const { return static_cast<DWORD>(voice->samples->size()); }

    DWORD PlayCursor() const {
        SoundOutput::Lock lock(*output);
        return static_cast<DWORD>(voice->position >> 32) * voice->layout.FrameBytes();
    }

    ULONG references = 1;
    std::shared_ptr<SoundOutput> output;
    DWORD flags;
    DWORD originalFrequency;
    std::shared_ptr<SoundVoice> voice;

    std::vector<uint8_t> lockCopy;
    DWORD lockOffset = 0;
    DWORD lockFirst = 0;
    DWORD lockSecond = 0;
    bool locked = false;
};

class DirectSound final : public IDirectSound8 {
  public:
    explicit DirectSound(std::shared_ptr<SoundOutput> device) : output(std::move(device)) {}

    SoundOutput& Output() { return *output; }

    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
            return DSERR_INVALIDPARAM;
        }
        output->cooperativeLevel = level;
        return DS_OK;
    }

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer,
                              void* outer) override {
        if (!buffer) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (outer) return DSERR_NOAGGREGATION;
        if (!description) return DSERR_INVALIDPARAM;
        if (description->dwSize != dsbufferdescSize32 &&
            description->dwSize != sizeof(DSBUFFERDESC)) {
            return DSERR_INVALIDPARAM;
        }
        if (output->cooperativeLevel == 0) return DSERR_PRIOLEVELNEEDED;

        if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (description->dwBufferBytes != 0 || description->lpwfxFormat) {
                return DSERR_INVALIDPARAM;
            }
            *buffer = new (std::nothrow) PrimaryBuffer(output);
            return *buffer ? DS_OK : DSERR_OUTOFMEMORY;
        }

        const WAVEFORMATEX* format = description->lpwfxFormat;
        if (!format) return DSERR_INVALIDPARAM;
        const DWORD bytes = description->dwBufferBytes;
        if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
        PcmLayout layout;
        if (!ToLayout(*format, layout)) return DSERR_BADFORMAT;

        auto voice = std::make_shared<SoundVoice>();
        // A new buffer holds silence, never stray bytes.
        voice->samples = std::make_shared<std::vector<uint8_t>>(
            bytes, static_cast<uint8_t>(layout.bitsPerSample == 8 ? 0x80 : 0x00));
        voice->layout = layout;
        voice->frameCount = bytes / layout.FrameBytes();
        voice->frequency = layout.samplesPerSecond;
        voice->globalFocus = (description->dwFlags & DSBCAPS_GLOBALFOCUS) != 0;
        *buffer = new (std::nothrow)
            SecondaryBuffer(output, description->dwFlags, layout.samplesPerSecond, voice);
        return *buffer ? DS_OK : DSERR_OUTOFMEMORY;
    }

    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                 IDirectSoundBuffer** duplicate) override {
        if (!duplicate) return DSERR_INVALIDPARAM;
        *duplicate = nullptr;
        const SecondaryBuffer* source = dynamic_cast<SecondaryBuffer*>(original);
        if (!source || source->Output() != output.get()) return DSERR_INVALIDCALL;
        *duplicate = source->Duplicate();
        return *duplicate ? DS_OK : DSERR_OUTOFMEMORY;
    }

  private:
    ~DirectSound() override = default;

    ULONG references = 1;
    std::shared_ptr<SoundOutput> output;
};

}  // namespace

HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** directSound, void* outer) {
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (device && !(*device == GUID_NULL)) return DSERR_NODRIVER;

    auto output = std::make_shared<SoundOutput>();
    if (createWithoutOutput) {
        output->withoutOutput = true;
        output->manualMixing = true;
    } else {
        if (!StartSoundOutputs()) return DSERR_NODRIVER;
        output->subsystemStarted = true;
    }
    // A driver alone is not enough: the device must open, or the game runs
    // silent from the start.
    if (!output->OpenDevice(defaultPrimaryLayout, true)) return DSERR_NODRIVER;
    *directSound = new (std::nothrow) DirectSound(output);
    return *directSound ? DS_OK : DSERR_OUTOFMEMORY;
}

void SetSoundApplicationName(const char* name) {
    if (name == nullptr || name[0] == '\0') return;
    NameSoundOutputs(name);
}

HRESULT DirectSoundMixForTesting(IDirectSound8* directSound, BYTE* output, DWORD frames) {
    DirectSound* ours = dynamic_cast<DirectSound*>(directSound);
    if (!ours || (!output && frames > 0)) return E_INVALIDARG;
    SoundOutput& sound = ours->Output();
    if (!sound.manualMixing) {
        sound.manualMixing = true;
        // Once paused, the device no longer calls the mixer; the pause waits
        // for a callback that is under way.
        PauseSoundOutput(sound.device, true);
    }
    SoundOutput::Lock lock(sound);
    sound.Mix(output, frames);
    return S_OK;
}

void DirectSoundCreateWithoutOutputForTesting(bool withoutOutput) {
    createWithoutOutput = withoutOutput;
}

HRESULT DirectSoundLoseDeviceForTesting(IDirectSound8* directSound) {
    DirectSound* ours = dynamic_cast<DirectSound*>(directSound);
    if (!ours) return E_INVALIDARG;
    ours->Output().LoseDevice();
    return S_OK;
}
