#include "platform/gl_programs.h"

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

// A quad from the vertex index alone (a four-vertex strip), so the font's blit
// needs no vertex buffer.
const char* const coverageVertexSource = R"(
uniform vec4 rectangle;
out vec2 coverageCoordinate;

void main() {
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    gl_Position = vec4(mix(rectangle.xy, rectangle.zw, corner), 0.0, 1.0);
    // Row 0 of the mask is its top row.
    coverageCoordinate = vec2(corner.x, 1.0 - corner.y);
}
)";

const char* const coverageFragmentSource = R"(
in vec2 coverageCoordinate;
uniform sampler2D coverage;
uniform vec4 colour;
out vec4 fragmentColour;

void main() {
    fragmentColour = vec4(colour.rgb, colour.a * texture(coverage, coverageCoordinate).r);
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
void NormalMatrix(const D3DMATRIX& m, float out[9]) {
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

bool UniformValues::Differ(GLint location, const float* values, int count) {
    if (location < 0 || location >= kept || count > 16) return true;
    const size_t bytes = sizeof(float) * static_cast<size_t>(count);
    auto& slot = held[static_cast<size_t>(location)];
    if (known[static_cast<size_t>(location)] && std::memcmp(slot.data(), values, bytes) == 0)
        return false;
    std::memcpy(slot.data(), values, bytes);
    known[static_cast<size_t>(location)] = true;
    return true;
}

bool FixedFunctionProgram::Build(std::string& error) {
    sent.Forget();
    program = LinkProgram(fixedFunctionVertexSource, fixedFunctionFragmentSource, error);
    if (!program) return false;
    const GLuint name = program.Get();
    worldView = glGetUniformLocation(name, "worldView");
    projection = glGetUniformLocation(name, "projection");
    normalMatrix = glGetUniformLocation(name, "normalMatrix");
    lighting = glGetUniformLocation(name, "lighting");
    specularEnable = glGetUniformLocation(name, "specularEnable");
    ambient = glGetUniformLocation(name, "ambient");
    materialDiffuse = glGetUniformLocation(name, "materialDiffuse");
    materialAmbient = glGetUniformLocation(name, "materialAmbient");
    materialSpecular = glGetUniformLocation(name, "materialSpecular");
    materialEmissive = glGetUniformLocation(name, "materialEmissive");
    materialPower = glGetUniformLocation(name, "materialPower");
    lightEnabled = glGetUniformLocation(name, "lightEnabled");
    lightIsDirectional = glGetUniformLocation(name, "lightIsDirectional");
    lightPosition = glGetUniformLocation(name, "lightPosition");
    lightToward = glGetUniformLocation(name, "lightToward");
    lightDiffuse = glGetUniformLocation(name, "lightDiffuse");
    lightSpecular = glGetUniformLocation(name, "lightSpecular");
    lightAmbient = glGetUniformLocation(name, "lightAmbient");
    lightRange = glGetUniformLocation(name, "lightRange");
    lightAttenuation = glGetUniformLocation(name, "lightAttenuation");
    textureBound = glGetUniformLocation(name, "textureBound");
    stageTexture = glGetUniformLocation(name, "stageTexture");
    glUseProgram(name);
    glUniform1i(stageTexture, 0);
    return true;
}

void FixedFunctionProgram::Use() const {
    glUseProgram(program.Get());
}

void FixedFunctionProgram::Send(GLint location, bool value) const {
    const float held = value ? 1.0f : 0.0f;
    if (sent.Differ(location, &held, 1)) glUniform1i(location, value ? 1 : 0);
}

void FixedFunctionProgram::Send(GLint location, float value) const {
    if (sent.Differ(location, &value, 1)) glUniform1f(location, value);
}

void FixedFunctionProgram::Send(GLint location, float x, float y, float z) const {
    const float values[3] = {x, y, z};
    if (sent.Differ(location, values, 3)) glUniform3f(location, x, y, z);
}

void FixedFunctionProgram::Send(GLint location, const D3DCOLORVALUE& colour) const {
    Send(location, colour.r, colour.g, colour.b);
}

void FixedFunctionProgram::Send(GLint location, D3DCOLOR colour) const {
    Send(location, static_cast<float>((colour >> 16) & 0xFF) / 255.0f,
         static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
         static_cast<float>(colour & 0xFF) / 255.0f);
}

void FixedFunctionProgram::UploadTransforms(const FixedFunctionState& state) const {
    const D3DMATRIX worldViewMatrix = MultiplyMatrices(state.world, state.view);
    if (sent.Differ(worldView, &worldViewMatrix.m[0][0], 16))
        glUniformMatrix4fv(worldView, 1, GL_FALSE, &worldViewMatrix.m[0][0]);
    if (sent.Differ(projection, &state.projection.m[0][0], 16))
        glUniformMatrix4fv(projection, 1, GL_FALSE, &state.projection.m[0][0]);
    float normals[9];
    NormalMatrix(worldViewMatrix, normals);
    if (sent.Differ(normalMatrix, normals, 9))
        glUniformMatrix3fv(normalMatrix, 1, GL_FALSE, normals);

    // Direct3D keeps lights in world space and lights in camera space, so the
    // light follows the view of the moment it is drawn with.
    const D3DVECTOR position = TransformPoint(state.light.Position, state.view);
    Send(lightPosition, position.x, position.y, position.z);
    const D3DVECTOR direction = Normalised(TransformDirection(state.light.Direction, state.view));
    Send(lightToward, -direction.x, -direction.y, -direction.z);
}

void FixedFunctionProgram::UploadShading(const FixedFunctionState& state) const {
    Send(lighting, state.lighting);
    Send(specularEnable, state.specularEnable);
    Send(textureBound, state.textureBound);
    Send(ambient, state.ambient);

    const D3DMATERIAL9& material = state.material;
    const float diffuse[4] = {material.Diffuse.r, material.Diffuse.g, material.Diffuse.b,
                              material.Diffuse.a};
    if (sent.Differ(materialDiffuse, diffuse, 4)) glUniform4fv(materialDiffuse, 1, diffuse);
    Send(materialAmbient, material.Ambient);
    Send(materialSpecular, material.Specular);
    Send(materialEmissive, material.Emissive);
    Send(materialPower, material.Power);

    const D3DLIGHT9& light = state.light;
    Send(lightEnabled, state.lightEnabled);
    Send(lightIsDirectional, light.Type == D3DLIGHT_DIRECTIONAL);
    Send(lightDiffuse, light.Diffuse);
    Send(lightSpecular, light.Specular);
    Send(lightAmbient, light.Ambient);
    Send(lightRange, light.Range);
    Send(lightAttenuation, light.Attenuation0, light.Attenuation1, light.Attenuation2);
}

bool CoverageProgram::Build(std::string& error) {
    program = LinkProgram(coverageVertexSource, coverageFragmentSource, error);
    if (!program) return false;
    rectangle = glGetUniformLocation(program.Get(), "rectangle");
    colour = glGetUniformLocation(program.Get(), "colour");
    coverage = glGetUniformLocation(program.Get(), "coverage");
    glUseProgram(program.Get());
    glUniform1i(coverage, 0);
    return true;
}

void CoverageProgram::Use(const float rectangleCorners[4], D3DCOLOR colourValue) const {
    glUseProgram(program.Get());
    glUniform4fv(rectangle, 1, rectangleCorners);
    glUniform4f(colour, static_cast<float>((colourValue >> 16) & 0xFF) / 255.0f,
                static_cast<float>((colourValue >> 8) & 0xFF) / 255.0f,
                static_cast<float>(colourValue & 0xFF) / 255.0f,
                static_cast<float>((colourValue >> 24) & 0xFF) / 255.0f);
}
