#include "platform/gl_programs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/shader_version.h"

namespace {

// Matrices are uploaded as Direct3D lays them out, row after row. GLSL reads
// each row as a column, so `matrix * v` in the shaders is Direct3D's v * M.
const char* const fixedFunctionVertexSource = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 textureCoordinate;

uniform mat4 worldView;
uniform mat4 projection;
uniform mat3 normalMatrix;

uniform bool lighting;
uniform bool specularEnable;
uniform vec3 ambient;

uniform vec4 materialDiffuse;
uniform vec3 materialAmbient;
uniform vec3 materialSpecular;
uniform vec3 materialEmissive;
uniform float materialPower;

uniform bool lightEnabled;
uniform bool lightIsDirectional;
uniform vec3 lightPosition;
uniform vec3 lightToward;
uniform vec3 lightDiffuse;
uniform vec3 lightSpecular;
uniform vec3 lightAmbient;
uniform float lightRange;
uniform vec3 lightAttenuation;

out vec4 diffuseColour;
out vec3 specularColour;
out vec2 stageCoordinate;

vec3 Direction(vec3 v) {
    float size = length(v);
    return size > 0.0 ? v / size : vec3(0.0);
}

void main() {
    vec4 viewPosition = worldView * vec4(position, 1.0);
    vec4 clip = projection * viewPosition;
    // Direct3D's projection puts depth in 0..w; GL clips and maps -w..w.
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    stageCoordinate = textureCoordinate;

    if (!lighting) {
        diffuseColour = vec4(1.0);
        specularColour = vec3(0.0);
        return;
    }

    // Like Direct3D without D3DRS_NORMALIZENORMALS, the transformed normal is
    // used as it comes.
    vec3 n = normalMatrix * normal;
    vec3 lit = materialEmissive + ambient * materialAmbient;
    vec3 specular = vec3(0.0);
    if (lightEnabled) {
        vec3 toLight = lightToward;
        float attenuation = 1.0;
        bool reaches = true;
        if (!lightIsDirectional) {
            vec3 offset = lightPosition - viewPosition.xyz;
            float distance = length(offset);
            reaches = distance <= lightRange;
            toLight = Direction(offset);
            // The headlight has all three factors 0: no fall-off rather than
            // a division by zero.
            float denominator = dot(lightAttenuation, vec3(1.0, distance, distance * distance));
            attenuation = denominator > 0.0 ? 1.0 / denominator : 1.0;
        }
        if (reaches) {
            lit += attenuation * lightAmbient * materialAmbient;
            float facing = dot(n, toLight);
            if (facing > 0.0) {
                lit += attenuation * facing * lightDiffuse * materialDiffuse.rgb;
                if (specularEnable) {
                    // Direct3D's local viewer: the eye sits at the camera-space origin.
                    vec3 halfway = Direction(Direction(-viewPosition.xyz) + toLight);
                    float highlight = dot(n, halfway);
                    if (highlight > 0.0) {
                        specular = attenuation * pow(highlight, materialPower) * lightSpecular *
                                   materialSpecular;
                    }
                }
            }
        }
    }
    diffuseColour = vec4(clamp(lit, 0.0, 1.0), clamp(materialDiffuse.a, 0.0, 1.0));
    specularColour = clamp(specular, 0.0, 1.0);
}
)";

// Texture stage 0 as Direct3D sets it up: colour = texture x diffuse, alpha =
// texture alpha. With no texture the stage passes the lit colour and its alpha
// through. Specular is added after texturing, as the fixed pipeline does.
const char* const fixedFunctionFragmentSource = R"(
in vec4 diffuseColour;
in vec3 specularColour;
in vec2 stageCoordinate;

uniform sampler2D stageTexture;
uniform bool textureBound;
uniform bool specularEnable;

out vec4 fragmentColour;

