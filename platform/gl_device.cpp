// Direct3D 9 on OpenGL 3.3 core: the device the game draws with.
//
// The back buffer is a framebuffer object of the presentation size; Present
// stretches it onto the window's drawable, which is how a window resized after
// the device was made shows the same picture, scaled. Every draw sets the GL
// state it needs from the recorded Direct3D state, so nothing else that draws
// into the context (the window toolkit, the font's blit) can leak into it.
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

namespace {

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
        }
        delete this;
        return 0;
    }

    std::shared_ptr<const DeviceContext> owner;
    UINT indexCount;
    GlVertexArray vertexArray;
    GlBuffer vertexBuffer;
    GlBuffer indexBuffer;

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
};

HRESULT ResolvePresentation(const D3DPRESENT_PARAMETERS& parameters, const GlContext& context,
                            BackBufferShape& shape) {
    if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (parameters.SwapEffect < 1 || parameters.SwapEffect > 3) return D3DERR_INVALIDCALL;
    if (parameters.BackBufferCount > 3) return D3DERR_INVALIDCALL;

    shape.width = parameters.BackBufferWidth;
    shape.height = parameters.BackBufferHeight;
    if (parameters.Windowed) {
        // A windowed device takes the client area for any side left at 0.
        int clientWidth = 0;
        int clientHeight = 0;
        context.GetDrawableSize(clientWidth, clientHeight);
        if (shape.width == 0) shape.width = static_cast<UINT>(std::max(clientWidth, 1));
        if (shape.height == 0) shape.height = static_cast<UINT>(std::max(clientHeight, 1));
    } else if (shape.width == 0 || shape.height == 0) {
        return D3DERR_INVALIDCALL;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (shape.width > static_cast<UINT>(largest) || shape.height > static_cast<UINT>(largest)) {
        return D3DERR_INVALIDCALL;
    }

    switch (parameters.BackBufferFormat) {
        case D3DFMT_UNKNOWN:
            // Only a window can borrow the desktop's format.
            if (!parameters.Windowed) return D3DERR_INVALIDCALL;
            shape.format = D3DFMT_X8R8G8B8;
            shape.colourFormat = GL_RGBA8;
            shape.hasAlpha = false;
            break;
        case D3DFMT_X8R8G8B8:
            shape.format = D3DFMT_X8R8G8B8;
            shape.colourFormat = GL_RGBA8;
            shape.hasAlpha = false;
            break;
        case D3DFMT_A8R8G8B8:
            shape.format = D3DFMT_A8R8G8B8;
            shape.colourFormat = GL_RGBA8;
            shape.hasAlpha = true;
            break;
        case D3DFMT_R5G6B5:
            shape.format = D3DFMT_R5G6B5;
            shape.colourFormat = GL_RGB565;
            shape.hasAlpha = false;
            break;
        default:
            return D3DERR_NOTAVAILABLE;
    }

    shape.hasDepth = parameters.EnableAutoDepthStencil != FALSE;
    if (shape.hasDepth && parameters.AutoDepthStencilFormat != D3DFMT_D16) {
        return D3DERR_NOTAVAILABLE;
    }
    shape.swapInterval = parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1;
    return D3D_OK;
}

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

// Forgets errors left by earlier calls, so the next check sees only its own.
// Bounded: a lost context may report an error at every call.
void ClearGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

D3DMATRIX IdentityMatrix() {
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    return identity;
}

// What LightEnable switches on when no light was ever set: white, straight
// ahead along +z.
D3DLIGHT9 DefaultLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

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
                              UINT indexCount, IDirect3DMeshBuffers9** buffers) override;
    HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9* buffers, UINT firstIndex,
                            UINT indexCount) override;
    HRESULT DrawCoverage(LONG left, LONG top, UINT width, UINT height, const uint8_t* coverage,
                         D3DCOLOR color) override;
    HRESULT ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) override;

  private:
    ~GlDevice9() override;

    HRESULT BuildBackBuffer(const BackBufferShape& shape);
    void SetDefaultState();
    void BindBackBuffer() const;
    void ApplyColourMask() const;
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
    GlTexture coverageTexture;
    UINT coverageWidth = 0;
    UINT coverageHeight = 0;

    RenderStates renderStates;
    FixedFunctionState shading{};
    GlTexture9* stageTexture = nullptr;
    bool transformsChanged = true;
    bool shadingChanged = true;
    bool inScene = false;
    BOOL cursorVisible = TRUE;
};

