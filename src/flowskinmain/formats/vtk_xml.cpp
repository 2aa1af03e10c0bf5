#include "formats/vtk_xml.h"

#include <expat.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cstring>
#include <memory>

#include "formats/read_failure.h"
#include "formats/vtk_budget.h"
#include "formats/vtk_cells.h"
#include "formats/vtk_xml_data.h"

namespace {

struct TParseState {
  TXmlDocument* doc;
  std::vector<int> open;
};

void OnStart(void* user, const XML_Char* name, const XML_Char** attrs) {
  auto* st = static_cast<TParseState*>(user);
  const int id = static_cast<int>(st->doc->elements.size());
  TXmlElement e;
  e.name = name;
  for (int i = 0; attrs[i]; i += 2) e.attributes.emplace_back(attrs[i], attrs[i + 1]);
  st->doc->elements.push_back(std::move(e));
  if (!st->open.empty()) st->doc->elements[st->open.back()].children.push_back(id);
  st->open.push_back(id);
}

void OnEnd(void* user, const XML_Char*) { static_cast<TParseState*>(user)->open.pop_back(); }

void OnText(void* user, const XML_Char* s, int len) {
  auto* st = static_cast<TParseState*>(user);
  if (!st->open.empty()) st->doc->elements[st->open.back()].text.append(s, static_cast<size_t>(len));
}

// Everything a data array needs besides its own element.
struct TXmlContext {
  std::string_view bytes;
  TVtkBlockFormat format;
  size_t appended = std::string_view::npos;  // first byte after the '_' of AppendedData
  bool appended_base64 = false;
  TVtkBudget* budget = nullptr;
};

constexpr int64_t kMaxValues = int64_t{1} << 36;

// Converts `n` packed numbers to T: doubles as they are, indices (int64_t)
// only where each is a whole number within +-2^53 (else false).
bool ConvertNumbers(const unsigned char* p, size_t n, TVtkType type, bool big, double* out) {
  VtkNumbersAt(p, n, type, big, out);
  return true;
}
bool ConvertNumbers(const unsigned char* p, size_t n, TVtkType type, bool big, int64_t* out) {
  const bool native = big == (std::endian::native == std::endian::big);
  if (native && (type == TVtkType::kInt32 || type == TVtkType::kInt64)) {  // what writers use for ids
    for (size_t i = 0; i < n; ++i) {
      if (type == TVtkType::kInt32) {
        int32_t v;
        std::memcpy(&v, p + 4 * i, 4);
        out[i] = v;
      } else {
        std::memcpy(&out[i], p + 8 * i, 8);
        if (out[i] > (int64_t{1} << 53) || out[i] < -(int64_t{1} << 53)) return false;
      }
    }
    return true;
  }
  const size_t size = VtkTypeSize(type);
  for (size_t i = 0; i < n; ++i)
    if (!VtkIndexOf(VtkNumberAt(p + i * size, type, big), out[i])) return false;
  return true;
}
bool ConvertNumber(double v, double& out) { return (out = v, true); }
bool ConvertNumber(double v, int64_t& out) { return VtkIndexOf(v, out); }

// Reads the DataArray element `e` of `tuples` tuples into `values` (`comps`
// its component count), as doubles or as indices.
template <typename T>
bool ReadValues(const TXmlElement& e, const TXmlContext& ctx, int64_t tuples, int32_t& components,
                std::vector<T>& values, std::string& reason) {
  const std::string what = "the array \"" + e.Attr("Name") + "\"";
  int64_t comps = 1;
  const std::string nc = e.Attr("NumberOfComponents", "1");
  if (std::from_chars(nc.data(), nc.data() + nc.size(), comps).ec != std::errc() || comps < 1 || comps > 9)
    return Refuse(reason, what + " has a bad NumberOfComponents");
  components = static_cast<int32_t>(comps);
  const TVtkType type = VtkTypeOf(e.Attr("type"));
  if (type == TVtkType::kInvalid) return Refuse(reason, what + " has an unknown type \"" + e.Attr("type") + "\"");
  // (compared by division: the product of a huge tuple count could overflow)
  if (tuples < 0 || tuples > kMaxValues / comps) return Refuse(reason, what + " is larger than Flowskin can read");
  const size_t count = static_cast<size_t>(tuples * comps);
  const std::string form = e.Attr("format", "ascii");
  const std::string no_index = what + " holds a number that is no index";
  values.clear();
  if (form == "ascii") {
    const std::string_view t = e.text;
    if (count > t.size() / 2 + 1) return Refuse(reason, what + " holds fewer numbers than its points or cells need");
    if (!ctx.budget->Take(8.0 * static_cast<double>(count), what, reason)) return false;
    values.reserve(count);
    size_t p = 0;
    while (values.size() < count) {
      while (p < t.size() && (t[p] == ' ' || t[p] == '\n' || t[p] == '\r' || t[p] == '\t')) ++p;
      if (p >= t.size()) break;
      double v = 0;
      const auto [end, ec] = std::from_chars(t.data() + p, t.data() + t.size(), v);
      if (end == t.data() + p || (ec != std::errc() && ec != std::errc::result_out_of_range))
        return Refuse(reason, what + " holds a malformed number");
      T x{};
      if (!ConvertNumber(v, x)) return Refuse(reason, no_index);
      values.push_back(x);
      p = static_cast<size_t>(end - t.data());
    }
    if (values.size() != count)
      return Refuse(reason, what + " holds " + std::to_string(values.size()) + " numbers; its points or cells need " +
                                std::to_string(count));
    return true;
  }
  std::unique_ptr<TVtkByteSource> src;
  if (form == "binary") {
    src = std::make_unique<TVtkByteSource>(e.text, 0, true);
  } else if (form == "appended") {
    if (ctx.appended == std::string_view::npos)
      return Refuse(reason, what + " is appended but the file has no AppendedData");
    uint64_t offset = 0;
    const std::string o = e.Attr("offset", "0");
    if (std::from_chars(o.data(), o.data() + o.size(), offset).ec != std::errc() ||
        offset > ctx.bytes.size() - ctx.appended)
      return Refuse(reason, what + " has an offset outside the appended data");
    src = std::make_unique<TVtkByteSource>(ctx.bytes, ctx.appended + offset, ctx.appended_base64);
  } else {
    return Refuse(reason, what + " has an unknown format \"" + form + "\"");
  }
  const size_t size = VtkTypeSize(type);
  // The block's size is checked against what the source holds before the values are made.
  if (count > src->Remaining() / size && ctx.format.compressor == TVtkCompressor::kNone)
    return Refuse(reason, what + ": the file ends inside a data block");
  if (!ctx.budget->Take(8.0 * static_cast<double>(count), what, reason)) return false;
  // The values are made once the block's header has been checked against the file.
  const auto ready = [&] { values.resize(count); };
  // Numbers are converted as the block's parts arrive; one split between two
  // parts waits in `carry`.
  size_t next = 0;
  unsigned char carry[8];
  size_t carried = 0;
  bool whole_numbers = true;
  const bool big = ctx.format.big_endian;
  auto sink = [&](const unsigned char* p, size_t n) {
    if (carried > 0) {
      const size_t k = std::min(n, size - carried);
      std::memcpy(carry + carried, p, k);
      carried += k;
      p += k;
      n -= k;
      if (carried < size) return;
      whole_numbers &= ConvertNumbers(carry, 1, type, big, values.data() + next++);
      carried = 0;
    }
    const size_t whole = n / size;
    whole_numbers &= ConvertNumbers(p, whole, type, big, values.data() + next);
    next += whole;
    carried = n - whole * size;
    std::memcpy(carry, p + whole * size, carried);
  };
  // Parts that hold whole numbers can be converted in place, each on its own core.
  std::atomic<bool> placed_whole{true};
  const TVtkPlacedSink placed = [&](uint64_t at, const unsigned char* p, size_t n) {
    if (!ConvertNumbers(p, n / size, type, big, values.data() + at / size)) placed_whole = false;
  };
  if (!ReadVtkBlock(*src, ctx.format, count * size, sink, reason, &placed, size, ready))
    return Refuse(reason, what + ": " + reason);
  return (whole_numbers && placed_whole) || (reason = no_index, false);
}

// Reads the DataArray element `e` of `tuples` tuples into `a` (name,
// components, values).
bool ReadArray(const TXmlElement& e, const TXmlContext& ctx, int64_t tuples, TDataArray& a, std::string& reason) {
  a.name = e.Attr("Name");
  return ReadValues(e, ctx, tuples, a.components, a.values, reason);
}

// The DataArray named `name` among the children of `parent` (any, when `name` is empty).
const TXmlElement* FindArray(const TXmlDocument& doc, int parent, std::string_view name) {
  if (parent < 0) return nullptr;
  for (const int c : doc.elements[parent].children) {
    const TXmlElement& e = doc.elements[c];
    if (e.name == "DataArray" && (name.empty() || e.Attr("Name") == name)) return &e;
  }
  return nullptr;
}

int64_t CountAttr(const TXmlElement& e, std::string_view key, std::string& reason) {
  const std::string v = e.Attr(key, "0");
  int64_t n = -1;
  if (std::from_chars(v.data(), v.data() + v.size(), n).ec != std::errc() || n < 0) {
    reason = "the piece has a bad " + std::string(key);
    return -1;
  }
  return n;
}

// The cells of one cell element (Polys, Strips, Cells): connectivity and
// offsets, and types when `types` is given; corners shifted by `base`.
bool ReadCells(const TXmlDocument& doc, int parent, int64_t n, const TXmlContext& ctx, int64_t base, int fixed_type,
               int64_t& file_cell, TVtkCellGather& gather, std::string& reason) {
  if (n == 0) return true;
  const TXmlElement* off = FindArray(doc, parent, "offsets");
  const TXmlElement* con = FindArray(doc, parent, "connectivity");
  if (!off || !con) return Refuse(reason, "A cell list lacks its offsets or connectivity");
  TDataArray offsets, conn, types;
  if (!ReadArray(*off, ctx, n, offsets, reason)) return false;
  const double last = offsets.values.back();
  if (!(last >= 0 && last <= static_cast<double>(kMaxValues)))
    return Refuse(reason, "The cell offsets are out of range");
  if (fixed_type == vtkcell::kPolygon) {  // PolyData's Polys: the lists are the polygons as they are
    std::vector<int64_t> corners;
    int32_t comps = 1;
    if (!ReadValues(*con, ctx, static_cast<int64_t>(last), comps, corners, reason)) return false;
    const std::string why = gather.AddPolygons(corners.data(), corners.size(), offsets.values.data(),
                                               static_cast<size_t>(n), base, file_cell);
    file_cell += n;
    return why.empty() || (reason = why, false);
  }
  if (!ReadArray(*con, ctx, static_cast<int64_t>(last), conn, reason)) return false;
  if (fixed_type == 0) {
    const TXmlElement* ty = FindArray(doc, parent, "types");
    if (!ty) return Refuse(reason, "The Cells lack their types");
    if (!ReadArray(*ty, ctx, n, types, reason)) return false;
  }
  // Polyhedra list their faces apart: "faceoffsets" gives, for each cell,
  // the end of its part of "faces" (-1 for other cells); a part is the face
  // count, then each face's corner count and corners.
  TDataArray faces, face_ends;
  const TXmlElement* fo = fixed_type == 0 ? FindArray(doc, parent, "faceoffsets") : nullptr;
  const TXmlElement* fa = fixed_type == 0 ? FindArray(doc, parent, "faces") : nullptr;
  if (fo && fa) {
    if (!ReadArray(*fo, ctx, n, face_ends, reason)) return false;
    double most = 0;
    for (const double v : face_ends.values) most = std::max(most, v);
    if (!(most <= static_cast<double>(kMaxValues)))
      return Refuse(reason, "The polyhedron face offsets are out of range");
    if (!ReadArray(*fa, ctx, static_cast<int64_t>(most), faces, reason)) return false;
  }
  std::vector<int64_t> corners, stream;
  double start = 0, face_start = 0;
  for (int64_t c = 0; c < n; ++c, ++file_cell) {
    const double end = offsets.values[static_cast<size_t>(c)];
    if (!(end >= start && end <= last) || end != static_cast<double>(static_cast<int64_t>(end)))
      return Refuse(reason, "The cell offsets are out of order");
    corners.clear();
    if (!AppendVtkIndices(conn.values.data() + static_cast<size_t>(start), static_cast<size_t>(end - start), base,
                          corners))
      return Refuse(reason, "The cell connectivity holds a number that is no index");
    int64_t type = fixed_type;
    if (!fixed_type && (!VtkIndexOf(types.values[static_cast<size_t>(c)], type) || type < 0 || type > 255))
      return Refuse(reason, "The cell types hold a number that is no type");
    std::string why;
    if (type == vtkcell::kPolyhedron) {
      const double face_end = face_ends.values.empty() ? -1 : face_ends.values[static_cast<size_t>(c)];
      if (!(face_end >= face_start) || face_end != static_cast<double>(static_cast<int64_t>(face_end)))
        return Refuse(reason, "A polyhedron has no faces listed");
      stream.clear();
      if (!AppendVtkIndices(faces.values.data() + static_cast<size_t>(face_start),
                            static_cast<size_t>(face_end - face_start), 0, stream))
        return Refuse(reason, "The polyhedron faces hold a number that is no index");
      face_start = face_end;
      why = gather.AddPolyhedron(stream.data(), stream.size(), base, file_cell);
    } else {
      why = gather.Add(static_cast<int>(type), corners.data(), corners.size(), file_cell);
    }
    if (!why.empty()) return Refuse(reason, why);
    start = end;
  }
  return true;
}

// Appends the arrays of a PointData or CellData element, `tuples` each, to
// `arrays` (the first piece) or to the arrays of the same name (later pieces).
bool ReadAttributeArrays(const TXmlDocument& doc, int parent, int64_t tuples, const TXmlContext& ctx, bool first,
                         std::vector<TDataArray>& arrays, std::string& reason) {
  if (parent < 0) return first || arrays.empty() || (reason = "the pieces hold different arrays", false);
  for (const int c : doc.elements[parent].children) {
    // Strings and other arrays that are no numbers, and arrays of more than
    // 9 components (no scalar, vector or tensor), are no data to show.
    const TXmlElement& e = doc.elements[c];
    int64_t comps = 1;
    const std::string nc = e.Attr("NumberOfComponents", "1");
    std::from_chars(nc.data(), nc.data() + nc.size(), comps);
    if (e.name != "DataArray" || VtkTypeOf(e.Attr("type")) == TVtkType::kInvalid || comps > 9) continue;
    TDataArray a;
    if (!ReadArray(doc.elements[c], ctx, tuples, a, reason)) return false;
    if (first) {
      arrays.push_back(std::move(a));
      continue;
    }
    bool found = false;
    for (TDataArray& old : arrays)
      if (old.name == a.name && old.components == a.components) {
        old.values.insert(old.values.end(), a.values.begin(), a.values.end());
        found = true;
      }
    if (!found) return Refuse(reason, "The pieces hold different arrays");
  }
  return true;
}

bool ReadPiece(const TXmlDocument& doc, int piece, bool poly, const TXmlContext& ctx, bool first, TCellSurface& s,
               TVtkCellGather& gather, int64_t& file_cell, std::vector<TDataArray>& cell_data, std::string& reason) {
  const TXmlElement& e = doc.elements[piece];
  const int64_t points = CountAttr(e, "NumberOfPoints", reason);
  if (points < 0) return false;
  if (!ctx.budget->Take(static_cast<double>(points) * VtkPointCost(), std::to_string(points) + " points", reason))
    return false;
  const int64_t base = static_cast<int64_t>(s.PointCount());
  const TXmlElement* pa = FindArray(doc, doc.Child(piece, "Points"), "");
  if (!pa && points > 0) return Refuse(reason, "The piece has no Points");
  TDataArray pts;
  if (pa && !ReadArray(*pa, ctx, points, pts, reason)) return false;
  if (pa && pts.components != 3)
    return Refuse(reason, "The Points have " + std::to_string(pts.components) + " components");
  s.points.insert(s.points.end(), pts.values.begin(), pts.values.end());
  const int64_t first_cell = file_cell;
  if (poly) {
    const char* kinds[4] = {"Verts", "Lines", "Polys", "Strips"};
    const char* counts[4] = {"NumberOfVerts", "NumberOfLines", "NumberOfPolys", "NumberOfStrips"};
    const int types[4] = {vtkcell::kPolyVertex, vtkcell::kPolyLine, vtkcell::kPolygon, vtkcell::kTriangleStrip};
    for (int k = 0; k < 4; ++k) {
      const int64_t n = CountAttr(e, counts[k], reason);
      if (n < 0 || !ReadCells(doc, doc.Child(piece, kinds[k]), n, ctx, base, types[k], file_cell, gather, reason))
        return false;
    }
  } else {
    const int64_t n = CountAttr(e, "NumberOfCells", reason);
    if (n < 0 || !ReadCells(doc, doc.Child(piece, "Cells"), n, ctx, base, 0, file_cell, gather, reason)) return false;
  }
  return ReadAttributeArrays(doc, doc.Child(piece, "PointData"), points, ctx, first, s.point_data, reason) &&
         ReadAttributeArrays(doc, doc.Child(piece, "CellData"), file_cell - first_cell, ctx, first, cell_data, reason);
}

}  // namespace

