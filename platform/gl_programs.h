#pragma once
// The two GLSL programs of the Direct3D stand-in: one that does what Direct3D
// 9's fixed-function pipeline does for the game's meshes, and one that blends
// a colour through a coverage mask for the font.
#include <array>
#include <cstddef>
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

class FixedFunctionProgram {
  public:
    // False, with the compiler's or linker's words in `error`, when the driver
    // refuses the program.
    bool Build(std::string& error);
    GLuint Name() const { return program.Get(); }
    // Uploads the transforms (world x view, as `worldView`, and projection)
    // and, since Direct3D lights in camera space, the light that depends on
    // the view. The program must be in use, as for UploadShading.
    void UploadTransforms(const FixedFunctionState& state, const D3DMATRIX& worldView);
    // Material, light colours and switches, ambient, texture presence.
    void UploadShading(const FixedFunctionState& state);
    void Abandon() { program.Abandon(); }

  private:
    enum Uniform {
        WorldView,
        Projection,
        NormalMatrix,
        Lighting,
        SpecularEnable,
        Ambient,
        MaterialDiffuse,
        MaterialAmbient,
        MaterialSpecular,
        MaterialEmissive,
        MaterialPower,
        LightEnabled,
        LightIsDirectional,
        LightPosition,
        LightToward,
        LightDiffuse,
        LightSpecular,
        LightAmbient,
        LightRange,
        LightAttenuation,
        TextureBound,
        UniformCount
    };

    // Whether `uniform` was last given other values than these (compared bit
    // for bit, so a value is never mistaken for another); remembers them. A
    // uniform keeps its value in its program, so sending the same again is
    // only work for the driver, and in a browser a crossing to the GPU
    // process: most of a frame's uploads were repeats of the light, the
    // projection and materials many draws share.
    bool Differs(Uniform uniform, const float* values, size_t count);
    void Send(Uniform uniform, bool value);
    void Send(Uniform uniform, float value);
    void Send(Uniform uniform, float x, float y, float z);
    void Send(Uniform uniform, const D3DCOLORVALUE& colour);
    void Send(Uniform uniform, D3DCOLOR colour);

    GlProgram program;
    std::array<GLint, UniformCount> locations{};
    std::array<std::array<float, 16>, UniformCount> sent{};
    std::array<bool, UniformCount> known{};
};

// The font's text: rectangles of the back buffer that blend one colour
// through a coverage mask each, all masks stacked in one texture and drawn in
// one call. Blending follows the order of the rectangles, as separate draws
// would.
class CoverageProgram {
  public:
    static constexpr size_t batchSize = 8;

    // Where a rectangle goes and what it shows: left, bottom, right, top in
    // normalised device coordinates; the rows of the stacked texture it reads,
    // from `firstRow`, `width` wide and `height` high; its colour.
    struct Rectangle {
        float corners[4];
        UINT firstRow;
        UINT width;
        UINT height;
        D3DCOLOR colour;
    };

    bool Build(std::string& error);
    GLuint Name() const { return program.Get(); }
    // Draws `count` (at most batchSize) rectangles from a bound stacked
    // texture `textureWidth` x `textureHeight`; the program must be in use.
    void Draw(const Rectangle* rectangles, size_t count, UINT textureWidth, UINT textureHeight);
    void Abandon() { program.Abandon(); }

  private:
    GlProgram program;
    GLint rectangles = -1;
    GLint sources = -1;
    GLint colours = -1;
    GLint coverage = -1;
};

// The product a * b of two row-vector matrices: a point goes through a first.
D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);
