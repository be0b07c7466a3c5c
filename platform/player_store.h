#pragma once
// Where the player's files (options, records, ghost) are kept once written.
// On the desktop the file system keeps them. In a browser the page's files
// live in memory: the player's folder is copied to the browser's own store,
// which may refuse them (full, or turned off), and that is a failed save.

// Called after each of the player's files was written in full: true when
// it is kept.
bool KeepPlayerFiles();