std::string TXmlElement::Attr(std::string_view key, std::string_view fallback) const {
  for (const auto& [k, v] : attributes)
    if (k == key) return v;
  return std::string(fallback);
}

int TXmlDocument::Child(int parent, std::string_view name) const {
  if (parent < 0) return -1;
  for (const int c : elements[parent].children)
    if (elements[c].name == name) return c;
  return -1;
}

bool ParseXml(std::string_view text, TXmlDocument& doc, std::string& reason) {
  doc.elements.clear();
  TParseState st{&doc, {}};
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &st);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);
  bool ok = true;
  for (size_t done = 0; ok && done < text.size();) {  // in pieces: the length is an int
    const size_t n = std::min<size_t>(text.size() - done, 1 << 30);
    ok = XML_Parse(parser, text.data() + done, static_cast<int>(n), 0) == XML_STATUS_OK;
    done += n;
  }
  const bool body_ok = ok;
  ok = ok && XML_Parse(parser, "", 0, 1) == XML_STATUS_OK;
  const XML_Error error = XML_GetErrorCode(parser);
  const std::string line = std::to_string(XML_GetCurrentLineNumber(parser));
  if (!ok && body_ok &&
      (error == XML_ERROR_NO_ELEMENTS || error == XML_ERROR_UNCLOSED_TOKEN || error == XML_ERROR_PARTIAL_CHAR))
    reason = "the file ends early: its XML stops unfinished at line " + line;  // a file cut short
  else if (!ok)
    reason = std::string("the XML is malformed (") + XML_ErrorString(error) + " at line " + line + ")";
  XML_ParserFree(parser);
  return ok && !doc.elements.empty();
}

