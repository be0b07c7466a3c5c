#include "render/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The HUD's font as the game asks for it at 96 dots per inch: 18 points bold
// Arial, height -24.
TextFont& HudFont() {
    static std::unique_ptr<TextFont> font = [] {
        std::unique_ptr<TextFont> created;
        EXPECT_EQ(CreateTextFont("Arial", -24, 700, FALSE, created), S_OK);
        return created;
    }();
    return *font;
}

TextCoverage Lay(const char* text, RECT rect, DWORD format, INT count = -1, INT* height = nullptr) {
    TextCoverage coverage;
    const INT result = LayoutText(HudFont(), text, count, rect, format, coverage);
    if (height != nullptr) *height = result;
    EXPECT_EQ(coverage.alpha.size(), size_t{coverage.width} * coverage.height);
    return coverage;
}

bool SameCoverage(const TextCoverage& a, const TextCoverage& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height &&
           a.alpha == b.alpha;
}

LONG Advance(const char* text) {
    LONG total = 0;
    for (const char* c = text; *c; ++c)
        total += HudFont().GlyphFor(static_cast<uint8_t>(*c)).advance;
    return total;
}

// Rows of the coverage that hold any ink, as [first, last + 1) in pixels.
std::pair<LONG, LONG> InkRows(const TextCoverage& coverage) {
    LONG first = -1, last = -1;
    for (UINT y = 0; y < coverage.height; ++y) {
        for (UINT x = 0; x < coverage.width; ++x) {
            if (coverage.alpha[size_t{y} * coverage.width + x] > 0) {
                if (first < 0) first = static_cast<LONG>(y);
                last = static_cast<LONG>(y);
                break;
            }
        }
    }
    return {coverage.top + first, coverage.top + last + 1};
}

constexpr RECT wide{0, 5, 640, 40};

}  // namespace

TEST(TextFontResolution, BoldArialIsLiberationSansBold) {
    ASSERT_TRUE(HudFont().FilePath().size() > 0);
    EXPECT_EQ(HudFont().FamilyName(), "Liberation Sans");
    EXPECT_EQ(HudFont().StyleName(), "Bold");
}

TEST(TextFontResolution, RegularWeightAndUnknownNamesStillFindAFace) {
    std::unique_ptr<TextFont> regular;
    ASSERT_EQ(CreateTextFont("Arial", -24, 400, FALSE, regular), S_OK);
    EXPECT_EQ(regular->FamilyName(), "Liberation Sans");
    EXPECT_EQ(regular->StyleName(), "Regular");

    // Windows maps a face it does not know to a default one; so does fontconfig.
    std::unique_ptr<TextFont> unknown;
    EXPECT_EQ(CreateTextFont("No Such Face Anywhere", -24, 700, FALSE, unknown), S_OK);
    ASSERT_NE(unknown, nullptr);
    EXPECT_GT(unknown->LineHeight(), 0);

    std::unique_ptr<TextFont> absurd;
    EXPECT_LT(CreateTextFont("Arial", -100000, 700, FALSE, absurd), 0);
    EXPECT_EQ(absurd, nullptr);
}

TEST(TextFontSizing, NegativeHeightIsTheCharacterHeight) {
    // From the top of the accent on E-acute (0xC9 in Windows-1252) to the
    // bottom of the descender on g: about the 24-pixel em.
    const TextCoverage coverage = Lay("\xC9g", wide, DT_NOCLIP);
    const auto [top, bottom] = InkRows(coverage);
    EXPECT_NEAR(bottom - top, 24, 2);
    // The cell adds Windows' leading: ascent 0.905 em + descent 0.212 em.
    EXPECT_EQ(HudFont().Ascent(), 22);
    EXPECT_EQ(HudFont().LineHeight(), 27);

    std::unique_ptr<TextFont> byCell;  // a positive height is the whole cell
    ASSERT_EQ(CreateTextFont("Arial", 27, 700, FALSE, byCell), S_OK);
    EXPECT_EQ(byCell->LineHeight(), 27);
    EXPECT_EQ(byCell->Ascent(), 22);
}

TEST(TextLayout, FirstLineHangsFromTheRectangleTop) {
    // H sits on the baseline, which is the ascent below the rectangle's top.
    const TextCoverage coverage = Lay("H", wide, DT_LEFT);
    EXPECT_EQ(coverage.top + static_cast<LONG>(coverage.height), wide.top + HudFont().Ascent());
    EXPECT_GE(coverage.top, wide.top);
}

