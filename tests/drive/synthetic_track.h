#pragma once
// A small circuit made by the tests: a 480 x 480 map painted in the zone
// colours as a 16-bit 5-6-5 bitmap, a sloping ground mesh under it, and the
// scene's 40 objects as empty mesh objects, so that the driving code runs
// headless on known ground.
#include <cstdint>
#include <vector>

#include "render/cpu_mesh.h"
#include "sound/game_sounds.h"
#include "tests/support/fake_sound_buffer.h"
#include "tests/support/race_fixture.h"

// The 16-bit pixel codes of the six road zones, zone 0 first, and a grass
// colour that is no zone.
extern const uint16_t zoneCodes[6];
constexpr uint16_t grassCode = 0x2444;

// A map of 5-6-5 pixel codes, row 0 at the top, as GetPixel addresses it.
struct PaintedMap {
    PaintedMap(int32_t width, int32_t height, uint16_t fill);
    uint16_t& At(int32_t column, int32_t row) { return pixels[row * width + column]; }
    // The pixel that CheckRoadSurface reads for the world point (x, z).
    uint16_t& Under(float x, float z);

    int32_t width;
    int32_t height;
    std::vector<uint16_t> pixels;
};

// The map as a BI_BITFIELDS bitmap file, stored bottom-up as Windows writes it.
std::vector<uint8_t> WriteBitmap565(const PaintedMap& map);

// The ring road of the synthetic circuit: centred at world (ringCentreX,
// ringCentreZ), road from ringInner to ringOuter, cut into six 60-degree
// sectors, zone 0 round the start line (the +x side, where the car starts at
// (200, 10)), the zones rising anticlockwise seen from above (+z up), which is
// the way the car goes round when steered left.
constexpr float ringCentreX = 150.0f;
constexpr float ringCentreZ = 10.0f;
constexpr float ringInner = 40.0f;
constexpr float ringOuter = 60.0f;
PaintedMap RingMap();

// Ground rising towards +x: height 1 at x = -240, 5.8 at x = +240, over the
// whole map, in an 8 x 8 grid of quads.
float SlopeHeight(float x);
CpuMesh SlopedGround();

// Race state reset, race links recorded, settable clock (RaceFixture), plus
// the ring map loaded through a bitmap file, the sloped ground as the track
// mesh, empty objects for the car, robots, trees, flags and advert, and a
// ready sound device whose engine, crash and robot clips play into recording
// buffers.
class SyntheticTrack : public RaceFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the track map with `map`, going through a bitmap file.
    void LoadMap(const PaintedMap& map);

    SoundDevice sound;
    FakeSoundBuffer engineBuffer;
    FakeSoundBuffer crashBuffer;
    FakeSoundBuffer robotNearBuffer;
    SoundClip engineClip;
    SoundClip crashClip;
    SoundClip robotNearClip;
};
