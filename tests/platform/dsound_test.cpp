#include "platform/dsound.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/window.h"

namespace {

HWND SomeWindow() {
    return reinterpret_cast<HWND>(0x1234);
}

WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

// A device on SDL's dummy driver at the game's primary format, mixed by hand.
class DirectSound : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(DirectSoundCreate8(nullptr, &directSound, nullptr), DS_OK);
        ASSERT_EQ(directSound->SetCooperativeLevel(SomeWindow(), DSSCL_PRIORITY), DS_OK);
        DSBUFFERDESC description{};
        description.dwSize = dsbufferdescSize32;
        description.dwFlags = DSBCAPS_PRIMARYBUFFER;
        IDirectSoundBuffer* primary = nullptr;
        ASSERT_EQ(directSound->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
        const WAVEFORMATEX format = PcmFormat(1, 8000, 8);
        EXPECT_EQ(primary->SetFormat(&format), DS_OK);
        primary->Release();
        // Take the mixing from the audio thread before anything plays, or it
        // would move the play cursors behind the test's back.
        ASSERT_EQ(DirectSoundMixForTesting(directSound, nullptr, 0), S_OK);
    }

    void TearDown() override {
        SetProgramActive(true);
        for (IDirectSoundBuffer* buffer : made) buffer->Release();
        if (directSound) directSound->Release();
    }

    IDirectSoundBuffer* MakeBuffer(const std::vector<uint8_t>& samples, DWORD flags = 0,
                                   WAVEFORMATEX format = PcmFormat(1, 8000, 8)) {
        DSBUFFERDESC description{};
        description.dwSize = sizeof(DSBUFFERDESC);
        description.dwFlags = flags;
        description.dwBufferBytes = static_cast<DWORD>(samples.size());
        description.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = nullptr;
        if (FAILED(directSound->CreateSoundBuffer(&description, &buffer, nullptr))) return nullptr;
        made.push_back(buffer);
        void* region = nullptr;
        DWORD bytes = 0;
        if (SUCCEEDED(
                buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
            std::memcpy(region, samples.data(), bytes);
            buffer->Unlock(region, bytes, nullptr, 0);
        }
        return buffer;
    }

    std::vector<uint8_t> Mix(DWORD frames) {
        std::vector<uint8_t> out(frames);
        EXPECT_EQ(DirectSoundMixForTesting(directSound, out.data(), frames), S_OK);
        return out;
    }

    static DWORD Status(IDirectSoundBuffer* buffer) {
        DWORD status = 0xFFFFFFFF;
        EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
        return status;
    }

    IDirectSound8* directSound = nullptr;
    std::vector<IDirectSoundBuffer*> made;
};

std::vector<uint8_t> Ramp(size_t frames) {
    std::vector<uint8_t> ramp(frames);
    for (size_t i = 0; i < frames; ++i) ramp[i] = static_cast<uint8_t>(0x80 + i);
    return ramp;
}

}  // namespace

TEST_F(DirectSound, PlaysOnceThenReportsSilenceAndRewinds) {
    IDirectSoundBuffer* buffer = MakeBuffer(Ramp(6));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Status(buffer), 0u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING);
    EXPECT_EQ(Mix(4), (std::vector<uint8_t>{0x80, 0x81, 0x82, 0x83}));
    EXPECT_EQ(Mix(4), (std::vector<uint8_t>{0x84, 0x85, 0x80, 0x80}));
    EXPECT_EQ(Status(buffer), 0u);
    DWORD play = 99, write = 99;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u);
}

TEST_F(DirectSound, StopKeepsThePlaceAndALoopResumesThere) {
    IDirectSoundBuffer* buffer = MakeBuffer(Ramp(10));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    Mix(13);
    ASSERT_EQ(buffer->Stop(), DS_OK);
    DWORD play = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 3u);
    EXPECT_EQ(Mix(2), (std::vector<uint8_t>{0x80, 0x80}));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(2), (std::vector<uint8_t>{0x83, 0x84}));
}

