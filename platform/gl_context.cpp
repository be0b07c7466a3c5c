#include "platform/gl_context.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// A game has one window; tests may have a few headless contexts alive at once.
// Newest last, so the screen's dots per inch come from the latest window.
std::vector<std::pair<HWND, GlContext*>>& Registry() {
    static std::vector<std::pair<HWND, GlContext*>> registry;
    return registry;
}

}  // namespace

GlContext::GlContext() : lifetime(std::make_shared<int>(0)) {}

GlContext::~GlContext() {
    auto& registry = Registry();
    std::erase_if(registry, [this](const auto& entry) { return entry.second == this; });
}

void RegisterGlContext(HWND window, GlContext* context) {
    auto& registry = Registry();
    std::erase_if(registry, [window](const auto& entry) { return entry.first == window; });
    if (window != nullptr && context != nullptr) registry.emplace_back(window, context);
}

GlContext* GlContextOf(HWND window) {
    if (window == nullptr) return nullptr;
    for (const auto& [registered, context] : Registry()) {
        if (registered == window) return context;
    }
    return nullptr;
}

int ScreenDotsPerInch() {
    const auto& registry = Registry();
    if (registry.empty()) return 96;
    return registry.back().second->DotsPerInch();
}

int LargestDrawableSide(HWND window) {
    GlContext* context = GlContextOf(window);
    if (context == nullptr || !context->MakeCurrent()) return 0;
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::max(0, std::min({renderbuffer, viewport[0], viewport[1]}));
}
