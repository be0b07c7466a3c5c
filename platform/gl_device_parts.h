#pragma once
// The parts of the Direct3D 9 device on OpenGL, for the files that make it:
//   gl_device.cpp            creation, presentation parameters, the back
//                            buffer, Present, reading the picture back
//   gl_device_state.cpp      render states, transforms, light, material,
//                            the texture stage
//   gl_device_draw.cpp       Clear, scenes and the draw calls
//   gl_device_resources.cpp  textures and mesh buffers
#include <epoxy/gl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9.h"
#include "platform/gl_context.h"
#include "platform/gl_objects.h"
#include "platform/gl_programs.h"
#include "platform/gl_state_cache.h"

namespace gl_device {

// What the device's textures and meshes share with it: the context their GL
// names live in. They may outlive the device; while the context lives they
// still free their names, and once it has gone there is nothing left to free.
class DeviceContext {
  public:
    explicit DeviceContext(GlContext* drawnTo) : context(drawnTo), alive(drawnTo->Lifetime()) {}

    bool Alive() const { return !alive.expired(); }
    GlContext* Context() const { return Alive() ? context : nullptr; }

    // Makes the context current; false when it is gone or refuses.
    bool Bind() const {
        if (!Alive()) return false;
        return context->IsCurrent() || context->MakeCurrent();
    }

  private:
    GlContext* context;
    std::weak_ptr<const void> alive;
};

class GlTexture9 final : public IDirect3DTexture9 {
  public:
    GlTexture9(std::shared_ptr<const DeviceContext> device, UINT textureWidth, UINT textureHeight,
               GlTexture made)
        : owner(std::move(device)),
          width(textureWidth),
          height(textureHeight),
          texture(std::move(made)) {}

    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) {
            if (!owner->Bind()) texture.Abandon();
            delete this;
        }
        return left;
    }
    UINT Width() const override { return width; }
    UINT Height() const override { return height; }

    GLuint Name() const { return texture.Get(); }
    const DeviceContext* Owner() const { return owner.get(); }

  private:
    ~GlTexture9() override = default;

    std::shared_ptr<const DeviceContext> owner;
    ULONG references = 1;
    UINT width;
    UINT height;
    GlTexture texture;
};

class GlMeshBuffers9 final : public IDirect3DMeshBuffers9 {
  public:
    GlMeshBuffers9(std::shared_ptr<const DeviceContext> device, UINT indices)
        : owner(std::move(device)), indexCount(indices) {}

    ULONG Release() override {
        if (!owner->Bind()) {
            vertexArray.Abandon();
            vertexBuffer.Abandon();
            indexBuffer.Abandon();
            gatheredArray.Abandon();
            gatheredIndices.Abandon();
        }
        delete this;
        return 0;
    }

    std::shared_ptr<const DeviceContext> owner;
    UINT indexCount;
    // The ranges drawn whole, in pieces the view may leave out.
    std::vector<PiecedRange> ranges;
    GlVertexArray vertexArray;
    GlBuffer vertexBuffer;
    GlBuffer indexBuffer;

    // For ranges of several pieces: the indices as given, the list the
    // triangles in sight are gathered into (each range at its own place),
    // and which pieces each range's gathered triangles are of.
    struct Sight {
        std::vector<uint8_t> pieces;
        uint32_t indexCount = 0;
    };
    std::vector<uint32_t> givenIndices;
    std::vector<Sight> sightOfRange;
    GlVertexArray gatheredArray;
    GlBuffer gatheredIndices;

  private:
    ~GlMeshBuffers9() override = default;
};

// The back buffer a set of presentation parameters asks for.
struct BackBufferShape {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    GLenum colourFormat = GL_RGBA8;
    bool hasAlpha = false;
    bool hasDepth = false;
    int swapInterval = 1;
    // Full screen keeps the picture's shape on a display of another one.
    bool windowed = true;
};

