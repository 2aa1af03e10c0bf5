#include "formats/vtk_legacy.h"

#include <cctype>
#include <charconv>
#include <utility>
#include <vector>

#include "formats/read_failure.h"
#include "formats/vtk_budget.h"
#include "formats/vtk_cells.h"
#include "formats/vtk_numbers.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// Reads words and number blocks; every failure leaves its reason.
class TLegacyCursor {
 public:
  TLegacyCursor(std::string_view b, bool binary, TVtkBudget* budget) : b_(b), binary_(binary), budget_(budget) {}

  bool AtEnd() {
    while (pos_ < b_.size() && IsSpace(b_[pos_])) ++pos_;
    return pos_ >= b_.size();
  }
  std::string_view Word() {
    AtEnd();
    const size_t start = pos_;
    while (pos_ < b_.size() && !IsSpace(b_[pos_])) ++pos_;
    return b_.substr(start, pos_ - start);
  }
  std::string_view PeekWord() {
    const size_t saved = pos_;
    const std::string_view w = Word();
    pos_ = saved;
    return w;
  }
  bool Count(int64_t& n, const std::string& what) {
    const std::string_view w = Word();
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), n);
    if (ec != std::errc() || end != w.data() + w.size() || n < 0)
      return Refuse(reason, "a malformed count after " + what);
    // No file holds more; products of counts stay far inside int64.
    if (n > (int64_t{1} << 40)) return Refuse(reason, "the count after " + what + " is larger than any file can hold");
    return true;
  }
  // The words left on the current line, its line end not consumed.
  std::string_view LineRest() {
    const size_t start = pos_;
    while (pos_ < b_.size() && b_[pos_] != '\n') ++pos_;
    std::string_view r = b_.substr(start, pos_ - start);
    while (!r.empty() && IsSpace(r.front())) r.remove_prefix(1);
    while (!r.empty() && IsSpace(r.back())) r.remove_suffix(1);
    return r;
  }
  // The rest of the current line (its line end consumed).
  void SkipLine() {
    while (pos_ < b_.size() && b_[pos_] != '\n') ++pos_;
    if (pos_ < b_.size()) ++pos_;
  }
  // The next line, its line end consumed; false at the end of the text.
  bool NextLine(std::string_view& line) {
    if (pos_ >= b_.size()) return false;
    const size_t start = pos_;
    SkipLine();
    line = b_.substr(start, pos_ - start);
    return true;
  }
  void Rewind(size_t to) { pos_ = to; }
  // The next `n` bytes as they are; false when the text ends first.
  bool Bytes(uint64_t n, std::string_view& out) {
    if (n > b_.size() - pos_) return false;
    out = b_.substr(pos_, static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
    return true;
  }
  size_t Where() const { return pos_; }
  // `count` numbers of type `t` appended to `out` as doubles. Binary blocks
  // start after the line end of the line that announced them.
  bool Numbers(TVtkType t, int64_t count, std::vector<double>& out, const std::string& what) {
    const size_t size = VtkTypeSize(t);
    if (size == 0) return Refuse(reason, "an unknown number type in the " + what + " block");
    if (binary_) {
      SkipLine();
      if (static_cast<uint64_t>(count) > (b_.size() - pos_) / size)
        return Refuse(reason, "the file ends inside the " + what + " block");
      if (!budget_->Take(8.0 * static_cast<double>(count), "the " + what + " block", reason)) return false;
      out.reserve(out.size() + static_cast<size_t>(count));
      const auto* p = reinterpret_cast<const unsigned char*>(b_.data()) + pos_;
      for (int64_t i = 0; i < count; ++i) out.push_back(VtkNumberAt(p + i * size, t, true));
      pos_ += static_cast<size_t>(count) * size;
      return true;
    }
    // At least a digit and a blank per number.
    if (static_cast<uint64_t>(count) > (b_.size() - pos_) / 2 + 1)
      return Refuse(reason, "the file ends inside the " + what + " block");
    if (!budget_->Take(8.0 * static_cast<double>(count), "the " + what + " block", reason)) return false;
    out.reserve(out.size() + static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
      const std::string_view w = Word();
      if (w.empty()) return Refuse(reason, "the file ends inside the " + what + " block");
      double v = 0;
      const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
      if (end != w.data() + w.size() || (ec != std::errc() && ec != std::errc::result_out_of_range))
        return Refuse(reason, "a malformed number \"" + std::string(w.substr(0, 40)) + "\" in the " + what + " block");
      out.push_back(v);
    }
    return true;
  }
  TVtkBudget& Budget() { return *budget_; }
  bool binary() const { return binary_; }
  std::string reason;

 private:
  std::string_view b_;
  size_t pos_ = 0;
  bool binary_;
  TVtkBudget* budget_;
};

