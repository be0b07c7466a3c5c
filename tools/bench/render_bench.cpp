// The real renderer on the headless EGL context (Mesa's llvmpipe when there
// is no GPU): an autopilot lap of the game beside frames that only clear and
// present, at the window's size, at the three full-screen sizes and at a
// display's own size.
#include <epoxy/gl.h>

#include <chrono>
#include <memory>

#include "bench_lap.h"
#include "core/options.h"
#include "measures.h"
#include "platform/egl_context.h"
#include "race/frame_step.h"
#include "race/game_state.h"
#include "render/device.h"
#include "render/mesh_object.h"
#include "render/view_shape.h"

namespace {

using Clock = std::chrono::steady_clock;

// Enough frames for the shaders of every object to be compiled before timing.
constexpr int warmUpFrames = 30;

struct Presentation {
    const char* label;
    int width;
    int height;
    bool windowed;
    bool displaySize = false;
};

// The window as the default options start it (32-bit, the drawable's size),
// then the three full-screen choices of the Options (16-bit back buffer), and
// the "Desktop" choice on a 1920 x 1080 display: its widened view.
constexpr Presentation presentations[] = {
    {"640x480 window", 640, 480, true},
    {"640x480 full screen", 640, 480, false},
    {"800x600 full screen", 800, 600, false},
    {"1024x768 full screen", 1024, 768, false},
    {"1920x1080 desktop", 1920, 1080, false, true},
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The game's frame with nothing in it: the night sky's clear, presented.
void ClearOnlyFrame() {
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

RenderFigures MeasureOne(const Presentation& presentation, int runs) {
    RenderFigures figures;
    figures.label = presentation.label;
    figures.width = presentation.width;
    figures.height = presentation.height;
    figures.windowed = presentation.windowed;

    std::string error;
    std::unique_ptr<EglContext> context =
        EglContext::Create(presentation.width, presentation.height, &error);
    if (!context) {
        figures.missing = "no headless OpenGL context: " + error;
        return figures;
    }
    // What the Start command's display step sets for this choice.
    GameOptions.windowed = presentation.windowed ? 1 : 0;
    GameOptions.windowWidth =
        presentation.displaySize ? displaySizeWidth : static_cast<uint32_t>(presentation.width);
    viewWidth = static_cast<float>(presentation.width);
    viewHeight = static_cast<float>(presentation.height);
    viewShape =
        presentation.displaySize ? DisplaySizeViewShape(viewWidth, viewHeight) : ViewShape{};
    if (FAILED(InitDirect3D(context->Window(), presentation.windowed, GameOptions.lightsOn != 0,
                            presentation.width, presentation.height)) ||
        FAILED(LoadMeshes())) {
        figures.missing = "no device";
        ReleaseDevice();
        viewShape = ViewShape{};
        return figures;
    }
    phase = NewRace;
    for (int frame = 0; frame < warmUpFrames; ++frame) StepFrame();
    glFinish();

    std::vector<double> full;
    std::vector<double> clear;
    for (int run = 0; run < runs; ++run) {
        // The lap's frames are queued to the rasteriser's threads; the finish
        // waits for the last of them, so the time covers every pixel drawn.
        const Clock::time_point lapStart = Clock::now();
        const LapRecord lap = DriveLap();
        glFinish();
        const double lapSeconds = SecondsSince(lapStart);
        figures.framesPerRun = lap.frames;
        full.push_back(static_cast<double>(lap.frames) / lapSeconds);

        const Clock::time_point clearStart = Clock::now();
        for (long frame = 0; frame < lap.frames; ++frame) ClearOnlyFrame();
        glFinish();
        clear.push_back(static_cast<double>(lap.frames) / SecondsSince(clearStart));
    }
    figures.framesPerSecond = Median(full);
    figures.clearFramesPerSecond = Median(clear);
    ReleaseDevice();
    viewShape = ViewShape{};
    return figures;
}

}  // namespace

std::vector<RenderFigures> MeasureRenderingBeside(int runs, const std::string& baselineBench,
                                                  BaselineFigures& baseline,
                                                  std::vector<RenderFigures>& baselineRows) {
    std::vector<std::vector<RenderFigures>> own;
    for (int run = 0; run < runs; ++run) {
        own.push_back(MeasureRendering(1));
        if (!RunBaselineBench(baselineBench, "render", 1, baseline)) break;
    }
    // The medians of each row over the runs, of this build and of the other.
    auto medians = [](const std::vector<std::vector<RenderFigures>>& perRun) {
        std::vector<RenderFigures> rows =
            perRun.empty() ? std::vector<RenderFigures>() : perRun.front();
        for (size_t i = 0; i < rows.size(); ++i) {
            std::vector<double> full, clear;
            for (const std::vector<RenderFigures>& run : perRun) {
                if (i >= run.size()) continue;
                full.push_back(run[i].framesPerSecond);
                clear.push_back(run[i].clearFramesPerSecond);
            }
            rows[i].framesPerSecond = Median(full);
            rows[i].clearFramesPerSecond = Median(clear);
        }
        return rows;
    };
    baselineRows = medians(baseline.rendering);
    return medians(own);
}

std::vector<RenderFigures> MeasureRendering(int runs) {
    const GameOptionsRecord saved = GameOptions;
    std::vector<RenderFigures> rows;
    for (const Presentation& presentation : presentations) {
        rows.push_back(MeasureOne(presentation, runs));
    }
    GameOptions = saved;
    return rows;
}
