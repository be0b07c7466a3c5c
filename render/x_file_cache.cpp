// LoadXFile keeps what the last files it read gave. The game makes every
// object from its file anew, and every Start makes them all again: the track
// alone is 2.3 MB of text, a third of the Start. Bytes equal to a kept file's
// give its result without parsing again; the bytes are kept, not a digest, so
// a file that changed is always read as it now stands.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/file_bytes.h"
#include "render/x_file.h"

namespace {

// Enough for every mesh file the game uses; a file bigger than a quarter of
// this is parsed every time rather than pushing the others out.
constexpr size_t keptBytesLimit = size_t{32} << 20;

struct KeptFile {
    std::vector<uint8_t> bytes;
    CpuMesh mesh;
    std::vector<MeshMaterial> materials;
};

std::mutex keptLock;
std::deque<KeptFile> kept;  // oldest first
size_t keptBytes = 0;

bool FindKept(const std::vector<uint8_t>& bytes, CpuMesh& mesh,
              std::vector<MeshMaterial>& materials) {
    for (const KeptFile& file : kept) {
        if (file.bytes != bytes) continue;
        mesh = file.mesh;
        materials = file.materials;
        return true;
    }
    return false;
}

void Keep(std::vector<uint8_t> bytes, const CpuMesh& mesh,
          const std::vector<MeshMaterial>& materials) {
    if (bytes.size() > keptBytesLimit / 4) return;
    while (!kept.empty() && keptBytes + bytes.size() > keptBytesLimit) {
        keptBytes -= kept.front().bytes.size();
        kept.pop_front();
    }
    keptBytes += bytes.size();
    kept.push_back({std::move(bytes), mesh, materials});
}

}  // namespace

HRESULT LoadXFile(const char* path, CpuMesh& mesh, std::vector<MeshMaterial>& materials) {
    if (!path) return E_INVALIDARG;
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, maxXFileSize, bytes)) return E_FAIL;
    std::lock_guard<std::mutex> hold(keptLock);
    if (FindKept(bytes, mesh, materials)) return S_OK;
    CpuMesh parsed;
    std::vector<MeshMaterial> parsedMaterials;
    const HRESULT result = ParseXFile(bytes.data(), bytes.size(), parsed, parsedMaterials);
    if (FAILED(result)) return result;
    Keep(std::move(bytes), parsed, parsedMaterials);
    mesh = std::move(parsed);
    materials = std::move(parsedMaterials);
    return S_OK;
}
