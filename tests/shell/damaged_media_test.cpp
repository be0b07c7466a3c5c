// Every data file of the game, missing, empty, cut short, holding another
// kind of file's bytes or (for one file of each reader) a named pipe: the
// program starts, starts a race, drives 24 frames with the mouse, leaves
// with Escape and closes, and on the way shows exactly the message boxes the
// game has for that file (a mesh that cannot be read once per object made from
// it, a texture once per name) and no others. Each case is one file with one
// damage, in a copy of the generated media.
#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "race/game_state.h"
#include "render/device.h"
#include "tests/shell/headless_game.h"
#include "tests/support/message_box_recorder.h"

namespace {

constexpr const char* meshBox = "Could not find mesh file in the media directory.";
constexpr const char* textureBox = "Warning: Could not load texture file.";

struct DataFile {
    const char* name;
    // The boxes the game shows when the file cannot be read.
    int meshBoxes;
    int textureBoxes;
    // A file of another kind whose bytes stand in for it.
    const char* foreignBytesFrom;
};

// Meshes: one box per object made from the file (Load runs per object).
// Textures: one per name, whichever meshes share it. The bitmaps, the sounds
// and the options file are never reported: the game runs on without a map, a
// splash picture or a sound, and a short options file leaves the defaults.
// The foreign bytes come from files the reader at hand does not take: no
// other picture for a texture, whose loader goes by the content.
// clang-format off
const DataFile dataFiles[] = {
    {"track.x", 1, 0, "turn1.wav"},
    {"cockpit.x", 1, 0, "turn1.wav"},
    {"zorvek.x", 4, 0, "turn1.wav"},
    {"tree1.x", 6, 0, "tree1.png"},
    {"tree2.x", 6, 0, "tree1.png"},
    {"tree3.x", 6, 0, "tree1.png"},
    {"tree1b.x", 6, 0, "tree1.png"},
    {"tree2b.x", 6, 0, "tree1.png"},
    {"tree3b.x", 1, 0, "tree1.png"},
    {"advert.x", 1, 0, "velmo2.bmp"},
    {"flag.x", 2, 0, "velmo.htm"},
    {"asphalt.png", 0, 1, "flag.x"},
    {"grass.jpg", 0, 1, "track.x"},
    {"startline.bmp", 0, 1, "crash.wav"},
    {"carhub.png", 0, 1, "crash.wav"},
    {"carpaint.png", 0, 1, "cockpit.x"},
    {"carstripe.png", 0, 1, "velmo.htm"},
    {"tyre.bmp", 0, 1, "eng1.wav"},
    {"zorvek.png", 0, 1, "zorvek.x"},
    {"tree1.png", 0, 1, "tree1.x"},
    {"tree2.png", 0, 1, "turn2.wav"},
    {"tree3.png", 0, 1, "tree3.x"},
    {"tree1b.png", 0, 1, "options.kvz"},
    {"tree2b.png", 0, 1, "tree2b.x"},
    {"tree3b.png", 0, 1, "grelmash.wav"},
    {"advert.jpg", 0, 1, "advert.x"},
    {"flag.png", 0, 1, "flag.x"},
    {"trackmap16.bmp", 0, 0, "tree1.png"},
    {"velmo2.bmp", 0, 0, "advert.jpg"},
    {"turn1.wav", 0, 0, "tyre.bmp"},
    {"turn2.wav", 0, 0, "zorvek.x"},
    {"turn3.wav", 0, 0, "flag.x"},
    {"turn4.wav", 0, 0, "grass.jpg"},
    {"turn5.wav", 0, 0, "asphalt.png"},
    {"turn6.wav", 0, 0, "velmo.htm"},
    {"eng1.wav", 0, 0, "startline.bmp"},
    {"crash.wav", 0, 0, "track.x"},
    {"grelmash.wav", 0, 0, "trackmap16.bmp"},
    {"tarvik.wav", 0, 0, "velmo2.bmp"},
    {"options.kvz", 0, 0, "eng1.wav"},
};
// clang-format on

// A named pipe in place of a file is unreadable at once, as a missing one:
// one file of each reader is enough to show that none waits on it.
const char* const pipedFiles[] = {"track.x", "asphalt.png", "trackmap16.bmp", "velmo2.bmp",
                                  "eng1.wav"};

enum class Damage { Missing, Empty, Truncated, Foreign, NamedPipe };

struct DamageCase {
    DataFile file;
    Damage damage;
    int cut;  // for Truncated: which of the seeded cut points
};

constexpr int cutsPerFile = 3;
constexpr int frames = 24;

std::vector<DamageCase> AllCases() {
    std::vector<DamageCase> cases;
    for (const DataFile& file : dataFiles) {
        cases.push_back({file, Damage::Missing, 0});
        cases.push_back({file, Damage::Empty, 0});
        for (int cut = 0; cut < cutsPerFile; ++cut) cases.push_back({file, Damage::Truncated, cut});
        cases.push_back({file, Damage::Foreign, 0});
        for (const char* piped : pipedFiles) {
            if (std::string(piped) == file.name) cases.push_back({file, Damage::NamedPipe, 0});
        }
    }
    return cases;
}

// "track_x_Truncated1": the test's name and what the run shows of it.
std::string CaseName(const DamageCase& damage) {
    std::string name;
    for (const char* c = damage.file.name; *c; ++c) name += std::isalnum(*c) ? *c : '_';
    switch (damage.damage) {
        case Damage::Missing:
            return name + "_Missing";
        case Damage::Empty:
            return name + "_Empty";
        case Damage::Truncated:
            return name + "_Truncated" + std::to_string(damage.cut);
        case Damage::Foreign:
            return name + "_Foreign";
        case Damage::NamedPipe:
            return name + "_NamedPipe";
    }
    return name;
}

void PrintTo(const DamageCase& damage, std::ostream* out) {
    *out << CaseName(damage);
}

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

void WriteAll(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Where the file is cut: a point drawn from a generator seeded by the file's
// name and the cut's number, so every run cuts the same files at the same
// bytes. At least one byte stays and at least two go, so that a text mesh
// loses more than its final line break.
size_t CutPoint(const std::string& name, int cut, size_t size) {
    uint32_t state = 2166136261u;  // FNV-1a of the name, then the cut
    for (char c : name) state = (state ^ static_cast<uint8_t>(c)) * 16777619u;
    state = (state ^ static_cast<uint32_t>(cut)) * 16777619u;
    for (int i = 0; i < 4; ++i) state = state * 1664525u + 1013904223u;
    return 1 + state % (size - 2);
}

// The options a player might have saved: windowed, by day, music on.
std::vector<char> SavedOptions() {
    const uint32_t values[4] = {800, 1, 0, 1};
    std::vector<char> bytes(16);
    for (int i = 0; i < 16; ++i) bytes[i] = static_cast<char>(values[i / 4] >> (8 * (i % 4)));
    return bytes;
}

// One copy of the generated media for all the cases a process runs (copying
// it took longer than the case itself): each case damages one file and puts
// it back afterwards.
class DamagedMedia : public HeadlessGame, public ::testing::WithParamInterface<DamageCase> {
  protected:
    static void SetUpTestSuite() {
        MakeSharedContext(32, 24);
        media = new MediaFolder;
        media->CopyFilesFrom(GeneratedMediaDirectory());
        WriteAll(media->Path("options.kvz"), SavedOptions());
    }
    static void TearDownTestSuite() {
        delete media;
        media = nullptr;
        HeadlessGame::TearDownTestSuite();
    }
    void TearDown() override {
        HeadlessGame::TearDown();
        if (undamaged.empty()) return;
        // Removed first: a named pipe in its place would block the write.
        const std::string path = media->Path(GetParam().file.name);
        std::filesystem::remove(path);
        WriteAll(path, undamaged);
    }

    void DamageTheFile() {
        const DamageCase& damage = GetParam();
        const std::string path = media->Path(damage.file.name);
        undamaged = ReadAll(path);
        ASSERT_FALSE(undamaged.empty());
        switch (damage.damage) {
            case Damage::Missing:
                std::filesystem::remove(path);
                break;
            case Damage::Empty:
                WriteAll(path, {});
                break;
            case Damage::Truncated: {
                std::vector<char> bytes = undamaged;
                ASSERT_GT(bytes.size(), 2u);
                bytes.resize(CutPoint(damage.file.name, damage.cut, bytes.size()));
                WriteAll(path, bytes);
                break;
            }
            case Damage::Foreign:
                WriteAll(path, ReadAll(media->Path(damage.file.foreignBytesFrom)));
                break;
            case Damage::NamedPipe:
                std::filesystem::remove(path);
                ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
                break;
        }
    }

    static MediaFolder* media;
    std::vector<char> undamaged;  // the file's bytes before the case
};

MediaFolder* DamagedMedia::media = nullptr;

TEST_P(DamagedMedia, ShowsOnlyTheBoxesForTheFileAndRunsOn) {
    ASSERT_NO_FATAL_FAILURE(DamageTheFile());

    ASSERT_TRUE(StartProgram());
    ChooseStart();
    ASSERT_NE(device, nullptr);
    // The set-up and waiting frames, the click, the car driving and turning
    // with the engine's pitch following it, every object drawn each frame,
    // and the entry into the next road zone with its cue (the twentieth frame
    // with the undamaged media). Longer drives on this sweep meet nothing more.
    Race(frames);
    // Every turn of the loop ran a frame: the device lived through them all.
    EXPECT_EQ(FrameCount(), frames);
    EXPECT_FALSE(Window()->destroyed);
    EXPECT_TRUE(LeaveWithEscape());
    CloseProgram();

    std::vector<std::string> expected(GetParam().file.meshBoxes, meshBox);
    expected.insert(expected.end(), GetParam().file.textureBoxes, textureBox);
    std::vector<std::string> shown;
    for (const RecordedMessageBox& box : RecordedMessageBoxes()) {
        shown.push_back(box.text);
        EXPECT_EQ(box.caption, "Tolvarin");
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.type, MB_OK);
    }
    EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryDataFile, DamagedMedia, ::testing::ValuesIn(AllCases()),
                         [](const auto& testInfo) { return CaseName(testInfo.param); });

}  // namespace
