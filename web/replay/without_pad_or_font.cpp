// What the replay program has in place of the pad and the HUD's font under
// node: no pad is ever connected, as with none plugged in on the desktop,
// and the font has no glyphs, so the HUD, which nobody sees here, lays out
// nothing. Neither touches what a race computes.
#include "platform/xinput.h"
// The font's own fields are the real layout's business, not this one's.
#pragma clang diagnostic ignored "-Wunused-private-field"
#include "render/text_layout.h"

DWORD XInputGetState(DWORD userIndex, XINPUT_STATE* state) {
    if (state == nullptr || userIndex >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    return ERROR_DEVICE_NOT_CONNECTED;
}

DWORD XInputGetKeystroke(DWORD userIndex, DWORD, XINPUT_KEYSTROKE* keystroke) {
    if (keystroke == nullptr) return ERROR_BAD_ARGUMENTS;
    if (userIndex != 0 && userIndex != XUSER_INDEX_ANY && userIndex >= XUSER_MAX_COUNT)
        return ERROR_BAD_ARGUMENTS;
    return ERROR_DEVICE_NOT_CONNECTED;
}

DWORD XInputSetState(DWORD userIndex, XINPUT_VIBRATION* vibration) {
    if (vibration == nullptr || userIndex >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    return ERROR_DEVICE_NOT_CONNECTED;
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
