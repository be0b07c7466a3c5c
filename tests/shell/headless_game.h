#pragma once
// The whole program, headless: the start-up of main() on a media folder of the
// test's choosing, with the real window procedure behind a recording main
// window, the real renderer on a surfaceless EGL context registered for that
// window, the real sound code on SDL's dummy driver, and a clock and a cursor
// that the test moves. Only the toolkit is missing; the test plays the main
// loop's part, one iteration at a time.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/egl_context.h"
#include "tests/support/media_folder.h"
#include "tests/support/recording_window.h"
#include "tests/support/temporary_directory.h"

// The media folder the build generates.
std::string GeneratedMediaDirectory();

class HeadlessGame : public ::testing::Test {
  protected:
    // The drawable, and so the windowed back buffer. Small, so that llvmpipe
    // spends little time on pixels nobody looks at.
    static constexpr int drawableWidth = 160;
    static constexpr int drawableHeight = 120;

    void SetUp() override;
    void TearDown() override;

    // main() up to its loop: media paths, options, window class, window,
    // bitmaps, sound device, sounds, score line. False when no window came.
    bool StartProgram();

    // One turn of the main loop: every waiting message dispatched, the game
    // controller read (its presses dispatched too), then one frame when a
    // device exists. The clock moves on by a 60 Hz frame.
    void LoopOnce();
    // The clock moves on without a frame.
    void LetTimePass(DWORD milliseconds);

    // The File menu's Start, as the menu sends it.
    void ChooseStart();
    // The cursor at (x, y) of the drawing area, and the move message.
    void MoveMouse(int x, int y);
    void Click();
    void PressKey(UINT key);
    void ReleaseKey(UINT key);

    // Runs `frames` loop turns, clicking whenever the race waits for a click
    // and steering with a cursor that sweeps across the upper half of the
    // picture, so the car drives, turns, leaves the road and hits things.
    void Race(int frames);
    // Holds Escape through racing frames until the game has left the race,
    // clicking to resume a race that waits; false if it never did.
    bool LeaveWithEscape();

    // The window's close box: WM_DESTROY releases everything, then the queue
    // is emptied up to the quit message.
    void CloseProgram();

    // The player's configuration folder: the game's options file of the
    // test's own, never the real player's.
    TemporaryDirectory configHome;
    std::unique_ptr<EglContext> context;
    // Made by the window factory when the program creates its window.
    std::unique_ptr<RecordingWindow> window;
    bool programRunning = false;
    long frameCount = 0;
};
