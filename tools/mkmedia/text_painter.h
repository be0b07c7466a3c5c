#pragma once
// Text for the splash and the advert, drawn with FreeType from the Liberation
// Sans Bold face that fontconfig finds.
#include <string>

#include "picture.h"

class TextPainter {
  public:
    TextPainter();
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    // False when no Liberation Sans Bold could be found or opened.
    bool IsReady() const { return face != nullptr; }
    // Width in pixels of `text` at a pixel height of `size`.
    double Measure(const std::string& text, int size);
    // Draws `text` with its baseline at `baseline`, starting at `left`.
    void Draw(Picture& picture, const std::string& text, double left, double baseline, int size,
              const Colour& colour);
    // The same, centred on `centre`.
    void DrawCentred(Picture& picture, const std::string& text, double centre, double baseline,
                     int size, const Colour& colour);

  private:
    void* library = nullptr;  // FT_Library
    void* face = nullptr;     // FT_Face
};
