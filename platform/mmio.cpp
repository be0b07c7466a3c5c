#include "platform/mmio.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "platform/file_bytes.h"

namespace {

constexpr int64_t largestOffset = std::numeric_limits<LONG>::max();

}  // namespace

// One open file or memory block with its read buffer. The buffer holds the
// bytes from bufferOffset on; next and endRead index into it.
struct MmioFile {
    int descriptor = -1;
    const char* memory = nullptr;
    int64_t memorySize = 0;
    FOURCC ioProcedure = FOURCC_DOS;

    std::vector<char> buffer = std::vector<char>(MMIO_DEFAULTBUFFER);
    int64_t bufferOffset = 0;
    size_t next = 0;
    size_t endRead = 0;

    MmioFile() = default;
    MmioFile(const MmioFile&) = delete;
    MmioFile& operator=(const MmioFile&) = delete;
    ~MmioFile() {
        if (descriptor >= 0) ::close(descriptor);
    }

    int64_t Position() const { return bufferOffset + static_cast<int64_t>(next); }

    // Bytes copied from `offset` on, 0 at or past the end, -1 on an error.
    int64_t ReadAt(int64_t offset, char* destination, size_t count) const {
        if (offset < 0) return -1;
        if (memory) {
            if (offset >= memorySize) return 0;
            const size_t available = static_cast<size_t>(memorySize - offset);
            const size_t copied = count < available ? count : available;
            std::memcpy(destination, memory + offset, copied);
            return static_cast<int64_t>(copied);
        }
        size_t copied = 0;
        while (copied < count) {
            const ssize_t got = ::pread(descriptor, destination + copied, count - copied,
                                        static_cast<off_t>(offset) + static_cast<off_t>(copied));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return -1;
            if (got == 0) break;
            copied += static_cast<size_t>(got);
        }
        return static_cast<int64_t>(copied);
    }

    int64_t Size() const {
        if (memory) return memorySize;
        struct stat status;
        if (::fstat(descriptor, &status) != 0) return -1;
        return static_cast<int64_t>(status.st_size);
    }

    // Starts a new buffer at the current position. False on a read error.
    bool Refill() {
        bufferOffset = Position();
        next = 0;
        endRead = 0;
        // The interface counts offsets in 32 bits: there is nothing beyond.
        if (bufferOffset >= largestOffset) return true;
        const int64_t got = ReadAt(bufferOffset, buffer.data(), buffer.size());
        if (got < 0) return false;
        endRead = static_cast<size_t>(got);
        return true;
    }

    // Takes back a next-byte pointer handed out by mmioGetInfo; false when
    // it points outside the bytes read.
    bool TakeNext(const char* pointer) {
        const char* begin = buffer.data();
        if (pointer < begin || pointer > begin + endRead) return false;
        next = static_cast<size_t>(pointer - begin);
        return true;
    }

    void DescribeBuffer(MMIOINFO* info) {
        info->fccIOProc = ioProcedure;
        info->wErrorRet = 0;
        info->cchBuffer = static_cast<LONG>(buffer.size());
        info->pchBuffer = buffer.data();
        info->pchNext = buffer.data() + next;
        info->pchEndRead = buffer.data() + endRead;
    }
};

