// LoadXFile keeps what the last files it read gave. The game makes every
// object from its file anew, and every Start makes them all again: the track
// alone is 2.3 MB of text, a third of the Start. Bytes equal to a kept file's
// give its result without parsing again. A file is known by its size and a
// 64-bit hash of its bytes rather than by the bytes themselves, which would
// be kept beside the mesh made from them for as long as the game runs: a file
// that changed is read as it now stands unless its hash happens to match,
// odds of one in 2^64 (2^32 where a size_t has 32 bits).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/file_bytes.h"
#include "render/x_file.h"

namespace {

// Enough for every mesh file the game uses, counted in the bytes of the
// files; a file bigger than a quarter of this is parsed every time rather
// than pushing the others out.
constexpr size_t keptBytesLimit = size_t{32} << 20;

struct FileKey {
    size_t size;
    size_t hash;

    bool operator==(const FileKey& other) const { return size == other.size && hash == other.hash; }
};

FileKey KeyOf(const std::vector<uint8_t>& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return {bytes.size(), std::hash<std::string_view>{}(text)};
}

struct KeptFile {
    FileKey key;
    std::shared_ptr<const CpuMesh> mesh;
    std::vector<MeshMaterial> materials;
};

std::mutex keptLock;
std::deque<KeptFile> kept;  // oldest first
size_t keptBytes = 0;

bool FindKept(const FileKey& key, std::shared_ptr<const CpuMesh>& mesh,
              std::vector<MeshMaterial>& materials) {
    for (const KeptFile& file : kept) {
        if (!(file.key == key)) continue;
        mesh = file.mesh;
        materials = file.materials;
        return true;
    }
    return false;
}

void Keep(const FileKey& key, const std::shared_ptr<const CpuMesh>& mesh,
          const std::vector<MeshMaterial>& materials) {
    if (key.size > keptBytesLimit / 4) return;
    while (!kept.empty() && keptBytes + key.size > keptBytesLimit) {
        keptBytes -= kept.front().key.size;
        kept.pop_front();
    }
    keptBytes += key.size;
    kept.push_back({key, mesh, materials});
}

}  // namespace

HRESULT LoadSharedXFile(const char* path, std::shared_ptr<const CpuMesh>& mesh,
                        std::vector<MeshMaterial>& materials) {
    if (!path) return E_INVALIDARG;
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, maxXFileSize, bytes)) return E_FAIL;
    const FileKey key = KeyOf(bytes);
    std::lock_guard<std::mutex> hold(keptLock);
    if (FindKept(key, mesh, materials)) return S_OK;
    auto parsed = std::make_shared<CpuMesh>();
    std::vector<MeshMaterial> parsedMaterials;
    const HRESULT result = ParseXFile(bytes.data(), bytes.size(), *parsed, parsedMaterials);
    if (FAILED(result)) return result;
    Keep(key, parsed, parsedMaterials);
    mesh = std::move(parsed);
    materials = std::move(parsedMaterials);
    return S_OK;
}

HRESULT LoadXFile(const char* path, CpuMesh& mesh, std::vector<MeshMaterial>& materials) {
    std::shared_ptr<const CpuMesh> shared;
    std::vector<MeshMaterial> loadedMaterials;
    const HRESULT result = LoadSharedXFile(path, shared, loadedMaterials);
    if (FAILED(result)) return result;
    mesh = *shared;
    materials = std::move(loadedMaterials);
    return S_OK;
}
