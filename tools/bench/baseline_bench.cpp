// Another build's figures beside this one's: that build's own kestrune-bench
// run as a child with --json, and the figures read back from what it prints.
// The render rows take turns with this build's, run by run, since the frame
// rates move with the machine's load; logic and memory are on the
// processor's clock and in pages, which the load hardly moves.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "measures.h"

namespace {

// The number after `"key":` from `at` on, and `at` moved past it; false when
// there is none.
bool NumberAfter(const std::string& json, const char* key, size_t& at, double& value) {
    const std::string marker = std::string("\"") + key + "\":";
    const size_t found = json.find(marker, at);
    if (found == std::string::npos) return false;
    const char* start = json.c_str() + found + marker.size();
    char* end = nullptr;
    value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value)) return false;
    at = static_cast<size_t>(end - json.c_str());
    return true;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

bool RunBaselineBench(const std::string& program, const std::string& sections, int runs,
                      BaselineFigures& figures) {
    const std::string command = Quoted(program) + " --json --runs " + std::to_string(runs) +
                                " --only " + sections + " 2>/dev/null";
    std::FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) {
        figures.missing = "cannot run " + program;
        return false;
    }
    std::string json;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, child)) > 0) json.append(buffer, got);
    pclose(child);

    size_t at = 0;
    if (sections.find("logic") != std::string::npos &&
        !NumberAfter(json, "us_per_racing_frame", at, figures.logicMicroseconds)) {
        figures.missing = program + " printed no logic figures";
        return false;
    }
    at = json.find("\"render\":[");
    if (sections.find("render") != std::string::npos) {
        std::vector<RenderFigures> rows;
        RenderFigures row;
        while (at != std::string::npos && NumberAfter(json, "fps", at, row.framesPerSecond) &&
               NumberAfter(json, "clear_only_fps", at, row.clearFramesPerSecond)) {
            rows.push_back(row);
        }
        if (rows.empty()) {
            figures.missing = program + " printed no render figures";
            return false;
        }
        figures.rendering.push_back(rows);
    }
    at = json.find("\"memory\":");
    if (sections.find("start") != std::string::npos &&
        (at == std::string::npos ||
         !NumberAfter(json, "peak_race_mib", at, figures.peakRaceMebibytes) ||
         !NumberAfter(json, "gl_floor_mib", at, figures.peakFloorMebibytes))) {
        figures.missing = program + " printed no memory figures";
        return false;
    }
    return true;
}
