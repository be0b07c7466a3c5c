#include "render/x_file.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>

#include "render/d3dx_math.h"

namespace {

// Frames nest this deep at most; deeper is taken for a hostile file rather
// than risk the stack.
constexpr int maxNesting = 128;

// ---------------------------------------------------------------------------
// Tokens. Text and binary files differ only here: the parser sees one stream
// of names, strings, numbers and braces either way. Commas and semicolons
// carry no meaning the parser needs (every template it reads is fixed or
// counted), so they are dropped.

enum class TokenKind {
    End,
    Broken,
    Name,
    String,
    Integer,
    Float,
    OpenBrace,
    CloseBrace,
    Guid,
    Template,
    Other
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;  // names and strings
    int64_t integer = 0;
    double number = 0.0;  // integers too
};

Token Of(TokenKind kind) {
    Token token;
    token.kind = kind;
    return token;
}

// The binary format's token identifiers.
enum : uint16_t {
    TokenName = 1,
    TokenString = 2,
    TokenInteger = 3,
    TokenGuid = 5,
    TokenIntegerList = 6,
    TokenFloatList = 7,
    TokenOpenBrace = 10,
    TokenCloseBrace = 11,
    TokenComma = 19,
    TokenSemicolon = 20,
    TokenTemplate = 31,
};

class TokenReader {
  public:
    TokenReader(const uint8_t* bytes, size_t byteCount, bool isBinary, bool hasDoubles)
        : data(bytes), size(byteCount), binary(isBinary), doubles(hasDoubles) {}

    Token Next() {
        if (peeked) {
            peeked = false;
            return lookahead;
        }
        return binary ? LexBinary() : LexText();
    }

    const Token& Peek() {
        if (!peeked) {
            lookahead = binary ? LexBinary() : LexText();
            peeked = true;
        }
        return lookahead;
    }

    // Every number still to come needs at least one of these bytes, which
    // bounds any count the file states.
    size_t Remaining() const { return size - position; }

