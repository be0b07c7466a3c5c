// Direct3D 9 on OpenGL 3.3 core: the device the game draws with.
//
// The back buffer is a framebuffer object of the presentation size; Present
// stretches it onto the window's drawable, which is how a window resized after
// the device was made shows the same picture, scaled. Full screen it is scaled
// to the largest size of its own shape that the display holds. Every draw sets the GL
// state it needs from the recorded Direct3D state, through a cache of what the
// GL was last given that is forgotten at every scene's start, so nothing else
// that draws into the context (the window toolkit) can leak into it, and what
// the draw before set is not sent again.
#include "platform/gl_device_parts.h"
#include "platform/picture_fit.h"

namespace gl_device {

namespace {

HRESULT ResolvePresentation(const D3DPRESENT_PARAMETERS& parameters, const GlContext& context,
                            BackBufferShape& shape) {
    if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (parameters.SwapEffect < 1 || parameters.SwapEffect > 3) return D3DERR_INVALIDCALL;
    if (parameters.BackBufferCount > 3) return D3DERR_INVALIDCALL;

    shape.width = parameters.BackBufferWidth;
    shape.height = parameters.BackBufferHeight;
    shape.windowed = parameters.Windowed != FALSE;
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

}  // namespace

void ClearGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

HRESULT GlDevice9::Initialise(D3DPRESENT_PARAMETERS& parameters) {
    if (!owner->Bind()) return D3DERR_NOTAVAILABLE;
    std::string error;
    if (!fixedFunction.Build(error) || !coverageProgram.Build(error)) return D3DERR_NOTAVAILABLE;
    emptyVertexArray = GlVertexArray(GenGlName(glGenVertexArrays));
    coverageTexture = GlTexture(GenGlName(glGenTextures));
    glBindTexture(GL_TEXTURE_2D, coverageTexture.Get());
    SamplePointsWithoutMipmaps(GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largestTexture);
    return Reset(&parameters);
}

GlDevice9::~GlDevice9() {
    if (stageTexture != nullptr) stageTexture->Release();
    if (!owner->Bind()) {
        ForgetGlObjects();
        return;
    }
    owner->Context()->DeviceAttached(false);
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
    queuedMasks.clear();
    queuedRectangles.clear();
    return D3D_OK;
}

HRESULT GlDevice9::BuildBackBuffer(const BackBufferShape& shape) {
    const GLsizei width = static_cast<GLsizei>(shape.width);
    const GLsizei height = static_cast<GLsizei>(shape.height);
    glState.Forget();
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
    glState.Forget();
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

void GlDevice9::BindBackBuffer() {
    glState.DrawTo(backBuffer.Get(), static_cast<GLsizei>(backBufferShape.width),
                   static_cast<GLsizei>(backBufferShape.height));
}

// A back buffer without alpha keeps it at 1, so destination-alpha blending and
// read-back see an opaque picture as Direct3D's X8 and 5-6-5 formats do.
HRESULT GlDevice9::Present(const RECT* source, const RECT* destination, HWND destinationWindow,
                           const void* /*dirtyRegion*/) {
    // The discard swap effect presents the whole back buffer to the device's
    // own window.
    if (source != nullptr || destination != nullptr) return D3DERR_INVALIDCALL;
    if (destinationWindow != nullptr && destinationWindow != window) return D3DERR_INVALIDCALL;
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    DrawQueuedCoverage();
    glState.Forget();
    GlContext* context = owner->Context();
    int drawableWidth = 0;
    int drawableHeight = 0;
    context->GetDrawableSize(drawableWidth, drawableHeight);
    if (drawableWidth > 0 && drawableHeight > 0) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer.Get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, context->DefaultFramebuffer());
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // A window the player resized shows the picture stretched over it;
        // full screen keeps its shape, with black bars where the display is
        // wider or taller.
        RECT place{0, 0, drawableWidth, drawableHeight};
        if (!backBufferShape.windowed) {
            place =
                FitPicture(static_cast<int>(backBufferShape.width),
                           static_cast<int>(backBufferShape.height), drawableWidth, drawableHeight);
            if (place.right - place.left < drawableWidth ||
                place.bottom - place.top < drawableHeight) {
                glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
                glClear(GL_COLOR_BUFFER_BIT);
            }
        }
        // Nearest, so an enlarged picture keeps the game's hard pixels. GL
        // counts rows from the bottom.
        glBlitFramebuffer(0, 0, static_cast<GLint>(backBufferShape.width),
                          static_cast<GLint>(backBufferShape.height), place.left,
                          drawableHeight - place.bottom, place.right, drawableHeight - place.top,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    // Nothing of the game's stays bound for whatever draws between frames.
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    context->SwapBuffers();
    return D3D_OK;
}

BOOL GlDevice9::ShowCursor(BOOL show) {
    const BOOL wasVisible = cursorVisible;
    cursorVisible = show ? TRUE : FALSE;
    if (GlContext* context = owner->Context()) context->SetCursorVisible(cursorVisible != FALSE);
    return wasVisible;
}

HRESULT GlDevice9::ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) {
    if (!owner->Bind()) return D3DERR_DEVICELOST;
    DrawQueuedCoverage();
    glState.Forget();
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

namespace {

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
        context->DeviceAttached(true);
        *device = made;
        return D3D_OK;
    }

  private:
    ~GlDirect3D9() override = default;
    ULONG references = 1;
};

}  // namespace

}  // namespace gl_device

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new gl_device::GlDirect3D9();
}
