#include "platform/mmio.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temporary_directory.h"
#include "tests/support/wave_builder.h"
#include "tools/encoders/encoded_file.h"

namespace {

// A memory file over `bytes`, which must outlive the handle.
HMMIO OpenMemory(Bytes& bytes) {
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<char*>(bytes.data());
    info.cchBuffer = static_cast<LONG>(bytes.size());
    return mmioOpenA(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
}

// RIFF "TEST" holding: "one " (3 bytes, so a fill byte), LIST "subl" holding
// "inner", then "two ". A chunk "out " follows the RIFF.
Bytes NestedFile() {
    const Bytes list = Riff("subl", {Chunk("innr", {7, 7})});
    Bytes listChunk = list;
    std::copy_n("LIST", 4, listChunk.begin());
    Bytes file = Riff("TEST", {Chunk("one ", {1, 2, 3}), listChunk, Chunk("two ", {4, 5})});
    const Bytes after = Chunk("out ", {9});
    file.insert(file.end(), after.begin(), after.end());
    return file;
}

}  // namespace

TEST(Mmio, DescendsIntoTheFirstChunkAndFindsChunksInsideIt) {
    Bytes file = NestedFile();
    HMMIO handle = OpenMemory(file);
    ASSERT_NE(handle, nullptr);

    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(handle, &riff, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(riff.fccType, mmioFOURCC('T', 'E', 'S', 'T'));
    EXPECT_EQ(riff.dwDataOffset, 8u);  // the form type's offset
    EXPECT_EQ(mmioSeek(handle, 0, SEEK_CUR), 12);

    MMCKINFO two{};
    two.ckid = mmioFOURCC('t', 'w', 'o', ' ');
    ASSERT_EQ(mmioDescend(handle, &two, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(two.cksize, 2u);
    char data[2] = {};
    ASSERT_EQ(mmioRead(handle, data, 2), 2);
    EXPECT_EQ(data[0], 4);

    // A chunk after the parent's end is outside the search.
    ASSERT_NE(mmioSeek(handle, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET), -1);
    MMCKINFO outside{};
    outside.ckid = mmioFOURCC('o', 'u', 't', ' ');
    EXPECT_EQ(mmioDescend(handle, &outside, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);

    ASSERT_NE(mmioSeek(handle, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET), -1);
    MMCKINFO list{};
    list.fccType = mmioFOURCC('s', 'u', 'b', 'l');
    ASSERT_EQ(mmioDescend(handle, &list, &riff, MMIO_FINDLIST), MMSYSERR_NOERROR);
    EXPECT_EQ(list.ckid, FOURCC_LIST);
    MMCKINFO inner{};
    inner.ckid = mmioFOURCC('i', 'n', 'n', 'r');
    EXPECT_EQ(mmioDescend(handle, &inner, &list, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioClose(handle, 0), MMSYSERR_NOERROR);
}

TEST(Mmio, AscendsPastTheFillByteOfAnOddChunk) {
    Bytes file = NestedFile();
    HMMIO handle = OpenMemory(file);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(handle, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO one{};
    ASSERT_EQ(mmioDescend(handle, &one, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(one.cksize, 3u);
    ASSERT_EQ(mmioAscend(handle, &one, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(handle, 0, SEEK_CUR), 12 + 8 + 4);  // 3 bytes and the fill byte
    MMCKINFO next{};
    ASSERT_EQ(mmioDescend(handle, &next, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(next.ckid, FOURCC_LIST);
    mmioClose(handle, 0);
}

TEST(Mmio, ReadsFilesAndSeeksFromEveryOrigin) {
    TemporaryDirectory folder;
    Bytes bytes(20000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i % 251);
    WriteBytesToFile(folder.File("data.bin"), bytes);

    MMIOINFO info{};
    EXPECT_EQ(mmioOpenA(folder.File("absent.bin").c_str(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);

    HMMIO handle = mmioOpenA(folder.File("data.bin").c_str(), nullptr, MMIO_ALLOCBUF | MMIO_READ);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(mmioSeek(handle, -10, SEEK_END), 19990);
    char tail[16] = {};
    EXPECT_EQ(mmioRead(handle, tail, 16), 10);  // only what is there
    EXPECT_EQ(static_cast<uint8_t>(tail[0]), bytes[19990]);
    EXPECT_EQ(mmioRead(handle, tail, 16), 0);
    EXPECT_EQ(mmioSeek(handle, -1, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(handle, 9000, SEEK_SET), 9000);
    EXPECT_EQ(mmioSeek(handle, -8990, SEEK_CUR), 10);
    char some[3] = {};
    ASSERT_EQ(mmioRead(handle, some, 3), 3);
    EXPECT_EQ(some[2], 12);
    mmioClose(handle, 0);
}

TEST(Mmio, HandsOutItsBufferAndRefillsItOnAdvance) {
    Bytes bytes(MMIO_DEFAULTBUFFER + 100);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13);
    HMMIO handle = OpenMemory(bytes);
    ASSERT_EQ(mmioSeek(handle, 50, SEEK_SET), 50);

    // Read every byte through the buffer, as the wave reader does.
    MMIOINFO info{};
    ASSERT_EQ(mmioGetInfo(handle, &info, 0), MMSYSERR_NOERROR);
    Bytes seen;
    for (;;) {
        if (info.pchNext == info.pchEndRead) {
            ASSERT_EQ(mmioAdvance(handle, &info, MMIO_READ), MMSYSERR_NOERROR);
            if (info.pchNext == info.pchEndRead) break;  // the end of the file
        }
        seen.push_back(static_cast<uint8_t>(*info.pchNext++));
    }
    EXPECT_EQ(seen, Bytes(bytes.begin() + 50, bytes.end()));
    ASSERT_EQ(mmioSetInfo(handle, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(handle, 0, SEEK_CUR), static_cast<LONG>(bytes.size()));

    // A next-byte pointer from outside the buffer is refused.
    info.pchNext = info.pchBuffer - 1;
    EXPECT_EQ(mmioSetInfo(handle, &info, 0), MMSYSERR_INVALPARAM);
    mmioClose(handle, 0);
}

TEST(Mmio, HostileChunkSizesEndTheSearch) {
    // A chunk claiming 4 GB, and one whose header is cut short.
    Bytes file = Riff("WAVE", {Chunk("big ", {1, 2, 3, 4}, 0xFFFFFFFF)});
    file.insert(file.end(), {'d', 'a'});
    HMMIO handle = OpenMemory(file);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(handle, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(handle, &data, nullptr, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);

    MMCKINFO big{};
    ASSERT_NE(mmioSeek(handle, 12, SEEK_SET), -1);
    ASSERT_EQ(mmioDescend(handle, &big, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioAscend(handle, &big, 0), MMIOERR_CANNOTSEEK);  // beyond any 32-bit offset
    mmioClose(handle, 0);
}
