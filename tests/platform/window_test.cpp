#include "platform/window.h"

#include <FL/Enumerations.H>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/fltk_window.h"
#include "platform/paint.h"
#include "platform/shell_open.h"
#include "tests/support/recording_window.h"
#include "tests/support/temporary_directory.h"

namespace {

std::vector<UINT> received;

LRESULT Receive(HWND, UINT message, WPARAM, LPARAM) {
    received.push_back(message);
    return 0;
}

class MessageQueue : public ::testing::Test {
  protected:
    void SetUp() override {
        TakeQueuedMessages();
        received.clear();
    }
    void TearDown() override { TakeQueuedMessages(); }
};

TEST_F(MessageQueue, MessagesComeOutInTheOrderPostedAndPeekingLeavesThem) {
    RecordingWindow window(Receive);
    PostMessageA(&window, WM_PAINT, 1, 2);
    PostMessageA(&window, WM_KEYDOWN, 3, 4);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 2);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_KEYDOWN);
    DispatchMessageA(&message);
    EXPECT_EQ(received, std::vector<UINT>{WM_KEYDOWN});
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, DestroyingAWindowSendsDestroyOnceAndDropsItsMessages) {
    RecordingWindow window(Receive);
    RecordingWindow other(Receive);
    PostMessageA(&window, WM_PAINT, 0, 0);
    PostMessageA(&other, WM_PAINT, 0, 0);
    EXPECT_TRUE(DestroyWindow(&window));
    EXPECT_FALSE(DestroyWindow(&window));
    EXPECT_EQ(received, std::vector<UINT>{WM_DESTROY});
    EXPECT_EQ(window.Count("destroy"), 1);
    const std::vector<MSG> left = TakeQueuedMessages();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].hwnd, &other);
}

TEST_F(MessageQueue, QuitCarriesItsExitCode) {
    PostQuitMessage(5);
    const std::vector<MSG> left = TakeQueuedMessages();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].message, WM_QUIT);
    EXPECT_EQ(left[0].wParam, 5u);
    EXPECT_EQ(left[0].hwnd, nullptr);
}

ResourceModule TestModule() {
    ResourceModule module;
    module.strings = {{103, "Kestrune"}};
    module.accelerators = {{109, {{FALT, '?', 104}, {0, 'q', 7}, {FVIRTKEY | FALT, VK_RETURN, 9}}}};
    module.dialogs = {{106, "Options", "MS Shell Dlg", 8, 0, 0, 0, 210, 142, {}}};
    return module;
}

TEST_F(MessageQueue, AcceleratorsMatchTheCharacterAndTheAltKey) {
    const ResourceModule module = TestModule();
    HACCEL table = LoadAcceleratorsA(&module, 109);
    ASSERT_NE(table, nullptr);
    RecordingWindow window([](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message == WM_COMMAND) received.push_back(static_cast<UINT>(wParam));
        return 0;
    });
    MSG altQuestion{&window, WM_SYSCHAR, '?', 0, 0, {0, 0}};
    MSG plainQuestion{&window, WM_CHAR, '?', 0, 0, {0, 0}};
    MSG altQ{&window, WM_SYSCHAR, 'q', 0, 0, {0, 0}};
    MSG plainQ{&window, WM_CHAR, 'q', 0, 0, {0, 0}};
    MSG keyDown{&window, WM_SYSKEYDOWN, '?', 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altQuestion), 1);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &plainQuestion), 0);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altQ), 0);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &plainQ), 1);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &keyDown), 0);
    EXPECT_EQ(TranslateAcceleratorA(nullptr, table, &altQuestion), 0);
    // A virtual-key entry matches the key's press with Alt, not its character.
    MSG altEnter{&window, WM_SYSKEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    MSG enter{&window, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    MSG altReturnCharacter{&window, WM_SYSCHAR, VK_RETURN, 0, 0, {0, 0}};
    MSG returnUp{&window, WM_SYSKEYUP, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &returnUp), 0);  // from no earlier press
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &enter), 0);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altReturnCharacter), 0);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altEnter), 1);
    // Held, the key repeats its press: taken, but the switch acts once until
    // the key is released.
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altEnter), 1);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &returnUp), 0);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altEnter), 1);
    // A release lost to another window: the next Alt's press ends the hold.
    MSG altDown{&window, WM_SYSKEYDOWN, VK_MENU, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altDown), 0);
    EXPECT_EQ(TranslateAcceleratorA(&window, table, &altEnter), 1);
    // The command arrives with 1 in the high word: it came from an accelerator.
    EXPECT_EQ(received, (std::vector<UINT>{MAKEWPARAM(104, 1), MAKEWPARAM(7, 1), MAKEWPARAM(9, 1),
                                           MAKEWPARAM(9, 1), MAKEWPARAM(9, 1)}));
    DestroyAcceleratorTable(table);
}

