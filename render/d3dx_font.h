#pragma once
// ID3DXFont: the HUD's text, laid out and rasterised on the CPU (text_layout)
// and blended into the back buffer by the device, which leaves its render,
// texture-stage and texture state as it found them.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/d3d9.h"
#include "render/text_layout.h"

constexpr UINT FW_NORMAL = 400;
constexpr UINT FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_TT_ONLY_PRECIS = 7;
constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

class ID3DXFont {
  public:
    ID3DXFont(const ID3DXFont&) = delete;
    ID3DXFont& operator=(const ID3DXFont&) = delete;

    // Draws `text` in `color` as DrawText would with `format` (DT_CENTER,
    // DT_SINGLELINE, DT_NOCLIP and the alignments of text_layout.h); a null
    // rectangle places the text at (0, 0) unclipped. The sprite is not used.
    // Returns the height of the text, 0 when nothing could be laid out.
    INT DrawTextA(void* sprite, const char* text, INT count, RECT* rect, DWORD format,
                  D3DCOLOR color);

    ULONG AddRef();
    ULONG Release();

    // What the face name resolved to, for tests and diagnostics.
    const TextFont& Font() const { return *textFont; }

  private:
    friend HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                                   UINT mipLevels, BOOL italic, DWORD charSet,
                                   DWORD outputPrecision, DWORD quality, DWORD pitchAndFamily,
                                   const char* faceName, ID3DXFont** font);
    ID3DXFont(IDirect3DDevice9* device, std::unique_ptr<TextFont> font);
    ~ID3DXFont();

    // The HUD draws the same message line frame after frame and a score line
    // that changes in its last digits, so the last two layouts are kept: a
    // layout depends only on the font, the text, the rectangle and the format.
    struct KeptLayout {
        std::string text;
        RECT area{};
        DWORD format = 0;
        INT height = 0;
        TextCoverage coverage;
        uint64_t lastUse = 0;  // 0: never filled
    };
    const KeptLayout& Layout(const char* text, size_t length, const RECT& area, DWORD format);

    IDirect3DDevice9* targetDevice;
    std::unique_ptr<TextFont> textFont;
    ULONG references = 1;
    KeptLayout keptLayouts[2];
    uint64_t useCount = 0;
};

// The font holds a reference on the device until its last Release. Width,
// mip levels, character set, precision, quality and pitch are accepted as the
// game passes them (natural widths, any outline face). At most 31 characters
// of the face name are used. Negative result, `font` untouched, when no face
// can be found.
HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                        UINT mipLevels, BOOL italic, DWORD charSet, DWORD outputPrecision,
                        DWORD quality, DWORD pitchAndFamily, const char* faceName,
                        ID3DXFont** font);