bool IsBlankLine(std::string_view line) {
  for (const char c : line)
    if (!IsSpace(c)) return false;
  return true;
}

// The words that start a block of the layout: a METADATA block without its
// closing blank line ends before one of them.
bool IsBlockKeyword(std::string_view w) {
  static const char* const kWords[] = {"DATASET",       "POINTS",          "VERTICES", "LINES",
                                       "POLYGONS",      "TRIANGLE_STRIPS", "CELLS",    "CELL_TYPES",
                                       "POINT_DATA",    "CELL_DATA",       "FIELD",    "SCALARS",
                                       "VECTORS",       "NORMALS",         "TENSORS",  "TEXTURE_COORDINATES",
                                       "COLOR_SCALARS", "LOOKUP_TABLE",    "METADATA"};
  for (const char* k : kWords)
    if (w == k) return true;
  return false;
}

// Skips a METADATA block (its word already read): the information keys and
// component names that follow an array, up to the blank line that closes it.
void SkipMetadata(TLegacyCursor& in) {
  in.SkipLine();
  std::string_view line;
  for (size_t at = in.Where(); in.NextLine(line); at = in.Where()) {
    if (IsBlankLine(line)) return;
    size_t b = 0;
    while (b < line.size() && IsSpace(line[b])) ++b;
    size_t e = b;
    while (e < line.size() && !IsSpace(line[e])) ++e;
    if (IsBlockKeyword(line.substr(b, e - b))) return in.Rewind(at);
  }
}

// Skips the METADATA blocks that may follow an array.
void SkipMetadataAfterArray(TLegacyCursor& in) {
  while (!in.AtEnd() && in.PeekWord() == "METADATA") {
    in.Word();
    SkipMetadata(in);
  }
}

bool ToIndices(const std::vector<double>& v, std::vector<int64_t>& out) {
  out.clear();
  return AppendVtkIndices(v.data(), v.size(), 0, out);
}

struct TCellBlock {
  std::vector<int64_t> connectivity;
  std::vector<int64_t> offsets{0};
  size_t Count() const { return offsets.size() - 1; }
};

// A cell list: "NAME n size" then either n groups of a count and that many
// indices, or "OFFSETS type" with n offsets and "CONNECTIVITY type" with size
// indices.
bool ReadCellBlock(TLegacyCursor& in, const std::string& what, TCellBlock& block) {
  int64_t n = 0, size = 0;
  if (!in.Count(n, what) || !in.Count(size, what)) return false;
  std::vector<double> v;
  if (in.PeekWord() == "OFFSETS") {
    in.Word();
    const TVtkType ot = VtkTypeOf(in.Word());
    if (!in.Numbers(ot, n, v, what + " offsets")) return false;
    const std::string_view cw = in.Word();
    if (cw != "CONNECTIVITY") return Refuse(in.reason, "the " + what + " block has no CONNECTIVITY");
    const TVtkType ct = VtkTypeOf(in.Word());
    std::vector<double> c;
    if (!in.Numbers(ct, size, c, what + " connectivity")) return false;
    if (!ToIndices(c, block.connectivity) || !ToIndices(v, block.offsets))
      return Refuse(in.reason, "the " + what + " block holds a number that is no index");
    if (block.offsets.empty()) block.offsets.push_back(0);
    for (size_t k = 1; k < block.offsets.size(); ++k)
      if (block.offsets[k] < block.offsets[k - 1] || block.offsets[k] > size)
        return Refuse(in.reason, "the " + what + " offsets are out of order");
    if (block.offsets[0] != 0) return Refuse(in.reason, "the " + what + " offsets do not start at 0");
    return true;
  }
  if (!in.Numbers(TVtkType::kInt32, size, v, what)) return false;
  size_t k = 0;
  for (int64_t c = 0; c < n; ++c) {
    if (k >= v.size()) return Refuse(in.reason, "the " + what + " block holds fewer cells than it declares");
    const double m = v[k++];
    if (!(m >= 0 && m <= static_cast<double>(v.size() - k)))
      return Refuse(in.reason, "a cell of the " + what + " block runs past its end");
    for (int64_t j = 0; j < static_cast<int64_t>(m); ++j) {
      int64_t i = 0;
      if (!VtkIndexOf(v[k++], i)) return Refuse(in.reason, "the " + what + " block holds a number that is no index");
      block.connectivity.push_back(i);
    }
    block.offsets.push_back(static_cast<int64_t>(block.connectivity.size()));
  }
  return true;
}

