#pragma once
// The program file's own path (GetModuleFileNameA), read from /proc/self/exe.
#include <string>

std::string GetModuleFileNameA();

// Tests point the game at a media folder of their own by pretending the
// program lives elsewhere. An empty path restores the real one.
void SetModuleFileNameForTesting(const std::string& path);
