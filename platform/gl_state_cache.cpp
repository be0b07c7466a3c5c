#include "platform/gl_state_cache.h"

namespace {

GLboolean AsGl(bool value) {
    return value ? GL_TRUE : GL_FALSE;
}

}  // namespace

GlStateCache::Known* GlStateCache::Slot(GLenum capability) {
    switch (capability) {
        case GL_DEPTH_TEST:
            return &depthTest;
        case GL_BLEND:
            return &blend;
        case GL_CULL_FACE:
            return &cullFace;
        case GL_SCISSOR_TEST:
            return &scissorTest;
        case GL_DITHER:
            return &dither;
        default:
            return nullptr;
    }
}

void GlStateCache::Switch(GLenum capability, bool on) {
    Known* slot = Slot(capability);
    const Known wanted = on ? Known::On : Known::Off;
    if (slot != nullptr && *slot == wanted) return;
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
    if (slot != nullptr) *slot = wanted;
}

void GlStateCache::DepthFunc(GLenum function) {
    if (depthFunction == function) return;
    glDepthFunc(function);
    depthFunction = function;
}

void GlStateCache::DepthMask(bool write) {
    const Known wanted = write ? Known::On : Known::Off;
    if (depthWrite == wanted) return;
    glDepthMask(AsGl(write));
    depthWrite = wanted;
}

void GlStateCache::ColourMask(bool alpha) {
    const Known wanted = alpha ? Known::On : Known::Off;
    if (alphaWrite == wanted) return;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, AsGl(alpha));
    alphaWrite = wanted;
}

void GlStateCache::BlendFunc(GLenum source, GLenum destination) {
    if (blendSource == source && blendDestination == destination) return;
    // The equation is never anything but addition; it goes with the first
    // factors set after the cache forgot.
    if (blendSource == unknownEnum) glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(source, destination);
    blendSource = source;
    blendDestination = destination;
}

void GlStateCache::FrontFace(GLenum winding) {
    if (frontFace == winding) return;
    // Only back faces are ever culled; set with the first winding.
    if (frontFace == unknownEnum) glCullFace(GL_BACK);
    glFrontFace(winding);
    frontFace = winding;
}

void GlStateCache::DrawTo(GLuint drawnTo, GLsizei width, GLsizei height) {
    if (framebuffer != drawnTo) {
        glBindFramebuffer(GL_FRAMEBUFFER, drawnTo);
        framebuffer = drawnTo;
    }
    if (viewportWidth != width || viewportHeight != height) {
        glViewport(0, 0, width, height);
        viewportWidth = width;
        viewportHeight = height;
    }
}

void GlStateCache::UseProgram(GLuint used) {
    if (program == used) return;
    glUseProgram(used);
    program = used;
}

void GlStateCache::BindTexture(GLuint bound) {
    if (!unitZeroActive) {
        glActiveTexture(GL_TEXTURE0);
        unitZeroActive = true;
    }
    if (texture == bound) return;
    glBindTexture(GL_TEXTURE_2D, bound);
    texture = bound;
}

void GlStateCache::BindVertexArray(GLuint bound) {
    if (vertexArray == bound) return;
    glBindVertexArray(bound);
    vertexArray = bound;
}
