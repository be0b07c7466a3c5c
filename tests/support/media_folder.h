#pragma once
// A media folder of the test's own, with the program pretending to live beside
// it, and writers for the small files the renderer tests load.
#include <string>
#include <vector>

#include "tests/support/temporary_directory.h"

class MediaFolder {
  public:
    MediaFolder();
    ~MediaFolder();

    // A text .x file of one triangle per material; each material names the
    // texture given for it ("" for none) and has the diffuse colour
    // (0.2 * (i + 1), 0.5, 1, 1).
    void WriteMesh(const std::string& name, const std::vector<std::string>& textures) const;
    // A 1 x 1 24-bit BMP texture.
    void WriteTexture(const std::string& name) const;
    void WriteBytes(const std::string& name, const std::string& bytes) const;
    // Every file of `directory` (the generated media, say), copied in.
    void CopyFilesFrom(const std::string& directory) const;

    std::string Path(const std::string& name) const { return folder.File("media/" + name); }

  private:
    TemporaryDirectory folder;
};
