// "flag.x": the chequered flag a Zorvek holds up. The game hangs it at
// (1.5, 1.0, 0) on the robot, rolled by -1.1, so the pole leans out over the
// robot's shoulder and the cloth, fixed along the pole, hangs down from it.
// Written in the binary .x form.
#include <cmath>

#include "image_files.h"
#include "media_writers.h"
#include "model.h"
#include "x_file_writer.h"

namespace {

// Black and white squares with soft folds; the fly end is cut into a
// swallowtail through the alpha channel.
Picture FlagPicture() {
    const int size = 64;
    Picture picture(size, size, Rgb(0, 0, 0, 0));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double notch = 14.0 * (1.0 - std::abs(y - 31.5) / 32.0);
            if (x > size - 1 - notch) continue;
            bool light = ((x / 8) + (y / 8)) % 2 == 0;
            double fold = 0.82 + 0.18 * std::cos(x / 64.0 * 2 * 3.14159265358979 * 2);
            picture.Set(x, y, Scale(light ? Rgb(250, 250, 246) : Rgb(24, 24, 28), fold));
        }
    }
    return picture;
}

Model FlagModel() {
    Model flag;
    flag.name = "Flag";
    ModelMaterial pole;
    pole.name = "Pole";
    pole.diffuse = Rgb(200, 170, 60);
    ModelMaterial cloth;
    cloth.name = "Cloth";
    cloth.texture = "flag.png";
    uint32_t poleMaterial = flag.AddMaterial(pole);
    uint32_t clothMaterial = flag.AddMaterial(cloth);

    const double top = 2.7;
    flag.AddUpright(poleMaterial, {0, -0.2, 0}, 0.05, top + 0.2, 6);
    flag.AddBall(poleMaterial, {0, top + 0.06, 0}, {0.09, 0.09, 0.09}, 8, 4);

    // The cloth in strips with a ripple, so it reads as cloth from any side.
    const int strips = 6;
    const double length = 1.5, drop = 0.95;
    auto ripple = [](double x) { return 0.13 * std::sin(x * 4.2); };
    for (int i = 0; i < strips; ++i) {
        double x0 = 0.06 + length * i / strips, x1 = 0.06 + length * (i + 1) / strips;
        double u0 = double(i) / strips, u1 = double(i + 1) / strips;
        Vec3 a{x0, top - drop, ripple(x0)}, b{x1, top - drop, ripple(x1)};
        Vec3 c{x1, top, ripple(x1)}, d{x0, top, ripple(x0)};
        flag.AddTwoSidedQuad(clothMaterial, a, b, c, d, {0, 0, -1}, {u0, 1, u1, 1, u1, 0, u0, 0});
    }
    return flag;
}

}  // namespace

bool WriteFlag(const std::string& folder) {
    return WritePng(folder + "/flag.png", FlagPicture(), true) &&
           WriteBinaryXFile(folder + "/flag.x", FlagModel());
}
