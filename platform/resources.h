#pragma once
// A program's resources, as a resource script would declare them: strings,
// menus, accelerator tables, dialog templates and icons, each found by its
// number. The module's instance handle is its resource table.
#include <cstdint>
#include <vector>

#include "platform/windows_types.h"

struct MenuItemResource {
    const char* label;  // nullptr: a separator
    UINT id;
};

struct MenuPopupResource {
    const char* label;
    std::vector<MenuItemResource> items;
};

struct MenuResource {
    int id;
    std::vector<MenuPopupResource> popups;
};

constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct ACCEL {
    BYTE fVirt;
    WORD key;  // a character unless FVIRTKEY
    WORD cmd;
};

struct AcceleratorResource {
    int id;
    std::vector<ACCEL> entries;
};

// Dialog template styles and control kinds that the game's two dialogs use.
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD WS_GROUP_STYLE = 0x00020000;    // WS_GROUP
constexpr DWORD WS_TABSTOP_STYLE = 0x00010000;  // WS_TABSTOP
constexpr DWORD SS_NOPREFIX = 0x80;
constexpr DWORD SS_NOTIFY = 0x100;
constexpr DWORD SS_ICON = 0x03;

enum class ControlKind {
    AutoCheckBox,
    AutoRadioButton,
    GroupBox,
    PushButton,
    DefaultPushButton,
    StaticText,
    StaticIcon,
};

struct DialogControlResource {
    ControlKind kind;
    const char* text;           // the label; for an icon the icon resource's number as text
    int id;                     // -1: a control without an id ("IDC_STATIC")
    short x, y, width, height;  // dialog units
    DWORD style;                // WS_GROUP_STYLE, WS_TABSTOP_STYLE, SS_* as the template says
};

struct DialogResource {
    int id;
    const char* title;
    const char* fontName;
    int fontPoints;
    DWORD style;
    short x, y, width, height;  // dialog units
    std::vector<DialogControlResource> controls;
};

struct StringResource {
    int id;
    const char* text;
};

// An icon drawn by the program: `draw` fills size x size RGBA pixels, rows
// from the top.
struct IconResource {
    int id;
    void (*draw)(int size, std::vector<uint8_t>& rgba);
};

struct ResourceModule {
    std::vector<StringResource> strings;
    std::vector<MenuResource> menus;
    std::vector<AcceleratorResource> accelerators;
    std::vector<DialogResource> dialogs;
    std::vector<IconResource> icons;
};
using HINSTANCE = const ResourceModule*;

// Copies string `id` into the buffer, cut to size - 1 characters; returns the
// length, 0 (and an empty buffer) when there is no such string.
int LoadStringA(HINSTANCE instance, int id, char* buffer, int size);

const MenuResource* FindMenuResource(HINSTANCE instance, int id);
const AcceleratorResource* FindAcceleratorResource(HINSTANCE instance, int id);
const DialogResource* FindDialogResource(HINSTANCE instance, int id);
const IconResource* FindIconResource(HINSTANCE instance, int id);