  private:
    static bool IsSpace(uint8_t c) { return c <= ' '; }
    // Asked of every byte of a text file (the ground mesh is well over a
    // megabyte of numbers), so the answers are a table made once.
    static bool IsWordByte(uint8_t c) { return wordBytes[c]; }
    static constexpr std::array<bool, 256> wordBytes = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c) table[c] = c > ' ';
        for (const char* c = "{}\"<>;,()[]"; *c != '\0'; ++c)
            table[static_cast<uint8_t>(*c)] = false;
        return table;
    }();

    Token LexText() {
        for (;;) {
            while (position < size &&
                   (IsSpace(data[position]) || data[position] == ',' || data[position] == ';'))
                ++position;
            if (position == size) return Of(TokenKind::End);
            const uint8_t c = data[position];
            if (c == '#' || (c == '/' && position + 1 < size && data[position + 1] == '/')) {
                while (position < size && data[position] != '\n') ++position;
                continue;
            }
            ++position;
            if (c == '{') return Of(TokenKind::OpenBrace);
            if (c == '}') return Of(TokenKind::CloseBrace);
            if (c == '"' || c == '<') {
                const uint8_t close = c == '"' ? '"' : '>';
                const size_t start = position;
                while (position < size && data[position] != close) ++position;
                if (position == size) return Of(TokenKind::Broken);
                Token token = Of(c == '"' ? TokenKind::String : TokenKind::Guid);
                token.text = Text(start, position - start);
                ++position;
                return token;
            }
            if (!IsWordByte(c)) return Of(TokenKind::Other);
            const size_t start = position - 1;
            while (position < size && IsWordByte(data[position])) ++position;
            return ClassifyWord(Text(start, position - start));
        }
    }

    // The whole of `text` as a floating-point number, as std::from_chars
    // reads one (which the browser build's C++ library lacks for doubles):
    // no leading space or '+', no hexadecimal, nothing out of range; "inf"
    // and "nan" as numbers.
    // strtod rounds as from_chars does; no code of the game sets a locale,
    // so its decimal point is '.'.
    static bool ReadWholeDecimal(std::string_view text, double& value) {
        if (text.empty() || text.front() == '+' || std::isspace(static_cast<uint8_t>(text.front())))
            return false;
        const std::string_view magnitude = text.front() == '-' ? text.substr(1) : text;
        if (magnitude.size() >= 2 && magnitude[0] == '0' &&
            (magnitude[1] == 'x' || magnitude[1] == 'X'))
            return false;
        const std::string copy(text);
        char* end = nullptr;
        errno = 0;
        const double parsed = std::strtod(copy.c_str(), &end);
        // Out of a double's range is no number, as from_chars has it.
        if (end != copy.c_str() + copy.size() || errno == ERANGE) return false;
        value = parsed;
        return true;
    }

    static Token ClassifyWord(std::string_view word) {
        if (word == "template") return Of(TokenKind::Template);
        std::string_view digits = word;
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        Token token;
        const char* end = digits.data() + digits.size();
        auto integer = std::from_chars(digits.data(), end, token.integer);
        if (integer.ec == std::errc() && integer.ptr == end) {
            token.kind = TokenKind::Integer;
            token.number = static_cast<double>(token.integer);
            return token;
        }
        if (ReadWholeDecimal(digits, token.number)) {
            token.kind = TokenKind::Float;
            return token;
        }
        token.kind = TokenKind::Name;
        token.text = word;
        return token;
    }

    Token LexBinary() {
        for (;;) {
            if (listRemaining > 0) {
                --listRemaining;  // its bytes were checked when the list began
                Token token;
                if (!listOfFloats) {
                    token.kind = TokenKind::Integer;
                    token.integer = ReadDword();
                    token.number = static_cast<double>(token.integer);
                } else if (doubles) {
                    token.kind = TokenKind::Float;
                    std::memcpy(&token.number, data + position, 8);
                    position += 8;
                } else {
                    float value;
                    std::memcpy(&value, data + position, 4);
                    position += 4;
                    token.kind = TokenKind::Float;
                    token.number = value;
                }
                return token;
            }
            if (position == size) return Of(TokenKind::End);
            if (Remaining() < 2) return Of(TokenKind::Broken);
            const uint16_t id = ReadWord();
            switch (id) {
                case TokenName:
                case TokenString: {
                    if (Remaining() < 4) return Of(TokenKind::Broken);
                    const uint32_t length = ReadDword();
                    if (length > Remaining()) return Of(TokenKind::Broken);
                    Token token = Of(id == TokenName ? TokenKind::Name : TokenKind::String);
                    token.text = Text(position, length);
                    position += length;
                    if (id == TokenString) SkipStringTerminator();
                    return token;
                }
                case TokenInteger: {
                    if (Remaining() < 4) return Of(TokenKind::Broken);
                    Token token = Of(TokenKind::Integer);
                    token.integer = ReadDword();
                    token.number = static_cast<double>(token.integer);
                    return token;
                }
                case TokenGuid:
                    if (Remaining() < 16) return Of(TokenKind::Broken);
                    position += 16;
                    return Of(TokenKind::Guid);
                case TokenIntegerList:
                case TokenFloatList: {
                    if (Remaining() < 4) return Of(TokenKind::Broken);
                    const uint32_t count = ReadDword();
                    listOfFloats = id == TokenFloatList;
                    const uint64_t elementSize = listOfFloats && doubles ? 8 : 4;
                    if (count * elementSize > Remaining()) return Of(TokenKind::Broken);
                    listRemaining = count;
                    continue;
                }
                case TokenOpenBrace:
                    return Of(TokenKind::OpenBrace);
                case TokenCloseBrace:
                    return Of(TokenKind::CloseBrace);
                case TokenComma:
                case TokenSemicolon:
                    continue;
                case TokenTemplate:
                    return Of(TokenKind::Template);
                default:
                    // Punctuation and the type keywords of template
                    // declarations, which are skipped whole.
                    if ((id >= 12 && id <= 18) || (id >= 40 && id <= 53))
                        return Of(TokenKind::Other);
                    return Of(TokenKind::Broken);
            }
        }
    }

    // A string ends with a comma or semicolon token, written by some as a
    // 16-bit token and by others as a 32-bit value. No token is 0, so a zero
    // word after the terminator can only be its upper half.
    void SkipStringTerminator() {
        if (Remaining() < 2) return;
        const uint16_t next = PeekWord(0);
        if (next != TokenComma && next != TokenSemicolon) return;
        position += 2;
        if (Remaining() >= 2 && PeekWord(0) == 0) position += 2;
    }

    uint16_t PeekWord(size_t offset) const {
        return static_cast<uint16_t>(data[position + offset] | data[position + offset + 1] << 8);
    }
    uint16_t ReadWord() {
        const uint16_t value = PeekWord(0);
        position += 2;
        return value;
    }
    uint32_t ReadDword() {
        const uint32_t value = uint32_t{data[position]} | uint32_t{data[position + 1]} << 8 |
                               uint32_t{data[position + 2]} << 16 |
                               uint32_t{data[position + 3]} << 24;
        position += 4;
        return value;
    }
    std::string_view Text(size_t start, size_t length) const {
        return {reinterpret_cast<const char*>(data + start), length};
    }

    const uint8_t* data;
    size_t size;
    size_t position = 0;
    bool binary;
    bool doubles;
    uint32_t listRemaining = 0;
    bool listOfFloats = false;
    bool peeked = false;
    Token lookahead;
};

