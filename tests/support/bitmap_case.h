#pragma once
// One picture file for "Load image...", checked: the case the picture fuzz
// target runs on every input and the regression test on every input that
// ever failed. The bytes are copied into a buffer of exactly their size, so
// that a read past the end is caught by the address sanitizer.
#include <string>
#include <string_view>

// Runs the header reader and the 24-bit check on the bytes. When the check
// accepts the file, its promise is held to: the header says 24 bits, and every
// scan line it declares (rows padded to 4 bytes, from the pixel-data offset)
// lies inside the file; the rows of the map image are then read straight from
// the file's bytes and converted as a load converts them. Returns "" when all
// holds, else what failed.
std::string CheckBitmapCase(std::string_view bytes);