TEST(TextLayout, CentreShiftsEachLineByHalfTheSpareWidth) {
    INT height = 0;
    const TextCoverage left = Lay("Lap:3", wide, DT_LEFT);
    const TextCoverage centred = Lay("Lap:3", wide, DT_CENTER, -1, &height);
    EXPECT_EQ(centred.left - left.left, (640 - Advance("Lap:3")) / 2);
    EXPECT_EQ(centred.top, left.top);
    EXPECT_EQ(centred.alpha, left.alpha);
    EXPECT_EQ(height, HudFont().LineHeight());

    // Two lines of different widths: each is centred on its own, the second
    // one line height lower.
    const TextCoverage firstLine = Lay("WWWW", wide, DT_CENTER);
    const TextCoverage secondLine =
        Lay("i", RECT{0, 5 + HudFont().LineHeight(), 640, 400}, DT_CENTER);
    const TextCoverage both = Lay("WWWW\ni", RECT{0, 5, 640, 400}, DT_CENTER, -1, &height);
    EXPECT_EQ(height, 2 * HudFont().LineHeight());
    EXPECT_EQ(both.left, std::min(firstLine.left, secondLine.left));
    EXPECT_EQ(both.top, firstLine.top);
    EXPECT_EQ(both.top + static_cast<LONG>(both.height),
              secondLine.top + static_cast<LONG>(secondLine.height));
    EXPECT_EQ(both.left + static_cast<LONG>(both.width),
              std::max(firstLine.left + static_cast<LONG>(firstLine.width),
                       secondLine.left + static_cast<LONG>(secondLine.width)));
}

TEST(TextLayout, TrailingLineFeedAddsNoLine) {
    INT withFeed = 0, without = 0;
    const TextCoverage fed = Lay("You made it 5 laps!\n", wide, DT_CENTER, -1, &withFeed);
    const TextCoverage plain = Lay("You made it 5 laps!", wide, DT_CENTER, -1, &without);
    EXPECT_TRUE(SameCoverage(fed, plain));
    EXPECT_EQ(withFeed, without);
    EXPECT_EQ(withFeed, HudFont().LineHeight());
}

TEST(TextLayout, SingleLineIgnoresLineFeeds) {
    const RECT scoreRect{0, 400, 640, 480};
    INT height = 0;
    // The score line ends in a line feed: no second line, no glyph for it.
    const TextCoverage score =
        Lay("SCORE: 2 BEST TIME: 61.20\n", scoreRect, DT_SINGLELINE, -1, &height);
    const TextCoverage clean = Lay("SCORE: 2 BEST TIME: 61.20", scoreRect, DT_SINGLELINE);
    EXPECT_TRUE(SameCoverage(score, clean));
    EXPECT_EQ(height, HudFont().LineHeight());

    // A line feed inside: the text runs on along the same baseline.
    const TextCoverage joined = Lay("Lap:1\nTime:2.00", scoreRect, DT_SINGLELINE, -1, &height);
    EXPECT_TRUE(SameCoverage(joined, Lay("Lap:1Time:2.00", scoreRect, DT_SINGLELINE)));
    EXPECT_EQ(height, HudFont().LineHeight());
    // Without the flag the same text takes two lines.
    const TextCoverage broken = Lay("Lap:1\nTime:2.00", scoreRect, 0, -1, &height);
    EXPECT_EQ(height, 2 * HudFont().LineHeight());
    EXPECT_GT(broken.height, static_cast<UINT>(HudFont().LineHeight()));
}

TEST(TextLayout, OutputIsClippedToTheRectangle) {
    const char* text = "A message far wider than its narrow rectangle";
    const RECT narrow{100, 50, 160, 60};  // 60 wide, 10 high: cuts all sides
    const TextCoverage clipped = Lay(text, narrow, DT_CENTER);
    const TextCoverage whole = Lay(text, narrow, DT_CENTER | DT_NOCLIP);
    EXPECT_EQ(clipped.left, 100);
    EXPECT_EQ(clipped.width, 60u);
    EXPECT_GE(clipped.top, 50);
    EXPECT_LE(clipped.top + static_cast<LONG>(clipped.height), 60);
    EXPECT_LT(whole.left, 100);
    EXPECT_GT(whole.left + static_cast<LONG>(whole.width), 160);
    // The part kept is exactly what the unclipped text has there.
    int differing = 0;
    for (UINT y = 0; y < clipped.height; ++y) {
        for (UINT x = 0; x < clipped.width; ++x) {
            const size_t inWhole = size_t(clipped.top - whole.top + y) * whole.width +
                                   size_t(clipped.left - whole.left + x);
            if (clipped.alpha[size_t{y} * clipped.width + x] != whole.alpha[inWhole]) ++differing;
        }
    }
    EXPECT_EQ(differing, 0);

    // Nothing of the text falls inside: empty coverage.
    const TextCoverage none = Lay(text, RECT{0, 0, 640, 0}, DT_CENTER);
    EXPECT_EQ(none.width, 0u);
    EXPECT_EQ(none.height, 0u);
    EXPECT_TRUE(none.alpha.empty());
    const TextCoverage beside = Lay("H", RECT{-50, 5, -10, 40}, DT_LEFT);
    EXPECT_GE(beside.left, -50);
    EXPECT_LE(beside.left + static_cast<LONG>(beside.width), -10);
}