// Another program's window takes the focus: the sounds play on unheard, all
// but a global-focus buffer's, and are heard again, further on, with it back.
TEST_F(DirectSound, HeardOnlyWhileTheProgramHasTheFocus) {
    IDirectSoundBuffer* engine = MakeBuffer(Ramp(10));
    IDirectSoundBuffer* global = MakeBuffer(std::vector<uint8_t>(4, 0x90), DSBCAPS_GLOBALFOCUS);
    ASSERT_EQ(engine->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(2), (std::vector<uint8_t>{0x80, 0x81}));
    SetProgramActive(false);
    EXPECT_EQ(Mix(3), (std::vector<uint8_t>(3, 0x80)));
    EXPECT_EQ(Status(engine), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ASSERT_EQ(global->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Mix(1), (std::vector<uint8_t>{0x90}));
    ASSERT_EQ(global->Stop(), DS_OK);
    SetProgramActive(true);
    EXPECT_EQ(Mix(2), (std::vector<uint8_t>{0x86, 0x87}));
}

TEST_F(DirectSound, ControlsNeedTheirCapabilityFlags) {
    IDirectSoundBuffer* plain = MakeBuffer(Ramp(8));
    EXPECT_EQ(plain->SetFrequency(16000), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetVolume(-600), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(0), DSERR_CONTROLUNAVAIL);

    IDirectSoundBuffer* engine = MakeBuffer(Ramp(8), DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME);
    EXPECT_EQ(engine->SetFrequency(16000), DS_OK);
    EXPECT_EQ(engine->SetFrequency(50), DSERR_INVALIDPARAM);
    EXPECT_EQ(engine->SetVolume(1), DSERR_INVALIDPARAM);
    ASSERT_EQ(engine->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Mix(3), (std::vector<uint8_t>{0x80, 0x82, 0x84}));
    EXPECT_EQ(engine->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    DWORD frequency = 0;
    ASSERT_EQ(engine->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(frequency, 8000u);
}

TEST_F(DirectSound, RefusesFormatsAndSizesItCannotPlay) {
    EXPECT_EQ(MakeBuffer(Ramp(3)), nullptr);  // below DSBSIZE_MIN
    WAVEFORMATEX compressed = PcmFormat(1, 8000, 8);
    compressed.wFormatTag = 2;
    EXPECT_EQ(MakeBuffer(Ramp(8), 0, compressed), nullptr);
    EXPECT_EQ(MakeBuffer(Ramp(8), 0, PcmFormat(3, 8000, 8)), nullptr);
    EXPECT_EQ(MakeBuffer(Ramp(8), 0, PcmFormat(1, 8000, 24)), nullptr);
    WAVEFORMATEX inconsistent = PcmFormat(1, 8000, 16);
    inconsistent.nBlockAlign = 1;
    EXPECT_EQ(MakeBuffer(Ramp(8), 0, inconsistent), nullptr);

    EXPECT_NE(MakeBuffer(Ramp(8), 0, PcmFormat(2, 44100, 16)), nullptr);
    EXPECT_NE(MakeBuffer(Ramp(8), 0, PcmFormat(1, 11025, 8)), nullptr);

    DSBUFFERDESC description{};
    description.dwSize = 20;
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(DirectSound, LockHandsOutBothRegionsOfAWrappingRange) {
    IDirectSoundBuffer* buffer = MakeBuffer(Ramp(8));
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    ASSERT_EQ(buffer->Lock(6, 4, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
    ASSERT_EQ(firstBytes, 2u);
    ASSERT_EQ(secondBytes, 2u);
    EXPECT_EQ(static_cast<uint8_t*>(first)[0], 0x86);
    EXPECT_EQ(static_cast<uint8_t*>(second)[1], 0x81);
    void* again = nullptr;
    DWORD againBytes = 0;
    EXPECT_EQ(buffer->Lock(0, 1, &again, &againBytes, nullptr, nullptr, 0), DSERR_INVALIDCALL);
    static_cast<uint8_t*>(first)[0] = 0xF0;
    static_cast<uint8_t*>(second)[0] = 0x10;
    ASSERT_EQ(buffer->Unlock(first, firstBytes, second, secondBytes), DS_OK);

    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    const std::vector<uint8_t> out = Mix(8);
    EXPECT_EQ(out[0], 0x10);
    EXPECT_EQ(out[6], 0xF0);
    EXPECT_EQ(buffer->Lock(8, 1, &again, &againBytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DirectSound, ADuplicateSharesTheSoundAndPlaysOnItsOwn) {
    IDirectSoundBuffer* original = MakeBuffer(Ramp(8));
    IDirectSoundBuffer* duplicate = nullptr;
    ASSERT_EQ(directSound->DuplicateSoundBuffer(original, &duplicate), DS_OK);
    made.push_back(duplicate);
    ASSERT_EQ(original->Play(0, 0, 0), DS_OK);
    Mix(4);
    ASSERT_EQ(duplicate->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(original), DSBSTATUS_PLAYING);
    // Frames 4 and 0 summed, then 5 and 1.
    EXPECT_EQ(Mix(2), (std::vector<uint8_t>{0x84, 0x86}));
}

TEST_F(DirectSound, ALostDeviceLosesEveryBufferUntilRestored) {
    IDirectSoundBuffer* buffer = MakeBuffer(Ramp(8));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(DirectSoundLoseDeviceForTesting(directSound), S_OK);
    EXPECT_EQ(Status(buffer), DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_BUFFERLOST);
    void* region = nullptr;
    DWORD bytes = 0;
    EXPECT_EQ(buffer->Lock(0, 8, &region, &bytes, nullptr, nullptr, 0), DSERR_BUFFERLOST);

    EXPECT_EQ(buffer->Restore(), DS_OK);  // the dummy device opens again
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Mix(1), std::vector<uint8_t>{0x80});
}

TEST(DirectSoundCreate8, FailsWithoutAnAudioDriver) {
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = before ? before : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    IDirectSound8* directSound = reinterpret_cast<IDirectSound8*>(0x1);
    EXPECT_EQ(DirectSoundCreate8(nullptr, &directSound, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(directSound, nullptr);
    if (before) {
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
    EXPECT_EQ(DirectSoundCreate8(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
}

TEST(DirectSoundDevice, TheAudioThreadPlaysASoundToItsEnd) {
    // No manual mixing here: SDL's dummy driver calls the mixer on its own
    // thread, as a sound card would. The wait is bounded, not timed.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    IDirectSound8* directSound = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &directSound, nullptr), DS_OK);
    ASSERT_EQ(directSound->SetCooperativeLevel(SomeWindow(), DSSCL_PRIORITY), DS_OK);
    WAVEFORMATEX format = PcmFormat(1, 8000, 8);
    DSBUFFERDESC description{};
    description.dwSize = dsbufferdescSize32;
    description.dwBufferBytes = 80;
    description.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD status = DSBSTATUS_PLAYING;
    for (int tries = 0; tries < 500 && (status & DSBSTATUS_PLAYING); ++tries) {
        SDL_Delay(10);
        ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    }
    EXPECT_EQ(status, 0u);
    buffer->Release();
    directSound->Release();
}
