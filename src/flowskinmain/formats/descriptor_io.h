#pragma once
// Whole reads and writes on a descriptor (socket, pipe or memory file), as the
// import worker and the program exchange them: short transfers continue, an
// interrupted call is repeated.
#include <cstddef>

// Reads exactly `size` bytes; false at an error or when the other end closed first.
bool ReadAll(int fd, void* data, size_t size);
// Writes all `size` bytes; false at an error.
bool WriteAll(int fd, const void* data, size_t size);
