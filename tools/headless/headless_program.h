#pragma once
// The whole program without a screen, for the tools and the tests: main()'s
// start-up on the media folder beside the program, the real window procedure
// behind a window of our own, the real renderer on a surfaceless EGL context
// registered for that window, the real sound code (on SDL's dummy driver
// unless the caller chose another), and a clock and a cursor that the caller
// moves. Only the toolkit is missing; the caller plays the main loop's part,
// one turn at a time, and sends the messages a player's hand would.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/egl_context.h"
#include "platform/window.h"

class HeadlessProgram {
  public:
    // The window's drawing area as the program asks for it (640 x 480).
    static constexpr int clientWidth = 640;
    static constexpr int clientHeight = 480;
    // The clock reads this at start-up, as on a machine up for a while.
    static constexpr DWORD startMilliseconds = 1000000;

    // The drawable, and so the windowed back buffer, is `width` x `height`:
    // smaller than the window when nobody looks at the pixels. Only one
    // program exists at a time.
    HeadlessProgram(int width, int height);
    // On a context the caller keeps, so that many programs in a row share its
    // compiled shaders.
    explicit HeadlessProgram(EglContext& sharedContext);
    // With no context at all, where there is no OpenGL (the browser build
    // under node): the caller installs a Direct3D that draws nothing
    // (SetDirect3DFactory) before Start.
    HeadlessProgram();
    // Closes the program if it still runs and puts the clock, the cursor and
    // the window factory back.
    ~HeadlessProgram();
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    // False when no EGL context could be made; Error() says why.
    bool HasContext() const { return context != nullptr; }
    const std::string& Error() const { return error; }
    EglContext* Context() const { return context; }

    // main() up to its loop: media paths, options, window class, window,
    // bitmaps, sound device, sounds, score line, and the splash painted.
    // False when no window came.
    bool Start();
    bool Running() const { return running; }
    // The window the program made, until it is closed.
    HWND Window() const { return window.get(); }

    // One turn of the main loop: every waiting message dispatched, the game
    // controller read (its presses dispatched too), then one frame when a
    // device exists, the clock moved on by a 60 Hz frame first.
    void LoopOnce();
    // The clock moves on without a frame.
    void LetTimePass(DWORD milliseconds);
    void DispatchWaitingMessages();
    // Frames stepped so far, and the clock's reading.
    long Frames() const { return frames; }
    DWORD Milliseconds() const;

    // The File menu's Start, as the menu sends it, handled at once.
    void ChooseStart();
    // The cursor at (x, y) of the drawing area, and the move message.
    void MoveMouse(int x, int y);
    void Click();
    void PressKey(UINT key);
    void ReleaseKey(UINT key);
    // Holds Escape through racing frames until the game has left the race,
    // clicking to resume a race that waits; false if it never did.
    bool LeaveWithEscape();
    // The window's close box: WM_DESTROY releases everything, then the queue
    // is emptied up to the quit message.
    void Close();

    // The last presented picture, 8-bit RGBA rows from the top; false when
    // there is no device.
    bool ReadPicture(uint32_t& width, uint32_t& height, std::vector<uint8_t>& rgba) const;

  private:
    void Install();

    std::string error;
    std::unique_ptr<GlContext> ownContext;
    EglContext* context = nullptr;
    std::unique_ptr<WindowObject> window;
    bool running = false;
    long frames = 0;

    static HWND MakeWindow(const WNDCLASSEXA& windowClass, const char* title, LONG style, int x,
                           int y, int width, int height);
};

// 64-bit FNV-1a of the bytes: the fingerprint of a picture.
uint64_t Fingerprint(const std::vector<uint8_t>& bytes);