void main() {
    vec4 colour = diffuseColour;
    if (textureBound) {
        vec4 texel = texture(stageTexture, stageCoordinate);
        colour = vec4(texel.rgb * diffuseColour.rgb, texel.a);
    }
    if (specularEnable) colour.rgb = min(colour.rgb + specularColour, vec3(1.0));
    fragmentColour = colour;
}
)";

// Quads from the vertex index alone (six vertices each, two triangles with
// the diagonal of a four-vertex strip), so the font's text needs no vertex
// buffer.
const char* const coverageVertexSource = R"(
uniform vec4 rectangles[8];
uniform vec4 sources[8];
uniform vec4 colours[8];
out vec2 coverageCoordinate;
flat out vec4 rectangleColour;

void main() {
    int quad = gl_VertexID / 6;
    int corner = gl_VertexID - 6 * quad;
    // Corners 0 1 2, 2 1 3 of the strip (0, 0) (1, 0) (0, 1) (1, 1).
    int strip = corner < 3 ? corner : (corner == 3 ? 2 : (corner == 4 ? 1 : 3));
    vec2 along = vec2(float(strip & 1), float(strip >> 1));
    vec4 place = rectangles[quad];
    gl_Position = vec4(mix(place.xy, place.zw, along), 0.0, 1.0);
    // Row 0 of a mask is its top row.
    vec4 source = sources[quad];
    coverageCoordinate = vec2(source.x * along.x, source.y + source.w * (1.0 - along.y));
    rectangleColour = colours[quad];
}
)";

const char* const coverageFragmentSource = R"(
in vec2 coverageCoordinate;
flat in vec4 rectangleColour;
uniform sampler2D coverage;
out vec4 fragmentColour;

void main() {
    fragmentColour =
        vec4(rectangleColour.rgb, rectangleColour.a * texture(coverage, coverageCoordinate).r);
}
)";

std::string ShaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
    return log.data();
}

std::string ProgramLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, log.data());
    return log.data();
}

GlShader CompileShader(GLenum kind, const char* source, std::string& error) {
    GlShader shader(glCreateShader(kind));
    const char* const parts[] = {ShaderPreamble(), source};
    glShaderSource(shader.Get(), 2, parts, nullptr);
    glCompileShader(shader.Get());
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader.Get(), GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        error = ShaderLog(shader.Get());
        return GlShader();
    }
    return shader;
}

GlProgram LinkProgram(const char* vertexSource, const char* fragmentSource, std::string& error) {
    const GlShader vertex = CompileShader(GL_VERTEX_SHADER, vertexSource, error);
    if (!vertex) return GlProgram();
    const GlShader fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource, error);
    if (!fragment) return GlProgram();
    GlProgram program(glCreateProgram());
    glAttachShader(program.Get(), vertex.Get());
    glAttachShader(program.Get(), fragment.Get());
    glLinkProgram(program.Get());
    GLint linked = GL_FALSE;
    glGetProgramiv(program.Get(), GL_LINK_STATUS, &linked);
    glDetachShader(program.Get(), vertex.Get());
    glDetachShader(program.Get(), fragment.Get());
    if (linked != GL_TRUE) {
        error = ProgramLog(program.Get());
        return GlProgram();
    }
    return program;
}

// The matrix that carries normals along with `m` (row vectors): the inverse
// transpose of its upper 3x3. A flattened transform has no inverse; its
// cofactors still point the normals the right way.
void NormalTransform(const D3DMATRIX& m, float out[9]) {
    const float a = m._11, b = m._12, c = m._13;
    const float d = m._21, e = m._22, f = m._23;
    const float g = m._31, h = m._32, i = m._33;
    const float cofactors[9] = {e * i - f * h, f * g - d * i, d * h - e * g,
                                c * h - b * i, a * i - c * g, b * g - a * h,
                                b * f - c * e, c * d - a * f, a * e - b * d};
    const float determinant = a * cofactors[0] + b * cofactors[1] + c * cofactors[2];
    const float scale = std::fabs(determinant) > 1e-12f ? 1.0f / determinant : 1.0f;
    for (int k = 0; k < 9; ++k) out[k] = cofactors[k] * scale;
}

