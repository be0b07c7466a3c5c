#include "report.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace {

const char* YesNo(bool met) {
    return met ? "yes" : "NO";
}

void Row(const char* figure, const std::string& measured, const std::string& baseline,
         const std::string& ratio, const std::string& target, const std::string& met) {
    std::printf("%-44s %11s  %-22s %8s  %-9s %s\n", figure, measured.c_str(), baseline.c_str(),
                ratio.c_str(), target.c_str(), met.c_str());
}

std::string Number(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void MissingRow(const char* figure, const std::string& why) {
    std::printf("%-44s %11s  (%s)\n", figure, "-", why.c_str());
}

bool FrameTargetApplies(const RenderFigures& row) {
    return row.width == 640 && row.height == 480;
}

double FrameRatio(const RenderFigures& row) {
    return row.framesPerSecond > 0.0 ? row.clearFramesPerSecond / row.framesPerSecond : 0.0;
}

// JSON: a number, or null for one that was not measured.
std::string JsonNumber(double value, bool present = true) {
    return present ? Number("%.6g", value) : "null";
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char character : text) {
        if (character == '"' || character == '\\') quoted += '\\';
        if (static_cast<unsigned char>(character) >= 0x20) quoted += character;
    }
    return quoted + "\"";
}

std::string JsonMissing(const std::string& missing) {
    return missing.empty() ? "null" : JsonString(missing);
}

}  // namespace

double LoadAverage() {
    std::ifstream file("/proc/loadavg");
    double load = 0.0;
    file >> load;
    return load;
}

MachineDescription DescribeMachine() {
    MachineDescription machine;
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0 && machine.processor.empty()) {
            const size_t colon = line.find(':');
            if (colon != std::string::npos) machine.processor = line.substr(colon + 2);
        }
    }
    machine.cores = static_cast<int>(std::thread::hardware_concurrency());
    std::ifstream meminfo("/proc/meminfo");
    std::string name;
    double kibibytes = 0.0;
    if (meminfo >> name >> kibibytes && name == "MemTotal:") {
        machine.memoryGibibytes = kibibytes / (1024.0 * 1024.0);
    }
    return machine;
}

