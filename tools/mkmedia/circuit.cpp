#include "circuit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Control points of a closed uniform cubic B-spline, in driving order. They
// were placed around the 31 tree spots so that the road weaves between them,
// with every tree at least four units clear of the road, no bend tighter than a
// radius of 45 and the start straight running up x = 197 past the car's start.
constexpr double controlPoints[][2] = {
#include "circuit_control_points.inc"
};
constexpr int controlCount = sizeof(controlPoints) / sizeof(controlPoints[0]);

constexpr double sampleStep = 0.25;  // spacing of the resampled centre line
constexpr double bucketSize = 8.0;
constexpr int bucketsAcross = static_cast<int>(480 / bucketSize) + 2;

struct CentreLine {
    std::vector<GroundPoint> points;  // points[i] lies at arc length i * step
    double step = 0;
    double length = 0;
    std::vector<std::vector<int>> buckets;  // segment indices by ground cell
};

GroundPoint SplinePoint(int segment, double t) {
    auto at = [](int i) {
        const double* p = controlPoints[((i % controlCount) + controlCount) % controlCount];
        return GroundPoint{p[0], p[1]};
    };
    GroundPoint p0 = at(segment - 1), p1 = at(segment), p2 = at(segment + 1), p3 = at(segment + 2);
    double b0 = (1 - t) * (1 - t) * (1 - t) / 6;
    double b1 = (3 * t * t * t - 6 * t * t + 4) / 6;
    double b2 = (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6;
    double b3 = t * t * t / 6;
    return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
            b0 * p0.z + b1 * p1.z + b2 * p2.z + b3 * p3.z};
}

double Distance(const GroundPoint& a, const GroundPoint& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

int BucketIndex(double x, double z) {
    int bx =
        std::clamp(static_cast<int>(std::floor((x + 240) / bucketSize)) + 1, 0, bucketsAcross - 1);
    int bz =
        std::clamp(static_cast<int>(std::floor((z + 240) / bucketSize)) + 1, 0, bucketsAcross - 1);
    return bz * bucketsAcross + bx;
}

// Projection of a point on segment i (from point i to point i + 1).
struct SegmentHit {
    double t;
    double distance;
    double side;  // positive when the point lies right of the driving direction
};

SegmentHit ProjectOnSegment(const CentreLine& line, int i, double x, double z) {
    const GroundPoint& a = line.points[i];
    const GroundPoint& b = line.points[(i + 1) % line.points.size()];
    double dx = b.x - a.x, dz = b.z - a.z;
    double t = std::clamp(((x - a.x) * dx + (z - a.z) * dz) / (dx * dx + dz * dz), 0.0, 1.0);
    double px = a.x + t * dx, pz = a.z + t * dz;
    // Right of a heading (dx, dz) on the ground, seen from above with +z ahead, is (dz, -dx).
    double side = (x - px) * dz - (z - pz) * dx;
    return {t, std::hypot(x - px, z - pz), side};
}

CentreLine BuildCentreLine() {
    // Dense samples of the spline, then resampled at equal arc lengths.
    std::vector<GroundPoint> dense;
    constexpr int perSegment = 200;
    for (int segment = 0; segment < controlCount; ++segment) {
        for (int k = 0; k < perSegment; ++k)
            dense.push_back(SplinePoint(segment, k / double(perSegment)));
    }
    std::vector<double> arc(dense.size() + 1, 0.0);
    for (size_t i = 0; i < dense.size(); ++i) {
        arc[i + 1] = arc[i] + Distance(dense[i], dense[(i + 1) % dense.size()]);
    }
    double length = arc.back();

    // Arc length beside the car's start place: the nearest dense point, refined
    // on its two neighbouring chords.
    const GroundPoint start{200.0, 10.0};
    size_t nearest = 0;
    for (size_t i = 1; i < dense.size(); ++i) {
        if (Distance(dense[i], start) < Distance(dense[nearest], start)) nearest = i;
    }
    double startArc = arc[nearest];
    {
        double best = Distance(dense[nearest], start);
        for (int side = -1; side <= 0; ++side) {
            size_t i = (nearest + dense.size() + side) % dense.size();
            const GroundPoint& a = dense[i];
            const GroundPoint& b = dense[(i + 1) % dense.size()];
            double dx = b.x - a.x, dz = b.z - a.z, len2 = dx * dx + dz * dz;
            double t = std::clamp(((start.x - a.x) * dx + (start.z - a.z) * dz) / len2, 0.0, 1.0);
            double d = std::hypot(start.x - a.x - t * dx, start.z - a.z - t * dz);
            if (d < best) {
                best = d;
                startArc = arc[i] + t * std::sqrt(len2);
            }
        }
    }

    CentreLine line;
    int count = static_cast<int>(std::round(length / sampleStep));
    line.step = length / count;
    line.length = length;
    size_t j = 0;
    for (int i = 0; i < count; ++i) {
        double s = std::fmod(startArc + i * line.step, length);
        // Dense arcs increase, so walk j forward, wrapping once at the seam.
        if (i == 0 || arc[j] > s) j = 0;
        while (j + 1 < arc.size() && arc[j + 1] <= s) ++j;
        const GroundPoint& a = dense[j % dense.size()];
        const GroundPoint& b = dense[(j + 1) % dense.size()];
        double t = (s - arc[j]) / (arc[j + 1] - arc[j]);
        line.points.push_back({a.x + t * (b.x - a.x), a.z + t * (b.z - a.z)});
    }

    line.buckets.resize(static_cast<size_t>(bucketsAcross) * bucketsAcross);
    for (int i = 0; i < count; ++i) {
        const GroundPoint& a = line.points[i];
        const GroundPoint& b = line.points[(i + 1) % count];
        int first = BucketIndex(std::min(a.x, b.x), std::min(a.z, b.z));
        int last = BucketIndex(std::max(a.x, b.x), std::max(a.z, b.z));
        for (int bz = first / bucketsAcross; bz <= last / bucketsAcross; ++bz) {
            for (int bx = first % bucketsAcross; bx <= last % bucketsAcross; ++bx) {
                line.buckets[static_cast<size_t>(bz) * bucketsAcross + bx].push_back(i);
            }
        }
    }
    return line;
}

const CentreLine& Line() {
    static const CentreLine line = BuildCentreLine();
    return line;
}

}  // namespace