D3DVECTOR TransformPoint(const D3DVECTOR& v, const D3DMATRIX& m) {
    return {v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41,
            v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
            v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43};
}

D3DVECTOR TransformDirection(const D3DVECTOR& v, const D3DMATRIX& m) {
    return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
            v.x * m._13 + v.y * m._23 + v.z * m._33};
}

D3DVECTOR Normalised(const D3DVECTOR& v) {
    const float size = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (size == 0.0f) return {0.0f, 0.0f, 0.0f};
    return {v.x / size, v.y / size, v.z / size};
}

}  // namespace

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX product{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
            product.m[row][column] = sum;
        }
    }
    return product;
}

bool FixedFunctionProgram::Build(std::string& error) {
    known.fill(false);
    program = LinkProgram(fixedFunctionVertexSource, fixedFunctionFragmentSource, error);
    if (!program) return false;
    static const char* const names[UniformCount] = {
        "worldView",          "projection",       "normalMatrix",    "lighting",
        "specularEnable",     "ambient",          "materialDiffuse", "materialAmbient",
        "materialSpecular",   "materialEmissive", "materialPower",   "lightEnabled",
        "lightIsDirectional", "lightPosition",    "lightToward",     "lightDiffuse",
        "lightSpecular",      "lightAmbient",     "lightRange",      "lightAttenuation",
        "textureBound"};
    const GLuint name = program.Get();
    for (size_t i = 0; i < UniformCount; ++i) locations[i] = glGetUniformLocation(name, names[i]);
    glUseProgram(name);
    glUniform1i(glGetUniformLocation(name, "stageTexture"), 0);
    return true;
}

bool FixedFunctionProgram::Differs(Uniform uniform, const float* values, size_t count) {
    std::array<float, 16>& held = sent[uniform];
    if (known[uniform] && std::memcmp(held.data(), values, sizeof(float) * count) == 0) {
        return false;
    }
    std::memcpy(held.data(), values, sizeof(float) * count);
    known[uniform] = true;
    return true;
}

void FixedFunctionProgram::Send(Uniform uniform, bool value) {
    const float held = value ? 1.0f : 0.0f;
    if (Differs(uniform, &held, 1)) glUniform1i(locations[uniform], value ? 1 : 0);
}

void FixedFunctionProgram::Send(Uniform uniform, float value) {
    if (Differs(uniform, &value, 1)) glUniform1f(locations[uniform], value);
}

void FixedFunctionProgram::Send(Uniform uniform, float x, float y, float z) {
    const float values[3] = {x, y, z};
    if (Differs(uniform, values, 3)) glUniform3f(locations[uniform], x, y, z);
}

void FixedFunctionProgram::Send(Uniform uniform, const D3DCOLORVALUE& colour) {
    Send(uniform, colour.r, colour.g, colour.b);
}

void FixedFunctionProgram::Send(Uniform uniform, D3DCOLOR colour) {
    Send(uniform, static_cast<float>((colour >> 16) & 0xFF) / 255.0f,
         static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
         static_cast<float>(colour & 0xFF) / 255.0f);
}

void FixedFunctionProgram::UploadTransforms(const FixedFunctionState& state,
                                            const D3DMATRIX& worldViewMatrix) {
    if (Differs(WorldView, &worldViewMatrix.m[0][0], 16)) {
        glUniformMatrix4fv(locations[WorldView], 1, GL_FALSE, &worldViewMatrix.m[0][0]);
    }
    if (Differs(Projection, &state.projection.m[0][0], 16)) {
        glUniformMatrix4fv(locations[Projection], 1, GL_FALSE, &state.projection.m[0][0]);
    }
    float normals[9];
    NormalTransform(worldViewMatrix, normals);
    if (Differs(NormalMatrix, normals, 9)) {
        glUniformMatrix3fv(locations[NormalMatrix], 1, GL_FALSE, normals);
    }

    // Direct3D keeps lights in world space and lights in camera space, so the
    // light follows the view of the moment it is drawn with.
    const D3DVECTOR position = TransformPoint(state.light.Position, state.view);
    Send(LightPosition, position.x, position.y, position.z);
    const D3DVECTOR direction = Normalised(TransformDirection(state.light.Direction, state.view));
    Send(LightToward, -direction.x, -direction.y, -direction.z);
}