// Skips `count` values of a string array: one a line in ASCII files; in
// binary files each after a big-endian length whose first two bits say its
// size (11: 6 bits in one byte, 10: 14 bits in two, 01: 30 bits in four, 00:
// eight bytes).
bool SkipStrings(TLegacyCursor& in, int64_t count, const std::string& name) {
  in.SkipLine();
  const std::string ends = "the file ends inside the string array \"" + name + "\"";
  if (!in.binary()) {
    std::string_view line;
    for (int64_t i = 0; i < count; ++i)
      if (!in.NextLine(line)) return Refuse(in.reason, ends);
    return true;
  }
  for (int64_t i = 0; i < count; ++i) {
    std::string_view head;
    if (!in.Bytes(1, head)) return Refuse(in.reason, ends);
    const auto first = static_cast<unsigned char>(head[0]);
    const size_t size = size_t{1} << (3 - (first >> 6));  // 1, 2, 4 or 8 bytes
    uint64_t length = first & (first >> 6 == 0 ? 0x00 : 0x3F);
    std::string_view rest;
    if (!in.Bytes(size - 1, rest)) return Refuse(in.reason, ends);
    for (const char c : rest) length = (length << 8) | static_cast<unsigned char>(c);
    if (!in.Bytes(length, rest)) return Refuse(in.reason, ends);
  }
  return true;
}

// "FIELD name count" and its arrays ("name components tuples type" and the
// values); with `tuples` >= 0 each array must have that many tuples.
bool ReadFieldBlock(TLegacyCursor& in, int64_t tuples_wanted, std::vector<TDataArray>& arrays,
                    const std::string& where) {
  in.Word();
  int64_t count = 0;
  if (!in.Count(count, "FIELD")) return false;
  for (int64_t i = 0; i < count; ++i) {
    TDataArray f;
    f.name = in.Word();
    if (f.name == "NULL_ARRAY") continue;
    int64_t comps = 0, tuples = 0;
    if (!in.Count(comps, "a FIELD array") || !in.Count(tuples, "a FIELD array")) return false;
    if (comps < 1 || (tuples_wanted >= 0 && tuples != tuples_wanted))
      return Refuse(in.reason, "the " + where + " array \"" + f.name + "\" has " + std::to_string(tuples) +
                                   " tuples of " + std::to_string(comps) + "; the file has " +
                                   std::to_string(tuples_wanted) + " " + where + "s");
    f.components = static_cast<int32_t>(comps);
    const std::string_view type = in.Word();
    if (type == "string" || type == "utf8_string") {  // text, one value a line: no data to show
      if (!SkipStrings(in, comps * tuples, f.name)) return false;
      SkipMetadataAfterArray(in);
      continue;
    }
    if (!in.Numbers(VtkTypeOf(type), comps * tuples, f.values, f.name)) return false;
    SkipMetadataAfterArray(in);
    if (comps <= 9) arrays.push_back(std::move(f));  // more components make no scalar, vector or tensor
  }
  return true;
}

