// RIFF/WAVE sounds, read as the sound clip reads them: open, then rewind and
// copy the data chunk into a buffer of the size the reader reported.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/wav_file.h"
#include "tools/fuzz/require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WavFile wav;
    const HRESULT opened = wav.OpenMemory(data, static_cast<DWORD>(size));
    if (opened < 0) {
        FUZZ_REQUIRE(wav.DataSize() == 0);
        return 0;
    }
    const WAVEFORMATEX* format = wav.Format();
    FUZZ_REQUIRE(format != nullptr);
    FUZZ_REQUIRE(wav.format.size() == sizeof(WAVEFORMATEX) + format->cbSize);
    // No buffer larger than the file: the data counts only bytes present.
    FUZZ_REQUIRE(wav.DataSize() <= size);

    // The sound clip refuses an empty sound before reading it.
    if (wav.DataSize() == 0) return 0;
    std::vector<BYTE> buffer(wav.DataSize());
    for (int pass = 0; pass < 2; ++pass) {
        FUZZ_REQUIRE(wav.ResetToData() >= 0);
        DWORD got = 0;
        FUZZ_REQUIRE(wav.Read(buffer.data(), static_cast<DWORD>(buffer.size()), &got) >= 0);
        FUZZ_REQUIRE(got == buffer.size());
        // Everything was read: nothing more comes.
        BYTE spare[4];
        FUZZ_REQUIRE(wav.Read(spare, sizeof spare, &got) >= 0 && got == 0);
    }
    // In small pieces too, as a streaming reader would.
    FUZZ_REQUIRE(wav.ResetToData() >= 0);
    DWORD total = 0;
    BYTE piece[61];
    for (;;) {
        DWORD got = 0;
        FUZZ_REQUIRE(wav.Read(piece, sizeof piece, &got) >= 0);
        if (got == 0) break;
        total += got;
    }
    FUZZ_REQUIRE(total == wav.DataSize());
    return 0;
}