// ---------------------------------------------------------------------------
// What the file holds, gathered before anything is merged: a frame's matrix
// may come after the meshes it carries, and a referenced material after the
// mesh that names it.

struct Frame {
    int parent;  // -1 at the top
    D3DXMATRIX local;
};

struct MaterialEntry {
    bool isReference = false;
    std::string referenceName;
    MeshMaterial material{};
};

struct FileMesh {
    int frame = -1;
    std::vector<D3DVECTOR> positions;
    std::vector<uint32_t> faceSizes;
    std::vector<uint32_t> faceCorners;  // position indices, all faces in a row
    bool hasNormals = false;
    std::vector<D3DVECTOR> normals;
    std::vector<uint32_t> normalCorners;  // normal indices, corner for corner
    bool normalsPerPosition = false;      // instead: normal i is position i's
    bool hasTextureCoordinates = false;
    std::vector<float> textureCoordinates;  // u, v per position
    bool hasMaterialList = false;
    std::vector<uint32_t> faceMaterials;  // as listed, at most one per face
    uint32_t lastFaceMaterial = 0;        // for the faces after the list
    std::vector<MaterialEntry> materials;
};

MeshMaterial WhiteMaterial() {
    MeshMaterial white{};
    white.material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    return white;
}

class Parser {
  public:
    explicit Parser(TokenReader& reader) : tokens(reader) {}

    bool ParseFile() {
        for (;;) {
            Token token = tokens.Next();
            switch (token.kind) {
                case TokenKind::End:
                    return true;
                case TokenKind::Template:
                    if (tokens.Next().kind != TokenKind::Name) return false;
                    if (tokens.Next().kind != TokenKind::OpenBrace || !SkipBody()) return false;
                    break;
                case TokenKind::Name: {
                    std::string_view name;
                    if (!ReadObjectHeader(name) || !ParseObject(token.text, name, -1, 0))
                        return false;
                    break;
                }
                case TokenKind::OpenBrace:  // a reference has no meaning at the top
                    if (!SkipBody()) return false;
                    break;
                case TokenKind::Broken:
                case TokenKind::CloseBrace:
                    return false;
                default:  // stray values
                    break;
            }
        }
    }

    std::vector<Frame> frames;
    std::vector<FileMesh> meshes;
    std::unordered_map<std::string, MeshMaterial> namedMaterials;

  private:
    // After an object's type: its optional name and GUID, then the brace.
    bool ReadObjectHeader(std::string_view& name) {
        name = {};
        if (tokens.Peek().kind == TokenKind::Name) name = tokens.Next().text;
        if (tokens.Peek().kind == TokenKind::Guid) tokens.Next();
        return tokens.Next().kind == TokenKind::OpenBrace;
    }

