#pragma once
// Reader of binary PLY files ("format binary_little_endian 1.0" or
// "format binary_big_endian 1.0"), beside the ASCII reader of ply_reader.h.
//
// Header: lines (LF or CR LF) of words separated by spaces or tabs:
// "ply", "format ...", "comment ...", "obj_info ...", "element NAME COUNT",
// "property TYPE NAME", "property list COUNT_TYPE ITEM_TYPE NAME",
// "end_header". Types: char uchar short ushort int uint float double, or
// int8 uint8 int16 uint16 int32 uint32 float32 float64. The body starts right
// after the line end of "end_header" and holds the elements in header order,
// each record its properties in header order, lists as a count and that many
// items, every number in the declared byte order.
//
// Element "vertex": x y z, vx vy vz and tx ty are taken by name (vx declares
// the velocity, tx the texture pair; a declared partner that is missing reads
// 0); every other property is skipped. Element "face": the list named
// "vertex_indices" (or "vertex_index", else the first list) holds each face's
// corners; a polygon of n > 3 corners becomes n - 2 triangles (SplitPolygon)
// as in ASCII files. Every other element and property is skipped by
// its declared size without being looked at. Time steps ("ntime") exist in
// ASCII files only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mesh/mesh_model.h"

// Number types of binary properties.
enum class PlyType : uint8_t { kInt8, kUint8, kInt16, kUint16, kInt32, kUint32, kFloat32, kFloat64 };

// Bytes of one number of the type.
size_t PlyTypeSize(PlyType t);

// One property of an element: a number, or a list (a count, then that many
// items of `type`).
struct TPlyProperty {
  std::string name;
  PlyType type = PlyType::kFloat32;  // the number, or each item of a list
  bool is_list = false;
  PlyType count_type = PlyType::kUint8;  // lists only
};

struct TPlyElement {
  std::string name;
  int64_t count = 0;  // records in the body
  std::vector<TPlyProperty> properties;
};

// The elements of a binary file in body order, and where the mesh is in them.
struct TPlyLayout {
  bool big_endian = false;
  std::vector<TPlyElement> elements;
  size_t vertex_element = 0;  // index into elements
  size_t face_element = 0;
  size_t face_list = 0;  // index of the corner list among the face element's properties
};

enum class PlyFormat { kAscii, kBinaryLittleEndian, kBinaryBigEndian, kUnsupported };

// The format named by the first header line that starts with the word
// "format" (before "end_header"). kAscii when it names "ascii" or when there
// is no such line, so that files without a format line read as before;
// kUnsupported, with the named format in `name`, for any other binary format.
PlyFormat DetectPlyFormat(std::string_view text, std::string& name);

struct TPlyHeader;

// Reads a binary header into `h`: vertex_count, face_count, has_user_velo,
// has_tex0, extra_count (vertex properties not taken), body_offset, layout;
// time_count is 0. Fails with a message on an unknown line or type, a
// malformed or negative count, "ntime", a missing vertex or face element or
// position property, no vertices or faces, and counts whose smallest records
// cannot fit in the bytes after the header (checked before anything is
// allocated from them).
bool ReadBinaryPlyHeader(std::string_view text, bool big_endian, TPlyHeader& h, std::string& error);

// Reads a binary body into `mesh` with the same results and the same checks as
// ReadPlyData on ASCII text (see there): positions, velocities, texture pairs,
// faces with `swap`, fields carried from `previous`; time_count := 0. Values
// of the integer types are taken as they are, float64 values must fit in
// single precision, and NaN or infinity in a value that is taken is an error.
bool ReadBinaryPlyData(std::string_view text, const TPlyHeader& h, bool swap, TMesh& mesh, std::string& error,
                       const TMesh* previous);
