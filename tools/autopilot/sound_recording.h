#pragma once
// What the game's mixer plays, taken from it in step with the autopilot's own
// clock rather than a sound card's, and kept as a WAV file to listen to.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dsound.h"

class SoundRecording {
  public:
    // Takes the mixing over from the device's audio thread for good; false
    // when `directSound` is not a device of ours.
    bool Start(IDirectSound8* directSound);
    // Mixes what plays in the next `milliseconds` of game time.
    void Advance(DWORD milliseconds);
    // 8000 Hz, 8-bit, mono: the game's output format, byte for byte.
    bool Write(const std::string& path) const;
    // Length, peak, RMS and clipped samples, on one line.
    std::string Summary() const;

  private:
    IDirectSound8* directSound = nullptr;
    std::vector<uint8_t> samples;
};