bool LooksLikeVtkXml(std::string_view bytes) {
  return bytes.substr(0, 1024).find("<VTKFile") != std::string_view::npos;
}

std::string VtkXmlFileType(std::string_view bytes) {
  // The first element's attributes through the XML parser (either quote, any
  // order, entities), fed the file's start until that element is complete.
  struct TRoot {
    XML_Parser parser;
    bool seen = false;
    std::string type;
  } root{XML_ParserCreate(nullptr), false, {}};
  XML_SetUserData(root.parser, &root);
  XML_SetStartElementHandler(root.parser, [](void* user, const XML_Char* name, const XML_Char** attrs) {
    auto* r = static_cast<TRoot*>(user);
    r->seen = true;
    if (std::string_view(name) == "VTKFile")
      for (int i = 0; attrs[i]; i += 2)
        if (std::string_view(attrs[i]) == "type") r->type = attrs[i + 1];
    XML_StopParser(r->parser, XML_FALSE);
  });
  const std::string_view head = bytes.substr(0, 1 << 16);
  for (size_t done = 0; !root.seen && done < head.size(); done += 4096) {
    const size_t n = std::min<size_t>(4096, head.size() - done);
    if (XML_Parse(root.parser, head.data() + done, static_cast<int>(n), 0) != XML_STATUS_OK) break;
  }
  XML_ParserFree(root.parser);
  return root.type;
}