void FixedFunctionProgram::UploadShading(const FixedFunctionState& state) {
    Send(Lighting, state.lighting);
    Send(SpecularEnable, state.specularEnable);
    Send(TextureBound, state.textureBound);
    Send(Ambient, state.ambient);

    const D3DMATERIAL9& material = state.material;
    const float diffuse[4] = {material.Diffuse.r, material.Diffuse.g, material.Diffuse.b,
                              material.Diffuse.a};
    if (Differs(MaterialDiffuse, diffuse, 4)) glUniform4fv(locations[MaterialDiffuse], 1, diffuse);
    Send(MaterialAmbient, material.Ambient);
    Send(MaterialSpecular, material.Specular);
    Send(MaterialEmissive, material.Emissive);
    Send(MaterialPower, material.Power);

    const D3DLIGHT9& light = state.light;
    Send(LightEnabled, state.lightEnabled);
    Send(LightIsDirectional, light.Type == D3DLIGHT_DIRECTIONAL);
    Send(LightDiffuse, light.Diffuse);
    Send(LightSpecular, light.Specular);
    Send(LightAmbient, light.Ambient);
    Send(LightRange, light.Range);
    Send(LightAttenuation, light.Attenuation0, light.Attenuation1, light.Attenuation2);
}

bool CoverageProgram::Build(std::string& error) {
    program = LinkProgram(coverageVertexSource, coverageFragmentSource, error);
    if (!program) return false;
    rectangles = glGetUniformLocation(program.Get(), "rectangles");
    sources = glGetUniformLocation(program.Get(), "sources");
    colours = glGetUniformLocation(program.Get(), "colours");
    coverage = glGetUniformLocation(program.Get(), "coverage");
    glUseProgram(program.Get());
    glUniform1i(coverage, 0);
    return true;
}

void CoverageProgram::Draw(const Rectangle* drawn, size_t count, UINT textureWidth,
                           UINT textureHeight) {
    count = std::min(count, batchSize);
    if (count == 0) return;
    float places[4 * batchSize];
    float reads[4 * batchSize];
    float tints[4 * batchSize];
    const float across = static_cast<float>(textureWidth);
    const float down = static_cast<float>(textureHeight);
    for (size_t i = 0; i < count; ++i) {
        const Rectangle& one = drawn[i];
        std::copy_n(one.corners, 4, places + 4 * i);
        // The width read and the first row and height, in texture coordinates.
        reads[4 * i] = static_cast<float>(one.width) / across;
        reads[4 * i + 1] = static_cast<float>(one.firstRow) / down;
        reads[4 * i + 2] = 0.0f;
        reads[4 * i + 3] = static_cast<float>(one.height) / down;
        tints[4 * i] = static_cast<float>((one.colour >> 16) & 0xFF) / 255.0f;
        tints[4 * i + 1] = static_cast<float>((one.colour >> 8) & 0xFF) / 255.0f;
        tints[4 * i + 2] = static_cast<float>(one.colour & 0xFF) / 255.0f;
        tints[4 * i + 3] = static_cast<float>((one.colour >> 24) & 0xFF) / 255.0f;
    }
    const auto quads = static_cast<GLsizei>(count);
    glUniform4fv(rectangles, quads, places);
    glUniform4fv(sources, quads, reads);
    glUniform4fv(colours, quads, tints);
    glDrawArrays(GL_TRIANGLES, 0, 6 * quads);
}
