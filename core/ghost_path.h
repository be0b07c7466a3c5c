#pragma once
// The ghost: the car's path through a race, sampled at most every 1/40 s of
// race time, and the compact file that keeps the best race's path beside the
// records. Played back at the race time of a later race, it shows where the
// car of the best race was at that moment.
//
// File ("ghost.kgh"), little-endian: the 8 bytes "KSTGHOST", a 32-bit version
// (1), a 32-bit sample count, then per sample five 32-bit floats: race time,
// x, y, z, yaw. Nothing follows the samples.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct GhostSample {
    float time;  // race time, seconds
    float x;
    float y;
    float z;
    float yaw;
};

constexpr uint32_t ghostVersion = 1;
constexpr size_t ghostHeaderSize = 16;
constexpr size_t ghostSampleSize = 20;
// A race of five laps at 40 samples a second fits for 120 s; a slower one
// keeps every second sample each time it fills up, so the file stays under
// 100 KB however long the race.
constexpr size_t ghostSampleLimit = 4800;
constexpr size_t ghostFileLimit = ghostHeaderSize + ghostSampleLimit * ghostSampleSize;

class GhostPath {
  public:
    bool Empty() const { return samples.empty(); }
    const std::vector<GhostSample>& Samples() const { return samples; }
    void Clear();
    // Notes the car's place at a racing frame; frames closer than the
    // sampling step to the last sample are skipped.
    void Record(const GhostSample& sample);
    // Where the car was at race time `time`: the sample itself at a sampled
    // moment, between two samples a straight blend. False before the first
    // sample and after the last: the ghost's race is over.
    bool PlaceAt(float time, GhostSample& place) const;

    std::vector<unsigned char> Encode() const;
    // False for anything but a whole file of this version with ordered,
    // finite samples; the path is then unchanged.
    bool Decode(const std::vector<unsigned char>& bytes);

  private:
    std::vector<GhostSample> samples;
    float step = 1.0f / 40.0f;
    mutable size_t cursor = 0;  // where the last PlaceAt found its time
};

// The path of the race being driven, and the best finished race's, shown.
extern GhostPath raceGhost;
extern GhostPath bestGhost;
// Whether the ghost is drawn: on by default, G hides and shows it again.
extern bool ghostShown;

// Full path of the ghost file; start-up sets it to UserGhostFileName(); empty
// for none, as the records file's.
extern std::string ghostFileName;
// Beside the records: $XDG_DATA_HOME/kestrune/ghost.kgh.
std::string UserGhostFileName();

// Reads ghostFileName into bestGhost; a damaged, truncated, oversized or newer
// file is refused and set aside, as the records file is.
bool LoadGhostFile();
bool SaveGhostFile(const GhostPath& ghost);
