#pragma once
// Start-up and shut-down: the media paths of the data files, the main window,
// the splash picture, the track map and the sounds, and their release.
#include <string>

#include "platform/paint.h"
#include "platform/resources.h"
#include "platform/window.h"

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern char windowTitle[100];
extern char windowClassName[100];

// Full paths of the data files, set by start-up through MediaPath
// (optionsFileName lives with the options).
extern std::string splashFileName;
extern std::string helpFileName;
extern std::string trackMapFileName;

// The splash picture in a memory DC; the window procedure copies it.
extern HDC splashDC;

// MediaPath for the data files, in the start-up order, and the player's own
// options file.
void SetMediaFileNames();

void RegisterWindowClass(HINSTANCE instance);

// Creates the main window and loads the track map, the splash and the sounds;
// false when the window cannot be made.
bool InitInstance(HINSTANCE instance, int showCommand);

// Shut-down after the device is gone: the sounds and the sound device, then
// the bitmaps.
void ReleaseResources();
