#pragma once
// Checks of a file's structure made before the import library reads it, for
// the faults the library would otherwise meet only after allocating for the
// declared counts, or would read past without a word (an OFF face with an
// index out of range or too few indices becomes a wrong triangle there).
// Each returns an empty string when the file passes, otherwise the reason in
// words for the user, starting in lower case ("the binary STL file is
// truncated: ...").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The triangle count of a binary STL: the little-endian 32-bit number after
// its 80-byte header (0 when the bytes are shorter than 84).
uint64_t BinaryStlCount(std::string_view bytes);

// Binary STL: an 80-byte header, a little-endian triangle count n and 50 bytes
// per triangle. Fails on a file shorter than 84 + 50 n bytes (truncated) and
// on n = 0. On success `used` is 84 + 50 n: bytes after the last triangle are
// ignored.
std::string CheckBinaryStl(std::string_view bytes, size_t& used);

// ASCII STL text: "solid" and a name, then facets of the form "facet normal
// nx ny nz outer loop" (finite numbers), three "vertex x y z" with finite numbers, "endloop
// endfacet", and "endsolid" (a file may hold several solids). A file that ends
// before its last "endsolid" is truncated.
std::string CheckAsciiStl(std::string_view text);

// OFF text: a header word ending in "OFF", the counts V F [E] (on the header
// line or the next), V vertex lines of at least three finite numbers, F face
// lines of a vertex count n >= 3 and n indices in 0..V-1 (further numbers on a
// line, colours for example, are allowed). Blank lines and '#' comments are
// skipped. The counts are checked against the file's size before any line is
// read.
std::string CheckOffText(std::string_view text);
