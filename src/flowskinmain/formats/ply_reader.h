#pragma once
// Reader of triangle meshes in the ASCII PLY layout; files whose format line
// names a binary layout go to the binary reader (ply_binary.h) from the same
// two calls, ReadPlyHeader and ReadPlyData.
//
// Header: words separated by spaces and line ends (CR, LF or CR LF; a tab is
// part of a word). The reader looks for "vertex" and its count, then the
// "property" lines up to "face" and its count, then "ntime" and its count up to
// "end_header". Vertex properties: x y z always; "vx" declares the velocity
// triple, "tx" the texture pair; "vy", "vz", "ty" are known; every other name
// is one further value per vertex, read and discarded.
// Body: numbers separated by blanks (any character up to the space). Per vertex
// x y z, then vx vy vz, then tx ty, then the further values, in that fixed
// order whatever order the header gives; per face a vertex count n >= 3 and n
// indices (a polygon becomes n - 2 triangles, see SplitPolygon); then per
// time step one time value and vertex_count velocity triples.
//
// Every fault of the input is an error with a message for the user; a
// malformed number reads "Invalid numeric input".
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/ply_binary.h"
#include "mesh/mesh_model.h"

struct TPlyHeader {
  int64_t vertex_count = 0;
  int64_t face_count = 0;
  int64_t time_count = 0;
  bool has_user_velo = false;
  bool has_tex0 = false;
  int64_t extra_count = 0;  // further values per vertex, discarded
  size_t body_offset = 0;   // offset of the first character after "end_header"
  PlyFormat format = PlyFormat::kAscii;
  TPlyLayout layout;  // binary files only
};

// Scans the header (a binary one with ReadBinaryPlyHeader). Fails on an
// unsupported binary format, a malformed or negative count, a missing
// "end_header", no vertices or no faces, and on counts that the rest of the
// text is too short to hold (checked before anything large is allocated).
bool ReadPlyHeader(std::string_view text, TPlyHeader& header, std::string& error);

// Reads the body into `mesh` (a binary one with ReadBinaryPlyData):
// vertex_count, face_count (triangles after polygon splitting), has_user_velo,
// has_tex0, pos, user_velo, tex0, faces[].v, time_count, time_values,
// time_velo; with `swap` ("Swap orientation") v[0] and v[1] of every face are
// exchanged. Other fields are left as they are.
// Fails on a malformed number, a value that is not finite or does not fit in
// single precision, an index outside 0..vertex_count-1, a face with fewer than
// three vertices, and a body that ends before all declared numbers.
// Vertex slots that `mesh` does not have yet are appended zeroed; when
// `previous` (the mesh this load replaces) has the slot, the new record takes
// its aux, aux_base, align_mark, and user_velo when the file has no
// velocities, as a resized vertex array would keep them.
bool ReadPlyData(std::string_view text, const TPlyHeader& header, bool swap, TMesh& mesh, std::string& error,
                 const TMesh* previous = nullptr);

// Reads a whole file into `text` in one go; "File not found" when it does not
// exist, another message when it cannot be read.
bool ReadFileText(const std::string& path, std::string& text, std::string& error);

// ReadFileText, ReadPlyHeader and ReadPlyData in a row.
bool ReadPlyFile(const std::string& path, bool swap, TMesh& mesh, std::string& error);