struct RenderStates {
    DWORD zEnable = D3DZB_TRUE;
    DWORD zWriteEnable = TRUE;
    DWORD alphaBlendEnable = FALSE;
    DWORD sourceBlend = D3DBLEND_ONE;
    DWORD destinationBlend = D3DBLEND_ZERO;
    DWORD cullMode = D3DCULL_CCW;
    DWORD specularEnable = FALSE;
    DWORD lighting = TRUE;
    DWORD ambient = 0;
};

class GlDevice9 final : public IDirect3DDevice9 {
  public:
    GlDevice9(GlContext* context, HWND focusWindow)
        : owner(std::make_shared<const DeviceContext>(context)), window(focusWindow) {}

    HRESULT Initialise(D3DPRESENT_PARAMETERS& parameters);

    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* source, const RECT* destination, HWND destinationWindow,
                    const void* dirtyRegion) override;
    BOOL ShowCursor(BOOL show) override;
    HRESULT CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                    IDirect3DTexture9** texture) override;
    HRESULT CreateMeshBuffers(const D3DVERTEX* vertices, UINT vertexCount, const uint32_t* indices,
                              UINT indexCount, const MeshRange* ranges, UINT rangeCount,
                              IDirect3DMeshBuffers9** buffers) override;
    HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9* buffers, UINT firstIndex,
                            UINT indexCount) override;
    HRESULT DrawCoverage(LONG left, LONG top, UINT width, UINT height, const uint8_t* coverage,
                         D3DCOLOR color) override;
    HRESULT ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) override;

  private:
    ~GlDevice9() override;

    HRESULT BuildBackBuffer(const BackBufferShape& shape);
    void SetDefaultState();
    void BindBackBuffer();
    // Draws indices of the mesh whose vertex array is bound.
    static void DrawIndices(UINT firstIndex, UINT indexCount);
    static void DescribeVertices(GLuint vertexArray, GLuint indexBuffer, const uint32_t* indices,
                                 UINT indexCount, GLenum usage);
    // Draws a range the mesh was made with, leaving out what the view cannot see.
    void DrawInSight(GlMeshBuffers9& mesh, size_t range);
    // Draws the text queued by DrawCoverage, in one call.
    HRESULT DrawQueuedCoverage();
    void ForgetGlObjects();

    std::shared_ptr<const DeviceContext> owner;
    HWND window;
    ULONG references = 1;

    BackBufferShape backBufferShape;
    GlFramebuffer backBuffer;
    GlRenderbuffer backBufferColour;
    GlRenderbuffer backBufferDepth;

    FixedFunctionProgram fixedFunction;
    CoverageProgram coverageProgram;
    GlVertexArray emptyVertexArray;
    GLint largestTexture = 0;
    GlStateCache glState;

    // The text of a scene waits here until something else draws, the scene
    // ends or the picture is read: its masks one after another, rows of each
    // from the top, and the rectangles that show them.
    std::vector<uint8_t> queuedMasks;
    std::vector<CoverageProgram::Rectangle> queuedRectangles;
    std::vector<uint8_t> stackedMasks;
    GlTexture coverageTexture;
    UINT coverageWidth = 0;
    UINT coverageHeight = 0;

    RenderStates renderStates;
    FixedFunctionState shading{};
    GlTexture9* stageTexture = nullptr;
    bool transformsChanged = true;
    // The view volume in the space of the mesh drawn, for the transforms
    // uploaded.
    ViewVolume viewVolume{};
    std::vector<uint8_t> piecesInSight;
    std::vector<uint32_t> gathered;
    bool shadingChanged = true;
    bool inScene = false;
    BOOL cursorVisible = TRUE;
};

// Point filtering and no mipmaps for the bound texture, Direct3D's default
// sampler, with `wrap` at its edges.
void SamplePointsWithoutMipmaps(GLint wrap);

// Forgets errors left by earlier calls, so the next check sees only its own.
// Bounded: a lost context may report an error at every call.
void ClearGlErrors();

}  // namespace gl_device
