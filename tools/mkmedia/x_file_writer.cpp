#include "x_file_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "image_files.h"
#include "tools/encoders/encoded_file.h"

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    // Tiny negatives print as "-0.000000"; one spelling of zero keeps the
    // files easy to compare.
    if (std::strcmp(text, "-0.000000") == 0) return "0.000000";
    return text;
}

std::string ColourRgba(const Colour& c) {
    return Number(c.r) + ";" + Number(c.g) + ";" + Number(c.b) + ";" + Number(c.a) + ";;";
}

std::string ColourRgb(const Colour& c) {
    return Number(c.r) + ";" + Number(c.g) + ";" + Number(c.b) + ";;";
}

std::string MaterialObject(const ModelMaterial& material, const std::string& indent) {
    std::string text = indent + "Material " + material.name + " {\n";
    text += indent + " " + ColourRgba(material.diffuse) + "\n";
    text += indent + " " + Number(material.power) + ";\n";
    text += indent + " " + ColourRgb(material.specular) + "\n";
    text += indent + " " + ColourRgb(material.emissive) + "\n";
    if (!material.texture.empty()) {
        text += indent + " TextureFilename {\n";
        text += indent + "  \"" + material.texture + "\";\n";
        text += indent + " }\n";
    }
    text += indent + "}\n";
    return text;
}

// Elements separated by "," and the list closed by ";", each element already
// ending in its own ";" where the template has one.
template <typename Element>
void AppendList(std::string& text, size_t count, Element element) {
    for (size_t i = 0; i < count; ++i) {
        text += "  " + element(i) + (i + 1 < count ? ",\n" : ";\n");
    }
}

// Binary tokens.
enum Token : uint16_t {
    TOKEN_NAME = 1,
    TOKEN_STRING = 2,
    TOKEN_INTEGER_LIST = 6,
    TOKEN_FLOAT_LIST = 7,
    TOKEN_OBRACE = 10,
    TOKEN_CBRACE = 11,
    TOKEN_SEMICOLON = 20,
};

struct TokenStream {
    std::vector<uint8_t> bytes;