// The arrays after POINT_DATA n or CELL_DATA n, until a keyword that is not an array's.
bool ReadAttributes(TLegacyCursor& in, int64_t n, std::vector<TDataArray>& arrays, const std::string& where) {
  for (;;) {
    const std::string_view key = in.PeekWord();
    TDataArray a;
    if (key == "SCALARS") {
      in.Word();
      a.name = in.Word();
      const TVtkType t = VtkTypeOf(in.Word());
      int64_t comps = 1;
      const std::string_view rest = in.LineRest();
      if (!rest.empty()) {
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), comps);
        if (ec != std::errc() || end != rest.data() + rest.size())
          return Refuse(in.reason, "a malformed count after SCALARS");
      }
      if (in.PeekWord() == "LOOKUP_TABLE") {
        in.Word();
        in.Word();
      }
      if (comps < 1 || comps > 9)
        return Refuse(in.reason, "the SCALARS array \"" + a.name + "\" has a bad component count");
      a.components = static_cast<int32_t>(comps);
      if (!in.Numbers(t, n * comps, a.values, a.name)) return false;
    } else if (key == "VECTORS" || key == "NORMALS" || key == "TENSORS") {
      in.Word();
      a.name = in.Word();
      a.components = key == "TENSORS" ? 9 : 3;
      if (!in.Numbers(VtkTypeOf(in.Word()), n * a.components, a.values, a.name)) return false;
    } else if (key == "TEXTURE_COORDINATES" || key == "COLOR_SCALARS") {
      in.Word();
      a.name = in.Word();
      int64_t comps = 0;
      if (!in.Count(comps, std::string(key)) || comps < 1 || comps > 9)
        return Refuse(in.reason, "a bad component count");
      a.components = static_cast<int32_t>(comps);
      const TVtkType t = key == "COLOR_SCALARS" ? TVtkType::kUInt8 : VtkTypeOf(in.Word());
      if (!in.Numbers(t, n * comps, a.values, a.name)) return false;
      continue;  // colours and texture coordinates are not data to show
    } else if (key == "LOOKUP_TABLE") {
      in.Word();
      in.Word();
      int64_t size = 0;
      std::vector<double> skip;
      if (!in.Count(size, "LOOKUP_TABLE") || !in.Numbers(TVtkType::kUInt8, 4 * size, skip, "LOOKUP_TABLE"))
        return false;
      continue;
    } else if (key == "FIELD") {
      in.Word();
      if (!ReadFieldBlock(in, n, arrays, where)) return false;
      continue;
    } else if (key == "METADATA") {
      in.Word();
      SkipMetadata(in);
      continue;
    } else {
      return true;
    }
    arrays.push_back(std::move(a));
  }
}

}  // namespace

bool LooksLikeLegacyVtk(std::string_view b) { return b.substr(0, 22) == "# vtk DataFile Version"; }

