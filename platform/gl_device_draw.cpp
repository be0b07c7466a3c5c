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
    const HRESULT textDrawn = DrawQueuedCoverage();
    if (FAILED(textDrawn)) return textDrawn;

    BindBackBuffer();
    glState.ColourMask(true);
    glState.DepthMask(true);
    // Clearing the alpha of a format without one to 1 keeps it opaque, as
    // masking would, without a masked clear.
    const float alpha =
        backBufferShape.hasAlpha ? static_cast<float>((color >> 24) & 0xFF) / 255.0f : 1.0f;
    glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(color & 0xFF) / 255.0f, alpha);
    glClearDepth(z);
    glState.Switch(GL_DITHER, false);
    if (count == 0 || rects == nullptr) {
        glState.Switch(GL_SCISSOR_TEST, false);
        glClear(mask);
        return D3D_OK;
    }
    // Rectangles count rows from the top; GL's scissor counts from the bottom.
    const LONG width = static_cast<LONG>(backBufferShape.width);
    const LONG height = static_cast<LONG>(backBufferShape.height);
    glState.Switch(GL_SCISSOR_TEST, true);
    for (DWORD i = 0; i < count; ++i) {
        const LONG left = std::clamp(rects[i].x1, 0, width);
        const LONG right = std::clamp(rects[i].x2, 0, width);
        const LONG top = std::clamp(rects[i].y1, 0, height);
        const LONG bottom = std::clamp(rects[i].y2, 0, height);
        if (right <= left || bottom <= top) continue;
        glScissor(left, height - bottom, right - left, bottom - top);
        glClear(mask);
    }
    glState.Switch(GL_SCISSOR_TEST, false);
    return D3D_OK;
}

HRESULT GlDevice9::BeginScene() {
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    // Between scenes the window toolkit may have drawn with the context.
    glState.Forget();
    return D3D_OK;
}

