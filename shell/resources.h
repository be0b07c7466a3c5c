#pragma once
// The game's resources: the title and class name, the menu and its
// accelerators, the Options and About dialogs, and the program's icon, by the
// numbers the rest of the shell knows them by.
#include "platform/resources.h"

// Strings.
constexpr int IDS_APP_TITLE = 103;
constexpr int IDS_WINDOW_CLASS = 109;
// Menu and accelerator table.
constexpr int IDC_KESTRUNE = 109;
// Icons: large and small.
constexpr int IDI_KESTRUNE = 107;
constexpr int IDI_SMALL = 108;
// Dialogs.
constexpr int IDD_ABOUTBOX = 103;
constexpr int IDD_OPTIONS = 106;

// Menu commands.
constexpr UINT IDM_ABOUT = 104;
constexpr UINT IDM_EXIT = 105;
constexpr UINT IDM_START = 32771;
constexpr UINT IDM_OPTIONS = 32772;
constexpr UINT IDM_HTMLHELP = 32774;
// Alt+Enter: windowed or full screen (no menu item).
constexpr UINT IDM_SWITCH_FULL_SCREEN = 32775;

// Options dialog controls.
constexpr int IDC_WINDOWED = 1000;
constexpr int IDC_WINDOW_SIZE = 1001;
constexpr int IDC_SIZE_640 = 1002;
constexpr int IDC_SIZE_800 = 1003;
constexpr int IDC_SIZE_1024 = 1004;
constexpr int IDC_OPTIONS_OK = 1005;
constexpr int IDC_OPTIONS_CANCEL = 1006;
constexpr int IDC_MUSIC = 1007;
constexpr int IDC_LIGHTS = 1008;
// Full screen at the display's own size.
constexpr int IDC_SIZE_DESKTOP = 1010;
// About dialog controls.
constexpr int IDC_ABOUT_ICON = 2;
constexpr int IDC_ABOUT_LINK = 1009;

extern const ResourceModule gameResources;

// The icon: a ring of road on grass with the red car on it.
void DrawGameIcon(int size, std::vector<uint8_t>& rgba);
