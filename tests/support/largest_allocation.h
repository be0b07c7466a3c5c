#pragma once
// The largest single block the process asks malloc for while an object of
// this class lives, from our code or from a library's (libpng, libjpeg). A
// reader must never ask for more than its file justifies, however the file
// lies about its sizes; this is how a test sees it.
#include <cstddef>

class LargestAllocation {
  public:
    LargestAllocation();
    ~LargestAllocation();
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;

    size_t Bytes() const;
};
