#include "shell/dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/resources.h"
#include "shell/startup.h"
#include "tests/shell/shell_fixture.h"

namespace {

class OptionsDialog : public ShellFixture {
  protected:
    std::vector<uint8_t> FileBytes() const { return folder.Read("options.kvz"); }
    bool FileExists() const { return std::filesystem::exists(folder.File("options.kvz")); }

    RecordingDialog dialog;
};

TEST_F(OptionsDialog, OpensWithTheChecksOfTheCurrentOptions) {
    GameOptions = GameOptionsRecord{0, 1, 0, 800};  // full screen, lights, no music, 800
    EXPECT_EQ(dialog.Init(OptionsDialogProc), TRUE);
    EXPECT_EQ(dialog.ItemCheck(IDC_WINDOWED), BST_UNCHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_LIGHTS), BST_CHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_MUSIC), BST_UNCHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_640), BST_UNCHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_800), BST_CHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_1024), BST_UNCHECKED);
    // Every box is set, checked or not.
    EXPECT_EQ(dialog.checks.size(), 7u);
}

TEST_F(OptionsDialog, ChoosingASizeLeavesExactlyThatOneCheckedAndOkStoresIt) {
    dialog.Init(OptionsDialogProc);
    EXPECT_EQ(dialog.ClickRadioButton(OptionsDialogProc, IDC_SIZE_800), FALSE);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_640), BST_UNCHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_800), BST_CHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_1024), BST_UNCHECKED);
    dialog.ClickRadioButton(OptionsDialogProc, IDC_SIZE_1024);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_800), BST_UNCHECKED);
    dialog.ClickRadioButton(OptionsDialogProc, IDC_SIZE_800);
    EXPECT_EQ(GameOptions.windowWidth, 640u);  // nothing stored before OK
    EXPECT_FALSE(dialog.ended);

    EXPECT_EQ(dialog.Command(OptionsDialogProc, IDC_OPTIONS_OK), TRUE);
    EXPECT_TRUE(dialog.ended);
    EXPECT_EQ(dialog.result, IDC_OPTIONS_OK);
    EXPECT_EQ(GameOptions.windowWidth, 800u);
    EXPECT_EQ(FileBytes(),
              (std::vector<uint8_t>{0x20, 0x03, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(OptionsDialog, TheDesktopSizeIsAFourthChoiceStoredAsWidthZero) {
    dialog.Init(OptionsDialogProc);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_DESKTOP), BST_UNCHECKED);
    dialog.ClickRadioButton(OptionsDialogProc, IDC_SIZE_DESKTOP);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_640), BST_UNCHECKED);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_DESKTOP), BST_CHECKED);
    dialog.Command(OptionsDialogProc, IDC_OPTIONS_OK);
    EXPECT_EQ(GameOptions.windowWidth, displaySizeWidth);
    EXPECT_EQ(FileBytes(), (std::vector<uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
    dialog.Init(OptionsDialogProc);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_DESKTOP), BST_CHECKED);
    dialog.ClickRadioButton(OptionsDialogProc, IDC_SIZE_800);
    EXPECT_EQ(dialog.ItemCheck(IDC_SIZE_DESKTOP), BST_UNCHECKED);
}

