// The records file and the ghost file, as start-up decodes them: whatever a
// file holds is either refused or gives sensible times and an ordered path
// that survives being written and read again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ghost_path.h"
#include "core/records_file.h"
#include "tools/fuzz/require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);

    PlayerRecords records;
    if (DecodeRecords(bytes, records)) {
        FUZZ_REQUIRE(records.bestRaceTime > 0.0f && records.bestRaceTime < 1000000.0f);
        FUZZ_REQUIRE(records.bestLapTime > 0.0f && records.bestLapTime < 1000000.0f);
        const std::string text = EncodeRecords(records);
        PlayerRecords again;
        FUZZ_REQUIRE(DecodeRecords(std::vector<unsigned char>(text.begin(), text.end()), again));
        FUZZ_REQUIRE(again.bestRaceTime == records.bestRaceTime);
        FUZZ_REQUIRE(again.bestLapTime == records.bestLapTime);
    }

    GhostPath ghost;
    if (ghost.Decode(bytes)) {
        FUZZ_REQUIRE(ghost.Samples().size() <= ghostSampleLimit);
        FUZZ_REQUIRE(ghost.Encode() == bytes);
        GhostSample place{};
        const GhostSample& last = ghost.Samples().back();
        FUZZ_REQUIRE(ghost.PlaceAt(last.time, place) && place.x == last.x);
    }
    return 0;
}
