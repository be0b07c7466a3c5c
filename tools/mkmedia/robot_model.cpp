// "zorvek.x": the wandering robot. Its origin rides 1.5 above the ground, so
// the feet stand at y = -1.5; it is a little over three units tall. The right
// hand is raised to (1.5, 1.0, 0), where robots 0 and 2 hold their flags.
#include <cmath>

#include "image_files.h"
#include "media_writers.h"
#include "model.h"
#include "random_stream.h"
#include "x_file_writer.h"

namespace {

// Riveted plates with seams, wrapped round the barrel body and the head.
Picture PlatePicture() {
    Picture picture(64, 64, Rgb(0, 0, 0));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            double brushed = TiledNoise(x / 8.0, y / 1.0, 8, 71) * 0.08;
            picture.Set(x, y, Scale(Rgb(236, 236, 244), 0.9 + brushed));
        }
    }
    for (int seam : {0, 21, 42}) picture.FillRect(0, seam, 64, seam + 2, Rgb(90, 90, 100));
    for (int seam : {0, 32}) picture.FillRect(seam, 0, seam + 2, 64, Rgb(110, 110, 120));
    for (int row : {5, 26, 47}) {
        for (int column = 6; column < 64; column += 10) {
            picture.FillEllipse(column, row, 1.6, 1.6, Rgb(120, 120, 132));
            picture.FillEllipse(column - 0.4, row - 0.4, 0.8, 0.8, Rgb(255, 255, 255));
        }
    }
    // A warning stripe band round the middle plate.
    for (int x = 0; x < 64; ++x) {
        for (int y = 30; y < 38; ++y) {
            bool dark = ((x + y) / 4) % 2 == 0;
            picture.Set(x, y, dark ? Rgb(40, 36, 40) : Rgb(250, 200, 40));
        }
    }
    return picture;
}

ModelMaterial Coloured(const char* name, const Colour& diffuse, const char* texture = "") {
    ModelMaterial material;
    material.name = name;
    material.diffuse = diffuse;
    material.texture = texture;
    material.power = 30;
    material.specular = Rgb(255, 255, 255);
    return material;
}

ModelMaterial Glowing(const char* name, const Colour& colour) {
    ModelMaterial material = Coloured(name, colour);
    // Emissive, so the eyes still glow in the dark with only the headlight.
    material.emissive = Scale(colour, 0.85);
    return material;
}

Model RobotModel() {
    Model robot;
    robot.name = "Zorvek";
    uint32_t plate = robot.AddMaterial(Coloured("Plate", Rgb(150, 130, 196), "zorvek.png"));
    uint32_t joint = robot.AddMaterial(Coloured("Joint", Rgb(50, 48, 58)));
    uint32_t foot = robot.AddMaterial(Coloured("Foot", Rgb(232, 180, 40)));
    uint32_t arm = robot.AddMaterial(Coloured("Arm", Rgb(140, 120, 184)));
    uint32_t eye = robot.AddMaterial(Glowing("Eye", Rgb(255, 70, 30)));
    uint32_t lamp = robot.AddMaterial(Glowing("Lamp", Rgb(90, 255, 120)));

    for (double side : {-1.0, 1.0}) {
        robot.AddBox(foot, {side * 0.56, -1.5, -0.32}, {side * 0.14, -1.3, 0.42});
        robot.AddTaperedBox(joint, {side > 0 ? 0.2 : -0.5, -1.3, -0.16},
                            {side > 0 ? 0.5 : -0.2, -0.42, 0.16}, 0.04, 0.02);
        robot.AddBall(joint, {side * 0.72, 0.55, 0}, {0.19, 0.19, 0.19}, 10, 6);
    }
    robot.AddBox(joint, {-0.55, -0.52, -0.25}, {0.55, -0.32, 0.25});
    robot.AddUpright(plate, {0, -0.36, 0}, 0.62, 1.06, 14);
    robot.AddBox(lamp, {-0.14, 0.06, 0.56}, {0.14, 0.28, 0.66});

    // Right arm raised to the flag hand; left arm hanging.
    robot.AddBeam(arm, {0.76, 0.56, 0}, {1.42, 0.95, 0}, 0.17);
    robot.AddBall(joint, {1.5, 1.0, 0}, {0.15, 0.15, 0.15}, 10, 6);
    robot.AddBeam(arm, {-0.76, 0.52, 0}, {-1.0, -0.22, 0.14}, 0.17);
    robot.AddBall(joint, {-1.03, -0.32, 0.16}, {0.15, 0.15, 0.15}, 10, 6);

    robot.AddUpright(joint, {0, 0.68, 0}, 0.16, 0.2, 8);
    robot.AddBall(plate, {0, 1.12, 0}, {0.44, 0.34, 0.42}, 14, 8);
    robot.AddBox(eye, {-0.3, 1.1, 0.28}, {0.3, 1.23, 0.44});
    robot.AddBeam(joint, {0, 1.4, 0}, {0, 1.72, 0}, 0.05);
    robot.AddBall(eye, {0, 1.76, 0}, {0.07, 0.07, 0.07}, 8, 4);
    return robot;
}

}  // namespace

bool WriteRobot(const std::string& folder) {
    return WritePng(folder + "/zorvek.png", PlatePicture(), false) &&
           WriteTextXFile(folder + "/zorvek.x", RobotModel(), MaterialStyle::Inline);
}