    // The rest of a body whose opening brace has been read, nested braces
    // included.
    bool SkipBody() {
        size_t depth = 1;
        while (depth > 0) {
            switch (tokens.Next().kind) {
                case TokenKind::OpenBrace:
                    ++depth;
                    break;
                case TokenKind::CloseBrace:
                    --depth;
                    break;
                case TokenKind::End:
                case TokenKind::Broken:
                    return false;
                default:
                    break;
            }
        }
        return true;
    }

    // The nested objects and references of a body, up to its closing brace.
    // onObject(type, name) is called with the object's brace read and must
    // read through its closing brace; onReference(name) for "{ Name }".
    template <typename OnObject, typename OnReference>
    bool ParseChildren(OnObject&& onObject, OnReference&& onReference) {
        for (;;) {
            Token token = tokens.Next();
            switch (token.kind) {
                case TokenKind::CloseBrace:
                    return true;
                case TokenKind::End:
                case TokenKind::Broken:
                case TokenKind::Template:
                    return false;
                case TokenKind::Name: {
                    std::string_view name;
                    if (!ReadObjectHeader(name) || !onObject(token.text, name)) return false;
                    break;
                }
                case TokenKind::OpenBrace: {
                    std::string_view name;
                    if (tokens.Peek().kind == TokenKind::Name) name = tokens.Next().text;
                    if (tokens.Peek().kind == TokenKind::Guid) tokens.Next();
                    if (tokens.Next().kind != TokenKind::CloseBrace) return false;
                    if (!onReference(name)) return false;
                    break;
                }
                default:  // stray values
                    break;
            }
        }
    }

    bool ParseObject(std::string_view type, std::string_view name, int frame, int nesting) {
        if (type == "Frame") return ParseFrame(frame, nesting);
        if (type == "Mesh") return ParseMesh(frame);
        if (type == "Material") {
            MeshMaterial material;
            if (!ParseMaterial(material)) return false;
            Remember(name, material);
            return true;
        }
        return SkipBody();
    }

    bool ParseFrame(int parent, int nesting) {
        if (nesting >= maxNesting) return false;
        const int self = static_cast<int>(frames.size());
        frames.push_back({parent, D3DXMATRIX()});
        D3DXMatrixIdentity(&frames.back().local);
        return ParseChildren(
            [&](std::string_view type, std::string_view name) {
                if (type == "FrameTransformMatrix") {
                    for (int i = 0; i < 16; ++i)
                        if (!ReadFloat(frames[self].local.m[i / 4][i % 4])) return false;
                    return SkipBody();
                }
                return ParseObject(type, name, self, nesting + 1);
            },
            [](std::string_view) { return true; });
    }

    bool ParseMesh(int frame) {
        FileMesh mesh;
        mesh.frame = frame;
        uint32_t vertexCount, faceCount;
        if (!ReadCount(vertexCount, 3) || !ReadVectors(mesh.positions, vertexCount)) return false;
        if (!ReadCount(faceCount, 1) ||
            !ReadFaces(mesh.faceSizes, mesh.faceCorners, faceCount, vertexCount, nullptr))
            return false;
        const bool parsed = ParseChildren(
            [&](std::string_view type, std::string_view) {
                if (type == "MeshNormals") return ParseNormals(mesh);
                if (type == "MeshTextureCoords") return ParseTextureCoordinates(mesh);
                if (type == "MeshMaterialList") return ParseMaterialList(mesh);
                return SkipBody();
            },
            [](std::string_view) { return true; });
        if (!parsed) return false;
        meshes.push_back(std::move(mesh));
        return true;
    }

