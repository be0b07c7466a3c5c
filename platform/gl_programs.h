#pragma once
// The two GLSL programs of the Direct3D stand-in: one that does what Direct3D
// 9's fixed-function pipeline does for the game's meshes, and one that blends
// a colour through a coverage mask for the font.
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
    void Use() const;
    // Uploads the transforms (world, view, projection) and, since Direct3D
    // lights in camera space, the light that depends on the view.
    void UploadTransforms(const FixedFunctionState& state) const;
    // Material, light colours and switches, ambient, texture presence.
    void UploadShading(const FixedFunctionState& state) const;
    void Abandon() { program.Abandon(); }

  private:
    GlProgram program;
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
