#pragma once
// The shell with its surroundings replaced: a recording main window whose
// procedure is WindowProc, a cursor the test places, recorders for dialogs and
// opened pages, a settable clock, and no device until the test gives one.
#include "race/game_state.h"
#include "render/device.h"
#include "tests/support/race_fixture.h"
#include "tests/support/recording_device.h"
#include "tests/support/recording_direct3d.h"
#include "tests/support/recording_window.h"
#include "tests/support/temporary_directory.h"

class ShellFixture : public RaceFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A game is running: `device` is the test's recording device.
    void GiveDevice() { device = &gameDevice; }
    // Direct3D made by the device set-up records what it is asked for.
    void RecordDirect3D();

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A mouse move with the cursor at (x, y) on the screen.
    void MoveMouse(LONG x, LONG y);

    RecordingWindow window;
    RecordingDevice gameDevice;
    TemporaryDirectory folder;
    RecordingDirect3D direct;
    bool recordingDirect3DInstalled = false;
};
