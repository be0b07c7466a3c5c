#pragma once
// The player's car under mouse steering, and the chase camera and headlight
// that follow it.
#include "core/camera.h"

// The car is held this far from the world's centre on either axis, as against
// a wall: inside the area the track map covers, with room for the car's nose
// and the chase camera before the fence the media draws at the map's edge.
constexpr float worldEdge = 234.0f;

// New race: seeds the random generator, restarts the race clock, puts the car
// at the start facing the start heading and the obstacles in place, starts the
// engine if it is silent and zeroes laps, damage and race time.
void ResetRace();

// Waiting: the car stands on the ground, the camera on it, the robots fidget.
void UpdateWaitingScene();

// Racing: steers and moves the car by mouseX, mouseY and frameTime, tests the
// road at the end of the asked step, holds the car inside the world's edge,
// re-pitches the engine, notes the car's place on the race's ghost path, and
// moves camera, headlight, trees and robots.
void DriveCar();

// Puts the camera behind the car by its position and yaw.
void UpdateCamera();

// The C key: a car object whose state is nonzero is marked removed; a present
// car stays present.
void ToggleCarState();
