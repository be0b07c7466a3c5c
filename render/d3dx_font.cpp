#include "render/d3dx_font.h"

#include <cstring>
#include <string>

namespace {
// LOGFONT's face name holds 32 characters with the terminator.
constexpr size_t maxFaceNameLength = 31;
}  // namespace

ID3DXFont::ID3DXFont(IDirect3DDevice9* device, std::unique_ptr<TextFont> font)
    : device_(device), font_(std::move(font)) {
    device_->AddRef();
}

ID3DXFont::~ID3DXFont() {
    device_->Release();
}

ULONG ID3DXFont::AddRef() {
    return ++references_;
}

ULONG ID3DXFont::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
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
    TextCoverage coverage;
    const INT height = LayoutText(*font_, text, count, area, format, coverage);
    if (coverage.width > 0 && coverage.height > 0) {
        device_->DrawCoverage(coverage.left, coverage.top, coverage.width, coverage.height,
                              coverage.alpha.data(), color);
    }
    return height;
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
