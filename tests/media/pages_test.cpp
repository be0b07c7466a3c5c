// The splash picture, through the GDI bitmap stand-in the window paints it
// from, and the help page the Help menu opens.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "media_files.h"
#include "platform/gdi_bitmap.h"

namespace {

std::string ReadText(const std::string& name) {
    std::ifstream file(MediaFile(name), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Pixels in a band of rows that are light enough to be lettering on the
// dark click area.
int LightPixels(const GdiBitmap& bitmap, int firstRow, int lastRow) {
    int count = 0;
    for (int y = firstRow; y < lastRow; ++y) {
        for (int x = 0; x < 632; ++x) {
            COLORREF c = bitmap.GetPixel(x, y);
            if ((c & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && ((c >> 16) & 0xFF) > 200) ++count;
        }
    }
    return count;
}

TEST(Splash, FillsThePaintedAreaOf632By426) {
    GdiBitmap splash;
    ASSERT_TRUE(splash.LoadFromFile(MediaFile("velmo2.bmp").c_str()));
    EXPECT_GE(splash.Width(), 632);
    EXPECT_GE(splash.Height(), 426);
    // A 24-bit BMP.
    std::string head = ReadText("velmo2.bmp").substr(0, 30);
    ASSERT_EQ(head.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(head[28]), 24);
}

TEST(Splash, InvitesAClickBelowRow350) {
    GdiBitmap splash;
    ASSERT_TRUE(splash.LoadFromFile(MediaFile("velmo2.bmp").c_str()));
    // Lettering in the clickable band that the window shows (rows 350 to 426).
    EXPECT_GT(LightPixels(splash, 351, 426), 500);
}

TEST(HelpPage, IsSelfContainedAndCoversTheGame) {
    std::string page = ReadText("velmo.htm");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(page.find("<html"), std::string::npos);
    // Nothing fetched from elsewhere.
    for (const char* outside : {"http:", "https:", "src=", "<link", "<script", "url("}) {
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    }
    for (const char* topic :
         {"five laps", "Esc", "File &gt; Start", "Options", "Exit", "Zorveks", "fourth hit",
          "GAME OVER", "You made it 5 laps!", "Lights", "Windowed", "controller", "Left stick",
          // Laps are driven, not collected by rocking over the line.
          "driven through every part of the course", "rocking back and forth",
          // Pausing and the keys.
          "<kbd>P</kbd>", "Paused: press P, Start or click to go on", "Driving with the keys",
          "<kbd>W</kbd>", "<kbd>A</kbd>", "<kbd>S</kbd>", "<kbd>D</kbd>", "&larr;",
          // Full screen keeps the picture's shape; Alt+Enter and when it acts.
          "black bars", "Desktop", "<kbd>Alt</kbd>+<kbd>Enter</kbd>",
          "In a race it takes effect at once",
          // The records are kept, and the ghost can be hidden.
          "Best lap", "ghost", "Press <kbd>G</kbd>", "records.txt"}) {
        EXPECT_NE(page.find(topic), std::string::npos) << topic;
    }
}

}  // namespace
