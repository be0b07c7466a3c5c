// "advert.x": a roadside board advertising the game. Its place is fixed in the
// world (y = 6 at x -145, z 160, turned 5.14 about y), so the board hangs from
// y = -3.5 to 3.5 in model space and its posts reach down to y = -6.4, below
// the low ground kept there.
#include <cmath>
#include <cstdio>

#include "image_files.h"
#include "media_writers.h"
#include "model.h"
#include "text_painter.h"
#include "x_file_writer.h"

namespace {

Picture AdvertPicture(TextPainter& text) {
    const int width = 256, height = 128;
    Picture picture(width, height, Rgb(0, 0, 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double t = double(y) / height;
            picture.Set(x, y, Mix(Rgb(20, 40, 120), Rgb(6, 12, 48), t));
        }
    }
    // Speed streaks behind the name.
    for (int k = 0; k < 7; ++k) {
        double y = 22 + k * 9;
        picture.DrawLine(-10, y + 30, 266, y - 30, 2.0, Rgb(60, 100, 220, 0.35));
    }
    picture.FillRect(0, 0, width, 5, Rgb(250, 200, 40));
    picture.FillRect(0, height - 5, width, height, Rgb(250, 200, 40));
    text.DrawCentred(picture, "KESTRUNE", width / 2.0 + 2, 66, 46, Rgb(0, 0, 0, 0.7));
    text.DrawCentred(picture, "KESTRUNE", width / 2.0, 64, 46, Rgb(255, 214, 40));
    text.DrawCentred(picture, "5 LAPS  31 TREES  4 ZORVEKS", width / 2.0, 92, 15,
                     Rgb(240, 240, 250));
    text.DrawCentred(picture, "Drive it with your mouse!", width / 2.0, 114, 13,
                     Rgb(140, 220, 255));
    return picture;
}

Model AdvertModel() {
    Model board;
    board.name = "Advert";
    ModelMaterial face;
    face.name = "Poster";
    face.texture = "advert.jpg";
    // A lit board: part of its colour is its own light, so it still reads at
    // night beyond the headlight's reach, while by day diffuse and emissive
    // add up to the plain picture.
    face.diffuse = {0.72, 0.72, 0.72, 1.0};
    face.emissive = {0.28, 0.28, 0.28, 1.0};
    ModelMaterial frame;
    frame.name = "Frame";
    frame.diffuse = Rgb(70, 72, 80);
    ModelMaterial post;
    post.name = "Post";
    post.diffuse = Rgb(150, 152, 160);
    uint32_t poster = board.AddMaterial(face);
    uint32_t rim = board.AddMaterial(frame);
    uint32_t posts = board.AddMaterial(post);

    const double halfWidth = 7.0, halfHeight = 3.5, halfDepth = 0.15;
    board.AddBox(rim, {-halfWidth - 0.2, -halfHeight - 0.2, -halfDepth},
                 {halfWidth + 0.2, halfHeight + 0.2, halfDepth});
    // The poster on both faces, each read the right way round from its side.
    double front = -halfDepth - 0.02, back = halfDepth + 0.02;
    board.AddFacingQuad(poster, {-halfWidth, -halfHeight, front}, {halfWidth, -halfHeight, front},
                        {halfWidth, halfHeight, front}, {-halfWidth, halfHeight, front}, {0, 0, -1},
                        {0, 1, 1, 1, 1, 0, 0, 0});
    board.AddFacingQuad(poster, {halfWidth, -halfHeight, back}, {-halfWidth, -halfHeight, back},
                        {-halfWidth, halfHeight, back}, {halfWidth, halfHeight, back}, {0, 0, 1},
                        {0, 1, 1, 1, 1, 0, 0, 0});
    for (double side : {-1.0, 1.0}) {
        board.AddUpright(posts, {side * 5.2, -6.4, 0}, 0.22, 6.4 - halfHeight, 8);
    }
    return board;
}

}  // namespace

bool WriteAdvert(const std::string& folder) {
    TextPainter text;
    if (!text.IsReady()) {
        std::fprintf(stderr, "kestrune-mkmedia: no Liberation Sans Bold (fonts-liberation2)\n");
        return false;
    }
    return WriteJpeg(folder + "/advert.jpg", AdvertPicture(text), 92) &&
           WriteTextXFile(folder + "/advert.x", AdvertModel(), MaterialStyle::Inline);
}
