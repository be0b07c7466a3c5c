#pragma once
// Owners of OpenGL object names. Each deletes its name when it goes, which
// needs the context that made it to be current; when that context is already
// gone, Abandon() drops the name instead, since the driver freed it with the
// context.
#include <epoxy/gl.h>

#include <utility>

template <typename Deleter>
class GlName {
  public:
    GlName() = default;
    explicit GlName(GLuint made) : name(made) {}
    ~GlName() { Reset(); }
    GlName(GlName&& other) noexcept : name(std::exchange(other.name, 0)) {}
    GlName& operator=(GlName&& other) noexcept {
        if (this != &other) {
            Reset();
            name = std::exchange(other.name, 0);
        }
        return *this;
    }
    GlName(const GlName&) = delete;
    GlName& operator=(const GlName&) = delete;

    GLuint Get() const { return name; }
    explicit operator bool() const { return name != 0; }

    void Reset() {
        if (name != 0) Deleter{}(name);
        name = 0;
    }
    void Abandon() { name = 0; }

  private:
    GLuint name = 0;
};

struct GlBufferDeleter {
    void operator()(GLuint name) const { glDeleteBuffers(1, &name); }
};
struct GlVertexArrayDeleter {
    void operator()(GLuint name) const { glDeleteVertexArrays(1, &name); }
};
struct GlTextureDeleter {
    void operator()(GLuint name) const { glDeleteTextures(1, &name); }
};
struct GlFramebufferDeleter {
    void operator()(GLuint name) const { glDeleteFramebuffers(1, &name); }
};
struct GlRenderbufferDeleter {
    void operator()(GLuint name) const { glDeleteRenderbuffers(1, &name); }
};
struct GlShaderDeleter {
    void operator()(GLuint name) const { glDeleteShader(name); }
};
struct GlProgramDeleter {
    void operator()(GLuint name) const { glDeleteProgram(name); }
};

using GlBuffer = GlName<GlBufferDeleter>;
using GlVertexArray = GlName<GlVertexArrayDeleter>;
using GlTexture = GlName<GlTextureDeleter>;
using GlFramebuffer = GlName<GlFramebufferDeleter>;
using GlRenderbuffer = GlName<GlRenderbufferDeleter>;
using GlShader = GlName<GlShaderDeleter>;
using GlProgram = GlName<GlProgramDeleter>;

inline GLuint GenGlName(void (*generate)(GLsizei, GLuint*)) {
    GLuint name = 0;
    generate(1, &name);
    return name;
}
