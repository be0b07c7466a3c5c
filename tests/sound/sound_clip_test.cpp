#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/random.h"
#include "platform/clock.h"
#include "sound/game_sounds.h"
#include "sound/sound_device.h"
#include "tests/support/fake_sound_buffer.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wave_builder.h"
#include "tools/encoders/encoded_file.h"

namespace {

// A clip built by hand over recording buffers, with a wave file of its own.
class SoundClips : public ::testing::Test {
  protected:
    void SetUp() override {
        clip.buffers = {&first};
        clip.bufferCount = 1;
    }

    void TearDown() override { soundDevice = nullptr; }

    // Gives the clip a wave file holding `samples`, and a buffer size of
    // `bufferSize` bytes.
    void UseWave(uint16_t bitsPerSample, const Bytes& samples, DWORD bufferSize) {
        const std::string path = folder.File("clip.wav");
        WriteBytesToFile(path, PcmWave(1, 8000, bitsPerSample, samples));
        clip.wavFile = std::make_unique<WavFile>();
        ASSERT_EQ(clip.wavFile->Open(path.c_str()), S_OK);
        clip.bufferSize = bufferSize;
    }

    TemporaryDirectory folder;
    FakeSoundBuffer first;
    FakeSoundBuffer second;
    SoundClip clip;
};

DWORD fakeTime = 0;
// Each look at the clock moves it on by a quarter of a second.
DWORD HurriedClock() {
    return fakeTime += 250;
}

}  // namespace

TEST_F(SoundClips, FillBufferPadsWithTheWavesSilence) {
    UseWave(8, {1, 2, 3}, 8);
    ASSERT_EQ(clip.FillBuffer(&first), S_OK);
    EXPECT_EQ(first.memory, (Bytes{1, 2, 3, 0x80, 0x80, 0x80, 0x80, 0x80}));
    EXPECT_EQ(first.lastLockBytes, 8u);
    EXPECT_EQ(first.unlockCount, 1);

    first.memory.clear();
    UseWave(16, {1, 2, 3, 4}, 8);
    ASSERT_EQ(clip.FillBuffer(&first), S_OK);
    EXPECT_EQ(first.memory, (Bytes{1, 2, 3, 4, 0, 0, 0, 0}));
}

TEST_F(SoundClips, FillBufferRewindsBeforeEveryRefill) {
    UseWave(8, {5, 6, 7, 8}, 4);
    ASSERT_EQ(clip.FillBuffer(&first), S_OK);
    first.memory.assign(4, 0);
    ASSERT_EQ(clip.FillBuffer(&first), S_OK);
    EXPECT_EQ(first.memory, (Bytes{5, 6, 7, 8}));
}

TEST_F(SoundClips, AFailedReadStillLeavesSilenceAndUnlocks) {
    UseWave(8, {1, 2, 3}, 6);
    clip.wavFile->Close();  // every read now fails
    EXPECT_EQ(clip.FillBuffer(&first), E_FAIL);
    EXPECT_EQ(first.memory, Bytes(6, 0x80));
    EXPECT_EQ(first.unlockCount, 1);

    first.lockResult = DSERR_BUFFERLOST;
    EXPECT_EQ(clip.FillBuffer(&first), E_FAIL);
    EXPECT_EQ(clip.FillBuffer(nullptr), CO_E_NOTINITIALIZED);
}

TEST_F(SoundClips, FreeBufferTakesTheFirstSilentOneAndDrawsWhenAllPlay) {
    clip.buffers = {nullptr, &first, &second};
    clip.bufferCount = 3;
    first.status = DSBSTATUS_PLAYING;
    SeedRandom(1);
    EXPECT_EQ(clip.FreeBuffer(), &second);
    EXPECT_EQ(RandomInt(), 41);  // no draw was made

    second.status = DSBSTATUS_PLAYING;
    SeedRandom(1);
    // The draw is 41; 41 modulo 3 is 2.
    EXPECT_EQ(clip.FreeBuffer(), &second);
    EXPECT_EQ(RandomInt(), 18467);
}

TEST_F(SoundClips, FreeBufferOfOneBusyBufferStillAdvancesTheGenerator) {
    first.status = DSBSTATUS_PLAYING;
    SeedRandom(1);
    EXPECT_EQ(clip.FreeBuffer(), &first);
    EXPECT_EQ(RandomInt(), 18467);
}