    bool ParseNormals(FileMesh& mesh) {
        uint32_t normalCount, faceCount;
        mesh.normals.clear();
        mesh.normalCorners.clear();
        mesh.normalsPerPosition = false;
        if (!ReadCount(normalCount, 3) || !ReadVectors(mesh.normals, normalCount)) return false;
        if (!ReadCount(faceCount, 1)) return false;
        // Some exporters give one normal per position and no normal faces.
        // Noted rather than copied from the mesh's faces: a mesh may repeat its
        // normals, and each copy would cost every corner again.
        if (faceCount == 0 && normalCount == mesh.positions.size()) {
            mesh.normalsPerPosition = true;
            mesh.hasNormals = true;
            return SkipBody();
        }
        // Otherwise normal faces match the mesh's faces one for one, corner
        // for corner.
        if (faceCount != mesh.faceSizes.size()) return false;
        std::vector<uint32_t> sizes;
        if (!ReadFaces(sizes, mesh.normalCorners, faceCount, normalCount, &mesh.faceSizes))
            return false;
        mesh.hasNormals = true;
        return SkipBody();
    }

    bool ParseTextureCoordinates(FileMesh& mesh) {
        uint32_t count;
        if (!ReadCount(count, 2) || count != mesh.positions.size()) return false;
        mesh.textureCoordinates.assign(2 * static_cast<size_t>(count), 0.0f);
        for (float& value : mesh.textureCoordinates)
            if (!ReadFloat(value)) return false;
        mesh.hasTextureCoordinates = true;
        return SkipBody();
    }

    bool ParseMaterialList(FileMesh& mesh) {
        uint32_t materialCount, indexCount;
        if (!ReadCount(materialCount, 1) || !ReadCount(indexCount, 1)) return false;
        const size_t faceCount = mesh.faceSizes.size();
        // Kept as listed, the faces after it to take the last index when
        // merged: a mesh may repeat its list, and filling in every face for
        // each one would cost the whole mesh again.
        mesh.faceMaterials.clear();
        uint32_t index = 0;
        for (uint32_t i = 0; i < indexCount; ++i) {
            if (!ReadInteger(index) || index >= materialCount) return false;
            if (i < faceCount) mesh.faceMaterials.push_back(index);
        }
        mesh.lastFaceMaterial = index;
        if (faceCount > 0 && materialCount == 0) return false;

        mesh.materials.clear();
        const bool parsed = ParseChildren(
            [&](std::string_view type, std::string_view name) {
                if (type != "Material") return SkipBody();
                MaterialEntry entry;
                if (!ParseMaterial(entry.material)) return false;
                Remember(name, entry.material);
                mesh.materials.push_back(std::move(entry));
                return true;
            },
            [&](std::string_view name) {
                MaterialEntry entry;
                entry.isReference = true;
                entry.referenceName = name;
                mesh.materials.push_back(std::move(entry));
                return true;
            });
        if (!parsed || mesh.materials.size() < materialCount) return false;
        mesh.materials.resize(materialCount);
        mesh.hasMaterialList = true;
        return true;
    }

    bool ParseMaterial(MeshMaterial& result) {
        MeshMaterial entry{};
        D3DMATERIAL9& material = entry.material;
        float power;
        if (!ReadFloat(material.Diffuse.r) || !ReadFloat(material.Diffuse.g) ||
            !ReadFloat(material.Diffuse.b) || !ReadFloat(material.Diffuse.a) || !ReadFloat(power) ||
            !ReadFloat(material.Specular.r) || !ReadFloat(material.Specular.g) ||
            !ReadFloat(material.Specular.b) || !ReadFloat(material.Emissive.r) ||
            !ReadFloat(material.Emissive.g) || !ReadFloat(material.Emissive.b))
            return false;
        material.Power = power;
        material.Specular.a = 1.0f;
        material.Emissive.a = 1.0f;
        const bool parsed = ParseChildren(
            [&](std::string_view type, std::string_view) {
                if (type != "TextureFilename" && type != "TextureFileName") return SkipBody();
                Token name = tokens.Next();
                if (name.kind != TokenKind::String) return false;
                entry.textureFilename.assign(name.text);
                return SkipBody();
            },
            [](std::string_view) { return true; });
        if (!parsed) return false;
        result = std::move(entry);
        return true;
    }

