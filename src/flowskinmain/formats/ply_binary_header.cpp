// Header of binary PLY files: the format line, the element and property
// declarations, and the check that the declared counts fit in the file.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ply_binary.h"
#include "formats/ply_messages.h"
#include "formats/ply_reader.h"
#include "formats/read_failure.h"

namespace {

// A header line from `pos` up to its line end; `pos` moves past the line end
// (LF, CR LF or CR). Returns false at the end of the text.
bool NextLine(std::string_view text, size_t& pos, std::string_view& line) {
  if (pos >= text.size()) return false;
  size_t e = pos;
  while (e < text.size() && text[e] != '\n' && text[e] != '\r') ++e;
  line = text.substr(pos, e - pos);
  pos = e < text.size() ? e + 1 : e;
  if (e < text.size() && text[e] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  return true;
}

// The words of a header line, separated by spaces and tabs.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t s = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > s) words.push_back(line.substr(s, i - s));
  }
  return words;
}

// The type named by a header word (either spelling); false for an unknown word.
bool ParseType(std::string_view w, PlyType& t) {
  struct TName {
    const char *short_name, *sized_name;
    PlyType type;
  };
  static const TName kNames[] = {
      {"char", "int8", PlyType::kInt8},        {"uchar", "uint8", PlyType::kUint8},
      {"short", "int16", PlyType::kInt16},     {"ushort", "uint16", PlyType::kUint16},
      {"int", "int32", PlyType::kInt32},       {"uint", "uint32", PlyType::kUint32},
      {"float", "float32", PlyType::kFloat32}, {"double", "float64", PlyType::kFloat64},
  };
  for (const TName& n : kNames)
    if (w == n.short_name || w == n.sized_name) {
      t = n.type;
      return true;
    }
  return false;
}

// True for the six integer types.
bool IsInteger(PlyType t) { return t != PlyType::kFloat32 && t != PlyType::kFloat64; }

// A header line in quotes for a message, cut after 80 characters.
std::string Quoted(std::string_view line) {
  return "\"" + std::string(line.substr(0, 80)) + (line.size() > 80 ? "...\"" : "\"");
}

// "element NAME COUNT": appends the element.
bool ParseElement(const std::vector<std::string_view>& w, std::string_view line, TPlyLayout& layout,
                  std::string& error) {
  if (w.size() != 3) return Refuse(error, "Malformed header line " + Quoted(line));
  if (w[1] == "ntime") return Refuse(error, "Time steps (ntime) can only be read from ASCII PLY files");
  TPlyElement e;
  e.name = std::string(w[1]);
  const auto [end, ec] = std::from_chars(w[2].data(), w[2].data() + w[2].size(), e.count);
  if (ec == std::errc::result_out_of_range) return Refuse(error, "The " + e.name + " count in the header is too large");
  if (ec != std::errc() || end != w[2].data() + w[2].size()) return Refuse(error, ply::kInvalidNumber);
  if (!ply::CheckCount(e.count, e.name, error)) return false;
  layout.elements.push_back(std::move(e));
  return true;
}

// "property TYPE NAME" or "property list COUNT_TYPE ITEM_TYPE NAME": appends
// the property to the last element.
bool ParseProperty(const std::vector<std::string_view>& w, std::string_view line, TPlyLayout& layout,
                   std::string& error) {
  if (layout.elements.empty()) return Refuse(error, "A property comes before any element: " + Quoted(line));
  const bool is_list = w.size() > 1 && w[1] == "list";
  if (w.size() != (is_list ? 5u : 3u)) return Refuse(error, "Malformed header line " + Quoted(line));
  TPlyProperty p;
  p.is_list = is_list;
  p.name = std::string(w.back());
  const std::string_view type = w[w.size() - 2];
  if (!ParseType(type, p.type)) return Refuse(error, "Unknown property type \"" + std::string(type) + "\"");
  if (is_list && !ParseType(w[2], p.count_type))
    return Refuse(error, "Unknown property type \"" + std::string(w[2]) + "\"");
  if (is_list && !IsInteger(p.count_type))
    return Refuse(error, "The count of list " + p.name + " must be an integer type");
  layout.elements.back().properties.push_back(std::move(p));
  return true;
}

// Reads the lines up to "end_header" into `layout`; `body` := offset after it.
bool ParseLines(std::string_view text, TPlyLayout& layout, size_t& body, std::string& error) {
  size_t pos = 0;
  std::string_view line;
  while (NextLine(text, pos, line)) {
    const std::vector<std::string_view> w = Words(line);
    if (w.empty() || w[0] == "ply" || w[0] == "format" || w[0] == "comment" || w[0] == "obj_info") continue;
    if (w[0] == "end_header" && w.size() == 1) {
      body = pos;
      return true;
    }
    if (w[0] == "ntime") return Refuse(error, "Time steps (ntime) can only be read from ASCII PLY files");
    const bool ok = w[0] == "element"    ? ParseElement(w, line, layout, error)
                    : w[0] == "property" ? ParseProperty(w, line, layout, error)
                                         : Refuse(error, "Unknown header line " + Quoted(line));
    if (!ok) return false;
  }
  return Refuse(error, ply::kNoEndHeader);
}

// The only element named `name`: false with a message when there is none or
// more than one.
bool FindElement(const TPlyLayout& layout, const std::string& name, const char* missing, size_t& at,
                 std::string& error) {
  at = layout.elements.size();
  for (size_t i = 0; i < layout.elements.size(); ++i) {
    if (layout.elements[i].name != name) continue;
    if (at != layout.elements.size()) return Refuse(error, "The header declares the element " + name + " twice");
    at = i;
  }
  return at != layout.elements.size() || Refuse(error, missing);
}

