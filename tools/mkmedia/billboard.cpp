#include "billboard.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int cellColumns = 8;
constexpr int cellRows = 16;

bool CellHasPixels(const Picture& picture, int column, int row) {
    int x0 = picture.width * column / cellColumns, x1 = picture.width * (column + 1) / cellColumns;
    int y0 = picture.height * row / cellRows, y1 = picture.height * (row + 1) / cellRows;
    for (int y = std::max(0, y0 - 1); y < std::min(picture.height, y1 + 1); ++y) {
        for (int x = std::max(0, x0 - 1); x < std::min(picture.width, x1 + 1); ++x) {
            if (picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4 + 3] != 0)
                return true;
        }
    }
    return false;
}

}  // namespace

Model BillboardModel(const std::string& name, const Picture& picture,
                     const std::string& textureName, double width, double height, double sink) {
    Model model;
    model.name = name;
    ModelMaterial leaves;
    leaves.name = name + "Leaves";
    leaves.texture = textureName;
    uint32_t material = model.AddMaterial(leaves);

    // One quad per run of filled cells in a row.
    for (int row = 0; row < cellRows; ++row) {
        int column = 0;
        while (column < cellColumns) {
            if (!CellHasPixels(picture, column, row)) {
                ++column;
                continue;
            }
            int first = column;
            while (column < cellColumns && CellHasPixels(picture, column, row)) ++column;
            double u0 = double(first) / cellColumns, u1 = double(column) / cellColumns;
            double v0 = double(row) / cellRows, v1 = double(row + 1) / cellRows;
            double x0 = (u0 - 0.5) * width, x1 = (u1 - 0.5) * width;
            double yTop = (1 - v0) * height - sink, yBottom = (1 - v1) * height - sink;
            model.AddTwoSidedQuad(material, {x0, yBottom, 0}, {x1, yBottom, 0}, {x1, yTop, 0},
                                  {x0, yTop, 0}, {0, 0, -1}, {u0, v1, u1, v1, u1, v0, u0, v0});
        }
    }
    return model;
}