    void Remember(std::string_view name, const MeshMaterial& material) {
        if (!name.empty()) namedMaterials.emplace(std::string(name), material);
    }

    // A count of items of `numbersEach` numbers that the rest of the file
    // could actually hold.
    bool ReadCount(uint32_t& count, size_t numbersEach) {
        return ReadInteger(count) && count * uint64_t{numbersEach} <= tokens.Remaining();
    }

    bool ReadVectors(std::vector<D3DVECTOR>& vectors, uint32_t count) {
        vectors.assign(count, D3DVECTOR{});
        for (D3DVECTOR& v : vectors)
            if (!ReadFloat(v.x) || !ReadFloat(v.y) || !ReadFloat(v.z)) return false;
        return true;
    }

    // Faces as a count of corners and that many indices below `limit`; with
    // `expectedSizes`, each face must have the size given there.
    bool ReadFaces(std::vector<uint32_t>& sizes, std::vector<uint32_t>& corners, uint32_t count,
                   uint32_t limit, const std::vector<uint32_t>* expectedSizes) {
        sizes.assign(count, 0);
        corners.clear();
        for (uint32_t face = 0; face < count; ++face) {
            if (!ReadCount(sizes[face], 1)) return false;
            if (expectedSizes && (*expectedSizes)[face] != sizes[face]) return false;
            for (uint32_t corner = 0; corner < sizes[face]; ++corner) {
                uint32_t index;
                if (!ReadInteger(index) || index >= limit) return false;
                corners.push_back(index);
            }
        }
        return true;
    }

    bool ReadInteger(uint32_t& value) {
        const Token token = tokens.Next();
        if (token.kind != TokenKind::Integer || token.integer < 0 ||
            token.integer > std::numeric_limits<uint32_t>::max())
            return false;
        value = static_cast<uint32_t>(token.integer);
        return true;
    }

    bool ReadFloat(float& value) {
        const Token token = tokens.Next();
        if (token.kind != TokenKind::Integer && token.kind != TokenKind::Float) return false;
        const float narrowed = static_cast<float>(token.number);
        if (!std::isfinite(narrowed)) return false;
        value = narrowed;
        return true;
    }

    TokenReader& tokens;
};

// ---------------------------------------------------------------------------
// Merging.

// Normals go through the inverse transpose of the upper 3 x 3, which keeps
// them perpendicular under any scaling; as they are normalised afterwards,
// the cofactor matrix with the determinant's sign will do.
D3DXMATRIX NormalMatrix(const D3DMATRIX& m) {
    const float a = m._11, b = m._12, c = m._13;
    const float d = m._21, e = m._22, f = m._23;
    const float g = m._31, h = m._32, i = m._33;
    D3DXMATRIX n;
    n._11 = e * i - f * h, n._12 = f * g - d * i, n._13 = d * h - e * g;
    n._21 = c * h - b * i, n._22 = a * i - c * g, n._23 = b * g - a * h;
    n._31 = b * f - c * e, n._32 = c * d - a * f, n._33 = a * e - b * d;
    const float determinant = a * n._11 + b * n._12 + c * n._13;
    if (determinant < 0.0f) {
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) n.m[row][column] = -n.m[row][column];
    }
    n._44 = 1.0f;
    return n;
}

struct Triangle {
    uint32_t corner[3];
    uint32_t material;
};

// Each frame's matrix times its parents', outermost last. A parent always
// comes before its children.
std::vector<D3DXMATRIX> WorldMatrices(const std::vector<Frame>& frames) {
    std::vector<D3DXMATRIX> world(frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame& frame = frames[i];
        world[i] = frame.local;
        if (frame.parent >= 0) D3DXMatrixMultiply(&world[i], &world[i], &world[frame.parent]);
    }
    return world;
}

