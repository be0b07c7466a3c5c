#pragma once
// The whole program, headless (tools/headless/headless_program.h), as a test
// fixture: main()'s start-up on a media folder of the test's choosing, the
// real window procedure, renderer and sound code, and a clock and a cursor
// that the test moves. The test plays the main loop's part, one iteration at
// a time; every piece of game state is put back afterwards. The sound device
// opens no output: each LoopOnce mixes its frame's sound by hand instead.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/media_folder.h"
#include "tests/support/temporary_directory.h"
#include "tools/headless/headless_program.h"

// The media folder the build generates.
std::string GeneratedMediaDirectory();

class HeadlessGame : public ::testing::Test {
  protected:
    // The drawable, and so the windowed back buffer. Small, so that llvmpipe
    // spends little time on pixels nobody looks at.
    static constexpr int drawableWidth = 160;
    static constexpr int drawableHeight = 120;

    // One EGL context for every test of a suite: a program started on it
    // finds the shaders of the one before already compiled.
    static void SetUpTestSuite() { MakeSharedContext(drawableWidth, drawableHeight); }
    // For a suite that never looks at the picture: llvmpipe fills every
    // pixel on the processor, and a few dozen are enough to draw through.
    static void MakeSharedContext(int width, int height);
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // main() up to its loop; false when no window came.
    bool StartProgram() { return program->Start(); }
    void LoopOnce();
    // The clock moves on without a frame.
    void LetTimePass(DWORD milliseconds) { program->LetTimePass(milliseconds); }
    void ChooseStart() { program->ChooseStart(); }
    void MoveMouse(int x, int y) { program->MoveMouse(x, y); }
    void Click() { program->Click(); }
    void PressKey(UINT key) { program->PressKey(key); }
    void ReleaseKey(UINT key) { program->ReleaseKey(key); }

    // Runs `frames` loop turns, clicking whenever the race waits for a click
    // and steering with a cursor that sweeps across the upper half of the
    // picture, so the car drives, turns, leaves the road and hits things.
    void Race(int frames);
    bool LeaveWithEscape() { return program->LeaveWithEscape(); }
    void CloseProgram() { program->Close(); }
    long FrameCount() const { return program->Frames(); }
    HWND Window() const { return program->Window(); }

    // The player's configuration folder: the game's options file of the
    // test's own, never the real player's.
    TemporaryDirectory configHome;
    // Their data folder: the records and the ghost, never the real player's,
    // nor an earlier test's.
    TemporaryDirectory dataHome;
    std::unique_ptr<HeadlessProgram> program;

  private:
    static std::unique_ptr<EglContext> sharedContext;
    static std::string contextError;
};
