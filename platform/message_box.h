#pragma once
// Modal message boxes. The game shows every failure this way, always with the
// caption "Tolvarin". Until the shell installs its toolkit's box, and in every
// test, a replaceable handler receives them instead: no automated run may ever
// wait on a modal box.
#include "platform/windows_types.h"

constexpr UINT MB_OK = 0x00;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

using MessageBoxHandler = int (*)(HWND owner, const char* text, const char* caption, UINT type);

// Replaces the handler; returns the previous one. nullptr restores the default,
// which writes the message to standard error.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