void PrintTable(const BenchReport& report) {
    const MachineDescription& machine = report.machine;
    std::printf("Kestrune benchmark: each figure the median of %d runs\n", report.runs);
    std::printf("machine: %s, %d cores, %.1f GiB; renderer: %s\n", machine.processor.c_str(),
                machine.cores, machine.memoryGibibytes, machine.renderer.c_str());
    std::printf("load average (1 min): %.2f before, %.2f after\n\n", machine.loadBefore,
                machine.loadAfter);
    Row("figure", "measured", "baseline", "ratio", "target", "met");

    if (report.logicMeasured) {
        const LogicFigures& logic = report.logic;
        const char* name = "logic: us per racing frame (null device)";
        if (!logic.missing.empty()) {
            MissingRow(name, logic.missing);
        } else {
            const double us = logic.microsecondsPerFrame;
            Row(name, Number("%.2f", us), Number("frame budget %.0f", 1e6 / 60.0),
                Number("%.2f%%", us / (1e6 / 60.0) * 100.0), "< 5 us",
                YesNo(us < logicTargetMicroseconds));
            const double withGhost = logic.microsecondsPerFrameWithGhost;
            if (report.baselineMeasured && report.baseline.logicMicroseconds > 0.0) {
                const double before = report.baseline.logicMicroseconds;
                Row("  baseline build", Number("%.2f", before), "", Number("%.2f", us / before), "",
                    "");
            }
            Row("logic: the same, racing a ghost", Number("%.2f", withGhost),
                Number("no ghost %.2f", us), Number("%.2f", withGhost / us), "< 5 us",
                YesNo(withGhost < logicTargetMicroseconds));
        }
    }
    if (report.trackHeightMeasured) {
        const TrackHeightFigures& height = report.trackHeight;
        const char* name = "TrackHeight: ns per call (grid)";
        if (!height.missing.empty()) {
            MissingRow(name, height.missing);
        } else {
            const double speedUp = height.scanNanoseconds / height.gridNanoseconds;
            Row(name, Number("%.0f", height.gridNanoseconds),
                Number("scan %.0f", height.scanNanoseconds), Number("%.0fx", speedUp), ">= 50x",
                YesNo(speedUp >= trackHeightTargetSpeedUp && height.mismatches == 0));
        }
    }
    for (size_t i = 0; i < report.rendering.size(); ++i) {
        const RenderFigures& row = report.rendering[i];
        const std::string name = "render " + row.label + ": frames per second";
        if (!row.missing.empty()) {
            MissingRow(name.c_str(), row.missing);
            continue;
        }
        const double ratio = FrameRatio(row);
        Row(name.c_str(), Number("%.1f", row.framesPerSecond),
            Number("clear only %.0f", row.clearFramesPerSecond), Number("%.1fx", ratio),
            FrameTargetApplies(row) ? "<= 10x" : "",
            FrameTargetApplies(row) ? YesNo(ratio <= frameTargetRatio) : "");
        if (i < report.baselineRendering.size()) {
            const RenderFigures& before = report.baselineRendering[i];
            Row("  baseline build", Number("%.1f", before.framesPerSecond),
                Number("clear only %.0f", before.clearFramesPerSecond),
                Number("%.1fx", FrameRatio(before)), "", "");
        }
    }
    if (report.startMeasured) {
        const StartFigures& start = report.start;
        if (!start.missing.empty()) {
            MissingRow("start: Start to first frame, ms", start.missing);
        } else {
            Row("start: Start to first frame, ms", Number("%.1f", start.firstStartMilliseconds), "",
                "", "< 100 ms", YesNo(start.firstStartMilliseconds < startTargetMilliseconds));
            Row("  processor time of all threads, ms",
                Number("%.1f", start.startProcessorMilliseconds), "", "", "", "");
            Row("  InitDirect3D, ms", Number("%.1f", start.initMilliseconds), "", "", "", "");
            Row("  LoadMeshes, ms", Number("%.1f", start.loadMilliseconds), "", "", "", "");
            Row("  first frames (set-up, first drawn), ms",
                Number("%.1f", start.firstFramesMilliseconds), "", "", "", "");
            Row("start: Start again after Escape, ms", Number("%.1f", start.againMilliseconds), "",
                "", "", "");
            Row("start: first Start, no shader cache, ms",
                Number("%.1f", start.coldShadersMilliseconds), "", "", "", "");
        }
    }
    if (report.splashMeasured) {
        const char* name = "start: process start to splash shown, ms";
        if (!report.splash.missing.empty()) {
            MissingRow(name, report.splash.missing);
        } else {
            const double baseline = report.splash.baselineMilliseconds;
            Row(name, Number("%.0f", report.splash.milliseconds),
                baseline > 0.0 ? Number("baseline build %.0f", baseline) : "",
                baseline > 0.0 ? Number("%.2f", report.splash.milliseconds / baseline) : "",
                "< 100 ms", YesNo(report.splash.milliseconds < splashTargetMilliseconds));
        }
    }
    if (report.startMeasured && report.start.missing.empty()) {
        const StartFigures& start = report.start;
        // Beside the driver's floor, so that the game's own share shows.
        Row("memory: peak resident set in a race, MiB", Number("%.1f", start.peakRaceMebibytes),
            Number("GL floor %.1f", start.peakFloorMebibytes),
            Number("game +%.1f", start.peakRaceMebibytes - start.peakFloorMebibytes), "", "");
        Row("  whole process, MiB", Number("%.1f", start.peakProcessMebibytes), "", "", "", "");
        const BaselineFigures& before = report.baseline;
        if (report.baselineMeasured && before.peakRaceMebibytes > 0.0) {
            Row("  baseline build, MiB", Number("%.1f", before.peakRaceMebibytes),
                Number("GL floor %.1f", before.peakFloorMebibytes),
                Number("game +%.1f", before.peakRaceMebibytes - before.peakFloorMebibytes), "", "");
        }
    }
    if (report.baselineMeasured && !report.baseline.missing.empty()) {
        MissingRow("baseline build", report.baseline.missing);
    }
    if (report.soundMeasured) {
        const SoundFigures& sound = report.sound;
        const char* name = "sound: mixer's share of one core, %";
        if (!sound.missing.empty()) {
            MissingRow(name, sound.missing);
        } else {
            Row(name, Number("%.4f", sound.sharePercent),
                Number("silent %.4f", sound.silentSharePercent),
                Number("%.1fx", sound.silentSharePercent > 0.0
                                    ? sound.sharePercent / sound.silentSharePercent
                                    : 0.0),
                "", "");
        }
    }
}

