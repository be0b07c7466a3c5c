#include "terrain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "circuit.h"

namespace {

double SmoothStep(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

struct Hill {
    double x, z, height, radius;
};

// Rounded hills inside and around the circuit. The infield ones give the
// chase camera something to look across; the outer ones close the horizon.
constexpr Hill hills[] = {
    {60, 10, 11, 62},     {-60, 40, 8, 48},   {-35, -110, 6, 34}, {120, 70, 5, 30},
    {-80, -40, 4, 40},    {40, 210, 9, 40},   {-60, 225, 8, 35},  {-225, 40, 9, 35},
    {-215, -140, 10, 40}, {110, -200, 9, 45}, {230, -140, 8, 30}, {160, 230, 9, 40},
    {-225, 225, 10, 40},  {225, 225, 8, 35},  {225, -225, 9, 35}, {-225, -225, 11, 40},
};

// Road heights, one every unit of arc length, smoothed along the lap so the
// road rises and falls gently with the hills under it.
const std::vector<double>& RoadProfile() {
    static const std::vector<double> profile = [] {
        double length = CircuitLength();
        int count = static_cast<int>(std::ceil(length));
        std::vector<double> raw(count), smooth(count);
        for (int i = 0; i < count; ++i) {
            GroundPoint p = CentreAt(length * i / count);
            raw[i] = HillHeight(p.x, p.z);
        }
        constexpr double sigma = 30.0;
        constexpr int reach = 90;
        for (int i = 0; i < count; ++i) {
            double sum = 0, weight = 0;
            for (int k = -reach; k <= reach; ++k) {
                double w = std::exp(-0.5 * k * k / (sigma * sigma));
                sum += w * raw[((i + k) % count + count) % count];
                weight += w;
            }
            // Keep the road a little below the hills it crosses.
            smooth[i] = 0.8 + (sum / weight - 0.8) * 0.75;
        }
        return smooth;
    }();
    return profile;
}

}  // namespace

double HillHeight(double x, double z) {
    double height = 0.8;
    for (const Hill& hill : hills) {
        double d2 = ((x - hill.x) * (x - hill.x) + (z - hill.z) * (z - hill.z)) /
                    (hill.radius * hill.radius);
        height += hill.height * std::exp(-d2);
    }
    // A low swell across the whole ground, so no part is perfectly flat.
    height += 1.1 * (1 + std::sin(x / 31.0 + 0.7) * std::cos(z / 43.0 - 0.4));
    // The ground rises towards the edge of the world.
    double p = 6;
    double rim = std::pow(std::pow(std::abs(x), p) + std::pow(std::abs(z), p), 1 / p);
    height += 8.0 * SmoothStep((rim - 205) / 40);
    // Beyond the fence at the world's edge the land climbs into far hills,
    // which close the horizon the camera sees over the fence.
    double beyond = std::max(std::abs(x), std::abs(z));
    height += 9.0 * SmoothStep((beyond - 300) / 250);
    // Flat and low round the advert's posts.
    double advert = std::hypot(x - advertX, z - advertZ);
    double keep = SmoothStep((advert - 12) / 28);
    height = 0.8 + (height - 0.8) * keep;
    return std::clamp(height, 0.6, 19.5);
}

double RoadHeight(double s) {
    const std::vector<double>& profile = RoadProfile();
    double length = CircuitLength();
    double position = WrapArc(s) / length * static_cast<double>(profile.size());
    size_t i = static_cast<size_t>(position) % profile.size();
    double t = position - std::floor(position);
    return profile[i] + (profile[(i + 1) % profile.size()] - profile[i]) * t;
}

double GroundHeight(double x, double z) {
    RoadPlace place = NearestRoadPlace(x, z);
    double road = RoadHeight(place.s);
    // Flat across the road and a unit beyond, then a verge that eases into the hills.
    double blend = SmoothStep((place.distance - roadHalfWidth - 1.0) / 26.0);
    return road + (HillHeight(x, z) - road) * blend;
}

Vec3 GroundNormal(double x, double z) {
    const double h = 0.5;
    double dx = (GroundHeight(x + h, z) - GroundHeight(x - h, z)) / (2 * h);
    double dz = (GroundHeight(x, z + h) - GroundHeight(x, z - h)) / (2 * h);
    return Normalised({-dx, 1.0, -dz});
}