HRESULT GlDevice9::Initialise(D3DPRESENT_PARAMETERS& parameters) {
    if (!owner->Bind()) return D3DERR_NOTAVAILABLE;
    std::string error;
    if (!fixedFunction.Build(error) || !coverageProgram.Build(error)) return D3DERR_NOTAVAILABLE;
    emptyVertexArray = GlVertexArray(GenGlName(glGenVertexArrays));
    coverageTexture = GlTexture(GenGlName(glGenTextures));
    return Reset(&parameters);
}

GlDevice9::~GlDevice9() {
    if (stageTexture != nullptr) stageTexture->Release();
    if (!owner->Bind()) {
        ForgetGlObjects();
        return;
    }
    // The window gets its pointer back when the game that hid it ends.
    if (!cursorVisible) owner->Context()->SetCursorVisible(true);
}

void GlDevice9::ForgetGlObjects() {
    backBuffer.Abandon();
    backBufferColour.Abandon();
    backBufferDepth.Abandon();
    fixedFunction.Abandon();
    coverageProgram.Abandon();
    emptyVertexArray.Abandon();
    coverageTexture.Abandon();
}

HRESULT GlDevice9::Reset(D3DPRESENT_PARAMETERS* parameters) {
    if (parameters == nullptr) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    BackBufferShape shape;
    const HRESULT resolved = ResolvePresentation(*parameters, *owner->Context(), shape);
    if (FAILED(resolved)) return resolved;
    const HRESULT built = BuildBackBuffer(shape);
    if (FAILED(built)) return built;

    // Direct3D hands back what it chose for the sides and format left open.
    parameters->BackBufferWidth = shape.width;
    parameters->BackBufferHeight = shape.height;
    parameters->BackBufferFormat = shape.format;
    if (parameters->BackBufferCount == 0) parameters->BackBufferCount = 1;

    owner->Context()->SetSwapInterval(shape.swapInterval);
    SetDefaultState();
    renderStates.zEnable = shape.hasDepth ? D3DZB_TRUE : D3DZB_FALSE;
    inScene = false;
    return D3D_OK;
}

HRESULT GlDevice9::BuildBackBuffer(const BackBufferShape& shape) {
    const GLsizei width = static_cast<GLsizei>(shape.width);
    const GLsizei height = static_cast<GLsizei>(shape.height);
    ClearGlErrors();
    GlFramebuffer framebuffer(GenGlName(glGenFramebuffers));
    GlRenderbuffer colour(GenGlName(glGenRenderbuffers));
    GlRenderbuffer depth;
    glBindRenderbuffer(GL_RENDERBUFFER, colour.Get());
    glRenderbufferStorage(GL_RENDERBUFFER, shape.colourFormat, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.Get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour.Get());
    if (shape.hasDepth) {
        depth = GlRenderbuffer(GenGlName(glGenRenderbuffers));
        glBindRenderbuffer(GL_RENDERBUFFER, depth.Get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  depth.Get());
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glGetError() != GL_NO_ERROR) {
        BindBackBuffer();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    backBuffer = std::move(framebuffer);
    backBufferColour = std::move(colour);
    backBufferDepth = std::move(depth);
    backBufferShape = shape;

    // A fresh back buffer starts black rather than with whatever the driver
    // had in that memory.
    BindBackBuffer();
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | (shape.hasDepth ? GL_DEPTH_BUFFER_BIT : 0));
    return D3D_OK;
}

void GlDevice9::SetDefaultState() {
    renderStates = RenderStates{};
    shading.world = IdentityMatrix();
    shading.view = IdentityMatrix();
    shading.projection = IdentityMatrix();
    shading.material = D3DMATERIAL9{};
    shading.light = DefaultLight();
    shading.lightEnabled = false;
    if (stageTexture != nullptr) stageTexture->Release();
    stageTexture = nullptr;
    transformsChanged = true;
    shadingChanged = true;
}

void GlDevice9::BindBackBuffer() const {
    glBindFramebuffer(GL_FRAMEBUFFER, backBuffer.Get());
    glViewport(0, 0, static_cast<GLsizei>(backBufferShape.width),
               static_cast<GLsizei>(backBufferShape.height));
}

