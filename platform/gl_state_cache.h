#pragma once
// What the Direct3D stand-in last set in the GL, so that a draw sends only
// what differs from the draw before it. A frame makes some eighty draws, most
// with the same depth, blend and cull settings, the same program and often the
// same texture; each call costs the driver a state check, and in a browser a
// crossing to the GPU process.
//
// What the cache holds is only believed while nothing else touches the GL:
// the device forgets it at the start of every scene and after anything it
// does to the GL outside its draws (making a texture or a mesh's buffers,
// presenting, reading the picture back).
#include <epoxy/gl.h>

class GlStateCache {
  public:
    void Forget() { *this = GlStateCache(); }

    void Switch(GLenum capability, bool on);
    void DepthFunc(GLenum function);
    void DepthMask(bool write);
    void ColourMask(bool alpha);
    void BlendFunc(GLenum source, GLenum destination);
    void FrontFace(GLenum winding);
    // The framebuffer and a viewport of its whole size.
    void DrawTo(GLuint framebuffer, GLsizei width, GLsizei height);
    void UseProgram(GLuint program);
    // Texture unit 0, the only one the device uses.
    void BindTexture(GLuint texture);
    void BindVertexArray(GLuint vertexArray);

  private:
    // A capability's last setting: unknown, off or on.
    enum class Known : unsigned char { Unknown, Off, On };
    static constexpr GLuint unknownName = ~GLuint{0};
    static constexpr GLenum unknownEnum = ~GLenum{0};

    Known* Slot(GLenum capability);

    Known depthTest = Known::Unknown;
    Known blend = Known::Unknown;
    Known cullFace = Known::Unknown;
    Known scissorTest = Known::Unknown;
    Known dither = Known::Unknown;
    Known depthWrite = Known::Unknown;
    Known alphaWrite = Known::Unknown;
    GLenum depthFunction = unknownEnum;
    GLenum blendSource = unknownEnum;
    GLenum blendDestination = unknownEnum;
    GLenum frontFace = unknownEnum;
    GLuint framebuffer = unknownName;
    GLsizei viewportWidth = -1;
    GLsizei viewportHeight = -1;
    GLuint program = unknownName;
    bool unitZeroActive = false;
    GLuint texture = unknownName;
    GLuint vertexArray = unknownName;
};
