#include "tests/shell/shell_fixture.h"

#include "core/options.h"
#include "platform/shell_open.h"
#include "render/device.h"
#include "shell/display_mode.h"
#include "shell/resources.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "tests/support/message_box_recorder.h"

namespace {

bool DeviceIsSet() {
    return device != nullptr;
}

}  // namespace

void ShellFixture::SetUp() {
    RaceFixture::SetUp();
    // What ConnectGame does: a game runs while the renderer's device is set.
    raceLinks.deviceExists = DeviceIsSet;
    device = nullptr;
    window.procedure = WindowProc;
    mainWindow = &window;
    appInstance = &gameResources;
    helpFileName = folder.File("velmo.htm");
    optionsFileName = folder.File("options.kvz");
    savedMenu = nullptr;
    SetFullScreenDisplaySize(0, 0);
    InstallCursorDouble();
    InstallDialogRecorder();
    InstallShellOpenRecorder();
    TakeQueuedMessages();
    RecordedMessageBoxes().clear();
}

void ShellFixture::RecordDirect3D() {
    recordingDirect3D = &direct;
    refuseToExist = false;
    SetDirect3DFactory(RecordingDirect3D::Create);
    recordingDirect3DInstalled = true;
}

void ShellFixture::TearDown() {
    // What WM_DESTROY would release: whatever the test's device set-up made
    // (a failed one leaves the Direct3D object). The recording device given
    // by GiveDevice is the test's own.
    if (device == &gameDevice) device = nullptr;
    ReleaseDevice();
    if (recordingDirect3DInstalled) {
        SetDirect3DFactory(nullptr);
        recordingDirect3D = nullptr;
    }
    mainWindow = nullptr;
    savedMenu = nullptr;
    SetFullScreenDisplaySize(0, 0);
    SetCursorSource(nullptr);
    SetDialogRunner(nullptr);
    SetShellOpener(nullptr);
    TakeQueuedMessages();
    optionsFileName = "options.kvz";
    RaceFixture::TearDown();
}

LRESULT ShellFixture::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProc(&window, message, wParam, lParam);
}

void ShellFixture::MoveMouse(LONG x, LONG y) {
    PlaceCursor(x, y);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
}
