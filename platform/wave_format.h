#pragma once
// The wave format record as Windows lays it out: 18 packed little-endian
// bytes, followed in a format block by cbSize extra bytes. The wave reader
// copies it from files byte for byte, and sound buffers are described by it.
#include "platform/windows_types.h"

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};

// The old 14-byte record, and the 16 bytes of a PCM "fmt " chunk: WAVEFORMATEX
// without cbSize.
struct WAVEFORMAT {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
};

struct PCMWAVEFORMAT {
    WAVEFORMAT wf;
    WORD wBitsPerSample;
};
#pragma pack(pop)

static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX must match the file layout");
static_assert(sizeof(WAVEFORMAT) == 14, "WAVEFORMAT must match the file layout");
static_assert(sizeof(PCMWAVEFORMAT) == 16, "PCMWAVEFORMAT must match the file layout");