// A back buffer without alpha keeps it at 1, so destination-alpha blending and
// read-back see an opaque picture as Direct3D's X8 and 5-6-5 formats do.
void GlDevice9::ApplyColourMask() const {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, backBufferShape.hasAlpha ? GL_TRUE : GL_FALSE);
}

HRESULT GlDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    switch (state) {
        case D3DRS_ZENABLE:
            renderStates.zEnable = value;
            return D3D_OK;
        case D3DRS_ZWRITEENABLE:
            renderStates.zWriteEnable = value;
            return D3D_OK;
        case D3DRS_ALPHABLENDENABLE:
            renderStates.alphaBlendEnable = value;
            return D3D_OK;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            if (value < D3DBLEND_ZERO || value > D3DBLEND_INVDESTCOLOR) return D3DERR_INVALIDCALL;
            (state == D3DRS_SRCBLEND ? renderStates.sourceBlend : renderStates.destinationBlend) =
                value;
            return D3D_OK;
        case D3DRS_CULLMODE:
            if (value < D3DCULL_NONE || value > D3DCULL_CCW) return D3DERR_INVALIDCALL;
            renderStates.cullMode = value;
            return D3D_OK;
        case D3DRS_SPECULARENABLE:
            renderStates.specularEnable = value;
            shadingChanged = true;
            return D3D_OK;
        case D3DRS_LIGHTING:
            renderStates.lighting = value;
            shadingChanged = true;
            return D3D_OK;
        case D3DRS_AMBIENT:
            renderStates.ambient = value;
            shadingChanged = true;
            return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT GlDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_WORLD:
            shading.world = *matrix;
            break;
        case D3DTS_VIEW:
            shading.view = *matrix;
            break;
        case D3DTS_PROJECTION:
            shading.projection = *matrix;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    transformsChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (index != 0 || light == nullptr) return D3DERR_INVALIDCALL;
    if (light->Type != D3DLIGHT_POINT && light->Type != D3DLIGHT_SPOT &&
        light->Type != D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    const D3DVECTOR& direction = light->Direction;
    if (light->Type != D3DLIGHT_POINT && direction.x == 0.0f && direction.y == 0.0f &&
        direction.z == 0.0f) {
        return D3DERR_INVALIDCALL;
    }
    if (light->Type != D3DLIGHT_DIRECTIONAL && !(light->Range >= 0.0f)) {
        return D3DERR_INVALIDCALL;
    }
    shading.light = *light;
    transformsChanged = true;
    shadingChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::LightEnable(DWORD index, BOOL enable) {
    if (index != 0) return D3DERR_INVALIDCALL;
    shading.lightEnabled = enable != FALSE;
    shadingChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::SetMaterial(const D3DMATERIAL9* material) {
    if (material == nullptr) return D3DERR_INVALIDCALL;
    shading.material = *material;
    shadingChanged = true;
    return D3D_OK;
}

HRESULT GlDevice9::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
    if (stage != 0) return D3DERR_INVALIDCALL;
    GlTexture9* ours = nullptr;
    if (texture != nullptr) {
        ours = dynamic_cast<GlTexture9*>(texture);
        if (ours == nullptr || ours->Owner() != owner.get()) return D3DERR_INVALIDCALL;
        // The stage holds its texture, as Direct3D's does, so a texture
        // released by the game while still bound stays valid until replaced.
        ours->AddRef();
    }
    if (stageTexture != nullptr) stageTexture->Release();
    stageTexture = ours;
    shadingChanged = true;
    return D3D_OK;
}

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

HRESULT GlDevice9::Present(const RECT* source, const RECT* destination, HWND destinationWindow,
                           const void* /*dirtyRegion*/) {
    // The discard swap effect presents the whole back buffer to the device's
    // own window.
    if (source != nullptr || destination != nullptr) return D3DERR_INVALIDCALL;
    if (destinationWindow != nullptr && destinationWindow != window) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    GlContext* context = owner->Context();
    int drawableWidth = 0;
    int drawableHeight = 0;
    context->GetDrawableSize(drawableWidth, drawableHeight);
    if (drawableWidth > 0 && drawableHeight > 0) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer.Get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, context->DefaultFramebuffer());
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // Nearest, so an enlarged picture keeps the game's hard pixels.
        glBlitFramebuffer(0, 0, static_cast<GLint>(backBufferShape.width),
                          static_cast<GLint>(backBufferShape.height), 0, 0, drawableWidth,
                          drawableHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    context->SwapBuffers();
    return D3D_OK;
}

BOOL GlDevice9::ShowCursor(BOOL show) {
    const BOOL wasVisible = cursorVisible;
    cursorVisible = show ? TRUE : FALSE;
    if (GlContext* context = owner->Context()) context->SetCursorVisible(cursorVisible != FALSE);
    return wasVisible;
}

HRESULT GlDevice9::CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                           IDirect3DTexture9** texture) {
    if (texture == nullptr) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (rgba == nullptr || width == 0 || height == 0) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > static_cast<UINT>(largest) || height > static_cast<UINT>(largest)) {
        return D3DERR_INVALIDCALL;
    }
    ClearGlErrors();
    GlTexture name(GenGlName(glGenTextures));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name.Get());
    // Direct3D's default sampler: point filtering, no mipmaps, wrapping.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // Rows go up top row first, so texture coordinate v = 0 is the image's
    // top, as Direct3D addresses it.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) return E_OUTOFMEMORY;
    *texture = new GlTexture9(owner, width, height, std::move(name));
    return D3D_OK;
}

