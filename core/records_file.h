#pragma once
// The player's records, kept between games in a small text file of their own
// beside the ghost: the best finished race and the best lap of a finished race.
//
//   kestrune-records 1
//   best-race-time 83.8349609
//   best-lap-time 15.9166679
//
// Times are seconds, written with nine significant digits so that reading
// gives back the very float the race counted.
#include <string>
#include <vector>

// Full path of the records file; start-up sets it to UserRecordsFileName().
// Empty (as before start-up, and in tests of the race alone): nothing is kept.
extern std::string recordsFileName;

// $XDG_DATA_HOME/kestrune/records.txt, or ~/.local/share/kestrune/records.txt
// when that variable is unset or not an absolute path.
std::string UserRecordsFileName();

struct PlayerRecords {
    float bestRaceTime = 0.0f;  // 0 for none yet
    float bestLapTime = 0.0f;   // 0 for none yet
};

constexpr int recordsVersion = 1;
// Far more than the three lines ever need; anything longer is no records file.
constexpr size_t recordsFileLimit = 4096;

std::string EncodeRecords(const PlayerRecords& records);
// False for anything but a whole file of this version with sensible times.
bool DecodeRecords(const std::vector<unsigned char>& bytes, PlayerRecords& records);

// Reads recordsFileName. A missing file gives no records; a damaged,
// truncated, oversized or newer one gives none either and is set aside under
// another name, noted on standard error, never in a box. False without records.
bool LoadRecordsFile(PlayerRecords& records);
// False when the file could not be saved; the old one is then whole.
bool SaveRecordsFile(const PlayerRecords& records);
