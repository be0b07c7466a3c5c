#include "core/ghost_path.h"

#include <cmath>
#include <cstring>

#include "core/player_files.h"
#include "platform/little_endian.h"

GhostPath raceGhost;
GhostPath bestGhost;
bool ghostShown = true;
std::string ghostFileName;

namespace {

constexpr char magic[8] = {'K', 'S', 'T', 'G', 'H', 'O', 'S', 'T'};
constexpr float twoPi = 6.28318531f;

void PutU32(std::vector<unsigned char>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutFloat(std::vector<unsigned char>& bytes, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(bytes, bits);
}

float ReadFloat(const unsigned char* bytes) {
    const uint32_t bits = ReadU32(bytes);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float Blend(float from, float to, float share) {
    return from + (to - from) * share;
}

}  // namespace

void GhostPath::Clear() {
    samples.clear();
    step = 1.0f / 40.0f;
    cursor = 0;
}

void GhostPath::Record(const GhostSample& sample) {
    if (!samples.empty() && sample.time - samples.back().time < step) return;
    if (samples.size() == ghostSampleLimit) {
        // Every second sample goes and the step doubles: a long race keeps
        // its whole path, only more coarsely.
        size_t kept = 0;
        for (size_t i = 0; i < samples.size(); i += 2) samples[kept++] = samples[i];
        samples.resize(kept);
        step *= 2.0f;
        cursor = 0;
        if (sample.time - samples.back().time < step) return;
    }
    samples.push_back(sample);
}

bool GhostPath::PlaceAt(float time, GhostSample& place) const {
    if (samples.empty() || time < samples.front().time || time > samples.back().time) return false;
    // Race time only grows within a race: the search walks on from where it
    // last stood, and starts again only when time went back.
    if (cursor >= samples.size() || samples[cursor].time > time) cursor = 0;
    while (cursor + 1 < samples.size() && samples[cursor + 1].time <= time) ++cursor;
    const GhostSample& from = samples[cursor];
    if (from.time == time || cursor + 1 == samples.size()) {
        place = from;
        return true;
    }
    const GhostSample& to = samples[cursor + 1];
    const float share = (time - from.time) / (to.time - from.time);
    // The shorter way round, should the heading have been wrapped.
    float turn = std::fmod(to.yaw - from.yaw, twoPi);
    if (turn > twoPi / 2.0f) turn -= twoPi;
    if (turn < -twoPi / 2.0f) turn += twoPi;
    place = GhostSample{time, Blend(from.x, to.x, share), Blend(from.y, to.y, share),
                        Blend(from.z, to.z, share), from.yaw + turn * share};
    return true;
}

std::vector<unsigned char> GhostPath::Encode() const {
    std::vector<unsigned char> bytes(magic, magic + sizeof magic);
    bytes.reserve(ghostHeaderSize + samples.size() * ghostSampleSize);
    PutU32(bytes, ghostVersion);
    PutU32(bytes, static_cast<uint32_t>(samples.size()));
    for (const GhostSample& sample : samples) {
        for (float value : {sample.time, sample.x, sample.y, sample.z, sample.yaw})
            PutFloat(bytes, value);
    }
    return bytes;
}

bool GhostPath::Decode(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < ghostHeaderSize || bytes.size() > ghostFileLimit) return false;
    if (std::memcmp(bytes.data(), magic, sizeof magic) != 0) return false;
    if (ReadU32(bytes.data() + 8) != ghostVersion) return false;
    const uint32_t count = ReadU32(bytes.data() + 12);
    if (count == 0 || count > ghostSampleLimit) return false;
    if (bytes.size() != ghostHeaderSize + count * ghostSampleSize) return false;
    std::vector<GhostSample> read(count);
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* at = bytes.data() + ghostHeaderSize + i * ghostSampleSize;
        GhostSample& sample = read[i];
        sample = GhostSample{ReadFloat(at), ReadFloat(at + 4), ReadFloat(at + 8),
                             ReadFloat(at + 12), ReadFloat(at + 16)};
        for (float value : {sample.time, sample.x, sample.y, sample.z, sample.yaw}) {
            if (!std::isfinite(value)) return false;
        }
        if (i > 0 && !(sample.time > read[i - 1].time)) return false;
    }
    samples = std::move(read);
    cursor = 0;
    return true;
}

std::string UserGhostFileName() {
    return PlayerFolder("XDG_DATA_HOME", ".local/share") + "/ghost.kgh";
}

bool LoadGhostFile() {
    if (ghostFileName.empty()) return false;
    std::vector<unsigned char> bytes;
    if (ReadPlayerFile(ghostFileName, ghostFileLimit, bytes) != PlayerFileRead::Read) return false;
    if (!bestGhost.Decode(bytes)) {
        RefuseDamagedFile(ghostFileName, "the ghost file");
        return false;
    }
    return true;
}

bool SaveGhostFile(const GhostPath& ghost) {
    if (ghostFileName.empty()) return true;
    const std::vector<unsigned char> bytes = ghost.Encode();
    return SavePlayerFile(ghostFileName, bytes.data(), bytes.size());
}
