#pragma once
// The two GLSL programs of the Direct3D stand-in: one that does what Direct3D
// 9's fixed-function pipeline does for the game's meshes, and one that blends
// a colour through a coverage mask for the font.
#include <array>
#include <bitset>
#include <string>

#include "platform/d3d9_types.h"
#include "platform/gl_objects.h"

// Everything the fixed-function pipeline reads when a mesh is drawn.
struct FixedFunctionState {
    D3DMATRIX world;
    D3DMATRIX view;
    D3DMATRIX projection;
    D3DMATERIAL9 material;
    D3DLIGHT9 light;
    bool lightEnabled;
    bool lighting;
    bool specularEnable;
    D3DCOLOR ambient;
    bool textureBound;
};

// The values a program's uniforms were last given. A uniform keeps its value
// in its program, so sending the same value again is only work for the
// driver; in a browser each call also crosses to the GPU process, and most
// of a frame's were repeats (the light, the projection, a material shared by
// many draws).
class UniformValues {
  public:
    // Whether `location` holds other values than `values` (compared bit for
    // bit); remembers them. A location past what is kept always differs.
    bool Differ(GLint location, const float* values, int count);
    void Forget() { known.reset(); }

  private:
    static constexpr int kept = 32;
    std::bitset<kept> known;
    std::array<std::array<float, 16>, kept> held{};
};

class FixedFunctionProgram {
  public:
    // False, with the compiler's or linker's words in `error`, when the driver
    // refuses the program.
    bool Build(std::string& error);
    void Use() const;
    // Uploads the transforms (world, view, projection) and, since Direct3D
    // lights in camera space, the light that depends on the view.
    void UploadTransforms(const FixedFunctionState& state) const;
    // Material, light colours and switches, ambient, texture presence.
    void UploadShading(const FixedFunctionState& state) const;
    void Abandon() { program.Abandon(); }

  private:
    void Send(GLint location, bool value) const;
    void Send(GLint location, float value) const;
    void Send(GLint location, float x, float y, float z) const;
    void Send(GLint location, const D3DCOLORVALUE& colour) const;
    void Send(GLint location, D3DCOLOR colour) const;

    GlProgram program;
    mutable UniformValues sent;
    GLint worldView = -1;
    GLint projection = -1;
    GLint normalMatrix = -1;
    GLint lighting = -1;
    GLint specularEnable = -1;
    GLint ambient = -1;
    GLint materialDiffuse = -1;
    GLint materialAmbient = -1;
    GLint materialSpecular = -1;
    GLint materialEmissive = -1;
    GLint materialPower = -1;
    GLint lightEnabled = -1;
    GLint lightIsDirectional = -1;
    GLint lightPosition = -1;
    GLint lightToward = -1;
    GLint lightDiffuse = -1;
    GLint lightSpecular = -1;
    GLint lightAmbient = -1;
    GLint lightRange = -1;
    GLint lightAttenuation = -1;
    GLint textureBound = -1;
    GLint stageTexture = -1;
};

class CoverageProgram {
  public:
    bool Build(std::string& error);
    // `rectangle` is left, bottom, right, top in normalised device coordinates.
    void Use(const float rectangle[4], D3DCOLOR colour) const;
    void Abandon() { program.Abandon(); }

  private:
    GlProgram program;
    GLint rectangle = -1;
    GLint colour = -1;
    GLint coverage = -1;
};

// The product a * b of two row-vector matrices: a point goes through a first.
D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);