HRESULT GlDevice9::CreateMeshBuffers(const D3DVERTEX* vertices, UINT vertexCount,
                                     const uint32_t* indices, UINT indexCount,
                                     IDirect3DMeshBuffers9** buffers) {
    if (buffers == nullptr) return D3DERR_INVALIDCALL;
    *buffers = nullptr;
    if ((vertexCount > 0 && vertices == nullptr) || (indexCount > 0 && indices == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    // An index past the vertices would have the driver read outside the buffer.
    for (UINT i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) return D3DERR_INVALIDCALL;
    }
    if (!owner->Bind()) return D3DERR_DEVICELOST;

    auto* made = new GlMeshBuffers9(owner, indexCount);
    made->vertexArray = GlVertexArray(GenGlName(glGenVertexArrays));
    made->vertexBuffer = GlBuffer(GenGlName(glGenBuffers));
    made->indexBuffer = GlBuffer(GenGlName(glGenBuffers));
    glBindVertexArray(made->vertexArray.Get());
    glBindBuffer(GL_ARRAY_BUFFER, made->vertexBuffer.Get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(D3DVERTEX)) * vertexCount,
                 vertices, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, made->indexBuffer.Get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint32_t)) * indexCount,
                 indices, GL_STATIC_DRAW);
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
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    *buffers = made;
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

HRESULT GlDevice9::ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) {
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    width = backBufferShape.width;
    height = backBufferShape.height;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> bottomUp(rowBytes * height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer.Get());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA,
                 GL_UNSIGNED_BYTE, bottomUp.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    rgba.resize(bottomUp.size());
    for (UINT row = 0; row < height; ++row) {
        std::copy_n(bottomUp.begin() + static_cast<ptrdiff_t>((height - 1 - row) * rowBytes),
                    rowBytes, rgba.begin() + static_cast<ptrdiff_t>(row * rowBytes));
    }
    return D3D_OK;
}

class GlDirect3D9 final : public IDirect3D9 {
  public:
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override {
        if (device == nullptr) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (adapter != D3DADAPTER_DEFAULT || parameters == nullptr) return D3DERR_INVALIDCALL;
        // One kind of device: what the hardware offers. There is no reference
        // rasteriser to fall back on.
        if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
        const DWORD vertexProcessing = behaviourFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                                         D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                                         D3DCREATE_MIXED_VERTEXPROCESSING);
        if (vertexProcessing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
            vertexProcessing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
            vertexProcessing != D3DCREATE_MIXED_VERTEXPROCESSING) {
            return D3DERR_INVALIDCALL;
        }
        HWND window =
            parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : focusWindow;
        GlContext* context = GlContextOf(window);
        if (context == nullptr || !context->MakeCurrent()) return D3DERR_NOTAVAILABLE;
        if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 33) return D3DERR_NOTAVAILABLE;

        auto* made = new GlDevice9(context, window);
        const HRESULT result = made->Initialise(*parameters);
        if (FAILED(result)) {
            made->Release();
            return result;
        }
        *device = made;
        return D3D_OK;
    }

  private:
    ~GlDirect3D9() override = default;
    ULONG references = 1;
};

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new GlDirect3D9();
}
