#pragma once
// The circuit: one closed centre line that the track map, the ground mesh and
// circuit.txt are all drawn from, so that they cannot disagree.
#include <string>
#include <vector>

struct GroundPoint {
    double x = 0;
    double z = 0;
};

// Where a ground point lies relative to the road.
struct RoadPlace {
    double s = 0;         // arc length of the nearest centre-line point, 0 .. length
    double across = 0;    // signed distance from the centre line, positive to the right
    double distance = 0;  // unsigned distance from the centre line
};

constexpr double roadHalfWidth = 12.0;
constexpr int zoneCount = 6;

// Arc lengths are measured from the point of the centre line beside the car's
// start place (x 200, z 10), growing in the driving direction (+z there).
double CircuitLength();
GroundPoint CentreAt(double s);
// Unit vector along the driving direction.
GroundPoint HeadingAt(double s);
RoadPlace NearestRoadPlace(double x, double z);
// Wraps an arc length into 0 .. length.
double WrapArc(double s);

// Zone 0 is a short stretch around the start line; 1 to 5 follow in driving order.
int ZoneAt(double s);
// The chequered band across the road, inside zone 0 just ahead of the car's start.
constexpr double startLineFrom = 6.0;
constexpr double startLineTo = 9.0;

// The centre line as "x z" lines, one point every few units, in driving order.
std::string CircuitText();
