#include "race/race_records.h"

#include <cstdio>
#include <cstring>

#include "core/ghost_path.h"
#include "core/records_file.h"
#include "race/frame_step.h"
#include "race/lap_rule.h"

float bestLapTime = 0.0f;
char lapTimesText[2 * textSize] = "";

namespace {

// How long a lap's time stays on the picture, in race seconds.
constexpr float lapTimeShownSeconds = 4.0f;

// What the files hold, as last read or saved.
PlayerRecords keptRecords;

void AppendLap(int lap, float seconds) {
    const size_t used = std::strlen(lapTimesText);
    std::snprintf(lapTimesText + used, sizeof lapTimesText - used, "Lap %d: %.2f\n", lap,
                  static_cast<double>(seconds));
}

void AppendBestLap() {
    if (bestLapTime <= 0.0f) return;
    const size_t used = std::strlen(lapTimesText);
    std::snprintf(lapTimesText + used, sizeof lapTimesText - used, "Best lap: %.2f\n",
                  static_cast<double>(bestLapTime));
}

}  // namespace

void LoadPlayerRecords() {
    keptRecords = PlayerRecords{};
    bestLapTime = 0.0f;
    lapTimesText[0] = '\0';
    raceGhost.Clear();
    bestGhost.Clear();
    if (LoadRecordsFile(keptRecords)) {
        bestTime = keptRecords.bestRaceTime;
        bestLapTime = keptRecords.bestLapTime;
        WriteScoreLine();
    }
    LoadGhostFile();
}

void KeepFinishedRace() {
    PlayerRecords updated = keptRecords;
    const bool fasterRace = updated.bestRaceTime == 0.0f || raceTime < updated.bestRaceTime;
    bool changed = fasterRace;
    if (fasterRace) updated.bestRaceTime = raceTime;
    for (float lap : lapTimes) {
        if (lap > 0.0f && (updated.bestLapTime == 0.0f || lap < updated.bestLapTime)) {
            updated.bestLapTime = lap;
            changed = true;
        }
    }
    bestLapTime = updated.bestLapTime;
    if (!changed) return;
    keptRecords = updated;
    // Nothing stops the game for a file: the records stay in memory, and the
    // old file is whole.
    if (!SaveRecordsFile(updated))
        std::fprintf(stderr, "kestrune: could not save the records in %s\n",
                     recordsFileName.c_str());
    if (!fasterRace || raceGhost.Empty()) return;
    bestGhost = raceGhost;
    if (!SaveGhostFile(bestGhost))
        std::fprintf(stderr, "kestrune: could not save the ghost in %s\n", ghostFileName.c_str());
}

void WriteLapTimesText() {
    lapTimesText[0] = '\0';
    if (lapCount < 1 || lapCount > lapsPerRace) return;
    if (raceTime - lapStartTime >= lapTimeShownSeconds) return;
    AppendLap(lapCount, lapTimes[lapCount - 1]);
    AppendBestLap();
}

void WriteRaceLapsText() {
    lapTimesText[0] = '\0';
    for (int lap = 0; lap < lapsPerRace; ++lap) AppendLap(lap + 1, lapTimes[lap]);
    AppendBestLap();
}
