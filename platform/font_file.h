#pragma once
// Where the outline font for a face name lies, as the system's font mapper
// chooses it: fontconfig on the desktop (whose aliases give Liberation Sans
// for "Arial"), the font files packed with the page in a browser.
#include <string>

struct FontFile {
    std::string path;
    int index = 0;  // of the face in a collection
    // The family has no face of this weight or slant: the glyphs are to be
    // made bolder, or slanted by this 2x2 matrix (x' = xx x + xy y, ...).
    bool embolden = false;
    bool slanted = false;
    double xx = 1.0;
    double xy = 0.0;
    double yx = 0.0;
    double yy = 1.0;
};

// The file for `faceName` (empty: the default face) at a Windows weight
// (1 to 1000, 400 normal, 700 bold) and slant; false when there is none.
bool FindFontFile(const char* faceName, int weight, bool italic, FontFile& found);
