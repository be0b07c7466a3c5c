#include "render/d3dx_font.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {
// LOGFONT's face name holds 32 characters with the terminator.
constexpr size_t maxFaceNameLength = 31;
}  // namespace

ID3DXFont::ID3DXFont(IDirect3DDevice9* device, std::unique_ptr<TextFont> font)
    : targetDevice(device), textFont(std::move(font)) {
    targetDevice->AddRef();
}

ID3DXFont::~ID3DXFont() {
    targetDevice->Release();
}

ULONG ID3DXFont::AddRef() {
    return ++references;
}

ULONG ID3DXFont::Release() {
    const ULONG remaining = --references;
    if (remaining == 0) delete this;
    return remaining;
}

const ID3DXFont::KeptLayout& ID3DXFont::Layout(const char* text, size_t length, const RECT& area,
                                               DWORD format) {
    ++useCount;
    const std::string_view wanted(text, length);
    for (KeptLayout& layout : keptLayouts) {
        if (layout.lastUse != 0 && layout.format == format && layout.area.left == area.left &&
            layout.area.top == area.top && layout.area.right == area.right &&
            layout.area.bottom == area.bottom && layout.text == wanted) {
            layout.lastUse = useCount;
            return layout;
        }
    }
    KeptLayout& oldest =
        keptLayouts[0].lastUse <= keptLayouts[1].lastUse ? keptLayouts[0] : keptLayouts[1];
    oldest.text.assign(wanted);
    oldest.area = area;
    oldest.format = format;
    oldest.height = LayoutText(*textFont, oldest.text.c_str(), static_cast<INT>(length), area,
                               format, oldest.coverage);
    oldest.lastUse = useCount;
    return oldest;
}

INT ID3DXFont::DrawTextA(void*, const char* text, INT count, RECT* rect, DWORD format,
                         D3DCOLOR color) {
    if (text == nullptr) return 0;
    RECT area{0, 0, 0, 0};
    if (rect != nullptr) {
        area = *rect;
    } else {
        format |= DT_NOCLIP;
    }
    // What LayoutText reads of the text: up to the count, never past the terminator.
    const size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
    const KeptLayout& layout = Layout(text, length, area, format);
    const TextCoverage& coverage = layout.coverage;
    if (coverage.width > 0 && coverage.height > 0) {
        targetDevice->DrawCoverage(coverage.left, coverage.top, coverage.width, coverage.height,
                                   coverage.alpha.data(), color);
    }
    return layout.height;
}

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT /*width*/, UINT weight,
                        UINT /*mipLevels*/, BOOL italic, DWORD /*charSet*/,
                        DWORD /*outputPrecision*/, DWORD /*quality*/, DWORD /*pitchAndFamily*/,
                        const char* faceName, ID3DXFont** font) {
    if (device == nullptr || font == nullptr) return E_INVALIDARG;
    const std::string face = faceName == nullptr
                                 ? std::string()
                                 : std::string(faceName, strnlen(faceName, maxFaceNameLength));
    std::unique_ptr<TextFont> textFont;
    const HRESULT result = CreateTextFont(face.c_str(), height, weight, italic, textFont);
    if (FAILED(result)) return result;
    *font = new ID3DXFont(device, std::move(textFont));
    return S_OK;
}
