#include "sound/wav_file.h"

#include <bit>
#include <cstring>
#include <limits>

// Format records are copied from the file byte for byte.
static_assert(std::endian::native == std::endian::little, "wave files are little-endian");

namespace {

constexpr FOURCC waveForm = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC formatChunkId = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC dataChunkId = mmioFOURCC('d', 'a', 't', 'a');

}  // namespace

WavFile::~WavFile() {
    Close();
}

HRESULT WavFile::Open(const char* path) {
    if (!path) return E_INVALIDARG;
    // A second open starts from nothing rather than leaking the first file.
    Close();
    format.clear();
    dataSize = 0;
    // The game ships no sounds inside the program, so a file that can't be
    // opened is simply missing.
    return OpenHandle(mmioOpenA(path, nullptr, MMIO_ALLOCBUF | MMIO_READ));
}

HRESULT WavFile::OpenMemory(const BYTE* bytes, DWORD size) {
    // The memory interface counts in 32-bit signed sizes.
    if (!bytes || size > static_cast<DWORD>(std::numeric_limits<LONG>::max())) return E_INVALIDARG;
    Close();
    format.clear();
    dataSize = 0;
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    info.cchBuffer = static_cast<LONG>(size);
    return OpenHandle(mmioOpenA(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ));
}

HRESULT WavFile::OpenHandle(HMMIO opened) {
    handle = opened;
    if (!handle) return E_FAIL;
    if (FAILED(ParseHeader())) {
        mmioClose(handle, 0);
        handle = nullptr;
        return E_FAIL;
    }
    if (FAILED(ResetToData())) return E_FAIL;
    dataSize = dataChunk.cksize;
    return S_OK;
}

const WAVEFORMATEX* WavFile::Format() const {
    return format.empty() ? nullptr : reinterpret_cast<const WAVEFORMATEX*>(format.data());
}

HRESULT WavFile::ParseHeader() {
    format.clear();
    if (mmioDescend(handle, &riffChunk, nullptr, 0) != MMSYSERR_NOERROR) return E_FAIL;
    if (riffChunk.ckid != FOURCC_RIFF || riffChunk.fccType != waveForm) return E_FAIL;

    MMCKINFO formatChunk{};
    formatChunk.ckid = formatChunkId;
    if (mmioDescend(handle, &formatChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    if (formatChunk.cksize < sizeof(PCMWAVEFORMAT)) return E_FAIL;
    PCMWAVEFORMAT pcm;
    if (mmioRead(handle, reinterpret_cast<char*>(&pcm), sizeof(pcm)) != sizeof(pcm)) {
        return E_FAIL;
    }

    std::vector<BYTE> block;
    if (pcm.wf.wFormatTag == WAVE_FORMAT_PCM) {
        // A PCM file's own cbSize, if it has one, is not read: it is 0.
        block.assign(sizeof(WAVEFORMATEX), 0);
        std::memcpy(block.data(), &pcm, sizeof(pcm));
    } else {
        // The extra count and the extra bytes must lie inside the chunk; read
        // blindly, they would come from whatever chunk follows.
        if (formatChunk.cksize < sizeof(WAVEFORMATEX)) return E_FAIL;
        WORD extraBytes = 0;
        if (mmioRead(handle, reinterpret_cast<char*>(&extraBytes), sizeof(extraBytes)) !=
            sizeof(extraBytes)) {
            return E_FAIL;
        }
        if (formatChunk.cksize - sizeof(WAVEFORMATEX) < extraBytes) return E_FAIL;
        block.assign(sizeof(WAVEFORMATEX) + extraBytes, 0);
        std::memcpy(block.data(), &pcm, sizeof(pcm));
        std::memcpy(block.data() + sizeof(pcm), &extraBytes, sizeof(extraBytes));
        const LONG got = mmioRead(
            handle, reinterpret_cast<char*>(block.data() + sizeof(WAVEFORMATEX)), extraBytes);
        if (got != extraBytes) return E_FAIL;
    }
    if (mmioAscend(handle, &formatChunk, 0) != MMSYSERR_NOERROR) return E_FAIL;
    format = std::move(block);
    return S_OK;
}

HRESULT WavFile::ResetToData() {
    if (!handle) return CO_E_NOTINITIALIZED;
    // The first byte after the "WAVE" form type.
    if (mmioSeek(handle, static_cast<LONG>(riffChunk.dwDataOffset + 4), SEEK_SET) == -1) {
        return E_FAIL;
    }
    dataChunk = MMCKINFO{};
    dataChunk.ckid = dataChunkId;
    if (mmioDescend(handle, &dataChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    // A chunk that claims more than the file holds counts only the bytes
    // present: nothing larger than the file is ever allocated for it, and no
    // buffer is left part unwritten.
    const LONG here = mmioSeek(handle, 0, SEEK_CUR);
    const LONG end = mmioSeek(handle, 0, SEEK_END);
    if (here == -1 || end == -1 || mmioSeek(handle, here, SEEK_SET) == -1) return E_FAIL;
    const DWORD present = end > here ? static_cast<DWORD>(end - here) : 0;
    if (dataChunk.cksize > present) dataChunk.cksize = present;
    return S_OK;
}

HRESULT WavFile::Read(BYTE* destination, DWORD count, DWORD* bytesRead) {
    if (!handle) return CO_E_NOTINITIALIZED;
    if (!destination || !bytesRead) return E_INVALIDARG;
    *bytesRead = 0;
    MMIOINFO info;
    if (mmioGetInfo(handle, &info, 0) != MMSYSERR_NOERROR) return E_FAIL;

    const DWORD wanted = count < dataChunk.cksize ? count : dataChunk.cksize;
    dataChunk.cksize -= wanted;
    DWORD copied = 0;
    while (copied < wanted) {
        if (info.pchNext == info.pchEndRead) {
            if (mmioAdvance(handle, &info, MMIO_READ) != MMSYSERR_NOERROR) return E_FAIL;
            // Still empty: the file ends before the chunk does.
            if (info.pchNext == info.pchEndRead) return E_FAIL;
        }
        const DWORD buffered = static_cast<DWORD>(info.pchEndRead - info.pchNext);
        const DWORD step = wanted - copied < buffered ? wanted - copied : buffered;
        std::memcpy(destination + copied, info.pchNext, step);
        info.pchNext += step;
        copied += step;
    }
    if (mmioSetInfo(handle, &info, 0) != MMSYSERR_NOERROR) return E_FAIL;
    *bytesRead = wanted;
    return S_OK;
}

HRESULT WavFile::Close() {
    if (handle) mmioClose(handle, 0);
    handle = nullptr;
    return S_OK;
}
