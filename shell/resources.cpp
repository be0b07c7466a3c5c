#include "shell/resources.h"

#include <algorithm>
#include <cmath>

#include "platform/message_box.h"
#include "platform/window.h"

namespace {

using Kind = ControlKind;

// Shown on the About dialog's address line; a click opens the help page in
// the media folder (AboutDialogProc).
constexpr const char* aboutAddressText = "Kestrune help: media/velmo.htm";

}  // namespace

const ResourceModule gameResources = {
    // Strings
    {
        {IDS_APP_TITLE, "Kestrune"},
        {IDS_WINDOW_CLASS, "Kestrune"},
    },
    // Menus
    {
        {IDC_KESTRUNE,
         {
             {"&File",
              {
                  {"&Start", IDM_START},
                  {"&Options...", IDM_OPTIONS},
                  {nullptr, 0},
                  {"E&xit", IDM_EXIT},
              }},
             {"&Help",
              {
                  {"&HTML Help...", IDM_HTMLHELP},
                  {"&About ...", IDM_ABOUT},
              }},
         }},
    },
    // Accelerators: Alt with '?' or '/' opens About; Alt+Enter switches between
    // window and full screen.
    {
        {IDC_KESTRUNE,
         {
             {FALT, '?', static_cast<WORD>(IDM_ABOUT)},
             {FALT, '/', static_cast<WORD>(IDM_ABOUT)},
             {static_cast<BYTE>(FVIRTKEY | FALT), static_cast<WORD>(VK_RETURN),
              static_cast<WORD>(IDM_SWITCH_FULL_SCREEN)},
         }},
    },
    // Dialogs
    {
        {IDD_OPTIONS,
         "Options",
         "MS Shell Dlg",
         8,
         DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS,
         0,
         0,
         210,
         142,
         {
             {Kind::AutoCheckBox, "Windowed", IDC_WINDOWED, 22, 15, 69, 15, WS_TABSTOP_STYLE},
             // Taller than the original's 61 units, for the fourth size.
             {Kind::GroupBox, "Window Size", IDC_WINDOW_SIZE, 15, 35, 72, 75, 0},
             {Kind::AutoRadioButton, "640 x 480", IDC_SIZE_640, 22, 46, 57, 10, WS_GROUP_STYLE},
             {Kind::AutoRadioButton, "800 x 600", IDC_SIZE_800, 22, 62, 55, 10, WS_GROUP_STYLE},
             {Kind::AutoRadioButton, "1024 x 768", IDC_SIZE_1024, 22, 78, 56, 10, WS_GROUP_STYLE},
             {Kind::DefaultPushButton, "&OK", IDC_OPTIONS_OK, 85, 113, 50, 14,
              WS_TABSTOP_STYLE | WS_GROUP_STYLE},
             {Kind::PushButton, "&Cancel", IDC_OPTIONS_CANCEL, 145, 113, 50, 14, WS_TABSTOP_STYLE},
             {Kind::AutoCheckBox, "Background Music", IDC_MUSIC, 106, 17, 84, 10, WS_TABSTOP_STYLE},
             {Kind::AutoCheckBox, "Lights", IDC_LIGHTS, 106, 33, 35, 10, WS_TABSTOP_STYLE},
             {Kind::AutoRadioButton, "Desktop", IDC_SIZE_DESKTOP, 22, 94, 57, 10, WS_GROUP_STYLE},
         }},
        {IDD_ABOUTBOX,
         "About",
         "System",
         8,
         DS_SETFONT | DS_MODALFRAME,
         22,
         17,
         230,
         75,
         {
             {Kind::StaticIcon, "107", IDC_ABOUT_ICON, 14, 9, 20, 20, SS_ICON},
             {Kind::StaticText, "Kestrune Version 1.0", -1, 49, 10, 140, 8,
              SS_NOPREFIX | WS_GROUP_STYLE},
             {Kind::StaticText, "Copyright (C) Tolvarin", -1, 49, 20, 119, 8, WS_GROUP_STYLE},
             {Kind::DefaultPushButton, "OK", IDOK, 193, 7, 30, 11,
              WS_TABSTOP_STYLE | WS_GROUP_STYLE},
             {Kind::StaticText, "Made by Tolvarin", -1, 49, 31, 94, 13, WS_GROUP_STYLE},
             {Kind::StaticText, aboutAddressText, IDC_ABOUT_LINK, 49, 48, 165, 19,
              SS_NOTIFY | WS_GROUP_STYLE},
         }},
    },
    // Icons
    {
        {IDI_KESTRUNE, DrawGameIcon},
        {IDI_SMALL, DrawGameIcon},
    },
};

void DrawGameIcon(int size, std::vector<uint8_t>& rgba) {
    rgba.assign(static_cast<size_t>(size) * size * 4, 0);
    const double centre = (size - 1) / 2.0;
    const double outer = size * 0.48;
    const double roadOuter = size * 0.40;
    const double roadInner = size * 0.24;
    // The car sits on the ring at the top, a little to the right.
    const double carX = centre + roadOuter * 0.45;
    const double carY = centre - (roadOuter + roadInner) / 2.0 * 0.95;
    const double carHalf = std::max(1.5, size * 0.09);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double distance = std::hypot(x - centre, y - centre);
            uint8_t* pixel = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            auto paint = [pixel](uint8_t r, uint8_t g, uint8_t b) {
                pixel[0] = r;
                pixel[1] = g;
                pixel[2] = b;
                pixel[3] = 255;
            };
            if (distance > outer) continue;
            if (std::fabs(x - carX) <= carHalf && std::fabs(y - carY) <= carHalf * 0.7) {
                paint(214, 30, 30);
            } else if (distance <= roadOuter && distance >= roadInner) {
                paint(90, 90, 96);
            } else {
                paint(46, 140, 58);
            }
        }
    }
}
