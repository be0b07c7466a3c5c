// The Direct3D 9 device on OpenGL: textures made from pixels and the buffers
// of a mesh, in GL names owned by the device's context.
#include "platform/gl_device_parts.h"

namespace gl_device {

void SamplePointsWithoutMipmaps(GLint wrap) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
}

HRESULT GlDevice9::CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                           IDirect3DTexture9** texture) {
    if (texture == nullptr) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (rgba == nullptr || width == 0 || height == 0) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    if (width > static_cast<UINT>(largestTexture) || height > static_cast<UINT>(largestTexture)) {
        return D3DERR_INVALIDCALL;
    }
    ClearGlErrors();
    GlTexture name(GenGlName(glGenTextures));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name.Get());
    SamplePointsWithoutMipmaps(GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // Rows go up top row first, so texture coordinate v = 0 is the image's
    // top, as Direct3D addresses it.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindTexture(GL_TEXTURE_2D, 0);
    glState.Forget();
    if (glGetError() != GL_NO_ERROR) return E_OUTOFMEMORY;
    *texture = new GlTexture9(owner, width, height, std::move(name));
    return D3D_OK;
}

HRESULT GlDevice9::CreateMeshBuffers(const D3DVERTEX* vertices, UINT vertexCount,
                                     const uint32_t* indices, UINT indexCount,
                                     const MeshRange* ranges, UINT rangeCount,
                                     IDirect3DMeshBuffers9** buffers) {
    if (buffers == nullptr) return D3DERR_INVALIDCALL;
    *buffers = nullptr;
    if ((vertexCount > 0 && vertices == nullptr) || (indexCount > 0 && indices == nullptr) ||
        (rangeCount > 0 && ranges == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    // An index past the vertices would have the driver read outside the buffer.
    for (UINT i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) return D3DERR_INVALIDCALL;
    }
    if (!owner->Bind()) return D3DERR_DEVICELOST;

    auto* made = new GlMeshBuffers9(owner, indexCount);
    made->ranges = SplitIntoPieces(vertices, vertexCount, indices, indexCount, ranges, rangeCount);
    made->vertexBuffer = GlBuffer(GenGlName(glGenBuffers));
    glBindBuffer(GL_ARRAY_BUFFER, made->vertexBuffer.Get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(D3DVERTEX)) * vertexCount,
                 vertices, GL_STATIC_DRAW);
    made->vertexArray = GlVertexArray(GenGlName(glGenVertexArrays));
    made->indexBuffer = GlBuffer(GenGlName(glGenBuffers));
    DescribeVertices(made->vertexArray.Get(), made->indexBuffer.Get(), indices, indexCount,
                     GL_STATIC_DRAW);
    // A range of several pieces is drawn from a second list, into which the
    // triangles in sight are gathered whenever the pieces in sight change.
    const bool gathers =
        std::any_of(made->ranges.begin(), made->ranges.end(),
                    [](const PiecedRange& range) { return range.pieces.size() > 1; });
    if (gathers) {
        made->givenIndices.assign(indices, indices + indexCount);
        made->sightOfRange.resize(made->ranges.size());
        made->gatheredArray = GlVertexArray(GenGlName(glGenVertexArrays));
        made->gatheredIndices = GlBuffer(GenGlName(glGenBuffers));
        DescribeVertices(made->gatheredArray.Get(), made->gatheredIndices.Get(), indices,
                         indexCount, GL_DYNAMIC_DRAW);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glState.Forget();
    *buffers = made;
    return D3D_OK;
}

// Makes `vertexArray` read the bound vertex buffer as D3DVERTEX and
// `indexBuffer` as its indices, filled with `indices`.
void GlDevice9::DescribeVertices(GLuint vertexArray, GLuint indexBuffer, const uint32_t* indices,
                                 UINT indexCount, GLenum usage) {
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint32_t)) * indexCount,
                 indices, usage);
    constexpr GLsizei stride = sizeof(D3DVERTEX);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(D3DVERTEX, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(D3DVERTEX, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(D3DVERTEX, u)));
}

}  // namespace gl_device
