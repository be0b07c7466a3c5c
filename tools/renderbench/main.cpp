// kestrune-renderbench: frames per second of the Direct3D stand-in on the
// headless EGL context, at the game's two common back-buffer sizes, for a
// race-sized scene and for a frame that only clears and presents.
//
//   kestrune-renderbench [seconds per measurement, default 2] [--picture file.ppm]
//
// --picture also writes the first size's scene frame, to see what was measured.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_scene.h"
#include "platform/d3d9.h"
#include "platform/egl_context.h"

namespace {

struct Presentation {
    const char* name;
    UINT width;
    UINT height;
    bool windowed;
};

D3DPRESENT_PARAMETERS Parameters(const Presentation& presentation) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.Windowed = presentation.windowed ? TRUE : FALSE;
    if (!presentation.windowed) {
        parameters.BackBufferWidth = presentation.width;
        parameters.BackBufferHeight = presentation.height;
        parameters.BackBufferFormat = D3DFMT_R5G6B5;
    }
    return parameters;
}

// Frames drawn per second over about `seconds`, after a few to warm up. The
// read-back at the end waits for the last frame to be finished.
double FramesPerSecond(IDirect3DDevice9* device, const BenchScene& scene, bool sceneObjects,
                       double seconds) {
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < 5; ++i) DrawBenchFrame(device, scene, sceneObjects, 0.0f);
    UINT width = 0;
    UINT height = 0;
    std::vector<uint8_t> pixels;
    device->ReadBackBuffer(width, height, pixels);

    const Clock::time_point start = Clock::now();
    long frames = 0;
    double elapsed = 0.0;
    while (elapsed < seconds) {
        DrawBenchFrame(device, scene, sceneObjects, static_cast<float>(frames) * 0.02f);
        ++frames;
        if (frames % 8 == 0) {
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    device->ReadBackBuffer(width, height, pixels);
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    return static_cast<double>(frames) / elapsed;
}

bool WritePicture(IDirect3DDevice9* device, const char* path) {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint8_t> rgba;
    if (FAILED(device->ReadBackBuffer(width, height, rgba))) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    std::fprintf(file, "P6\n%u %u\n255\n", width, height);
    bool written = true;
    for (size_t pixel = 0; pixel + 4 <= rgba.size() && written; pixel += 4) {
        written = std::fwrite(&rgba[pixel], 1, 3, file) == 3;
    }
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 2.0;
    const char* picture = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--picture" && i + 1 < argc) {
            picture = argv[++i];
        } else {
            seconds = std::atof(argv[i]);
        }
    }
    if (!(seconds > 0.0)) {
        std::fprintf(stderr, "usage: %s [seconds per measurement] [--picture file.ppm]\n", argv[0]);
        return 2;
    }
    const Presentation presentations[] = {
        {"640x480 windowed, 32-bit", 640, 480, true},
        {"640x480 full screen, 16-bit", 640, 480, false},
        {"1024x768 windowed, 32-bit", 1024, 768, true},
        {"1024x768 full screen, 16-bit", 1024, 768, false},
    };

    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (direct3d == nullptr) return 1;
    std::printf("%-30s %14s %14s\n", "back buffer", "clear+present", "40 objects");
    int status = 0;
    for (const Presentation& presentation : presentations) {
        std::string error;
        auto context = EglContext::Create(static_cast<int>(presentation.width),
                                          static_cast<int>(presentation.height), &error);
        if (!context) {
            std::fprintf(stderr, "no headless OpenGL context: %s\n", error.c_str());
            status = 1;
            break;
        }
        D3DPRESENT_PARAMETERS parameters = Parameters(presentation);
        IDirect3DDevice9* device = nullptr;
        if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, context->Window(),
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                          &device))) {
            std::fprintf(stderr, "no device for %s\n", presentation.name);
            status = 1;
            break;
        }
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
        device->LightEnable(0, TRUE);

        BenchScene scene;
        if (FAILED(scene.Create(device))) {
            std::fprintf(stderr, "the scene could not be made for %s\n", presentation.name);
            scene.Release();
            device->Release();
            status = 1;
            break;
        }
        const double empty = FramesPerSecond(device, scene, false, seconds);
        const double full = FramesPerSecond(device, scene, true, seconds);
        std::printf("%-30s %10.0f fps %10.0f fps\n", presentation.name, empty, full);
        std::fflush(stdout);
        if (&presentation == &presentations[0]) {
            std::printf("  (scene: %u triangles in 40 objects, 31 blended)\n", scene.triangleCount);
            if (picture != nullptr && !WritePicture(device, picture)) {
                std::fprintf(stderr, "could not write %s\n", picture);
                status = 1;
            }
        }
        scene.Release();
        device->Release();
    }
    direct3d->Release();
    return status;
}
