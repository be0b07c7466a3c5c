#include "steering.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

constexpr float pi = 3.14159265f;
constexpr float lookAhead = 22.0f;
constexpr float robotReach = 16.0f;

float WrapAngle(float angle) {
    while (angle > pi) angle -= 2.0f * pi;
    while (angle < -pi) angle += 2.0f * pi;
    return angle;
}

size_t NearestPoint(const std::vector<CircuitPoint>& line, float x, float z) {
    size_t nearest = 0;
    float best = INFINITY;
    for (size_t i = 0; i < line.size(); ++i) {
        const float dx = line[i].x - x;
        const float dz = line[i].z - z;
        const float distance = dx * dx + dz * dz;
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

CircuitPoint PointAhead(const std::vector<CircuitPoint>& line, size_t from, float distance) {
    size_t i = from;
    for (size_t steps = 0; steps < line.size(); ++steps) {
        const size_t next = (i + 1) % line.size();
        const float dx = line[next].x - line[i].x;
        const float dz = line[next].z - line[i].z;
        const float length = std::sqrt(dx * dx + dz * dz);
        if (length >= distance && length > 0.0f) {
            return {line[i].x + dx * distance / length, line[i].z + dz * distance / length};
        }
        distance -= length;
        i = next;
    }
    return line[from];
}

}  // namespace

std::vector<CircuitPoint> ReadCentreLine(const std::string& path) {
    std::vector<CircuitPoint> line;
    std::ifstream file(path);
    std::string text;
    while (std::getline(file, text)) {
        std::istringstream numbers(text);
        CircuitPoint point{};
        if (numbers >> point.x >> point.z) line.push_back(point);
    }
    if (line.size() < 3) line.clear();
    return line;
}

MousePosition SteerAlong(const std::vector<CircuitPoint>& line, float x, float z, float yaw,
                         const std::vector<CircuitPoint>& robots) {
    if (line.empty()) return {0.0f, 0.0f};
    CircuitPoint target = PointAhead(line, NearestPoint(line, x, z), lookAhead);

    // A robot near the line ahead pushes the aim sideways, away from it.
    for (const CircuitPoint& robot : robots) {
        const float rx = robot.x - x;
        const float rz = robot.z - z;
        const float distance = std::sqrt(rx * rx + rz * rz);
        if (distance > robotReach || distance < 0.001f) continue;
        const float ahead = rx * std::sin(yaw) + rz * std::cos(yaw);
        if (ahead < -2.0f) continue;
        const float side = rx * std::cos(yaw) - rz * std::sin(yaw);  // + right of the car
        const float push = (robotReach - distance) * 0.9f * (side >= 0.0f ? -1.0f : 1.0f);
        target.x += push * std::cos(yaw);
        target.z -= push * std::sin(yaw);
    }

    const float wanted = std::atan2(target.x - x, target.z - z);
    const float error = WrapAngle(wanted - yaw);
    // The car turns 2.5 radians a second at full deflection: aim to close the
    // error in about a third of a second, and ease off the throttle in bends.
    const float steer = std::clamp(error * 1.2f, -1.0f, 1.0f);
    const float throttle = std::clamp(0.95f - std::fabs(error) * 0.8f, 0.35f, 0.95f);
    return {steer, throttle};
}