HRESULT GlDevice9::EndScene() {
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    return DrawQueuedCoverage();
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
    const HRESULT textDrawn = DrawQueuedCoverage();
    if (FAILED(textDrawn)) return textDrawn;

    BindBackBuffer();
    glState.ColourMask(backBufferShape.hasAlpha);
    glState.Switch(GL_SCISSOR_TEST, false);
    glState.Switch(GL_DITHER, false);
    const bool depthTested = renderStates.zEnable != D3DZB_FALSE && backBufferShape.hasDepth;
    glState.Switch(GL_DEPTH_TEST, depthTested);
    if (depthTested) {
        glState.DepthFunc(GL_LEQUAL);
        glState.DepthMask(renderStates.zWriteEnable != FALSE);
    }
    glState.Switch(GL_BLEND, renderStates.alphaBlendEnable != FALSE);
    if (renderStates.alphaBlendEnable) {
        glState.BlendFunc(BlendFactor(renderStates.sourceBlend),
                          BlendFactor(renderStates.destinationBlend));
    }
    // Both APIs show +y of the projection at the top, so a winding seen on
    // screen is the same winding in GL's window space. Direct3D's default
    // culls the counter-clockwise ones.
    glState.Switch(GL_CULL_FACE, renderStates.cullMode != D3DCULL_NONE);
    if (renderStates.cullMode != D3DCULL_NONE) {
        glState.FrontFace(renderStates.cullMode == D3DCULL_CCW ? GL_CW : GL_CCW);
    }
    glState.BindTexture(stageTexture != nullptr ? stageTexture->Name() : 0);

    glState.UseProgram(fixedFunction.Name());
    if (transformsChanged) {
        const D3DMATRIX worldView = MultiplyMatrices(shading.world, shading.view);
        fixedFunction.UploadTransforms(shading, worldView);
        viewVolume = ViewVolumeOf(MultiplyMatrices(worldView, shading.projection));
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
    glState.BindVertexArray(mesh->vertexArray.Get());

    for (size_t range = 0; range < mesh->ranges.size(); ++range) {
        const MeshRange& drawn = mesh->ranges[range].range;
        if (drawn.firstIndex == firstIndex && drawn.indexCount == indexCount) {
            DrawInSight(*mesh, range);
            return D3D_OK;
        }
    }
    DrawIndices(firstIndex, indexCount);
    return D3D_OK;
}

void GlDevice9::DrawInSight(GlMeshBuffers9& mesh, size_t rangeNumber) {
    const PiecedRange& range = mesh.ranges[rangeNumber];
    const MeshRange& whole = range.range;
    piecesInSight.resize(range.pieces.size());
    size_t inSight = 0;
    for (size_t piece = 0; piece < range.pieces.size(); ++piece) {
        piecesInSight[piece] = MayBeSeen(viewVolume, range.pieces[piece]) ? 1 : 0;
        inSight += piecesInSight[piece];
    }
    if (inSight == 0) return;
    if (inSight == range.pieces.size()) {
        DrawIndices(whole.firstIndex, whole.indexCount);
        return;
    }
    // Gathered again only when other pieces come into sight or leave it,
    // which is not every frame.
    GlMeshBuffers9::Sight& sight = mesh.sightOfRange[rangeNumber];
    glState.BindVertexArray(mesh.gatheredArray.Get());
    if (sight.pieces != piecesInSight) {
        gathered.resize(whole.indexCount);
        sight.indexCount =
            GatherInSight(range, mesh.givenIndices.data(), piecesInSight, gathered.data());
        sight.pieces = piecesInSight;
        glBufferSubData(
            GL_ELEMENT_ARRAY_BUFFER,
            static_cast<GLintptr>(whole.firstIndex) * static_cast<GLintptr>(sizeof(uint32_t)),
            static_cast<GLsizeiptr>(sight.indexCount) * static_cast<GLsizeiptr>(sizeof(uint32_t)),
            gathered.data());
    }
    DrawIndices(whole.firstIndex, sight.indexCount);
}

void GlDevice9::DrawIndices(UINT firstIndex, UINT indexCount) {
    glDrawElements(
        GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT,
        reinterpret_cast<const void*>(static_cast<uintptr_t>(firstIndex) * sizeof(uint32_t)));
}

HRESULT GlDevice9::DrawCoverage(LONG left, LONG top, UINT width, UINT height,
                                const uint8_t* coverage, D3DCOLOR color) {
    if (width > 0 && height > 0 && coverage == nullptr) return D3DERR_INVALIDCALL;
    if (!inScene) return D3DERR_INVALIDCALL;
    if (width == 0 || height == 0) return D3D_OK;
    if (width > static_cast<UINT>(largestTexture) || height > static_cast<UINT>(largestTexture)) {
        return D3DERR_INVALIDCALL;
    }
    UINT queuedRows = 0;
    for (const CoverageProgram::Rectangle& queued : queuedRectangles) queuedRows += queued.height;
    if (queuedRectangles.size() == CoverageProgram::batchSize ||
        height > static_cast<UINT>(largestTexture) - queuedRows) {
        if (!owner->Bind()) return D3DERR_DEVICELOST;
        const HRESULT drawn = DrawQueuedCoverage();
        if (FAILED(drawn)) return drawn;
        queuedRows = 0;
    }

    // Back-buffer pixels, rows from the top, to normalised device coordinates.
    const float backWidth = static_cast<float>(backBufferShape.width);
    const float backHeight = static_cast<float>(backBufferShape.height);
    CoverageProgram::Rectangle queued{
        {2.0f * static_cast<float>(left) / backWidth - 1.0f,
         1.0f - 2.0f * (static_cast<float>(top) + static_cast<float>(height)) / backHeight,
         2.0f * (static_cast<float>(left) + static_cast<float>(width)) / backWidth - 1.0f,
         1.0f - 2.0f * static_cast<float>(top) / backHeight},
        queuedRows,
        width,
        height,
        color};
    queuedRectangles.push_back(queued);
    queuedMasks.insert(queuedMasks.end(), coverage,
                       coverage + static_cast<size_t>(width) * static_cast<size_t>(height));
    return D3D_OK;
}

HRESULT GlDevice9::DrawQueuedCoverage() {
    if (queuedRectangles.empty()) return D3D_OK;
    // The masks stacked into one texture as wide as the widest, each row
    // padded; a texture already large enough is written over, not remade.
    UINT widest = 0;
    UINT rows = 0;
    for (const CoverageProgram::Rectangle& queued : queuedRectangles) {
        widest = std::max(widest, queued.width);
        rows += queued.height;
    }
    stackedMasks.assign(static_cast<size_t>(widest) * rows, 0);
    const uint8_t* mask = queuedMasks.data();
    for (const CoverageProgram::Rectangle& queued : queuedRectangles) {
        for (UINT row = 0; row < queued.height; ++row) {
            std::copy_n(
                mask, queued.width,
                stackedMasks.begin() + static_cast<ptrdiff_t>((queued.firstRow + row) * widest));
            mask += queued.width;
        }
    }

    glState.BindTexture(coverageTexture.Get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (widest > coverageWidth || rows > coverageHeight) {
        coverageWidth = std::max(widest, coverageWidth);
        coverageHeight = std::max(rows, coverageHeight);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, static_cast<GLsizei>(coverageWidth),
                     static_cast<GLsizei>(coverageHeight), 0, GL_RED, GL_UNSIGNED_BYTE, nullptr);
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(widest),
                    static_cast<GLsizei>(rows), GL_RED, GL_UNSIGNED_BYTE, stackedMasks.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    BindBackBuffer();
    glState.ColourMask(backBufferShape.hasAlpha);
    glState.Switch(GL_SCISSOR_TEST, false);
    glState.Switch(GL_DITHER, false);
    glState.Switch(GL_DEPTH_TEST, false);
    glState.Switch(GL_CULL_FACE, false);
    glState.Switch(GL_BLEND, true);
    glState.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glState.UseProgram(coverageProgram.Name());
    glState.BindVertexArray(emptyVertexArray.Get());
    coverageProgram.Draw(queuedRectangles.data(), queuedRectangles.size(), coverageWidth,
                         coverageHeight);
    queuedRectangles.clear();
    queuedMasks.clear();
    return D3D_OK;
}

}  // namespace gl_device