// True for the vertex numbers the reader takes by name (x y z vx vy vz tx ty).
bool IsTaken(const TPlyProperty& p) {
  static const char* const kTaken[] = {"x", "y", "z", "vx", "vy", "vz", "tx", "ty"};
  for (const char* n : kTaken)
    if (!p.is_list && p.name == n) return true;
  return false;
}

// True when the element has a number (not a list) of that name.
bool HasNumber(const TPlyElement& e, const char* name) {
  for (const TPlyProperty& p : e.properties)
    if (!p.is_list && p.name == name) return true;
  return false;
}

// Position, velocity and texture properties of the vertex element.
bool CheckVertexElement(const TPlyElement& e, TPlyHeader& h, std::string& error) {
  for (const char* axis : {"x", "y", "z"})
    if (!HasNumber(e, axis)) return Refuse(error, std::string("The vertex element has no property ") + axis);
  h.has_user_velo = HasNumber(e, "vx");
  h.has_tex0 = HasNumber(e, "tx");
  for (const TPlyProperty& p : e.properties) h.extra_count += IsTaken(p) ? 0 : 1;
  return true;
}

// The face element's list of corners: "vertex_indices", "vertex_index", or
// else the first list.
bool FindCornerList(const TPlyElement& e, size_t& at, std::string& error) {
  at = e.properties.size();
  for (size_t i = 0; i < e.properties.size(); ++i) {
    const TPlyProperty& p = e.properties[i];
    if (p.is_list && (p.name == "vertex_indices" || p.name == "vertex_index")) {
      at = i;
      break;
    }
    if (p.is_list && at == e.properties.size()) at = i;
  }
  if (at == e.properties.size()) return Refuse(error, "The face element has no list of vertex indices");
  if (!IsInteger(e.properties[at].type)) return Refuse(error, "The vertex indices of the faces must be integers");
  return true;
}

// Smallest size of one record in bytes: every number, every list's count,
// and the three corners a face needs at least.
uint64_t MinRecordBytes(const TPlyElement& e, const TPlyProperty* corners) {
  uint64_t bytes = 0;
  for (const TPlyProperty& p : e.properties) {
    bytes += PlyTypeSize(p.is_list ? p.count_type : p.type);
    if (&p == corners) bytes += 3 * PlyTypeSize(p.type);
  }
  return bytes;
}

// Fails when the elements' smallest records need more than `bytes`; exact,
// without overflow, before anything is allocated from the counts.
bool CheckBodyBytes(const TPlyLayout& l, uint64_t bytes, std::string& error) {
  const TPlyElement& faces = l.elements[l.face_element];
  for (const TPlyElement& e : l.elements) {
    const uint64_t record = MinRecordBytes(e, &e == &faces ? &faces.properties[l.face_list] : nullptr);
    if (record == 0 || static_cast<uint64_t>(e.count) <= bytes / record) {
      bytes -= static_cast<uint64_t>(e.count) * record;
      continue;
    }
    if (&e == &faces || &e == &l.elements[l.vertex_element])
      return Refuse(error,
                    ply::Format("The header declares %lld vertices and %lld faces, more than the file's size can "
                                "hold",
                                l.elements[l.vertex_element].count, faces.count));
    return Refuse(error, "The header declares " + std::to_string(e.count) + " " + e.name +
                             " elements, more than the file's size can hold");
  }
  return true;
}

}  // namespace

bool ReadBinaryPlyHeader(std::string_view text, bool big_endian, TPlyHeader& h, std::string& error) {
  TPlyLayout& l = h.layout;
  l.big_endian = big_endian;
  if (!ParseLines(text, l, h.body_offset, error) ||
      !FindElement(l, "vertex", ply::kNoVertices, l.vertex_element, error) ||
      !FindElement(l, "face", ply::kNoFaces, l.face_element, error) ||
      !CheckVertexElement(l.elements[l.vertex_element], h, error) ||
      !FindCornerList(l.elements[l.face_element], l.face_list, error))
    return false;
  h.vertex_count = l.elements[l.vertex_element].count;
  h.face_count = l.elements[l.face_element].count;
  if (h.vertex_count == 0) return Refuse(error, ply::kNoVertices);
  if (h.face_count == 0) return Refuse(error, ply::kNoFaces);
  return CheckBodyBytes(l, text.size() - h.body_offset, error);
}

PlyFormat DetectPlyFormat(std::string_view text, std::string& name) {
  size_t pos = 0;
  std::string_view line;
  while (NextLine(text, pos, line)) {
    if (line.substr(0, 10) == "end_header") break;
    if (line.substr(0, 7) != "format " && line.substr(0, 7) != "format\t") continue;
    const std::vector<std::string_view> w = Words(line);
    name = w.size() > 1 ? std::string(w[1]) : "";
    if (name == "binary_little_endian") return PlyFormat::kBinaryLittleEndian;
    if (name == "binary_big_endian") return PlyFormat::kBinaryBigEndian;
    return name.rfind("binary", 0) == 0 ? PlyFormat::kUnsupported : PlyFormat::kAscii;
  }
  return PlyFormat::kAscii;
}

size_t PlyTypeSize(PlyType t) {
  static const size_t kSize[] = {1, 1, 2, 2, 4, 4, 4, 8};
  return kSize[static_cast<int>(t)];
}
