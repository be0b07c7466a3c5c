#include "tests/support/media_folder.h"

#include <filesystem>
#include <fstream>

#include "platform/module_path.h"

MediaFolder::MediaFolder() {
    std::filesystem::create_directory(folder.File("media"));
    SetModuleFileNameForTesting(folder.File("kestrune"));
}

MediaFolder::~MediaFolder() {
    SetModuleFileNameForTesting("");
}

void MediaFolder::WriteBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream file(Path(name), std::ios::binary | std::ios::trunc);
    file << bytes;
}

void MediaFolder::CopyFilesFrom(const std::string& directory) const {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        std::filesystem::copy_file(entry.path(), Path(entry.path().filename().string()),
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

void MediaFolder::WriteMesh(const std::string& name,
                            const std::vector<std::string>& textures) const {
    const size_t count = textures.size();
    std::string text = "xof 0303txt 0032\nMesh {\n" + std::to_string(3 * count) + ";\n";
    for (size_t i = 0; i < count; ++i) {
        const std::string x = std::to_string(i);
        text += x + ";0;0;,\n" + x + ";1;0;,\n" + x + ".5;0;1;" + (i + 1 == count ? ";\n" : ",\n");
    }
    text += std::to_string(count) + ";\n";
    for (size_t i = 0; i < count; ++i) {
        text += "3;" + std::to_string(3 * i) + "," + std::to_string(3 * i + 1) + "," +
                std::to_string(3 * i + 2) + (i + 1 == count ? ";;\n" : ";,\n");
    }
    text += "MeshMaterialList {\n" + std::to_string(count) + ";\n" + std::to_string(count) + ";\n";
    for (size_t i = 0; i < count; ++i)
        text += std::to_string(i) + (i + 1 == count ? ";;\n" : ",\n");
    for (size_t i = 0; i < count; ++i) {
        text += "Material {\n" + std::to_string(0.2 * static_cast<double>(i + 1)) +
                ";0.5;1.0;1.0;;\n8.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n";
        if (!textures[i].empty()) text += "TextureFilename { \"" + textures[i] + "\"; }\n";
        text += "}\n";
    }
    text += "}\n}\n";
    WriteBytes(name, text);
}

void MediaFolder::WriteTexture(const std::string& name) const {
    // File header (14 bytes), BITMAPINFOHEADER (40 bytes), one blue-green-red
    // pixel padded to four bytes.
    const unsigned char bytes[] = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // size 58, pixels at 54
        40,  0,   0,  0, 1, 0, 0, 0, 1, 0, 0,  0,        // 1 x 1
        1,   0,   24, 0, 0, 0, 0, 0, 4, 0, 0,  0,        // 1 plane, 24 bits, BI_RGB, 4 bytes
        0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0x10, 0x80, 0xF0, 0};
    WriteBytes(name, std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
}