namespace {

DWORD LittleEndian32(const unsigned char* bytes) {
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
           (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

bool ReadExactly(HMMIO handle, unsigned char* destination, LONG count) {
    return mmioRead(handle, reinterpret_cast<char*>(destination), count) == count;
}

bool SeekTo(HMMIO handle, int64_t offset) {
    if (offset < 0 || offset > largestOffset) return false;
    return mmioSeek(handle, static_cast<LONG>(offset), SEEK_SET) != -1;
}

}  // namespace

HMMIO mmioOpenA(const char* path, MMIOINFO* info, DWORD flags) {
    const auto fail = [info](MMRESULT error) -> HMMIO {
        if (info) info->wErrorRet = error;
        return nullptr;
    };
    if (flags & (MMIO_WRITE | MMIO_READWRITE)) return fail(MMSYSERR_INVALPARAM);

    HMMIO handle = new (std::nothrow) MmioFile;
    if (!handle) return fail(MMIOERR_OUTOFMEMORY);
    if (path) {
        handle->descriptor = OpenDataFile(path);
        if (handle->descriptor < 0) {
            delete handle;
            return fail(MMIOERR_FILENOTFOUND);
        }
    } else {
        if (!info || info->fccIOProc != FOURCC_MEM || !info->pchBuffer || info->cchBuffer < 0) {
            delete handle;
            return fail(MMSYSERR_INVALPARAM);
        }
        handle->memory = info->pchBuffer;
        handle->memorySize = info->cchBuffer;
        handle->ioProcedure = FOURCC_MEM;
    }
    if (info) info->wErrorRet = MMSYSERR_NOERROR;
    return handle;
}

MMRESULT mmioClose(HMMIO handle, UINT) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    delete handle;
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO handle, char* buffer, LONG count) {
    if (!handle || count < 0 || (!buffer && count > 0)) return -1;
    LONG copied = 0;
    while (copied < count) {
        if (handle->next == handle->endRead) {
            if (!handle->Refill()) return -1;
            if (handle->endRead == 0) break;
        }
        const size_t available = handle->endRead - handle->next;
        const size_t wanted = static_cast<size_t>(count - copied);
        const size_t step = wanted < available ? wanted : available;
        std::memcpy(buffer + copied, handle->buffer.data() + handle->next, step);
        handle->next += step;
        copied += static_cast<LONG>(step);
    }
    return copied;
}

LONG mmioSeek(HMMIO handle, LONG offset, int origin) {
    if (!handle) return -1;
    int64_t base = 0;
    if (origin == SEEK_CUR) {
        base = handle->Position();
    } else if (origin == SEEK_END) {
        base = handle->Size();
        if (base < 0) return -1;
    } else if (origin != SEEK_SET) {
        return -1;
    }
    const int64_t target = base + offset;
    if (target < 0 || target > largestOffset) return -1;
    const int64_t bufferEnd = handle->bufferOffset + static_cast<int64_t>(handle->endRead);
    if (target >= handle->bufferOffset && target <= bufferEnd) {
        handle->next = static_cast<size_t>(target - handle->bufferOffset);
    } else {
        handle->bufferOffset = target;
        handle->next = 0;
        handle->endRead = 0;
    }
    return static_cast<LONG>(target);
}

MMRESULT mmioDescend(HMMIO handle, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    if (!chunk) return MMSYSERR_INVALPARAM;
    const int64_t parentEnd =
        parent ? static_cast<int64_t>(parent->dwDataOffset) + parent->cksize : INT64_MAX;
    const FOURCC wantedId = chunk->ckid;
    const FOURCC wantedType = chunk->fccType;

    // Each pass moves at least one header further on, and the source is
    // finite, so the search ends whatever the sizes claim.
    for (;;) {
        const int64_t start = handle->Position();
        if (start + 8 > parentEnd) return MMIOERR_CHUNKNOTFOUND;
        unsigned char header[8];
        if (!ReadExactly(handle, header, 8)) return MMIOERR_CHUNKNOTFOUND;
        MMCKINFO found{};
        found.ckid = LittleEndian32(header);
        found.cksize = LittleEndian32(header + 4);
        if (start + 8 > largestOffset) return MMIOERR_CHUNKNOTFOUND;
        found.dwDataOffset = static_cast<DWORD>(start + 8);
        if (found.ckid == FOURCC_RIFF || found.ckid == FOURCC_LIST) {
            unsigned char formType[4];
            if (!ReadExactly(handle, formType, 4)) return MMIOERR_CHUNKNOTFOUND;
            found.fccType = LittleEndian32(formType);
        }

        bool wanted = true;
        if (flags & MMIO_FINDCHUNK) {
            wanted = found.ckid == wantedId;
        } else if (flags & MMIO_FINDRIFF) {
            wanted = found.ckid == FOURCC_RIFF && found.fccType == wantedType;
        } else if (flags & MMIO_FINDLIST) {
            wanted = found.ckid == FOURCC_LIST && found.fccType == wantedType;
        }
        if (wanted) {
            *chunk = found;
            return MMSYSERR_NOERROR;
        }
        const int64_t after =
            static_cast<int64_t>(found.dwDataOffset) + found.cksize + (found.cksize & 1u);
        if (!SeekTo(handle, after)) return MMIOERR_CHUNKNOTFOUND;
    }
}

MMRESULT mmioAscend(HMMIO handle, MMCKINFO* chunk, UINT) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    if (!chunk) return MMSYSERR_INVALPARAM;
    const int64_t after =
        static_cast<int64_t>(chunk->dwDataOffset) + chunk->cksize + (chunk->cksize & 1u);
    return SeekTo(handle, after) ? MMSYSERR_NOERROR : MMIOERR_CANNOTSEEK;
}

MMRESULT mmioGetInfo(HMMIO handle, MMIOINFO* info, UINT) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    if (!info) return MMSYSERR_INVALPARAM;
    *info = MMIOINFO{};
    handle->DescribeBuffer(info);
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO handle, MMIOINFO* info, UINT flags) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    if (flags & (MMIO_WRITE | MMIO_READWRITE)) return MMSYSERR_INVALPARAM;
    if (info && !handle->TakeNext(info->pchNext)) return MMSYSERR_INVALPARAM;
    if (!handle->Refill()) return MMIOERR_CANNOTREAD;
    if (info) handle->DescribeBuffer(info);
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO handle, const MMIOINFO* info, UINT) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    if (!info || !handle->TakeNext(info->pchNext)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}
