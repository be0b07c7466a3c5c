#pragma once
// Reads one RIFF/WAVE sound file: its format, and the bytes of its "data"
// chunk in pieces. Its one user is the sound clip, which copies the data into
// a sound buffer, rewinding first. The reader only reads.
//
// Hostile files are held to what they really contain: a "fmt " chunk too short
// for the extra bytes it declares fails the open, and a "data" chunk that
// claims more bytes than the file holds counts only the bytes present.
#include <vector>

#include "platform/mmio.h"
#include "platform/wave_format.h"

class WavFile {
  public:
    WavFile() = default;
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;
    // Closes the file; the format goes with the object.
    ~WavFile();

    // Opens and parses the file and stands at its first data byte.
    HRESULT Open(const char* path);
    // The same for a wave file already in memory; the bytes must outlive the
    // reader, which reads them in place.
    HRESULT OpenMemory(const BYTE* bytes, DWORD size);
    // The parsed format with its extra bytes, or null before a header is parsed.
    const WAVEFORMATEX* Format() const;
    DWORD DataSize() const { return dataSize; }
    // Back to the first data byte, with the whole chunk unread again.
    HRESULT ResetToData();
    // Copies up to `count` unread data bytes; 0 bytes once all are read.
    HRESULT Read(BYTE* destination, DWORD count, DWORD* bytesRead);
    // Closes the file and keeps the format.
    HRESULT Close();

    // The WAVEFORMATEX followed by its cbSize extra bytes; empty until parsed.
    std::vector<BYTE> format;
    HMMIO handle = nullptr;
    // The "data" chunk found by the last rewind; cksize counts the bytes still
    // unread.
    MMCKINFO dataChunk{};
    MMCKINFO riffChunk{};
    DWORD dataSize = 0;

  private:
    HRESULT OpenHandle(HMMIO opened);
    HRESULT ParseHeader();
};
