#pragma once
// The multimedia file interface, the part the wave reader uses: buffered
// reading of a file or a memory block, and RIFF chunk descent and ascent.
//
// A RIFF chunk is a 4-byte id, a 32-bit little-endian size, the data, and one
// fill byte after data of odd length. "RIFF" and "LIST" chunks begin their data
// with a 4-byte form type.
//
// Every read is checked against what the source really holds: a chunk that
// claims more bytes than there are ends where the source ends.
#include <cstdio>  // SEEK_SET, SEEK_CUR, SEEK_END for mmioSeek

#include "platform/windows_types.h"

using FOURCC = DWORD;
using MMRESULT = UINT;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<BYTE>(a)) |
           (static_cast<FOURCC>(static_cast<BYTE>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<BYTE>(c)) << 16) |
           (static_cast<FOURCC>(static_cast<BYTE>(d)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');
constexpr FOURCC FOURCC_DOS = mmioFOURCC('D', 'O', 'S', ' ');

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_READWRITE = 0x00000002;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;

constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_FILENOTFOUND = 257;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = 258;
constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_UNBUFFERED = 266;

// Size of the read buffer. Every handle is buffered, as MMIO_ALLOCBUF asks.
constexpr LONG MMIO_DEFAULTBUFFER = 8192;

struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;  // of the data; for "RIFF" and "LIST", of the form type
    DWORD dwFlags;
};

// The buffer state that mmioGetInfo hands out and mmioSetInfo takes back.
// A memory file is opened with fccIOProc FOURCC_MEM, pchBuffer and cchBuffer
// naming the block; the block must outlive the handle.
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    UINT wErrorRet;
    LONG cchBuffer;
    char* pchBuffer;
    char* pchNext;     // next byte to read
    char* pchEndRead;  // one past the last byte read into the buffer
};

struct MmioFile;
using HMMIO = MmioFile*;

// Opens `path` for buffered reading, or, with a null path, the memory block
// that `info` describes. Only reading is offered. Null when it can't be opened;
// `info->wErrorRet` then says why.
HMMIO mmioOpenA(const char* path, MMIOINFO* info, DWORD flags);
MMRESULT mmioClose(HMMIO handle, UINT flags);

// Copies up to `count` bytes from the current position; the count copied, 0 at
// the end, -1 on an error.
LONG mmioRead(HMMIO handle, char* buffer, LONG count);

// The new position, or -1. Positions beyond the end are allowed; reads there
// find nothing.
LONG mmioSeek(HMMIO handle, LONG offset, int origin);

// Reads the chunk header at the current position into `chunk` and leaves the
// position at the chunk's data (after the form type of a "RIFF" or "LIST").
// MMIO_FINDCHUNK looks for chunk->ckid, MMIO_FINDRIFF and MMIO_FINDLIST for
// that list with chunk->fccType, skipping other chunks; with a `parent` the
// search ends at the parent's end.
MMRESULT mmioDescend(HMMIO handle, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags);

// Moves to the first byte after the chunk and its fill byte.
MMRESULT mmioAscend(HMMIO handle, MMCKINFO* chunk, UINT flags);

// Direct access to the read buffer: take its state, read bytes from pchNext up
// to pchEndRead, refill with mmioAdvance(MMIO_READ) when they run out (an empty
// buffer after it means the end of the file), and hand the state back.
MMRESULT mmioGetInfo(HMMIO handle, MMIOINFO* info, UINT flags);
MMRESULT mmioAdvance(HMMIO handle, MMIOINFO* info, UINT flags);
MMRESULT mmioSetInfo(HMMIO handle, const MMIOINFO* info, UINT flags);
