#include "sound/game_sounds.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/module_path.h"
#include "shell/display_mode.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/recording_window.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wave_builder.h"
#include "tools/encoders/encoded_file.h"

namespace {

HWND MainWindow() {
    return reinterpret_cast<HWND>(0x4321);
}

const char* const soundFiles[] = {"turn1.wav",    "turn2.wav", "turn3.wav", "turn4.wav",
                                  "turn5.wav",    "turn6.wav", "eng1.wav",  "crash.wav",
                                  "grelmash.wav", "tarvik.wav"};

std::vector<SoundClip*> AllSlots() {
    std::vector<SoundClip*> slots(turnSounds, turnSounds + turnSoundCount);
    slots.insert(slots.end(), {engineSound, crashSound, robotNearSound, musicSound});
    return slots;
}

// The program pretends to live in a temporary folder whose media folder
// holds small sounds of every format the game may meet.
class GameSounds : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder.Path().empty());
        const std::string media = folder.File("media");
        ASSERT_EQ(mkdir(media.c_str(), 0755), 0);
        SetModuleFileNameForTesting(folder.File("kestrune"));
        for (const char* name : soundFiles) WriteSound(name, Bytes(400, 0xA0));
        // The engine is a ramp, so its place in the loop can be heard.
        Bytes ramp(100);
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(0x80 + i);
        WriteBytesToFile(media + "/eng1.wav", PcmWave(1, 8000, 8, ramp));
        // A 16-bit stereo 22050 Hz crash: its own format describes its buffer.
        Bytes wide(2205 * 4, 0);
        for (size_t i = 0; i < wide.size(); i += 2) wide[i + 1] = 0x20;
        WriteBytesToFile(media + "/crash.wav", PcmWave(2, 22050, 16, wide));
        RecordedMessageBoxes().clear();
        driverBefore = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    void TearDown() override {
        ReleaseGameSounds();
        SetModuleFileNameForTesting("");
        if (driverBefore.empty()) {
            unsetenv("SDL_AUDIODRIVER");
        } else {
            setenv("SDL_AUDIODRIVER", driverBefore.c_str(), 1);
        }
    }

    void WriteSound(const char* name, const Bytes& samples) {
        WriteBytesToFile(folder.File("media/") + name, PcmWave(1, 8000, 8, samples));
    }

    void StartSound() {
        soundDevice = CreateSoundDevice(MainWindow());
        // Take the mixing from the audio thread before anything plays, or it
        // would move the play cursors behind the test's back.
        if (soundDevice && soundDevice->directSound) Mix(0);
        LoadGameSounds();
    }

    std::vector<uint8_t> Mix(DWORD frames) {
        std::vector<uint8_t> out(frames);
        EXPECT_EQ(DirectSoundMixForTesting(soundDevice->directSound, out.data(), frames), S_OK);
        return out;
    }

    static DWORD PlayCursor(SoundClip* clip) {
        DWORD position = 0;
        EXPECT_EQ(clip->buffers[0]->GetCurrentPosition(&position, nullptr), DS_OK);
        return position;
    }

    TemporaryDirectory folder;
    std::string driverBefore;
};

}  // namespace

TEST_F(GameSounds, TheTenSoundsLoadAndPlay) {
    StartSound();
    ASSERT_NE(soundDevice, nullptr);
    EXPECT_TRUE(soundDevice->initialised);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    for (SoundClip* clip : AllSlots()) {
        ASSERT_NE(clip, nullptr);
        EXPECT_EQ(clip->bufferCount, 1u);
        EXPECT_FALSE(clip->IsPlaying());
    }
    EXPECT_EQ(engineSound->creationFlags, DSBCAPS_CTRLFREQUENCY);
    EXPECT_EQ(crashSound->creationFlags, 0u);
    EXPECT_EQ(crashSound->bufferSize, 2205u * 4);

    for (SoundClip* clip : AllSlots()) PlayIfSilent(clip);
    for (SoundClip* clip : AllSlots()) EXPECT_TRUE(clip->IsPlaying());
    // Nine sounds a quarter of full scale up, and the ramp at its start:
    // clipped at the top, not wrapped.
    EXPECT_EQ(Mix(1)[0], 0xFF);

    // A tenth of a second later the 2205-frame crash at 22050 Hz has just
    // ended, and the 400-frame sounds at 8000 Hz before it.
    Mix(800);
    EXPECT_FALSE(crashSound->IsPlaying());
    EXPECT_FALSE(turnSounds[0]->IsPlaying());
    EXPECT_FALSE(engineSound->IsPlaying());  // played once, as the play-site rule does
}

