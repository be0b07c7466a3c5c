#include "race/steering_input.h"

#include <algorithm>

#include "race/game_state.h"

namespace {

constexpr uint8_t leftKey = 0x25;   // VK_LEFT
constexpr uint8_t upKey = 0x26;     // VK_UP
constexpr uint8_t rightKey = 0x27;  // VK_RIGHT
constexpr uint8_t downKey = 0x28;   // VK_DOWN
constexpr uint8_t wKey = 0x57;
constexpr uint8_t aKey = 0x41;
constexpr uint8_t sKey = 0x53;
constexpr uint8_t dKey = 0x44;

// Full steering from rest in a fifth of a second.
constexpr float keyRampPerSecond = 5.0f;

float keyX = 0.0f;
float keyY = 0.0f;

bool Held(uint8_t key) {
    return keyDown[key] != 0 || keyPressed[key] != 0;
}

float Towards(float from, float to, float step) {
    return from < to ? std::min(from + step, to) : std::max(from - step, to);
}

}  // namespace

SteeringHand steeringHand = SteeringHand::None;

void Steer(SteeringHand hand, float x, float y) {
    steeringHand = hand;
    mouseX = x;
    mouseY = y;
}

bool IsSteeringKey(uint8_t key) {
    switch (key) {
        case leftKey:
        case upKey:
        case rightKey:
        case downKey:
        case wKey:
        case aKey:
        case sKey:
        case dKey:
            return true;
        default:
            return false;
    }
}

void PressSteeringKey(uint8_t key) {
    if (!IsSteeringKey(key) || steeringHand == SteeringHand::Keys) return;
    keyX = 0.0f;
    keyY = 0.0f;
    Steer(SteeringHand::Keys, keyX, keyY);
}

void RampKeySteering(float seconds) {
    if (steeringHand != SteeringHand::Keys || !(seconds > 0.0f)) return;
    const float wantX =
        (Held(rightKey) || Held(dKey) ? 1.0f : 0.0f) - (Held(leftKey) || Held(aKey) ? 1.0f : 0.0f);
    const float wantY =
        (Held(upKey) || Held(wKey) ? 1.0f : 0.0f) - (Held(downKey) || Held(sKey) ? 1.0f : 0.0f);
    const float step = keyRampPerSecond * seconds;
    keyX = Towards(keyX, wantX, step);
    keyY = Towards(keyY, wantY, step);
    Steer(SteeringHand::Keys, keyX, keyY);
}
