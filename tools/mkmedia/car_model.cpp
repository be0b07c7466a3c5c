// "cockpit.x": the player's open-wheeled roadster, seen from just behind and
// above by the chase camera. Model space: x to the right, y up, z ahead; the
// origin rides 2.0 above the ground, so the tyres touch y = -2.0. Everything
// behind z = 0 falls before the camera's near plane, so the car is built from
// its rear deck at z = 0 forwards to its nose at z = 4.
#include <cmath>

#include "image_files.h"
#include "media_writers.h"
#include "model.h"
#include "random_stream.h"
#include "x_file_writer.h"

namespace {

constexpr double ground = -2.0;
constexpr double wheelRadius = 0.44;

// Paint with a soft sheen across, so the flat panels do not look like plastic.
Picture PaintPicture() {
    Picture picture(64, 64, Rgb(0, 0, 0));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            double sheen = 0.86 + 0.14 * std::cos((x - 20) / 64.0 * 3.2);
            double speck = TiledNoise(x / 2.0, y / 2.0, 32, 41) * 0.05;
            picture.Set(x, y, Scale(Rgb(255, 255, 255), sheen - speck));
        }
    }
    return picture;
}

// The bonnet's racing stripes, running along v.
Picture StripePicture() {
    Picture picture(64, 64, Rgb(214, 30, 24));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            double sheen = 0.9 + 0.1 * std::cos((x - 24) / 64.0 * 3.2);
            Colour base =
                (x >= 22 && x < 29) || (x >= 35 && x < 42) ? Rgb(245, 245, 240) : Rgb(214, 30, 24);
            picture.Set(x, y, Scale(base, sheen));
        }
    }
    return picture;
}

// Tread blocks round the tyre (u) across its width (v).
Picture TyrePicture() {
    Picture picture(64, 32, Rgb(30, 30, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            bool groove = (x % 8 < 2) || (y > 14 && y < 17);
            bool shoulder = y < 3 || y > 28;
            picture.Set(x, y,
                        groove     ? Rgb(14, 14, 16)
                        : shoulder ? Rgb(44, 44, 46)
                                   : Rgb(34, 34, 36));
        }
    }
    return picture;
}

// Spoked wheel face: hub, five spokes, rim.
Picture HubPicture() {
    Picture picture(64, 64, Rgb(40, 40, 44));
    picture.FillEllipse(32, 32, 28, 28, Rgb(190, 192, 198));
    picture.FillEllipse(32, 32, 23, 23, Rgb(60, 60, 66));
    for (int k = 0; k < 5; ++k) {
        double a = k * 2 * 3.14159265358979 / 5;
        picture.DrawLine(32, 32, 32 + std::cos(a) * 24, 32 + std::sin(a) * 24, 6,
                         Rgb(200, 202, 208));
    }
    picture.FillEllipse(32, 32, 7, 7, Rgb(230, 230, 236));
    picture.FillEllipse(32, 32, 3, 3, Rgb(90, 90, 96));
    return picture;
}

ModelMaterial Plain(const char* name, const Colour& colour, const char* texture = "") {
    ModelMaterial material;
    material.name = name;
    material.diffuse = colour;
    material.texture = texture;
    material.power = 20;
    material.specular = Rgb(255, 255, 255);
    return material;
}

