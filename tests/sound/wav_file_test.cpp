#include "sound/wav_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/temporary_directory.h"
#include "tests/support/wave_builder.h"
#include "tools/encoders/encoded_file.h"

namespace {

// Each test writes its crafted file here and opens it.
class WaveFiles : public ::testing::Test {
  protected:
    HRESULT OpenBytes(const Bytes& bytes) {
        const std::string path = folder.File("sound.wav");
        WriteBytesToFile(path, bytes);
        return wav.Open(path.c_str());
    }

    Bytes ReadAll(DWORD chunkSize = 4096) {
        Bytes all;
        Bytes piece(chunkSize);
        DWORD got = 0;
        while (SUCCEEDED(wav.Read(piece.data(), chunkSize, &got)) && got > 0) {
            all.insert(all.end(), piece.begin(), piece.begin() + got);
        }
        return all;
    }

    TemporaryDirectory folder;
    WavFile wav;
};

const Bytes someSamples = {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0};

}  // namespace

TEST_F(WaveFiles, OpensAPlainPcmFileAtItsData) {
    ASSERT_EQ(OpenBytes(PcmWave(1, 11025, 8, someSamples)), S_OK);
    ASSERT_NE(wav.Format(), nullptr);
    EXPECT_EQ(wav.Format()->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wav.Format()->nChannels, 1);
    EXPECT_EQ(wav.Format()->nSamplesPerSec, 11025u);
    EXPECT_EQ(wav.Format()->wBitsPerSample, 8);
    EXPECT_EQ(wav.Format()->cbSize, 0);
    EXPECT_EQ(wav.DataSize(), someSamples.size());
    EXPECT_EQ(ReadAll(), someSamples);
}

TEST_F(WaveFiles, RefusesFilesThatAreNotRiffWave) {
    Bytes riffx = PcmWave(1, 8000, 8, someSamples);
    std::memcpy(riffx.data(), "RIFX", 4);
    EXPECT_EQ(OpenBytes(riffx), E_FAIL);
    EXPECT_EQ(wav.Format(), nullptr);
    EXPECT_EQ(wav.handle, nullptr);  // a failed parse closes the file

    EXPECT_EQ(OpenBytes(Riff(
                  "AVI ", {Chunk("fmt ", FormatBytes(1, 1, 8000, 8)), Chunk("data", someSamples)})),
              E_FAIL);
    EXPECT_EQ(OpenBytes(Bytes{'R', 'I', 'F'}), E_FAIL);
    EXPECT_EQ(OpenBytes(Bytes{}), E_FAIL);
    EXPECT_EQ(wav.DataSize(), 0u);
}

TEST_F(WaveFiles, AMissingFileFailsWithNoData) {
    EXPECT_EQ(wav.Open(folder.File("nothing.wav").c_str()), E_FAIL);
    EXPECT_EQ(wav.DataSize(), 0u);
    EXPECT_EQ(wav.Open(nullptr), E_INVALIDARG);
}

TEST_F(WaveFiles, NeedsAFormatChunkOfAtLeastSixteenBytes) {
    // The old 14-byte WAVEFORMAT has no bits per sample.
    Bytes old = FormatBytes(1, 1, 8000, 8);
    old.resize(14);
    EXPECT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", old), Chunk("data", someSamples)})), E_FAIL);
    EXPECT_EQ(OpenBytes(Riff("WAVE", {Chunk("data", someSamples)})), E_FAIL);

    EXPECT_EQ(OpenBytes(Riff(
                  "WAVE", {Chunk("fmt ", FormatBytes(1, 1, 8000, 8)), Chunk("data", someSamples)})),
              S_OK);
}

TEST_F(WaveFiles, APcmFileKeepsCbSizeZeroWhateverItsOwnSays) {
    Bytes format = FormatBytes(1, 2, 22050, 16);
    AppendU16(format, 7);  // a stray cbSize in an 18-byte PCM chunk
    ASSERT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", format), Chunk("data", {1, 2, 3, 4})})), S_OK);
    EXPECT_EQ(wav.Format()->cbSize, 0);
    EXPECT_EQ(wav.format.size(), sizeof(WAVEFORMATEX));
    EXPECT_EQ(wav.Format()->nChannels, 2);
}

TEST_F(WaveFiles, ANonPcmFormatCarriesItsExtraBytes) {
    Bytes format = FormatBytes(2, 1, 8000, 4);
    AppendU16(format, 3);
    format.insert(format.end(), {0xAA, 0xBB, 0xCC});
    // 21 bytes: the chunk gets a fill byte, which the ascent must skip to
    // find "data".
    ASSERT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", format), Chunk("data", someSamples)})), S_OK);
    EXPECT_EQ(wav.Format()->wFormatTag, 2);
    EXPECT_EQ(wav.Format()->cbSize, 3);
    ASSERT_EQ(wav.format.size(), sizeof(WAVEFORMATEX) + 3);
    EXPECT_EQ(wav.format[18], 0xAA);
    EXPECT_EQ(wav.format[20], 0xCC);
    EXPECT_EQ(ReadAll(), someSamples);
}

TEST_F(WaveFiles, AFormatChunkTooShortForWhatItDeclaresFails) {
    // No room for the extra count. The next chunk's id begins with bytes that
    // read as a count of 2, and its size field as two extra bytes: read past
    // the chunk's end, the file would seem whole.
    EXPECT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", FormatBytes(2, 1, 8000, 4)),
                                      Chunk("\x02\x00zz", {}), Chunk("data", someSamples)})),
              E_FAIL);

    // Room for the count, not for the 40 bytes it declares.
    Bytes format = FormatBytes(2, 1, 8000, 4);
    AppendU16(format, 40);
    format.insert(format.end(), {1, 2});
    EXPECT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", format), Chunk("data", Bytes(64, 0x80))})),
              E_FAIL);
    EXPECT_EQ(wav.Format(), nullptr);
}

