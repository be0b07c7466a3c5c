// The page's player folder is IndexedDB behind emscripten's IDBFS
// (platform/web/player_store.js): it is read into memory before the game
// starts and written back after each save, which waits for the store's
// answer, so that a refused store is a failed save as the game reports it.
#include "platform/player_store.h"

#include <emscripten/emscripten.h>
#include <sys/stat.h>

extern "C" int kestrune_player_store_mounted();

namespace {

// Emscripten starts a program with every permission bit masked, so a new
// file would be saved with no permissions and refuse the next save. A
// desktop's usual mask stands in for the one a shell would have passed on.
[[maybe_unused]] const bool playerMaskSet = [] {
    umask(022);
    return true;
}();

// 1 when the store took the player's folder, 0 when it refused it.
EM_ASYNC_JS(int, kestrune_player_store_save, (), { return await KestrunePlayerStore.save(); });

}  // namespace

bool KeepPlayerFiles() {
    if (kestrune_player_store_mounted() == 0) return true;
    return kestrune_player_store_save() != 0;
}