TEST(TextLayout, CountLimitsTheTextAndEmptyTextDrawsNothing) {
    EXPECT_TRUE(SameCoverage(Lay("ABCDEF", wide, DT_CENTER, 3), Lay("ABC", wide, DT_CENTER)));
    INT height = -1;
    const TextCoverage empty = Lay("", wide, DT_CENTER, -1, &height);
    EXPECT_EQ(empty.width, 0u);
    EXPECT_EQ(height, 0);
    const TextCoverage none = Lay("ABC", wide, DT_CENTER, 0, &height);
    EXPECT_EQ(none.width, 0u);
    EXPECT_EQ(height, 0);
    const TextCoverage spaces = Lay("   ", wide, DT_CENTER, -1, &height);
    EXPECT_EQ(spaces.width, 0u);  // laid out, but no ink
    EXPECT_EQ(height, HudFont().LineHeight());
}

namespace {

// The coverage worked out one pixel at a time: each pixel of the laid-out box
// holds the strongest of the glyph pixels placed on it.
std::vector<uint8_t> StrongestGlyphPixels(TextFont& font, const char* text, const RECT& rect,
                                          const TextCoverage& laid) {
    std::vector<uint8_t> canvas(size_t{laid.width} * laid.height, 0);
    int64_t pen = rect.left;
    const int64_t baseline = int64_t{rect.top} + font.Ascent();
    for (const char* c = text; *c; ++c) {
        const TextFont::Glyph& glyph = font.GlyphFor(static_cast<uint8_t>(*c));
        for (UINT gy = 0; gy < glyph.rows; ++gy) {
            for (UINT gx = 0; gx < glyph.width; ++gx) {
                const int64_t x = pen + glyph.left + gx - laid.left;
                const int64_t y = baseline - glyph.top + gy - laid.top;
                if (x < 0 || y < 0 || x >= laid.width || y >= laid.height) continue;
                uint8_t& pixel = canvas[size_t(y) * laid.width + size_t(x)];
                pixel = std::max(pixel, glyph.coverage[size_t{gy} * glyph.width + gx]);
            }
        }
        pen += glyph.advance;
    }
    return canvas;
}

}  // namespace

TEST(TextLayout, EachPixelHoldsTheStrongestGlyphOnIt) {
    // Glyphs that reach into their neighbours' boxes, at the HUD's size and at
    // sizes whose glyph rows are wider than 16 and 32 pixels, whole and cut
    // by the rectangle at odd places.
    std::unique_ptr<TextFont> large;
    std::unique_ptr<TextFont> huge;
    ASSERT_EQ(CreateTextFont("Arial", -70, 700, FALSE, large), S_OK);
    ASSERT_EQ(CreateTextFont("Arial", -150, 700, FALSE, huge), S_OK);
    const char* const texts[] = {"AVAWAY Tj ff", "Lap:3 Time:81.27", "WMjy/\\|_", "i.l,1"};
    const RECT rectangles[] = {{3, 5, 2000, 400}, {-7, -3, 141, 31}, {11, 17, 90, 60}};
    for (TextFont* font : {&HudFont(), large.get(), huge.get()}) {
        for (const char* text : texts) {
            for (const RECT& rect : rectangles) {
                TextCoverage laid;
                LayoutText(*font, text, -1, rect, DT_LEFT | DT_SINGLELINE, laid);
                EXPECT_EQ(laid.alpha, StrongestGlyphPixels(*font, text, rect, laid))
                    << text << " in " << rect.left << "," << rect.top << "," << rect.right << ","
                    << rect.bottom << " at " << font->LineHeight() << " pixels";
            }
        }
    }
}