TEST(Resources, StringsAreCutToTheBuffer) {
    const ResourceModule module = TestModule();
    char buffer[5] = "xxxx";
    EXPECT_EQ(LoadStringA(&module, 103, buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "Kest");
    EXPECT_EQ(LoadStringA(&module, 999, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(Dialogs, ARunnerGetsTheTemplateAndAMissingOneFails) {
    const ResourceModule module = TestModule();
    InstallDialogRecorder();
    DLGPROC procedure = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; };
    EXPECT_EQ(DialogBoxParamA(&module, 106, nullptr, procedure, 0), 1);
    EXPECT_EQ(DialogBoxParamA(&module, 107, nullptr, procedure, 0), -1);
    ASSERT_EQ(RunDialogs().size(), 1u);
    EXPECT_EQ(RunDialogs()[0].id, 106);
    SetDialogRunner(nullptr);
    EXPECT_EQ(DialogBoxParamA(&module, 106, nullptr, procedure, 0), -1);
}

TEST(Dialogs, UnitsComeFromTheFontsAverageCellAsOnWindows) {
    // Windows' 8-point dialog font: a 6 x 13 cell, 1.5 x 1.625 pixels a unit.
    EXPECT_EQ(DialogUnitsToPixelsX(210, 6), 315);
    EXPECT_EQ(DialogUnitsToPixelsY(142, 13), 231);
    EXPECT_EQ(DialogUnitsToPixelsX(4, 6), 6);
    EXPECT_EQ(DialogUnitsToPixelsY(8, 13), 13);
    // A wider font widens the dialog with it.
    EXPECT_EQ(DialogUnitsToPixelsX(84, 7), 147);
    // Half of the 26th of the alphabet's width, rounded up: 312 pixels for
    // 52 letters is a cell 6 wide, 338 one 7 wide.
    EXPECT_EQ(AverageCharacterWidth(312), 6);
    EXPECT_EQ(AverageCharacterWidth(338), 7);
}

TEST(Painting, BitBltCopiesOnlyWhatTheBitmapHas) {
    RecordingDC screen;
    HDC memory = CreateCompatibleDC(nullptr);
    // Nothing selected: nothing copied.
    EXPECT_FALSE(BitBlt(&screen, 0, 0, 10, 10, memory, 0, 0, SRCCOPY));
    std::vector<uint8_t> pixels(100 * 50 * 4);
    SelectBitmapPixels(memory, 100, 50, pixels.data());
    EXPECT_TRUE(BitBlt(&screen, 5, 6, 80, 80, memory, 30, 10, SRCCOPY));
    ASSERT_EQ(screen.drawn.size(), 1u);
    EXPECT_EQ(screen.drawn[0].x, 5);
    EXPECT_EQ(screen.drawn[0].y, 6);
    EXPECT_EQ(screen.drawn[0].width, 70);
    EXPECT_EQ(screen.drawn[0].height, 40);
    EXPECT_EQ(screen.drawn[0].first, pixels.data() + (10 * 100 + 30) * 4);
    EXPECT_EQ(screen.drawn[0].strideBytes, 400u);
    EXPECT_TRUE(BitBlt(&screen, 0, 0, 10, 10, memory, 100, 0, SRCCOPY));
    EXPECT_EQ(screen.drawn.size(), 1u);
    DeleteDC(memory);
}

TEST(ShellOpen, PathsBecomeFileUrisAndAddressesStay) {
    EXPECT_EQ(ShellUriFor("/games/my kestrune/media/velmo.htm"),
              "file:///games/my%20kestrune/media/velmo.htm");
    EXPECT_EQ(ShellUriFor("https://example.org/a b"), "https://example.org/a b");
    InstallShellOpenRecorder();
    EXPECT_GT(ShellExecuteA(nullptr, "open", "/x.htm", nullptr, nullptr, SW_SHOWNORMAL), 32);
    EXPECT_LE(ShellExecuteA(nullptr, "print", "/y.htm", nullptr, nullptr, SW_SHOWNORMAL), 32);
    EXPECT_EQ(OpenedFiles(), std::vector<std::string>{"/x.htm"});
    SetShellOpener(nullptr);
    EXPECT_LE(ShellExecuteA(nullptr, "open", "/x.htm", nullptr, nullptr, SW_SHOWNORMAL), 32);
}

// The help page is found as a data file is: in any case of its name, and a
// named pipe in its place is no page (the browser would wait on it).
TEST(ShellOpen, PagesAreFoundAsDataFilesAndAPipeIsNone) {
    TemporaryDirectory folder;
    folder.Write("velmo.htm", {'<'});
    ASSERT_EQ(mkfifo(folder.File("pipe.htm").c_str(), 0600), 0);
    InstallShellOpenRecorder();
    EXPECT_GT(ShellExecuteA(nullptr, "open", folder.File("Velmo.HTM").c_str(), nullptr, nullptr,
                            SW_SHOWNORMAL),
              32);
    EXPECT_LE(ShellExecuteA(nullptr, "open", folder.File("pipe.htm").c_str(), nullptr, nullptr,
                            SW_SHOWNORMAL),
              32);
    EXPECT_EQ(OpenedFiles(), std::vector<std::string>{folder.File("velmo.htm")});
    SetShellOpener(nullptr);
}

TEST(Keys, FltkKeysBecomeVirtualKeyCodes) {
    EXPECT_EQ(VirtualKeyOf(FL_Escape), 0x1Bu);
    EXPECT_EQ(VirtualKeyOf('c'), 0x43u);
    EXPECT_EQ(VirtualKeyOf('7'), 0x37u);
    EXPECT_EQ(VirtualKeyOf(' '), 0x20u);
    EXPECT_EQ(VirtualKeyOf(FL_Left), 0x25u);
    EXPECT_EQ(VirtualKeyOf(FL_F + 1), 0x70u);
    EXPECT_EQ(VirtualKeyOf(FL_Shift_R), 0x10u);
    EXPECT_EQ(VirtualKeyOf(FL_Alt_L), 0x12u);
    EXPECT_EQ(VirtualKeyOf(FL_Volume_Up), 0u);
}

}  // namespace
