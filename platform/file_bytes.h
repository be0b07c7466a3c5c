#pragma once
// Opening and reading the game's data files. Every reader of a media file
// comes through here, so a file is found, and refused, the same way for all.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Opens a data file for reading, found as the original's Windows found it:
// the name exactly as given first; only on a miss is `\` read as a separator
// and each part of the path matched without regard to case against its
// folder. Anything but a regular file (a named pipe, a device, a folder)
// counts as unreadable, and the open never waits on it. Returns a descriptor
// the caller closes, or -1.
int OpenDataFile(const char* path);

// The path OpenDataFile would open, or "" when it finds nothing; exposed for
// the callers that hand a path on (the help page goes to another program).
std::string FindDataFile(const char* path);

// False for a missing or unreadable file, anything but a regular file, or one
// longer than `maxSize` bytes; `bytes` is then untouched.
bool ReadFileBytes(const char* path, size_t maxSize, std::vector<uint8_t>& bytes);