TEST_F(OptionsDialog, EachCheckBoxTogglesItsOwnOption) {
    dialog.Init(OptionsDialogProc);
    EXPECT_EQ(dialog.ClickCheckBox(OptionsDialogProc, IDC_WINDOWED), FALSE);
    EXPECT_EQ(dialog.ClickCheckBox(OptionsDialogProc, IDC_MUSIC), FALSE);
    dialog.Command(OptionsDialogProc, IDC_OPTIONS_OK);
    EXPECT_EQ(GameOptions.windowed, 0u);
    EXPECT_EQ(GameOptions.lightsOn, 1u);
    EXPECT_EQ(GameOptions.musicOn, 0u);
    EXPECT_EQ(FileBytes(),
              (std::vector<uint8_t>{0x80, 0x02, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(OptionsDialog, LightsToggledTwiceKeepsItsValueAndOkStillWritesTheFile) {
    GameOptions.lightsOn = 7;  // a value from the file stays as it was read
    dialog.Init(OptionsDialogProc);
    dialog.ClickCheckBox(OptionsDialogProc, IDC_LIGHTS);
    dialog.ClickCheckBox(OptionsDialogProc, IDC_LIGHTS);
    EXPECT_FALSE(FileExists());
    dialog.Command(OptionsDialogProc, IDC_OPTIONS_OK);
    EXPECT_EQ(GameOptions.lightsOn, 1u);  // negated twice: 7 -> 0 -> 1
    ASSERT_EQ(FileBytes().size(), 16u);
    EXPECT_EQ(FileBytes()[8], 1);
}

TEST_F(OptionsDialog, ConfirmingUnchangedStillWritesTheFile) {
    dialog.Init(OptionsDialogProc);
    dialog.Command(OptionsDialogProc, IDC_OPTIONS_OK);
    EXPECT_EQ(FileBytes(),
              (std::vector<uint8_t>{0x80, 0x02, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(OptionsDialog, CancelLeavesTheOptionsAndTheFileUntouched) {
    dialog.Init(OptionsDialogProc);
    dialog.ClickCheckBox(OptionsDialogProc, IDC_WINDOWED);
    dialog.ClickCheckBox(OptionsDialogProc, IDC_LIGHTS);
    dialog.ClickCheckBox(OptionsDialogProc, IDC_MUSIC);
    dialog.ClickRadioButton(OptionsDialogProc, IDC_SIZE_1024);
    EXPECT_EQ(dialog.Command(OptionsDialogProc, IDC_OPTIONS_CANCEL), TRUE);
    EXPECT_TRUE(dialog.ended);
    EXPECT_EQ(dialog.result, IDC_OPTIONS_CANCEL);
    EXPECT_EQ(GameOptions.windowed, 1u);
    EXPECT_EQ(GameOptions.lightsOn, 1u);
    EXPECT_EQ(GameOptions.musicOn, 1u);
    EXPECT_EQ(GameOptions.windowWidth, 640u);
    EXPECT_FALSE(FileExists());
}

TEST_F(OptionsDialog, EscapeAndTheCloseBoxCancel) {
    dialog.Init(OptionsDialogProc);
    dialog.ClickCheckBox(OptionsDialogProc, IDC_LIGHTS);
    EXPECT_EQ(dialog.Command(OptionsDialogProc, IDCANCEL), TRUE);
    EXPECT_TRUE(dialog.ended);
    EXPECT_EQ(dialog.result, IDCANCEL);
    EXPECT_EQ(GameOptions.lightsOn, 1u);
    EXPECT_FALSE(FileExists());
}

TEST_F(OptionsDialog, OtherMessagesAndIdsAreNotHandled) {
    dialog.Init(OptionsDialogProc);
    EXPECT_EQ(dialog.Command(OptionsDialogProc, IDC_WINDOW_SIZE), FALSE);
    EXPECT_EQ(dialog.Command(OptionsDialogProc, IDOK), FALSE);
    EXPECT_EQ(OptionsDialogProc(&dialog, WM_PAINT, 0, 0), FALSE);
    EXPECT_FALSE(dialog.ended);
}

class AboutDialog : public ShellFixture {
  protected:
    RecordingDialog dialog;
};

TEST_F(AboutDialog, TheAddressOpensTheHelpPageAndLeavesTheDialogOpen) {
    EXPECT_EQ(dialog.Init(AboutDialogProc), TRUE);
    EXPECT_EQ(dialog.Command(AboutDialogProc, IDC_ABOUT_LINK), FALSE);
    EXPECT_EQ(OpenedFiles(), std::vector<std::string>{helpFileName});
    EXPECT_FALSE(dialog.ended);
}

TEST_F(AboutDialog, OkEscapeAndTheCloseBoxCloseIt) {
    EXPECT_EQ(dialog.Command(AboutDialogProc, IDOK), TRUE);
    EXPECT_TRUE(dialog.ended);
    EXPECT_EQ(dialog.result, IDOK);

    RecordingDialog cancelled;
    EXPECT_EQ(cancelled.Command(AboutDialogProc, IDCANCEL), TRUE);
    EXPECT_TRUE(cancelled.ended);
    EXPECT_EQ(cancelled.result, IDCANCEL);
    EXPECT_TRUE(OpenedFiles().empty());
}

// The templates keep the labels, ids, order and kinds of their controls.
TEST(DialogTemplates, OptionsControlsInTheirOrder) {
    const DialogResource* options = FindDialogResource(&gameResources, IDD_OPTIONS);
    ASSERT_NE(options, nullptr);
    EXPECT_STREQ(options->title, "Options");
    EXPECT_EQ(options->width, 210);
    EXPECT_EQ(options->height, 142);
    const std::vector<std::pair<int, std::string>> expected = {
        {1000, "Windowed"},  {1001, "Window Size"},      {1002, "640 x 480"},
        {1003, "800 x 600"}, {1004, "1024 x 768"},       {1005, "&OK"},
        {1006, "&Cancel"},   {1007, "Background Music"}, {1008, "Lights"},
        {1010, "Desktop"}};
    ASSERT_EQ(options->controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(options->controls[i].id, expected[i].first);
        EXPECT_EQ(options->controls[i].text, expected[i].second);
    }
    for (int radio = 2; radio <= 4; ++radio) {
        EXPECT_EQ(options->controls[radio].kind, ControlKind::AutoRadioButton);
        EXPECT_TRUE(options->controls[radio].style & WS_GROUP_STYLE);
    }
    EXPECT_EQ(options->controls[5].kind, ControlKind::DefaultPushButton);
    EXPECT_EQ(options->controls[9].kind, ControlKind::AutoRadioButton);
}

TEST(DialogTemplates, AboutHasItsLinkAndOk) {
    const DialogResource* about = FindDialogResource(&gameResources, IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_STREQ(about->title, "About");
    ASSERT_EQ(about->controls.size(), 6u);
    EXPECT_EQ(about->controls[0].kind, ControlKind::StaticIcon);
    EXPECT_EQ(about->controls[3].id, IDOK);
    EXPECT_EQ(about->controls[5].id, IDC_ABOUT_LINK);
    EXPECT_TRUE(about->controls[5].style & SS_NOTIFY);
}

}  // namespace
