#include "core/records_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/player_files.h"

std::string recordsFileName;

namespace {

constexpr const char* magic = "kestrune-records";

// A time a race could have taken: positive, finite, below the "no best" mark.
bool IsRaceTime(float seconds) {
    return std::isfinite(seconds) && seconds > 0.0f && seconds < 1000000.0f;
}

// One "name value" line at `text`; moves `text` past its line break.
bool ReadTimeLine(const char*& text, const char* name, float& seconds) {
    const size_t nameLength = std::strlen(name);
    if (std::strncmp(text, name, nameLength) != 0 || text[nameLength] != ' ') return false;
    const char* number = text + nameLength + 1;
    // Only digits and one point: strtof would also take signs, blanks,
    // "inf", hexadecimal and exponents.
    const char* end = number;
    int points = 0;
    while ((*end >= '0' && *end <= '9') || *end == '.') points += *end++ == '.';
    if (end == number || end - number > 20 || points > 1 || *end != '\n') return false;
    const std::string digits(number, end);
    seconds = std::strtof(digits.c_str(), nullptr);
    text = end + 1;
    return IsRaceTime(seconds);
}

}  // namespace

std::string UserRecordsFileName() {
    return PlayerFolder("XDG_DATA_HOME", ".local/share") + "/records.txt";
}

std::string EncodeRecords(const PlayerRecords& records) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %d\nbest-race-time %.9g\nbest-lap-time %.9g\n", magic,
                  recordsVersion, static_cast<double>(records.bestRaceTime),
                  static_cast<double>(records.bestLapTime));
    return text;
}

bool DecodeRecords(const std::vector<unsigned char>& bytes, PlayerRecords& records) {
    if (bytes.size() > recordsFileLimit) return false;
    // Text only: a zero byte would end the parse early.
    if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr) return false;
    const std::string whole(bytes.begin(), bytes.end());
    const std::string firstLine = std::string(magic) + " " + std::to_string(recordsVersion) + "\n";
    if (whole.compare(0, firstLine.size(), firstLine) != 0) return false;
    const char* text = whole.c_str() + firstLine.size();
    PlayerRecords read;
    if (!ReadTimeLine(text, "best-race-time", read.bestRaceTime)) return false;
    if (!ReadTimeLine(text, "best-lap-time", read.bestLapTime)) return false;
    if (*text != '\0') return false;
    records = read;
    return true;
}

bool LoadRecordsFile(PlayerRecords& records) {
    if (recordsFileName.empty()) return false;
    std::vector<unsigned char> bytes;
    const PlayerFileRead read = ReadPlayerFile(recordsFileName, recordsFileLimit, bytes);
    if (read != PlayerFileRead::Read) return false;
    if (!DecodeRecords(bytes, records)) {
        RefuseDamagedFile(recordsFileName, "the records file");
        return false;
    }
    return true;
}

bool SaveRecordsFile(const PlayerRecords& records) {
    if (recordsFileName.empty()) return true;
    const std::string text = EncodeRecords(records);
    return SavePlayerFile(recordsFileName, reinterpret_cast<const unsigned char*>(text.data()),
                          text.size());
}