bool ReadVtkXml(std::string_view bytes, TCellSurface& s, std::string& reason, TVtkBudget* budget) {
  TVtkBudget own;
  if (!budget) budget = &own;
  // Raw appended data is no XML: the parser sees the document with the
  // AppendedData element emptied, the blocks are read from the bytes.
  TXmlContext ctx{bytes, {}, std::string_view::npos, false, budget};
  std::string joined;  // the document around emptied appended data
  std::string_view text = bytes;
  const size_t tag = bytes.find("<AppendedData");
  if (tag != std::string_view::npos) {
    const size_t gt = bytes.find('>', tag), close = bytes.rfind("</AppendedData>");
    const size_t mark = gt == std::string_view::npos ? gt : bytes.find('_', gt);
    if (mark == std::string_view::npos || close == std::string_view::npos || close < mark)
      return Refuse(reason, "The AppendedData element is incomplete");
    ctx.appended = mark + 1;
    joined = std::string(bytes.substr(0, gt + 1)) + std::string(bytes.substr(close));
    text = joined;
  }
  TXmlDocument doc;
  if (!ParseXml(text, doc, reason)) return false;
  const TXmlElement& root = doc.elements[0];
  if (root.name != "VTKFile") return Refuse(reason, "The root element is not VTKFile");
  const std::string type = root.Attr("type");
  if (type != "PolyData" && type != "UnstructuredGrid")
    return Refuse(reason, "Unsupported file type \"" + type + "\"; Flowskin reads PolyData and UnstructuredGrid");
  ctx.format.big_endian = root.Attr("byte_order", "LittleEndian") == "BigEndian";
  ctx.format.header_type = root.Attr("header_type", "UInt32") == "UInt64" ? TVtkType::kUInt64 : TVtkType::kUInt32;
  const std::string comp = root.Attr("compressor");
  if (!VtkCompressorOf(comp, ctx.format.compressor))
    return Refuse(reason, "Unsupported compressor \"" + comp + "\"; Flowskin reads zlib, LZ4 and LZMA blocks");
  const int appended = doc.Child(0, "AppendedData");
  if (appended >= 0) ctx.appended_base64 = doc.elements[appended].Attr("encoding", "raw") == "base64";
  const int grid = doc.Child(0, type);
  if (grid < 0) return Refuse(reason, "The file has no " + type + " element");
  TVtkCellGather gather;
  int64_t file_cell = 0;
  std::vector<TDataArray> cell_data;
  s = TCellSurface{};
  bool first = true;
  for (const int piece : doc.elements[grid].children) {
    if (doc.elements[piece].name != "Piece") continue;
    if (!ReadPiece(doc, piece, type == "PolyData", ctx, first, s, gather, file_cell, cell_data, reason)) return false;
    first = false;
  }
  if (first) return Refuse(reason, "The file has no Piece");
  gather.Finish(std::move(cell_data), s);
  reason = CheckCellSurface(s);
  return reason.empty();
}
