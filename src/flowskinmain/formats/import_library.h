#pragma once
// The mesh-import library's part of an OBJ, STL, OFF or glTF load: the one
// place that hands a file's bytes to the library. The program runs it only in
// the import worker (see import_worker.h), where a crash, an endless loop or
// runaway memory inside the library cannot harm the program.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "formats/mesh_format.h"
#include "formats/triangle_soup.h"

// Reads the file `path`, whose whole contents are `bytes` and whose format
// (not kPly, not kUnknown) is `format`, with the library's readers of that
// format alone (contents they refuse are never offered to another reader) and
// gathers into `soup` every triangle of every mesh of the file, placed by the
// transforms of the nodes that use it, positions in object space (polygons are
// split into triangles, points and lines are left out). Texture coordinates
// (the first set) are taken when every mesh has them. Other files the format
// refers to (glTF buffers, OBJ materials) are opened beside `path`. On failure
// `reason` says why in words for the user ("not a readable OFF file (...)").
bool ReadSoupWithLibrary(const std::string& path, std::string_view bytes, TMeshFormat format, TTriangleSoup& soup,
                         std::string& reason);

// The same read, the triangles written straight into arrays that `allocate`
// gives for the corner count and whether texture coordinates come (called
// once, only when the file holds triangles; it must return arrays of that
// many corners or not return at all).
struct TSoupArrays {
  TVec3* corners = nullptr;
  std::array<float, 2>* uv = nullptr;  // nullptr without texture coordinates
};
using TSoupAllocator = std::function<TSoupArrays(size_t corners, bool uv)>;
bool ReadSoupWithLibrary(const std::string& path, std::string_view bytes, TMeshFormat format,
                         const TSoupAllocator& allocate, std::string& reason);

// The import library's name and version as it runs ("Assimp 5.2.5"); reads
// no file, so the program asks it directly.
std::string ImportLibraryVersion();