void PrintJson(const BenchReport& report) {
    const MachineDescription& machine = report.machine;
    std::string json = "{";
    json += "\"runs\":" + std::to_string(report.runs);
    json += ",\"machine\":{\"processor\":" + JsonString(machine.processor) +
            ",\"cores\":" + std::to_string(machine.cores) +
            ",\"memory_gib\":" + JsonNumber(machine.memoryGibibytes) +
            ",\"renderer\":" + JsonString(machine.renderer) +
            ",\"load_before\":" + JsonNumber(machine.loadBefore) +
            ",\"load_after\":" + JsonNumber(machine.loadAfter) + "}";
    if (report.logicMeasured) {
        const LogicFigures& logic = report.logic;
        const bool ok = logic.missing.empty();
        json +=
            ",\"logic\":{\"us_per_racing_frame\":" + JsonNumber(logic.microsecondsPerFrame, ok) +
            ",\"us_per_racing_frame_with_ghost\":" +
            JsonNumber(logic.microsecondsPerFrameWithGhost, ok) +
            ",\"racing_frames_per_lap\":" + std::to_string(logic.racingFrames) +
            ",\"lap_completed\":" + (logic.lapCompleted ? "true" : "false") +
            ",\"target_us\":" + JsonNumber(logicTargetMicroseconds) + ",\"met\":" +
            (ok && logic.microsecondsPerFrame < logicTargetMicroseconds ? "true" : "false") +
            ",\"missing\":" + JsonMissing(logic.missing) + "}";
    }
    if (report.trackHeightMeasured) {
        const TrackHeightFigures& height = report.trackHeight;
        const bool ok = height.missing.empty();
        const double speedUp = ok ? height.scanNanoseconds / height.gridNanoseconds : 0.0;
        json +=
            ",\"track_height\":{\"grid_ns_per_call\":" + JsonNumber(height.gridNanoseconds, ok) +
            ",\"scan_ns_per_call\":" + JsonNumber(height.scanNanoseconds, ok) +
            ",\"speed_up\":" + JsonNumber(speedUp, ok) +
            ",\"points\":" + std::to_string(height.calls) +
            ",\"mismatches\":" + std::to_string(height.mismatches) +
            ",\"triangles\":" + std::to_string(height.triangles) +
            ",\"grid_build_ms\":" + JsonNumber(height.gridBuildMilliseconds, ok) +
            ",\"target_speed_up\":" + JsonNumber(trackHeightTargetSpeedUp) + ",\"met\":" +
            (ok && speedUp >= trackHeightTargetSpeedUp && height.mismatches == 0 ? "true"
                                                                                 : "false") +
            ",\"missing\":" + JsonMissing(height.missing) + "}";
    }
    if (!report.rendering.empty()) {
        json += ",\"render\":[";
        for (size_t i = 0; i < report.rendering.size(); ++i) {
            const RenderFigures& row = report.rendering[i];
            const bool ok = row.missing.empty();
            if (i > 0) json += ",";
            json += "{\"size\":" +
                    JsonString(std::to_string(row.width) + "x" + std::to_string(row.height)) +
                    ",\"windowed\":" + (row.windowed ? "true" : "false") +
                    ",\"fps\":" + JsonNumber(row.framesPerSecond, ok) +
                    ",\"clear_only_fps\":" + JsonNumber(row.clearFramesPerSecond, ok) +
                    ",\"frame_cost_ratio\":" + JsonNumber(FrameRatio(row), ok) +
                    ",\"frames_per_lap\":" + std::to_string(row.framesPerRun);
            if (FrameTargetApplies(row)) {
                json += ",\"target_ratio\":" + JsonNumber(frameTargetRatio) + ",\"met\":" +
                        (ok && FrameRatio(row) <= frameTargetRatio ? "true" : "false");
            }
            json += ",\"missing\":" + JsonMissing(row.missing) + "}";
        }
        json += "]";
    }
    if (report.startMeasured) {
        const StartFigures& start = report.start;
        const bool ok = start.missing.empty();
        json +=
            ",\"start\":{\"start_to_first_frame_ms\":" +
            JsonNumber(start.firstStartMilliseconds, ok) +
            ",\"processor_ms\":" + JsonNumber(start.startProcessorMilliseconds, ok) +
            ",\"init_direct3d_ms\":" + JsonNumber(start.initMilliseconds, ok) +
            ",\"load_meshes_ms\":" + JsonNumber(start.loadMilliseconds, ok) +
            ",\"first_frames_ms\":" + JsonNumber(start.firstFramesMilliseconds, ok) +
            ",\"start_again_ms\":" + JsonNumber(start.againMilliseconds, ok) +
            ",\"start_without_shader_cache_ms\":" + JsonNumber(start.coldShadersMilliseconds, ok) +
            ",\"target_ms\":" + JsonNumber(startTargetMilliseconds) + ",\"met\":" +
            (ok && start.firstStartMilliseconds < startTargetMilliseconds ? "true" : "false") +
            ",\"missing\":" + JsonMissing(start.missing) + "}";
        json += ",\"memory\":{\"peak_race_mib\":" + JsonNumber(start.peakRaceMebibytes, ok) +
                ",\"peak_process_mib\":" + JsonNumber(start.peakProcessMebibytes, ok) +
                ",\"gl_floor_mib\":" + JsonNumber(start.peakFloorMebibytes, ok) +
                ",\"missing\":" + JsonMissing(start.missing) + "}";
    }
    if (report.splashMeasured) {
        const bool ok = report.splash.missing.empty();
        json += ",\"splash\":{\"process_start_to_splash_ms\":" +
                JsonNumber(report.splash.milliseconds, ok) + ",\"baseline_ms\":" +
                JsonNumber(report.splash.baselineMilliseconds,
                           ok && report.splash.baselineMilliseconds > 0.0) +
                ",\"target_ms\":" + JsonNumber(splashTargetMilliseconds) +
                ",\"missing\":" + JsonMissing(report.splash.missing) + "}";
    }
    if (report.soundMeasured) {
        const SoundFigures& sound = report.sound;
        const bool ok = sound.missing.empty();
        json += ",\"sound\":{\"core_share_percent\":" + JsonNumber(sound.sharePercent, ok) +
                ",\"silent_core_share_percent\":" + JsonNumber(sound.silentSharePercent, ok) +
                ",\"output_seconds_per_run\":" + JsonNumber(sound.outputSeconds) +
                ",\"sounds_playing\":" + std::to_string(sound.playing) +
                ",\"missing\":" + JsonMissing(sound.missing) + "}";
    }
    json += "}";
    std::printf("%s\n", json.c_str());
}
