#pragma once
// Writes a model as a DirectX .x file: one Frame with an identity
// FrameTransformMatrix holding one Mesh with normals, texture coordinates and
// a material list.
#include <string>

#include "model.h"

enum class MaterialStyle {
    Inline,      // Material objects inside the MeshMaterialList
    References,  // top-level Material objects, referenced as { Name }
};

bool WriteTextXFile(const std::string& path, const Model& model, MaterialStyle style);
// "xof 0303bin 0032": the same objects as tokens, floats as 32-bit values.
bool WriteBinaryXFile(const std::string& path, const Model& model);
