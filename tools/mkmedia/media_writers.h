#pragma once
// Each writer puts its share of the game's data files into `folder` and
// returns false when a file could not be made.
#include <string>

bool WriteCircuitFiles(const std::string& folder);  // trackmap16.bmp, track.x, circuit.txt
bool WriteGroundTextures(const std::string& folder);
bool WriteCar(const std::string& folder);
bool WriteRobot(const std::string& folder);
bool WriteTrees(const std::string& folder);
bool WriteAdvert(const std::string& folder);
bool WriteFlag(const std::string& folder);
bool WriteSplash(const std::string& folder);
bool WriteSounds(const std::string& folder);
bool WriteHelpPage(const std::string& folder);

// The desktop icon, hicolor/<N>x<N>/apps/kestrune.png for every size N a
// desktop asks for, under `folder`; not a data file of the game.
bool WriteIcons(const std::string& folder);
