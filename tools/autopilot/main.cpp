// kestrune-autopilot: runs the real game headless (the real media, race,
// driving and sound code on SDL's dummy driver, the real renderer on a
// surfaceless EGL context) with a clock of its own at 60 frames a second, and
// moves the mouse each frame to follow the circuit. It drives one race from
// the first click to its end and prints the two lines the picture shows.
// With --audio it also records what the mixer played, to the end of the
// finishing tune, and prints its level.
//
//   kestrune-autopilot [--night] [--shot FRAME FILE.png]... [--splash FILE.png]
//                      [--audio FILE.wav]
//
// Exit code 0 when the race was finished, 1 when it ended otherwise.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/media_path.h"
#include "core/options.h"
#include "drive/track_map.h"
#include "platform/clock.h"
#include "platform/egl_context.h"
#include "platform/gdi_bitmap.h"
#include "platform/message_box.h"
#include "png_file.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "shell/game_links.h"
#include "sound/game_sounds.h"
#include "sound_recording.h"
#include "steering.h"

namespace {

constexpr int viewWidthPixels = 640;
constexpr int viewHeightPixels = 480;
// Ten minutes of racing at 60 frames a second is far more than five laps.
constexpr long frameLimit = 60L * 600;
// Long enough for the finishing tune to play out after the race.
constexpr DWORD tuneLimitMilliseconds = 60000;

DWORD clockMilliseconds = 1000000;
long frameNumber = 0;

DWORD AutopilotClock() {
    return clockMilliseconds;
}

// 16, 17, 17 milliseconds: sixty frames a second on average.
void AdvanceClock() {
    clockMilliseconds += (frameNumber % 3 == 0) ? 16 : 17;
}

int messageBoxes = 0;
int CountMessageBox(HWND, const char* text, const char* caption, UINT) {
    ++messageBoxes;
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return 1;
}

struct Shot {
    long frame;
    std::string path;
};

bool SaveBackBuffer(const std::string& path) {
    UINT width = 0, height = 0;
    std::vector<uint8_t> rgba;
    if (FAILED(device->ReadBackBuffer(width, height, rgba))) return false;
    return WritePng(path, width, height, rgba);
}

bool SaveSplash(const std::string& path) {
    GdiBitmap splash;
    if (!splash.LoadFromFile(MediaPath("velmo2.bmp").c_str())) return false;
    // The window shows the top-left 632 x 426 pixels of the picture.
    const uint32_t width = std::min<uint32_t>(632, splash.Width());
    const uint32_t height = std::min<uint32_t>(426, splash.Height());
    std::vector<uint8_t> shown(static_cast<size_t>(width) * height * 4);
    const std::vector<uint8_t>& all = splash.Rgba();
    for (uint32_t y = 0; y < height; ++y) {
        std::memcpy(&shown[static_cast<size_t>(y) * width * 4],
                    &all[static_cast<size_t>(y) * splash.Width() * 4], width * 4);
    }
    return WritePng(path, width, height, shown);
}

std::vector<CircuitPoint> PresentRobots() {
    std::vector<CircuitPoint> robots;
    for (MeshObject* robot : robotObjects) {
        if (robot && robot->state == 0) robots.push_back({robot->position.x, robot->position.z});
    }
    return robots;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Shot> shots;
    std::string splashPath;
    std::string audioPath;
    bool night = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--night") {
            night = true;
        } else if (argument == "--shot" && i + 2 < argc) {
            shots.push_back({std::atol(argv[i + 1]), argv[i + 2]});
            i += 2;
        } else if (argument == "--splash" && i + 1 < argc) {
            splashPath = argv[++i];
        } else if (argument == "--audio" && i + 1 < argc) {
            audioPath = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: kestrune-autopilot [--night] [--shot FRAME FILE.png]... "
                         "[--splash FILE.png] [--audio FILE.wav]\n");
            return 2;
        }
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SetMessageBoxHandler(CountMessageBox);
    SetTimeSource(AutopilotClock);

    const std::vector<CircuitPoint> centreLine = ReadCentreLine(MediaPath("circuit.txt"));
    if (centreLine.empty()) {
        std::fprintf(stderr, "kestrune-autopilot: no circuit in %s\n",
                     MediaPath("circuit.txt").c_str());
        return 2;
    }
    std::string error;
    std::unique_ptr<EglContext> context =
        EglContext::Create(viewWidthPixels, viewHeightPixels, &error);
    if (!context) {
        std::fprintf(stderr, "kestrune-autopilot: no headless OpenGL context: %s\n", error.c_str());
        return 2;
    }

    // Start-up as the program does it, without a window on screen.
    GameOptions.lightsOn = night ? 1 : 0;
    LoadTrackMap(MediaPath("trackmap16.bmp").c_str());
    soundDevice = CreateSoundDevice(context->Window());
    LoadGameSounds();
    SoundRecording recording;
    if (!audioPath.empty() && (!SoundReady() || !recording.Start(soundDevice->directSound))) {
        std::fprintf(stderr, "kestrune-autopilot: no sound device to record\n");
        return 2;
    }
    score = -1;
    UpdateScoreText();
    ConnectGame();
    if (!splashPath.empty() && !SaveSplash(splashPath)) {
        std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n", splashPath.c_str());
    }

    // The Start command.
    viewWidth = viewWidthPixels;
    viewHeight = viewHeightPixels;
    if (FAILED(InitDirect3D(context->Window(), true, night, viewWidthPixels, viewHeightPixels))) {
        std::fprintf(stderr, "kestrune-autopilot: no device\n");
        return 2;
    }
    LoadMeshes();

    bool clicked = false;
    bool ended = false;
    for (frameNumber = 1; frameNumber <= frameLimit && !ended; ++frameNumber) {
        const DWORD before = clockMilliseconds;
        AdvanceClock();
        recording.Advance(clockMilliseconds - before);
        if (phase == Waiting && !clicked && frameNumber > 2) {
            // The click that starts the race clock.
            StartRaceClock();
            clicked = true;
        }
        if (phase == Racing && carObject) {
            const MousePosition mouse =
                SteerAlong(centreLine, carObject->position.x, carObject->position.z,
                           carObject->rotation.y, PresentRobots());
            mouseX = mouse.x;
            mouseY = mouse.y;
        }
        const bool raceWasOn = phase == Racing || phase == Finished || phase == Wrecked;
        StepFrame();
        for (const Shot& shot : shots) {
            if (shot.frame == frameNumber && !SaveBackBuffer(shot.path)) {
                std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n", shot.path.c_str());
            }
        }
        ended = raceWasOn && phase == NewRace;
    }

    std::printf("%s\n", messageText);
    std::printf("%s", scoreText);
    std::printf("frames: %ld, laps: %d, hits: %d, message boxes: %d\n", frameNumber - 1, lapCount,
                damageLevel, messageBoxes);
    const bool finished = std::strcmp(messageText, "You made it 5 laps!") == 0;
    if (!audioPath.empty()) {
        // The player waiting for the next race hears the tune out over the engine.
        for (DWORD played = 0; IsPlaying(musicSound) && played < tuneLimitMilliseconds;
             played += 100) {
            recording.Advance(100);
        }
        std::printf("%s\n", recording.Summary().c_str());
        if (!recording.Write(audioPath)) {
            std::fprintf(stderr, "kestrune-autopilot: cannot write %s\n", audioPath.c_str());
        }
    }

    ReleaseDevice();
    ReleaseGameSounds();
    ReleaseTrackMap();
    return finished ? 0 : 1;
}
