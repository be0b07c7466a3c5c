#pragma once
// Mouse positions that follow the circuit: the autopilot's hand on the mouse.
#include <string>
#include <vector>

struct CircuitPoint {
    float x;
    float z;
};

// Reads the circuit's centre line (one "x z" pair per line, in the direction
// of travel). Empty when the file is missing or holds fewer than three points.
std::vector<CircuitPoint> ReadCentreLine(const std::string& path);

struct MousePosition {
    float x;  // steering, -1 (left edge) to +1 (right edge)
    float y;  // throttle, +1 (top edge) to -1 (bottom edge)
};

// Where to hold the mouse for a car at (x, z) heading `yaw` (radians; the car
// moves towards (sin yaw, cos yaw)), aiming at a point of the centre line
// `lookAhead` units ahead of the nearest one, and steering round robots
// standing within reach.
MousePosition SteerAlong(const std::vector<CircuitPoint>& line, float x, float z, float yaw,
                         const std::vector<CircuitPoint>& robots);
