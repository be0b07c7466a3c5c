#include "platform/file_bytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/mmio.h"
#include "tests/support/temporary_directory.h"

namespace {

// What ReadFileBytes gives for `path`, as text; "(unreadable)" when it fails.
std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path.c_str(), 1024, bytes)) return "(unreadable)";
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

// Names as a mesh written on Windows gives them: any case, `\` between
// folders. The exact name wins when it is there; only a miss searches.
TEST(DataFiles, NamesAreFoundAsWindowsFindsThem) {
    TemporaryDirectory folder;
    ASSERT_EQ(mkdir(folder.File("Media").c_str(), 0700), 0);
    folder.Write("Media/tree2.png", {'t', 'w', 'o'});
    folder.Write("Media/bark.png", {'l', 'o', 'w'});
    folder.Write("Media/Bark.png", {'u', 'p'});
    const std::string media = folder.File("Media/");

    EXPECT_EQ(ReadText(media + "Tree2.PNG"), "two");
    EXPECT_EQ(ReadText(media + ".\\tree2.png"), "two");
    EXPECT_EQ(ReadText(media + ".\\\\TREE2.png"), "two");
    EXPECT_EQ(ReadText(folder.File("media\\Tree2.png")), "two");
    EXPECT_EQ(ReadText(media + "..\\MEDIA\\tree2.png"), "two");
    EXPECT_EQ(ReadText(media + "bark.png"), "low");
    EXPECT_EQ(ReadText(media + "Bark.png"), "up");
    EXPECT_EQ(ReadText(media + "BARK.png"), "up");  // the first of the two in byte order
    EXPECT_EQ(ReadText(media + "tree3.png"), "(unreadable)");
    EXPECT_EQ(ReadText(media + "tree2.png\\more"), "(unreadable)");
    EXPECT_EQ(FindDataFile((media + "TREE2.PNG").c_str()), media + "tree2.png");
    EXPECT_EQ(FindDataFile((media + "tree9.png").c_str()), "");
}

// A named pipe, a device or a folder in place of a data file is unreadable
// at once, by every reader: none waits for a writer that never comes.
TEST(DataFiles, AnythingButARegularFileIsUnreadableWithoutWaiting) {
    TemporaryDirectory folder;
    const std::string pipe = folder.File("eng1.wav");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero"), folder.Path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(OpenDataFile(path.c_str()), -1);
        EXPECT_EQ(ReadText(path), "(unreadable)");
        EXPECT_EQ(FindDataFile(path.c_str()), "");
        MMIOINFO info{};
        EXPECT_EQ(mmioOpenA(path.c_str(), &info, MMIO_ALLOCBUF | MMIO_READ), nullptr);
        EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
    }
    // Not even a different case of the name finds anything else.
    EXPECT_EQ(OpenDataFile(folder.File("ENG1.WAV").c_str()), -1);
    EXPECT_EQ(OpenDataFile(nullptr), -1);
    EXPECT_EQ(OpenDataFile(""), -1);
}