TEST_F(WaveFiles, SkipsChunksBeforeTheFormatAndBeforeTheData) {
    const Bytes list = Chunk("LIST", {'I', 'N', 'F', 'O', 'x'});  // odd: a fill byte follows
    Bytes factData;
    AppendU32(factData, 7);
    ASSERT_EQ(OpenBytes(Riff(
                  "WAVE", {list, Chunk("fmt ", FormatBytes(1, 1, 8000, 8)), Chunk("fact", factData),
                           Chunk("junk", {9, 9, 9}), Chunk("data", someSamples)})),
              S_OK);
    EXPECT_EQ(ReadAll(), someSamples);
}

TEST_F(WaveFiles, ReadsNoFurtherThanTheDataAndRewinds) {
    // Another chunk follows the data: none of it may be read as samples.
    ASSERT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", FormatBytes(1, 1, 8000, 8)),
                                      Chunk("data", someSamples), Chunk("tail", {1, 2, 3, 4})})),
              S_OK);
    Bytes buffer(100, 0);
    DWORD got = 99;
    ASSERT_EQ(wav.Read(buffer.data(), 3, &got), S_OK);
    EXPECT_EQ(got, 3u);
    ASSERT_EQ(wav.Read(buffer.data() + 3, 100, &got), S_OK);
    EXPECT_EQ(got, someSamples.size() - 3);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 7), someSamples);
    EXPECT_EQ(wav.Read(buffer.data(), 100, &got), S_OK);
    EXPECT_EQ(got, 0u);

    ASSERT_EQ(wav.ResetToData(), S_OK);
    EXPECT_EQ(ReadAll(), someSamples);
}

TEST_F(WaveFiles, DataLongerThanTheFileCountsOnlyTheBytesPresent) {
    Bytes file = Riff("WAVE", {Chunk("fmt ", FormatBytes(1, 1, 8000, 8)),
                               Chunk("data", someSamples, 0x7FFFFFF0)});
    ASSERT_EQ(OpenBytes(file), S_OK);
    // The seven samples and the one fill byte the builder wrote after them.
    EXPECT_EQ(wav.DataSize(), someSamples.size() + 1);
    Bytes all = ReadAll(3);
    ASSERT_EQ(all.size(), someSamples.size() + 1);
    EXPECT_EQ(Bytes(all.begin(), all.begin() + 7), someSamples);
}

TEST_F(WaveFiles, AnEmptyDataChunkOpensWithNoData) {
    ASSERT_EQ(
        OpenBytes(Riff("WAVE", {Chunk("fmt ", FormatBytes(1, 1, 8000, 8)), Chunk("data", {})})),
        S_OK);
    EXPECT_EQ(wav.DataSize(), 0u);
}

TEST_F(WaveFiles, NoDataChunkFailsButKeepsTheFormat) {
    EXPECT_EQ(OpenBytes(Riff("WAVE", {Chunk("fmt ", FormatBytes(1, 1, 8000, 8))})), E_FAIL);
    EXPECT_NE(wav.Format(), nullptr);
    EXPECT_EQ(wav.DataSize(), 0u);
}

TEST_F(WaveFiles, AHugeChunkSizeEndsTheSearchInsteadOfWrapping) {
    EXPECT_EQ(OpenBytes(Riff(
                  "WAVE", {Chunk("junk", {1, 2}, 0xFFFFFFFF),
                           Chunk("fmt ", FormatBytes(1, 1, 8000, 8)), Chunk("data", someSamples)})),
              E_FAIL);
}

TEST_F(WaveFiles, ReadsLargeDataAcrossTheReadBuffer) {
    Bytes samples(30000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7 + i / 256);
    ASSERT_EQ(OpenBytes(PcmWave(1, 8000, 8, samples)), S_OK);
    EXPECT_EQ(ReadAll(5000), samples);
}

TEST_F(WaveFiles, ASoundInMemoryReadsAsTheSameFileWould) {
    Bytes samples(20000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 13 + i / 300);
    const Bytes file = PcmWave(2, 22050, 16, samples);
    ASSERT_EQ(wav.OpenMemory(file.data(), static_cast<DWORD>(file.size())), S_OK);
    ASSERT_NE(wav.Format(), nullptr);
    EXPECT_EQ(wav.Format()->nChannels, 2);
    EXPECT_EQ(wav.Format()->wBitsPerSample, 16);
    EXPECT_EQ(wav.DataSize(), samples.size());
    EXPECT_EQ(ReadAll(3000), samples);
    ASSERT_EQ(wav.ResetToData(), S_OK);
    EXPECT_EQ(ReadAll(), samples);

    // Cut short, it counts only the bytes it has, as a cut file does.
    const Bytes cut(file.begin(), file.end() - 500);
    ASSERT_EQ(wav.OpenMemory(cut.data(), static_cast<DWORD>(cut.size())), S_OK);
    EXPECT_EQ(wav.DataSize(), samples.size() - 500);
    EXPECT_EQ(ReadAll(), Bytes(samples.begin(), samples.end() - 500));

    EXPECT_EQ(wav.OpenMemory(file.data(), 3), E_FAIL);
    EXPECT_EQ(wav.DataSize(), 0u);
    EXPECT_EQ(wav.OpenMemory(nullptr, 0), E_INVALIDARG);
}
