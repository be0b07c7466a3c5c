// The game's logic per racing frame, and the ground probe it leans on.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "bench_lap.h"
#include "core/ghost_path.h"
#include "drive/track_map.h"
#include "measures.h"
#include "null_direct3d.h"
#include "render/d3dx_mesh.h"
#include "render/device.h"
#include "render/mesh_object.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// TrackHeight's own question (the nearest hit and the number of hits) asked
// of every triangle instead of the grid's few.
float ScannedTrackHeight(const CpuMesh& mesh, float x, float z) {
    std::vector<RayHit> hits;
    IntersectAllBruteForce(mesh, {x, 0.0f, z}, {0.0f, 1.0f, 0.0f}, hits);
    if (hits.empty()) return 0.0f;
    const auto nearest =
        std::min_element(hits.begin(), hits.end(), [](const RayHit& a, const RayHit& b) {
            return a.distance < b.distance || (a.distance == b.distance && a.face < b.face);
        });
    return nearest->distance;
}

bool SameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

double ThreadProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Nanoseconds of this thread's processor time per call over all points,
// repeated until at least `minimum` seconds of it have passed: other
// programs taking turns on the processor do not count.
template <typename Height>
double NanosecondsPerCall(const std::vector<CircuitPoint>& points, double minimum, Height&& height,
                          float& checksum) {
    long calls = 0;
    const double start = ThreadProcessorSeconds();
    double elapsed = 0.0;
    do {
        for (const CircuitPoint& point : points) checksum += height(point.x, point.z);
        calls += static_cast<long>(points.size());
        elapsed = ThreadProcessorSeconds() - start;
    } while (elapsed < minimum);
    return elapsed * 1e9 / static_cast<double>(calls);
}

void MeasureTrackHeight(int runs, const std::vector<CircuitPoint>& points,
                        TrackHeightFigures& figures) {
    if (trackObject == nullptr || trackObject->mesh == nullptr) {
        figures.missing = "track.x did not load";
        return;
    }
    const CpuMesh& mesh = trackObject->mesh->Mesh();
    figures.triangles = mesh.TriangleCount();
    figures.calls = static_cast<long>(points.size());

    // The grid is built on the first ray test; build a copy to time it.
    const Clock::time_point buildStart = Clock::now();
    TriangleGrid grid;
    grid.Build(mesh);
    figures.gridBuildMilliseconds = SecondsSince(buildStart) * 1e3;

    for (const CircuitPoint& point : points) {
        if (!SameFloat(TrackHeight(point.x, point.z), ScannedTrackHeight(mesh, point.x, point.z))) {
            ++figures.mismatches;
        }
    }

    std::vector<double> grids;
    std::vector<double> scans;
    float checksum = 0.0f;
    for (int run = 0; run < runs; ++run) {
        grids.push_back(NanosecondsPerCall(points, 0.2, TrackHeight, checksum));
        scans.push_back(NanosecondsPerCall(
            points, 0.2, [&](float x, float z) { return ScannedTrackHeight(mesh, x, z); },
            checksum));
    }
    // Keeps the calls from being optimised away.
    if (checksum == -1.0f) figures.calls = -1;
    figures.gridNanoseconds = Median(grids);
    figures.scanNanoseconds = Median(scans);
}

}  // namespace

void MeasureLogicAndTrackHeight(int runs, bool logic, bool trackHeight, LogicFigures& logicFigures,
                                TrackHeightFigures& heightFigures) {
    SetDirect3DFactory(CreateNullDirect3D);
    // The drawing-free device ignores the window.
    if (FAILED(InitDirect3D(nullptr, true, true, 640, 480)) || FAILED(LoadMeshes())) {
        logicFigures.missing = heightFigures.missing = "no drawing-free device";
        ReleaseDevice();
        SetDirect3DFactory(nullptr);
        return;
    }

    // The first lap steers, warms the caches and gives TrackHeight its points;
    // the timed ones replay its hand, so the steering is not in the time.
    const LapRecord first = DriveLap();
    logicFigures.lapCompleted = first.completed;
    logicFigures.racingFrames = first.racingFrames;
    if (logic) {
        // The first lap's path, raced against as the ghost of a best race.
        const GhostPath lapGhost = raceGhost;
        std::vector<double> perFrame;
        std::vector<double> perFrameWithGhost;
        for (int run = 0; run < runs && first.completed; ++run) {
            bestGhost.Clear();
            const double seconds = ReplayLap(first);
            bestGhost = lapGhost;
            const double secondsWithGhost = ReplayLap(first);
            bestGhost.Clear();
            if (seconds < 0.0 || secondsWithGhost < 0.0) {
                logicFigures.missing = "a replayed lap went differently";
                break;
            }
            perFrame.push_back(seconds * 1e6 / static_cast<double>(first.racingFrames));
            perFrameWithGhost.push_back(secondsWithGhost * 1e6 /
                                        static_cast<double>(first.racingFrames));
        }
        if (!first.completed) {
            logicFigures.missing = "the autopilot did not finish a lap";
        } else if (logicFigures.missing.empty()) {
            logicFigures.microsecondsPerFrame = Median(perFrame);
            logicFigures.microsecondsPerFrameWithGhost = Median(perFrameWithGhost);
        }
    }
    if (trackHeight) MeasureTrackHeight(runs, first.groundPoints, heightFigures);

    ReleaseDevice();
    SetDirect3DFactory(nullptr);
}
