// The Direct3D 9 device on OpenGL: Clear, the scene's bracket and the draw
// calls, each setting the GL state it needs from the recorded states.
#include "platform/gl_device_parts.h"

namespace gl_device {

namespace {

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        default:
            return GL_ONE;
    }
}

}  // namespace

HRESULT GlDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                         DWORD /*stencil*/) {
    if ((flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) != 0) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && !backBufferShape.hasDepth) return D3DERR_INVALIDCALL;
    if (count > 0 && rects == nullptr) return D3DERR_INVALIDCALL;
    if (!(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;

    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) mask |= GL_COLOR_BUFFER_BIT;
    if ((flags & D3DCLEAR_ZBUFFER) != 0) mask |= GL_DEPTH_BUFFER_BIT;
    if (mask == 0) return D3D_OK;

    BindBackBuffer();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    // Clearing the alpha of a format without one to 1 keeps it opaque, as
    // masking would, without a masked clear.
    const float alpha =
        backBufferShape.hasAlpha ? static_cast<float>((color >> 24) & 0xFF) / 255.0f : 1.0f;
    glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(color & 0xFF) / 255.0f, alpha);
    glClearDepth(z);
    glDisable(GL_DITHER);
    if (count == 0 || rects == nullptr) {
        glDisable(GL_SCISSOR_TEST);
        glClear(mask);
        return D3D_OK;
    }
    // Rectangles count rows from the top; GL's scissor counts from the bottom.
    const LONG width = static_cast<LONG>(backBufferShape.width);
    const LONG height = static_cast<LONG>(backBufferShape.height);
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < count; ++i) {
        const LONG left = std::clamp(rects[i].x1, 0, width);
        const LONG right = std::clamp(rects[i].x2, 0, width);
        const LONG top = std::clamp(rects[i].y1, 0, height);
        const LONG bottom = std::clamp(rects[i].y2, 0, height);
        if (right <= left || bottom <= top) continue;
        glScissor(left, height - bottom, right - left, bottom - top);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

HRESULT GlDevice9::BeginScene() {
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT GlDevice9::EndScene() {
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

HRESULT GlDevice9::DrawMeshBuffers(IDirect3DMeshBuffers9* buffers, UINT firstIndex,
                                   UINT indexCount) {
    auto* mesh = dynamic_cast<GlMeshBuffers9*>(buffers);
    if (mesh == nullptr || mesh->owner != owner) return D3DERR_INVALIDCALL;
    if (firstIndex > mesh->indexCount || indexCount > mesh->indexCount - firstIndex) {
        return D3DERR_INVALIDCALL;
    }
    if (!inScene) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    if (indexCount == 0) return D3D_OK;

    BindBackBuffer();
    ApplyColourMask();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DITHER);
    if (renderStates.zEnable != D3DZB_FALSE && backBufferShape.hasDepth) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(renderStates.zWriteEnable ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    if (renderStates.alphaBlendEnable) {
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(BlendFactor(renderStates.sourceBlend),
                    BlendFactor(renderStates.destinationBlend));
    } else {
        glDisable(GL_BLEND);
    }
    // Both APIs show +y of the projection at the top, so a winding seen on
    // screen is the same winding in GL's window space. Direct3D's default
    // culls the counter-clockwise ones.
    if (renderStates.cullMode == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(renderStates.cullMode == D3DCULL_CCW ? GL_CW : GL_CCW);
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, stageTexture != nullptr ? stageTexture->Name() : 0);

    fixedFunction.Use();
    if (transformsChanged) {
        fixedFunction.UploadTransforms(shading);
        transformsChanged = false;
    }
    if (shadingChanged) {
        shading.lighting = renderStates.lighting != FALSE;
        shading.specularEnable = renderStates.specularEnable != FALSE;
        shading.ambient = renderStates.ambient;
        shading.textureBound = stageTexture != nullptr;
        fixedFunction.UploadShading(shading);
        shadingChanged = false;
    }
    glBindVertexArray(mesh->vertexArray.Get());
    glDrawElements(
        GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT,
        reinterpret_cast<const void*>(static_cast<uintptr_t>(firstIndex) * sizeof(uint32_t)));
    glBindVertexArray(0);
    return D3D_OK;
}

HRESULT GlDevice9::DrawCoverage(LONG left, LONG top, UINT width, UINT height,
                                const uint8_t* coverage, D3DCOLOR color) {
    if (width > 0 && height > 0 && coverage == nullptr) return D3DERR_INVALIDCALL;
    if (!inScene) return D3DERR_INVALIDCALL;
    if (width == 0 || height == 0) return D3D_OK;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > static_cast<UINT>(largest) || height > static_cast<UINT>(largest)) {
        return D3DERR_INVALIDCALL;
    }

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, coverageTexture.Get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (width != coverageWidth || height != coverageHeight) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, static_cast<GLsizei>(width),
                     static_cast<GLsizei>(height), 0, GL_RED, GL_UNSIGNED_BYTE, coverage);
        coverageWidth = width;
        coverageHeight = height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height), GL_RED, GL_UNSIGNED_BYTE, coverage);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    BindBackBuffer();
    ApplyColourMask();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Back-buffer pixels, rows from the top, to normalised device coordinates.
    const float backWidth = static_cast<float>(backBufferShape.width);
    const float backHeight = static_cast<float>(backBufferShape.height);
    const float rectangle[4] = {
        2.0f * static_cast<float>(left) / backWidth - 1.0f,
        1.0f - 2.0f * (static_cast<float>(top) + static_cast<float>(height)) / backHeight,
        2.0f * (static_cast<float>(left) + static_cast<float>(width)) / backWidth - 1.0f,
        1.0f - 2.0f * static_cast<float>(top) / backHeight};
    coverageProgram.Use(rectangle, color);
    glBindVertexArray(emptyVertexArray.Get());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return D3D_OK;
}

}  // namespace gl_device
