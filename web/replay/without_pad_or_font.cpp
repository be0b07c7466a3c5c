// What the replay program has in place of the pad and the HUD's font under
// node: no pad is ever connected, as with none plugged in on the desktop,
// and the font has no glyphs, so the HUD, which nobody sees here, lays out
// nothing. Neither touches what a race computes.
#include "platform/xinput_pad.h"
// The font's own fields are the real layout's business, not this one's.
#pragma clang diagnostic ignored "-Wunused-private-field"
#include "render/text_layout.h"

namespace {

class NoPad final : public XInputPad {
    void Poll() override {}
    bool Connected() const override { return false; }
    void ReadGamepad() override {}
    void Rumble(WORD, WORD) override {}
};

}  // namespace

XInputPad& PlayedPad() {
    static NoPad none;
    return none;
}

struct FontFaceResources {};

TextFont::TextFont() = default;
TextFont::~TextFont() = default;

const TextFont::Glyph& TextFont::GlyphFor(uint8_t) {
    static const Glyph none;
    return none;
}

HRESULT CreateTextFont(const char*, INT, UINT, BOOL, std::unique_ptr<TextFont>& font) {
    // The device needs a font to start a race; one with no glyphs will do.
    font.reset(new TextFont());
    return S_OK;
}

INT LayoutText(TextFont&, const char*, INT, const RECT&, DWORD, TextCoverage& coverage) {
    coverage = TextCoverage{};
    return 0;
}
