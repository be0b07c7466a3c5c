#include "platform/player_store.h"

bool KeepPlayerFiles() {
    return true;
}