TEST_F(SoundClips, PlayAppliesOnlyTheControlsTheClipWasMadeWith) {
    ASSERT_EQ(clip.Play(0, 0, 0, 12000, 0), S_OK);
    EXPECT_TRUE(first.frequencies.empty());
    EXPECT_TRUE(first.volumes.empty());
    EXPECT_TRUE(first.pans.empty());
    ASSERT_EQ(first.plays.size(), 1u);
    EXPECT_EQ(first.plays[0].reserved, 0u);
    EXPECT_EQ(first.plays[0].flags, 0u);

    first.status = 0;
    clip.creationFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
    ASSERT_EQ(clip.Play(0, DSBPLAY_LOOPING, -300, 12000, 50), S_OK);
    EXPECT_EQ(first.frequencies, std::vector<DWORD>{12000});
    EXPECT_EQ(first.volumes, std::vector<LONG>{-300});
    EXPECT_EQ(first.pans, std::vector<LONG>{50});
    EXPECT_EQ(first.plays.back().flags, DSBPLAY_LOOPING);

    // -1 leaves the frequency alone.
    first.status = 0;
    ASSERT_EQ(clip.Play(0, 0, 0, -1, 0), S_OK);
    EXPECT_EQ(first.frequencies.size(), 1u);
}

TEST_F(SoundClips, PlayRestoresAndRefillsALostBuffer) {
    UseWave(8, {9, 9}, 4);
    first.status = DSBSTATUS_BUFFERLOST;
    first.restoreResults = {DSERR_BUFFERLOST, DSERR_BUFFERLOST, DS_OK};
    ASSERT_EQ(clip.Play(0, 0, 0, -1, 0), S_OK);
    // Each round restores twice, sleeping between when the first is refused.
    EXPECT_EQ(first.restoreCount, 4);
    EXPECT_EQ(first.memory, (Bytes{9, 9, 0x80, 0x80}));
    EXPECT_EQ(first.plays.size(), 1u);
}

TEST_F(SoundClips, RestoreGivesUpAfterAboutASecondAndThePlayFails) {
    UseWave(8, {9, 9}, 4);
    first.status = DSBSTATUS_BUFFERLOST;
    first.restoreResults.assign(1000, DSERR_BUFFERLOST);
    fakeTime = 0;
    SetTimeSource(HurriedClock);
    EXPECT_LT(clip.Play(0, 0, 0, -1, 0), 0);
    SetTimeSource(nullptr);
    EXPECT_TRUE(first.plays.empty());
    // A second at a quarter second per look: a handful of tries, not a spin.
    EXPECT_GE(first.restoreCount, 2);
    EXPECT_LE(first.restoreCount, 10);
}

TEST_F(SoundClips, StopAndIsPlayingCoverEveryBuffer) {
    clip.buffers = {&first, nullptr, &second};
    clip.bufferCount = 3;
    EXPECT_FALSE(clip.IsPlaying());
    second.status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
    EXPECT_TRUE(clip.IsPlaying());
    EXPECT_EQ(clip.Stop(), S_OK);
    EXPECT_EQ(first.stopCount, 1);
    EXPECT_EQ(second.stopCount, 1);
    EXPECT_FALSE(clip.IsPlaying());
}

TEST_F(SoundClips, NullClipsAreSilentAndRefuseToPlay) {
    EXPECT_EQ(IsPlaying(nullptr), FALSE);
    EXPECT_EQ(Play(nullptr, 0, 0, 0, -1, 0), CO_E_NOTINITIALIZED);
    EXPECT_EQ(Stop(nullptr), CO_E_NOTINITIALIZED);
    SetFrequency(nullptr, 8000);
    DestroyClip(nullptr);

    SoundClip empty;
    EXPECT_EQ(empty.Play(0, 0, 0, -1, 0), CO_E_NOTINITIALIZED);
    EXPECT_EQ(empty.Stop(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(empty.FreeBuffer(), nullptr);
}

TEST_F(SoundClips, APlaySiteDropsASecondRequestWhileTheClipPlays) {
    SoundDevice ready;
    ready.initialised = true;
    soundDevice = &ready;
    PlayIfSilent(&clip);
    PlayIfSilent(&clip);
    ASSERT_EQ(first.plays.size(), 1u);
    EXPECT_EQ(first.plays[0].flags, 0u);

    first.status = 0;  // the sound has ended
    PlayIfSilent(&clip);
    EXPECT_EQ(first.plays.size(), 2u);

    first.status = 0;
    ready.initialised = false;
    PlayIfSilent(&clip);
    EXPECT_EQ(first.plays.size(), 2u);
}

TEST_F(SoundClips, DestroyClipReleasesEveryBuffer) {
    auto* owned = new SoundClip;
    owned->buffers = {&first, nullptr, &second};
    owned->bufferCount = 3;
    DestroyClip(owned);
    EXPECT_EQ(first.releaseCount, 1);
    EXPECT_EQ(second.releaseCount, 1);
}
