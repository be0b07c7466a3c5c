#pragma once
// The one steering input the car reads: mouseX across and mouseY up the
// picture, -1 to +1 (race/game_state). Three hands can hold it, the mouse, the
// keys and a game controller; the one that moved last steers, and only it
// writes the values.
#include <cstdint>

enum class SteeringHand : int32_t {
    None,   // nothing has steered yet
    Mouse,  // the cursor over the picture
    Keys,   // the arrow keys and W A S D
    Pad,    // a game controller's stick and triggers
};

extern SteeringHand steeringHand;

// A hand that moved takes the steering with these values.
void Steer(SteeringHand hand, float x, float y);

// Whether the virtual key is one of the steering keys.
bool IsSteeringKey(uint8_t key);

// A steering key went down: the keys take the steering, from rest.
void PressSteeringKey(uint8_t key);

// While the keys steer, moves their steering towards what the keys held (or
// tapped since the last frame) ask, by a racing frame's time: a tap steers a
// little, a key held for a fifth of a second fully, and a key let go eases
// back to rest as quickly.
void RampKeySteering(float seconds);
