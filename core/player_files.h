#pragma once
// The player's own files (options, records, the ghost): where they lie, how
// they are read without waiting on whatever stands in their place, and how
// they are saved so that a file is always whole, old or new.
#include <cstddef>
#include <string>
#include <vector>

// `$variable/kestrune`, or `~/fallback/kestrune` when the variable is unset
// or not an absolute path: e.g. ("XDG_DATA_HOME", ".local/share").
std::string PlayerFolder(const char* variable, const char* fallback);

enum class PlayerFileRead { Missing, Unreadable, Read };

// Up to `limit` + 1 bytes of a regular file into `bytes`, so that a caller
// can tell a file longer than it wants. Opened without waiting: a named pipe
// in the file's place is unreadable, never a hang.
PlayerFileRead ReadPlayerFile(const std::string& name, size_t limit,
                              std::vector<unsigned char>& bytes);

// Writes the whole file or leaves the old one: a new file beside it renamed
// over it once flushed, or, in a folder that refuses new files, the file
// rewritten in place. A read-only file keeps its bytes, a link stays a link
// and its target is written, the folders are made on the first save. False
// on any failure, a store that refuses the written file included
// (platform/player_store.h), which the caller reports as it sees fit.
bool SavePlayerFile(const std::string& name, const unsigned char* bytes, size_t size);

// A damaged file is renamed to "<name>.damaged" (or ".damaged-2" and on, never
// over an earlier one) so that the next save cannot overwrite what the player
// may want back. Returns the name it now has, empty when it could not move.
std::string SetDamagedFileAside(const std::string& name);

// A file the game refuses to read: set aside as above and noted in one line
// on standard error. The game goes on without it; nothing asks the player to
// click anything away.
void RefuseDamagedFile(const std::string& name, const char* what);
