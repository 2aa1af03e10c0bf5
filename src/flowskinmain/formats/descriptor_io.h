#pragma once
// Whole reads and writes on a descriptor (socket, pipe or memory file), as the
// import worker and the program exchange them: short transfers continue, an
// interrupted call is repeated.
#include <cstddef>

// Reads exactly `size` bytes; false at an error or when the other end closed first.
bool ReadAll(int fd, void* data, size_t size);
// Reads exactly `size` bytes from `offset` on (a file); false at an error or
// when the file ends first. Leaves the descriptor's own position alone.
bool ReadAllAt(int fd, void* data, size_t size, size_t offset);
// Writes all `size` bytes; false at an error.
bool WriteAll(int fd, const void* data, size_t size);
