#include "race/race_links.h"

namespace {

void Nothing() {}
bool NoDevice() {
    return false;
}
void NoCue(RaceCue) {}

constexpr RaceLinks unconnected = {
    Nothing,  Nothing, Nothing, Nothing, Nothing, Nothing,
    NoDevice, NoCue,   Nothing, Nothing, Nothing, Nothing,
};

}  // namespace

RaceLinks raceLinks = unconnected;

void DisconnectRace() {
    raceLinks = unconnected;
}