Model CarModel() {
    Model car;
    car.name = "Cockpit";
    uint32_t paint = car.AddMaterial(Plain("Paint", Rgb(214, 30, 24), "carpaint.png"));
    uint32_t stripe = car.AddMaterial(Plain("Stripes", Rgb(255, 255, 255), "carstripe.png"));
    uint32_t trim = car.AddMaterial(Plain("Trim", Rgb(28, 28, 32)));
    uint32_t tyre = car.AddMaterial(Plain("Tyre", Rgb(255, 255, 255), "tyre.bmp"));
    uint32_t hub = car.AddMaterial(Plain("Hub", Rgb(255, 255, 255), "carhub.png"));
    uint32_t glass = car.AddMaterial(Plain("Glass", Rgb(120, 160, 190)));
    uint32_t seat = car.AddMaterial(Plain("Seat", Rgb(40, 36, 34)));
    uint32_t helmet = car.AddMaterial(Plain("Helmet", Rgb(250, 208, 40)));
    uint32_t visor = car.AddMaterial(Plain("Visor", Rgb(20, 22, 30)));
    uint32_t suit = car.AddMaterial(Plain("Suit", Rgb(30, 70, 170)));
    ModelMaterial lamp = Plain("TailLamp", Rgb(200, 20, 20));
    lamp.emissive = Rgb(150, 10, 10);
    uint32_t tailLamp = car.AddMaterial(lamp);

    // Wheels: rear axle just ahead of the deck, front axle under the bonnet.
    double axleY = ground + wheelRadius;
    for (double side : {-1.0, 1.0}) {
        car.AddWheel(tyre, hub, {side * 0.9, axleY, 0.75}, wheelRadius + 0.02, 0.2, 16);
        car.AddWheel(tyre, hub, {side * 0.88, axleY, 3.25}, wheelRadius, 0.16, 16);
    }

    // Floor pan and the side pods between the wheels.
    car.AddBox(trim, {-0.62, ground + 0.22, 0.0}, {0.62, ground + 0.4, 3.9});
    for (double side : {-1.0, 1.0}) {
        double inner = side * 0.42, outer = side * 0.7;
        car.AddBlock(
            paint,
            {Vec3{inner, ground + 0.3, 1.15}, Vec3{outer, ground + 0.3, 1.15},
             Vec3{outer, ground + 0.3, 2.8}, Vec3{inner, ground + 0.3, 2.8},
             Vec3{inner, ground + 0.86, 1.2}, Vec3{outer - side * 0.06, ground + 0.8, 1.25},
             Vec3{outer - side * 0.06, ground + 0.72, 2.75}, Vec3{inner, ground + 0.8, 2.8}});
    }
    // Rear deck over the engine, sloping up to the cockpit.
    car.AddBlock(paint, {Vec3{-0.6, ground + 0.35, 0.0}, Vec3{0.6, ground + 0.35, 0.0},
                         Vec3{0.6, ground + 0.35, 1.2}, Vec3{-0.6, ground + 0.35, 1.2},
                         Vec3{-0.5, ground + 0.78, 0.0}, Vec3{0.5, ground + 0.78, 0.0},
                         Vec3{0.55, ground + 0.92, 1.2}, Vec3{-0.55, ground + 0.92, 1.2}});
    car.AddBox(tailLamp, {-0.45, ground + 0.55, -0.02}, {-0.25, ground + 0.68, 0.02});
    car.AddBox(tailLamp, {0.25, ground + 0.55, -0.02}, {0.45, ground + 0.68, 0.02});
    // A low spoiler lip across the tail.
    car.AddBlock(trim, {Vec3{-0.62, ground + 0.74, 0.0}, Vec3{0.62, ground + 0.74, 0.0},
                        Vec3{0.62, ground + 0.78, 0.3}, Vec3{-0.62, ground + 0.78, 0.3},
                        Vec3{-0.62, ground + 0.86, 0.0}, Vec3{0.62, ground + 0.86, 0.0},
                        Vec3{0.62, ground + 0.8, 0.3}, Vec3{-0.62, ground + 0.8, 0.3}});

    // The cockpit: tub sides, seat back, the driver's shoulders and helmet.
    for (double side : {-1.0, 1.0}) {
        car.AddBox(paint, {side * 0.36 - 0.09, ground + 0.35, 1.2},
                   {side * 0.36 + 0.09, ground + 0.95, 2.2});
    }
    car.AddBox(seat, {-0.27, ground + 0.4, 1.2}, {0.27, ground + 1.15, 1.32});
    car.AddBox(suit, {-0.27, ground + 0.9, 1.34}, {0.27, ground + 1.22, 1.62});
    car.AddBall(helmet, {0, ground + 1.48, 1.5}, {0.22, 0.24, 0.25}, 12, 8);
    car.AddBox(visor, {-0.16, ground + 1.42, 1.66}, {0.16, ground + 1.56, 1.74});
    // Steering wheel ahead of the driver.
    car.AddBeam(trim, {-0.16, ground + 1.15, 1.9}, {0.16, ground + 1.15, 1.9}, 0.05);

    // Windscreen: a low raked screen in front of the driver.
    car.AddBlock(glass, {Vec3{-0.42, ground + 0.95, 2.2}, Vec3{0.42, ground + 0.95, 2.2},
                         Vec3{0.42, ground + 0.95, 2.24}, Vec3{-0.42, ground + 0.95, 2.24},
                         Vec3{-0.36, ground + 1.3, 2.06}, Vec3{0.36, ground + 1.3, 2.06},
                         Vec3{0.36, ground + 1.3, 2.1}, Vec3{-0.36, ground + 1.3, 2.1}});

    // Bonnet: from the screen down to the nose, striped on top.
    car.AddBlock(paint,
                 {Vec3{-0.5, ground + 0.35, 2.2}, Vec3{0.5, ground + 0.35, 2.2},
                  Vec3{0.3, ground + 0.35, 3.95}, Vec3{-0.3, ground + 0.35, 3.95},
                  Vec3{-0.46, ground + 0.95, 2.2}, Vec3{0.46, ground + 0.95, 2.2},
                  Vec3{0.26, ground + 0.62, 3.95}, Vec3{-0.26, ground + 0.62, 3.95}},
                 stripe);
    // Front wing low across the nose, with end plates.
    car.AddBlock(paint, {Vec3{-1.05, ground + 0.16, 3.7}, Vec3{1.05, ground + 0.16, 3.7},
                         Vec3{1.05, ground + 0.16, 4.05}, Vec3{-1.05, ground + 0.16, 4.05},
                         Vec3{-1.05, ground + 0.26, 3.62}, Vec3{1.05, ground + 0.26, 3.62},
                         Vec3{1.05, ground + 0.22, 4.05}, Vec3{-1.05, ground + 0.22, 4.05}});
    for (double side : {-1.0, 1.0}) {
        car.AddBox(trim, {side * 1.05 - 0.03, ground + 0.12, 3.6},
                   {side * 1.05 + 0.03, ground + 0.42, 4.05});
        // Suspension arms out to the wheels.
        car.AddBeam(trim, {side * 0.4, ground + 0.5, 3.2}, {side * 0.74, ground + 0.46, 3.25},
                    0.05);
        car.AddBeam(trim, {side * 0.5, ground + 0.45, 0.8}, {side * 0.72, ground + 0.46, 0.75},
                    0.06);
    }
    return car;
}

}  // namespace

bool WriteCar(const std::string& folder) {
    return WritePng(folder + "/carpaint.png", PaintPicture(), false) &&
           WritePng(folder + "/carstripe.png", StripePicture(), false) &&
           WriteBmp24(folder + "/tyre.bmp", TyrePicture()) &&
           WritePng(folder + "/carhub.png", HubPicture(), false) &&
           WriteTextXFile(folder + "/cockpit.x", CarModel(), MaterialStyle::Inline);
}
