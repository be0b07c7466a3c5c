// The program's entry point. Until the window and its main loop exist, it
// only says so.
#include <cstdio>

int main() {
    std::puts("Kestrune: the game's window is not built yet; run the tests instead.");
    return 0;
}