// The mesh's own materials, references resolved, or one white material for a
// mesh without a list. False for a reference to no material of the file.
bool AppendMaterials(const Parser& parser, const FileMesh& file,
                     std::vector<MeshMaterial>& materials) {
    if (!file.hasMaterialList || file.materials.empty()) {
        materials.push_back(WhiteMaterial());
        return true;
    }
    for (const MaterialEntry& entry : file.materials) {
        if (!entry.isReference) {
            materials.push_back(entry.material);
            continue;
        }
        auto named = parser.namedMaterials.find(entry.referenceName);
        if (named == parser.namedMaterials.end()) return false;
        materials.push_back(named->second);
    }
    return true;
}

// One vertex per position, moved into the world, with its texture
// coordinates; the normals come with the faces. False when a position leaves
// the range of floats.
bool AppendPositions(const FileMesh& file, const D3DXMATRIX& transform, CpuMesh& mesh) {
    for (size_t p = 0; p < file.positions.size(); ++p) {
        MeshVertex vertex{};
        // Frames are affine: the fourth column is not looked at.
        const D3DVECTOR& at = file.positions[p];
        vertex.position = D3DVECTOR{
            at.x * transform._11 + at.y * transform._21 + at.z * transform._31 + transform._41,
            at.x * transform._12 + at.y * transform._22 + at.z * transform._32 + transform._42,
            at.x * transform._13 + at.y * transform._23 + at.z * transform._33 + transform._43};
        if (!std::isfinite(vertex.position.x) || !std::isfinite(vertex.position.y) ||
            !std::isfinite(vertex.position.z))
            return false;
        if (file.hasTextureCoordinates) {
            vertex.u = file.textureCoordinates[2 * p];
            vertex.v = file.textureCoordinates[2 * p + 1];
        }
        mesh.vertices.push_back(vertex);
    }
    return true;
}

// The vertex a face corner uses: its position's own vertex, unless that
// already carries a different normal, in which case a copy with this normal
// is appended (once per position and normal).
class CornerVertices {
  public:
    CornerVertices(const FileMesh& fileMesh, uint32_t firstVertex, const D3DXMATRIX& normalMatrix,
                   CpuMesh& merged)
        : file(fileMesh),
          base(firstVertex),
          normalTransform(normalMatrix),
          mesh(merged),
          normalOfPosition(fileMesh.hasNormals ? fileMesh.positions.size() : 0, unset) {}

    uint32_t VertexOf(size_t corner) {
        const uint32_t position = file.faceCorners[corner];
        if (!file.hasNormals) return base + position;
        const uint32_t normal = file.normalsPerPosition ? position : file.normalCorners[corner];
        uint32_t& assigned = normalOfPosition[position];
        if (assigned == unset || assigned == normal) {
            if (assigned == unset) {
                assigned = normal;
                SetNormal(mesh.vertices[base + position], normal);
            }
            return base + position;
        }
        const uint64_t key = uint64_t{position} << 32 | normal;
        auto found = splitVertices.find(key);
        if (found != splitVertices.end()) return found->second;
        MeshVertex vertex = mesh.vertices[base + position];
        SetNormal(vertex, normal);
        const uint32_t index = static_cast<uint32_t>(mesh.vertices.size());
        mesh.vertices.push_back(vertex);
        splitVertices.emplace(key, index);
        return index;
    }

  private:
    static constexpr uint32_t unset = std::numeric_limits<uint32_t>::max();

    void SetNormal(MeshVertex& vertex, uint32_t normal) const {
        D3DXVec3TransformNormal(&vertex.normal, &file.normals[normal], &normalTransform);
        D3DXVec3Normalize(&vertex.normal, &vertex.normal);
    }

    const FileMesh& file;
    const uint32_t base;
    const D3DXMATRIX& normalTransform;
    CpuMesh& mesh;
    std::vector<uint32_t> normalOfPosition;
    std::unordered_map<uint64_t, uint32_t> splitVertices;
};

