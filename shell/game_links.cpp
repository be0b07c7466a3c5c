#include "shell/game_links.h"

#include "race/race_links.h"

void ConnectGame() {
    // Filled in as the parts of the game arrive.
    DisconnectRace();
}