bool ReadLegacyVtk(std::string_view bytes, TCellSurface& s, std::string& reason, TVtkBudget* budget) {
  TVtkBudget own;
  if (!budget) budget = &own;
  if (!LooksLikeLegacyVtk(bytes)) return Refuse(reason, "The file does not start with \"# vtk DataFile Version\"");
  size_t line2 = bytes.find('\n');
  const size_t line3 = line2 == std::string_view::npos ? line2 : bytes.find('\n', line2 + 1);
  if (line3 == std::string_view::npos) return Refuse(reason, "The file ends in its header");
  TLegacyCursor head(bytes.substr(line3 + 1), false, budget);
  const std::string_view mode = head.Word();
  if (mode != "ASCII" && mode != "BINARY") return Refuse(reason, "The third line says neither ASCII nor BINARY");
  TLegacyCursor in(bytes.substr(line3 + 1), mode == "BINARY", budget);
  in.Word();
  std::string dataset;
  int64_t point_count = -1;
  TCellBlock blocks[4];  // VERTICES, LINES, POLYGONS, TRIANGLE_STRIPS (the order of their cell data)
  TCellBlock cells;
  std::vector<double> types;
  std::vector<TDataArray> point_data, cell_data;
  int64_t cell_data_count = -1;
  while (!in.AtEnd()) {
    const std::string key(in.Word());
    bool ok = true;
    if (key == "DATASET") {
      dataset = in.Word();
      if (dataset != "POLYDATA" && dataset != "UNSTRUCTURED_GRID")
        return Refuse(reason,
                      "Unsupported dataset type " + dataset + "; Flowskin reads POLYDATA and UNSTRUCTURED_GRID");
    } else if (key == "POINTS") {
      const TVtkType t = [&] {
        int64_t n = 0;
        ok = in.Count(n, "POINTS");
        point_count = n;
        return VtkTypeOf(in.Word());
      }();
      s.points.clear();
      ok = ok && in.Budget().Take(static_cast<double>(point_count) * VtkPointCost(),
                                  std::to_string(point_count) + " points", in.reason);
      ok = ok && in.Numbers(t, 3 * point_count, s.points, "POINTS");
      if (ok) SkipMetadataAfterArray(in);
    } else if (key == "VERTICES" || key == "LINES" || key == "POLYGONS" || key == "TRIANGLE_STRIPS") {
      const int i = key == "VERTICES" ? 0 : key == "LINES" ? 1 : key == "POLYGONS" ? 2 : 3;
      ok = ReadCellBlock(in, key, blocks[i]);
    } else if (key == "CELLS") {
      ok = ReadCellBlock(in, key, cells);
    } else if (key == "CELL_TYPES") {
      int64_t n = 0;
      ok = in.Count(n, key) && in.Numbers(TVtkType::kInt32, n, types, key);
    } else if (key == "POINT_DATA" || key == "CELL_DATA") {
      int64_t n = 0;
      if (!in.Count(n, key)) return Refuse(reason, in.reason);
      const bool point = key == "POINT_DATA";
      if (point && n != point_count)
        return (
            reason = "POINT_DATA counts " + std::to_string(n) + " points; the file has " + std::to_string(point_count),
            false);
      if (!point) cell_data_count = n;
      ok = ReadAttributes(in, n, point ? point_data : cell_data, point ? "point" : "cell");
    } else if (key == "FIELD") {  // data of the whole dataset (a time, for example): not shown
      std::vector<TDataArray> ignored;
      ok = ReadFieldBlock(in, -1, ignored, "field");
    } else if (key == "METADATA") {  // keys and names of the array before: nothing to show
      SkipMetadata(in);
    } else if (!key.empty() && (std::isdigit(static_cast<unsigned char>(key[0])) || key[0] == '-' || key[0] == '.')) {
      return Refuse(reason, "A block holds more numbers than its count declares (\"" + key.substr(0, 40) + "\")");
    } else {
      return Refuse(reason, "Unknown keyword \"" + key.substr(0, 40) + "\"");
    }
    if (!ok) return Refuse(reason, in.reason);
  }
  if (dataset.empty()) return Refuse(reason, "The file names no DATASET");
  if (point_count < 0) return Refuse(reason, "The file has no POINTS");
  TVtkCellGather gather;
  int64_t file_cells = 0;
  std::string why;
  if (dataset == "POLYDATA") {
    const int kind[4] = {vtkcell::kPolyVertex, vtkcell::kPolyLine, vtkcell::kPolygon, vtkcell::kTriangleStrip};
    for (int b = 0; b < 4; ++b)
      for (size_t c = 0; c < blocks[b].Count() && why.empty(); ++c, ++file_cells)
        why = gather.Add(kind[b], blocks[b].connectivity.data() + blocks[b].offsets[c],
                         static_cast<size_t>(blocks[b].offsets[c + 1] - blocks[b].offsets[c]), file_cells);
  } else {
    if (types.size() != cells.Count())
      return Refuse(reason, "CELL_TYPES lists " + std::to_string(types.size()) + " types for " +
                                std::to_string(cells.Count()) + " cells");
    for (size_t c = 0; c < cells.Count() && why.empty(); ++c, ++file_cells)
      why = !(types[c] >= 0 && types[c] <= 255) ? "a cell type is out of range"
            : types[c] == vtkcell::kPolyhedron  // its corners are its face stream
                ? gather.AddPolyhedron(cells.connectivity.data() + cells.offsets[c],
                                       static_cast<size_t>(cells.offsets[c + 1] - cells.offsets[c]), 0, file_cells)
                : gather.Add(static_cast<int>(types[c]), cells.connectivity.data() + cells.offsets[c],
                             static_cast<size_t>(cells.offsets[c + 1] - cells.offsets[c]), file_cells);
  }
  if (!why.empty()) return Refuse(reason, why);
  if (cell_data_count >= 0 && cell_data_count != file_cells)
    return Refuse(reason, "CELL_DATA counts " + std::to_string(cell_data_count) + " cells; the file has " +
                              std::to_string(file_cells));
  for (const TDataArray& a : point_data)
    if (a.TupleCount() != static_cast<size_t>(point_count))
      return Refuse(reason, "The point array \"" + a.name + "\" does not match the points");
  s.point_data = std::move(point_data);
  gather.Finish(std::move(cell_data), s);
  reason = CheckCellSurface(s);
  return reason.empty();
}