TEST_F(GameSounds, TheEngineLoopsAtItsPitchAndResumesWhereItStopped) {
    StartSound();
    ASSERT_NE(engineSound, nullptr);
    StartEngineSound();
    EXPECT_EQ(Mix(3), (std::vector<uint8_t>{0x80, 0x81, 0x82}));
    SetFrequency(engineSound, 16000);
    EXPECT_EQ(Mix(2), (std::vector<uint8_t>{0x83, 0x85}));
    Mix(100);  // past the end of the 100 frames: the loop goes on
    EXPECT_TRUE(engineSound->IsPlaying());
    const DWORD stoppedAt = PlayCursor(engineSound);

    StopEngineSound();
    EXPECT_FALSE(engineSound->IsPlaying());
    EXPECT_EQ(Mix(5), std::vector<uint8_t>(5, 0x80));
    EXPECT_EQ(PlayCursor(engineSound), stoppedAt);

    // The next race starts it at 8000 Hz from where it stood.
    StartEngineSound();
    EXPECT_EQ(Mix(1), std::vector<uint8_t>{static_cast<uint8_t>(0x80 + stoppedAt)});
}

TEST_F(GameSounds, LeavingARaceSilencesEverySound) {
    StartSound();
    StartEngineSound();
    for (SoundClip* clip : AllSlots()) PlayIfSilent(clip);
    LeaveRace();  // Escape, windowed
    TakeQueuedMessages();
    for (SoundClip* clip : AllSlots()) EXPECT_FALSE(clip->IsPlaying());
    EXPECT_EQ(Mix(5), std::vector<uint8_t>(5, 0x80));
}

TEST_F(GameSounds, ASecondRequestDoesNotRestartAPlayingSound) {
    Bytes ramp(200);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(0x80 + i / 2);
    WriteSound("turn3.wav", ramp);
    StartSound();
    PlayIfSilent(turnSounds[2]);
    Mix(50);
    PlayIfSilent(turnSounds[2]);
    EXPECT_EQ(PlayCursor(turnSounds[2]), 50u);
    EXPECT_EQ(Mix(1)[0], 0x80 + 25);
}

TEST_F(GameSounds, ALostDeviceIsRestoredAndRefilledByTheNextPlay) {
    StartSound();
    ASSERT_EQ(DirectSoundLoseDeviceForTesting(soundDevice->directSound), S_OK);
    DWORD status = 0;
    ASSERT_EQ(musicSound->buffers[0]->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST);
    PlayIfSilent(musicSound);
    EXPECT_TRUE(musicSound->IsPlaying());
    EXPECT_EQ(Mix(1)[0], 0xA0);
}

TEST_F(GameSounds, AMissingOrEmptySoundLeavesOnlyItsSlotEmpty) {
    std::remove(folder.File("media/grelmash.wav").c_str());
    WriteSound("turn4.wav", Bytes{});
    StartSound();
    EXPECT_EQ(robotNearSound, nullptr);
    EXPECT_EQ(turnSounds[3], nullptr);
    EXPECT_NE(turnSounds[4], nullptr);
    EXPECT_NE(musicSound, nullptr);
    EXPECT_TRUE(RecordedMessageBoxes().empty());  // no message for a missing sound
    PlayIfSilent(robotNearSound);
    EXPECT_FALSE(IsPlaying(robotNearSound));
}

TEST_F(GameSounds, WithoutAnAudioDriverTheGameSaysSoOnceAndRunsSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    StartSound();
    ASSERT_NE(soundDevice, nullptr);  // kept, so shut-down can release it
    EXPECT_FALSE(soundDevice->initialised);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    const RecordedMessageBox& box = RecordedMessageBoxes()[0];
    EXPECT_EQ(box.text, "Error initializing DirectSound. ");
    EXPECT_EQ(box.caption, "Tolvarin");
    EXPECT_EQ(box.type, MB_ICONHAND);
    EXPECT_EQ(box.owner, MainWindow());
    for (SoundClip* clip : AllSlots()) EXPECT_EQ(clip, nullptr);

    // Every play site passes over the empty slots.
    for (SoundClip* clip : AllSlots()) PlayIfSilent(clip);
    StartEngineSound();
    SetFrequency(engineSound, 20000);
    StopEngineSound();
    EXPECT_EQ(RecordedMessageBoxes().size(), 1u);

    ReleaseGameSounds();
    EXPECT_EQ(soundDevice, nullptr);
}

TEST_F(GameSounds, ReleaseEmptiesEverySlotAndTheDevice) {
    StartSound();
    ReleaseGameSounds();
    for (SoundClip* clip : AllSlots()) EXPECT_EQ(clip, nullptr);
    EXPECT_EQ(soundDevice, nullptr);
    // With everything released, the audio subsystem is free for a new device.
    StartSound();
    EXPECT_TRUE(soundDevice->initialised);
}