    void U16(uint32_t value) {
        bytes.push_back(value & 0xFF);
        bytes.push_back((value >> 8) & 0xFF);
    }
    void U32(uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void Name(const std::string& name) {
        U16(TOKEN_NAME);
        U32(static_cast<uint32_t>(name.size()));
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    void String(const std::string& text) {
        U16(TOKEN_STRING);
        U32(static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        U16(TOKEN_SEMICOLON);
    }
    void Open() { U16(TOKEN_OBRACE); }
    void Close() { U16(TOKEN_CBRACE); }
    void Integers(const std::vector<uint32_t>& values) {
        U16(TOKEN_INTEGER_LIST);
        U32(static_cast<uint32_t>(values.size()));
        for (uint32_t value : values) U32(value);
    }
    void Floats(const std::vector<double>& values) {
        U16(TOKEN_FLOAT_LIST);
        U32(static_cast<uint32_t>(values.size()));
        for (double value : values) {
            float f = static_cast<float>(value);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            U32(bits);
        }
    }
};

}  // namespace

bool WriteTextXFile(const std::string& path, const Model& model, MaterialStyle style) {
    std::string text = "xof 0303txt 0032\n\n";
    if (style == MaterialStyle::References) {
        for (const ModelMaterial& material : model.materials)
            text += MaterialObject(material, "") + "\n";
    }
    text += "Frame " + model.name + " {\n";
    text +=
        " FrameTransformMatrix {\n  1.000000,0.000000,0.000000,0.000000,"
        "0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,"
        "0.000000,0.000000,0.000000,1.000000;;\n }\n";
    text += " Mesh " + model.name + "Mesh {\n";
    text += "  " + std::to_string(model.vertices.size()) + ";\n";
    AppendList(text, model.vertices.size(), [&](size_t i) {
        const Vec3& p = model.vertices[i].position;
        return Number(p.x) + ";" + Number(p.y) + ";" + Number(p.z) + ";";
    });
    text += "  " + std::to_string(model.faces.size()) + ";\n";
    auto face = [&](size_t i) {
        const auto& f = model.faces[i];
        return "3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," +
               std::to_string(f[2]) + ";";
    };
    AppendList(text, model.faces.size(), face);

    text += "  MeshNormals {\n";
    text += "  " + std::to_string(model.vertices.size()) + ";\n";
    AppendList(text, model.vertices.size(), [&](size_t i) {
        const Vec3& n = model.vertices[i].normal;
        return Number(n.x) + ";" + Number(n.y) + ";" + Number(n.z) + ";";
    });
    // Normals are stored per vertex, so the normal faces repeat the faces.
    text += "  " + std::to_string(model.faces.size()) + ";\n";
    AppendList(text, model.faces.size(), face);
    text += "  }\n";

    text += "  MeshTextureCoords {\n";
    text += "  " + std::to_string(model.vertices.size()) + ";\n";
    AppendList(text, model.vertices.size(), [&](size_t i) {
        return Number(model.vertices[i].u) + ";" + Number(model.vertices[i].v) + ";";
    });
    text += "  }\n";

    text += "  MeshMaterialList {\n";
    text += "  " + std::to_string(model.materials.size()) + ";\n";
    text += "  " + std::to_string(model.faceMaterials.size()) + ";\n";
    for (size_t i = 0; i < model.faceMaterials.size(); ++i) {
        text += "  " + std::to_string(model.faceMaterials[i]) +
                (i + 1 < model.faceMaterials.size() ? ",\n" : ";\n");
    }
    for (const ModelMaterial& material : model.materials) {
        if (style == MaterialStyle::References) {
            text += "  { " + material.name + " }\n";
        } else {
            text += MaterialObject(material, "  ");
        }
    }
    text += "  }\n";
    text += " }\n";
    text += "}\n";
    return WriteText(path, text);
}

bool WriteBinaryXFile(const std::string& path, const Model& model) {
    TokenStream out;
    const std::string header = "xof 0303bin 0032";
    out.bytes.assign(header.begin(), header.end());

    out.Name("Frame");
    out.Name(model.name);
    out.Open();
    out.Name("FrameTransformMatrix");
    out.Open();
    out.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    out.Close();

    out.Name("Mesh");
    out.Name(model.name + "Mesh");
    out.Open();
    std::vector<double> positions, normals, coordinates;
    for (const ModelVertex& v : model.vertices) {
        positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
        normals.insert(normals.end(), {v.normal.x, v.normal.y, v.normal.z});
        coordinates.insert(coordinates.end(), {v.u, v.v});
    }
    std::vector<uint32_t> faces{static_cast<uint32_t>(model.faces.size())};
    for (const auto& f : model.faces) faces.insert(faces.end(), {3, f[0], f[1], f[2]});
    out.Integers({static_cast<uint32_t>(model.vertices.size())});
    out.Floats(positions);
    out.Integers(faces);

    out.Name("MeshNormals");
    out.Open();
    out.Integers({static_cast<uint32_t>(model.vertices.size())});
    out.Floats(normals);
    out.Integers(faces);
    out.Close();

    out.Name("MeshTextureCoords");
    out.Open();
    out.Integers({static_cast<uint32_t>(model.vertices.size())});
    out.Floats(coordinates);
    out.Close();

    out.Name("MeshMaterialList");
    out.Open();
    std::vector<uint32_t> list{static_cast<uint32_t>(model.materials.size()),
                               static_cast<uint32_t>(model.faceMaterials.size())};
    list.insert(list.end(), model.faceMaterials.begin(), model.faceMaterials.end());
    out.Integers(list);
    for (const ModelMaterial& material : model.materials) {
        out.Name("Material");
        out.Name(material.name);
        out.Open();
        const Colour& d = material.diffuse;
        const Colour& s = material.specular;
        const Colour& e = material.emissive;
        out.Floats({d.r, d.g, d.b, d.a, material.power, s.r, s.g, s.b, e.r, e.g, e.b});
        if (!material.texture.empty()) {
            out.Name("TextureFilename");
            out.Open();
            out.String(material.texture);
            out.Close();
        }
        out.Close();
    }
    out.Close();  // MeshMaterialList
    out.Close();  // Mesh
    out.Close();  // Frame
    return WriteBytesToFile(path, out.bytes);
}