// The mesh's faces as triangles: a face of n corners becomes the fan
// (0 1 2, 0 2 3, ...); faces of fewer than three corners draw nothing.
void AppendTriangles(const FileMesh& file, uint32_t materialBase, CornerVertices& corners,
                     std::vector<Triangle>& triangles) {
    size_t first = 0;
    for (size_t face = 0; face < file.faceSizes.size(); ++face) {
        const uint32_t cornerCount = file.faceSizes[face];
        uint32_t material = materialBase;
        if (file.hasMaterialList && !file.materials.empty()) {
            material +=
                face < file.faceMaterials.size() ? file.faceMaterials[face] : file.lastFaceMaterial;
        }
        if (cornerCount >= 3) {
            const uint32_t pivot = corners.VertexOf(first);
            uint32_t previous = corners.VertexOf(first + 1);
            for (uint32_t corner = 2; corner < cornerCount; ++corner) {
                const uint32_t next = corners.VertexOf(first + corner);
                triangles.push_back({{pivot, previous, next}, material});
                previous = next;
            }
        }
        first += cornerCount;
    }
}

// The index list with one subset per material, keeping the file's order of
// the triangles within each.
void GroupByMaterial(const std::vector<Triangle>& triangles, size_t materialCount, CpuMesh& mesh) {
    mesh.subsets.assign(materialCount, MeshSubset{0, 0});
    for (const Triangle& triangle : triangles) mesh.subsets[triangle.material].indexCount += 3;
    uint32_t start = 0;
    for (MeshSubset& subset : mesh.subsets) {
        subset.firstIndex = start;
        start += subset.indexCount;
    }
    mesh.indices.assign(start, 0);
    std::vector<uint32_t> fill(materialCount);
    for (size_t i = 0; i < materialCount; ++i) fill[i] = mesh.subsets[i].firstIndex;
    for (const Triangle& triangle : triangles) {
        uint32_t& at = fill[triangle.material];
        for (uint32_t corner : triangle.corner) mesh.indices[at++] = corner;
    }
}

bool Merge(const Parser& parser, CpuMesh& result, std::vector<MeshMaterial>& resultMaterials) {
    const std::vector<D3DXMATRIX> world = WorldMatrices(parser.frames);
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
    std::vector<Triangle> triangles;
    for (const FileMesh& file : parser.meshes) {
        D3DXMATRIX transform;
        D3DXMatrixIdentity(&transform);
        if (file.frame >= 0) transform = world[file.frame];
        const D3DXMATRIX normalTransform = NormalMatrix(transform);

        const uint32_t materialBase = static_cast<uint32_t>(materials.size());
        if (!AppendMaterials(parser, file, materials)) return false;
        const uint32_t firstVertex = static_cast<uint32_t>(mesh.vertices.size());
        if (!AppendPositions(file, transform, mesh)) return false;
        CornerVertices corners(file, firstVertex, normalTransform, mesh);
        AppendTriangles(file, materialBase, corners, triangles);
    }
    if (triangles.empty()) return false;

    GroupByMaterial(triangles, materials.size(), mesh);
    result = std::move(mesh);
    resultMaterials = std::move(materials);
    return true;
}

}  // namespace

HRESULT ParseXFile(const uint8_t* bytes, size_t size, CpuMesh& mesh,
                   std::vector<MeshMaterial>& materials) {
    if (!bytes || size < 16 || size > maxXFileSize) return D3DXERR_INVALIDDATA;
    const std::string_view header(reinterpret_cast<const char*>(bytes), 16);
    if (header.substr(0, 6) != "xof 03") return D3DXERR_INVALIDDATA;
    const std::string_view minor = header.substr(6, 2);
    const std::string_view format = header.substr(8, 4);
    const std::string_view floatSize = header.substr(12, 4);
    if ((minor != "02" && minor != "03") || (format != "txt " && format != "bin ") ||
        (floatSize != "0032" && floatSize != "0064"))
        return D3DXERR_INVALIDDATA;  // compressed files ("tzip", "bzip") among them

    TokenReader tokens(bytes + 16, size - 16, format == "bin ", floatSize == "0064");
    Parser parser(tokens);
    if (!parser.ParseFile()) return D3DXERR_INVALIDDATA;
    if (!Merge(parser, mesh, materials)) return D3DXERR_INVALIDDATA;
    return S_OK;
}