double CircuitLength() {
    return Line().length;
}

double WrapArc(double s) {
    double length = Line().length;
    s = std::fmod(s, length);
    return s < 0 ? s + length : s;
}

GroundPoint CentreAt(double s) {
    const CentreLine& line = Line();
    double position = WrapArc(s) / line.step;
    size_t i = static_cast<size_t>(position) % line.points.size();
    double t = position - std::floor(position);
    const GroundPoint& a = line.points[i];
    const GroundPoint& b = line.points[(i + 1) % line.points.size()];
    return {a.x + t * (b.x - a.x), a.z + t * (b.z - a.z)};
}

GroundPoint HeadingAt(double s) {
    GroundPoint ahead = CentreAt(s + 1.0), behind = CentreAt(s - 1.0);
    double length = Distance(ahead, behind);
    return {(ahead.x - behind.x) / length, (ahead.z - behind.z) / length};
}

RoadPlace NearestRoadPlace(double x, double z) {
    const CentreLine& line = Line();
    int cx = BucketIndex(x, z) % bucketsAcross, cz = BucketIndex(x, z) / bucketsAcross;
    int bestSegment = -1;
    SegmentHit best{0, 1e30, 0};
    // Rings of buckets outwards until no closer segment can remain.
    for (int ring = 0; ring < bucketsAcross; ++ring) {
        for (int bz = cz - ring; bz <= cz + ring; ++bz) {
            for (int bx = cx - ring; bx <= cx + ring; ++bx) {
                if (std::max(std::abs(bx - cx), std::abs(bz - cz)) != ring) continue;
                if (bx < 0 || bz < 0 || bx >= bucketsAcross || bz >= bucketsAcross) continue;
                for (int segment : line.buckets[static_cast<size_t>(bz) * bucketsAcross + bx]) {
                    SegmentHit hit = ProjectOnSegment(line, segment, x, z);
                    if (hit.distance < best.distance ||
                        (hit.distance == best.distance && segment < bestSegment)) {
                        best = hit;
                        bestSegment = segment;
                    }
                }
            }
        }
        if (bestSegment >= 0 && best.distance <= ring * bucketSize) break;
    }
    RoadPlace place;
    place.s = WrapArc((bestSegment + best.t) * line.step);
    place.distance = best.distance;
    place.across = best.side >= 0 ? best.distance : -best.distance;
    return place;
}

int ZoneAt(double s) {
    // Zone 0 runs from 14 units behind the car's start to 18 ahead of it; the
    // rest of the lap is cut into five equal zones.
    constexpr double zoneZeroBehind = 14.0, zoneZeroAhead = 18.0;
    double length = CircuitLength();
    s = WrapArc(s);
    if (s < zoneZeroAhead || s >= length - zoneZeroBehind) return 0;
    double part = (length - zoneZeroBehind - zoneZeroAhead) / 5.0;
    return 1 + std::min(4, static_cast<int>((s - zoneZeroAhead) / part));
}

std::string CircuitText() {
    std::string text;
    double length = CircuitLength();
    int count = static_cast<int>(std::round(length / 2.0));
    char line[64];
    for (int i = 0; i < count; ++i) {
        GroundPoint p = CentreAt(length * i / count);
        std::snprintf(line, sizeof line, "%.3f %.3f\n", p.x, p.z);
        text += line;
    }
    return text;
}
