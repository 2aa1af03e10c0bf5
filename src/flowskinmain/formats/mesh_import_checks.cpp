#include "formats/mesh_import_checks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>

#include "formats/ply_scanner.h"

namespace {

std::string Num(uint64_t n) { return std::to_string(n); }

// Walks the lines of a text, skipping blank lines and '#' comments.
class TLineReader {
 public:
  explicit TLineReader(std::string_view text) : rest_(text) {}

  // The next line with content, without its line end; false at the end.
  bool Next(std::string_view& line) {
    while (!rest_.empty()) {
      const size_t end = rest_.find('\n');
      line = rest_.substr(0, end);
      rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
      const size_t first = line.find_first_not_of(" \t\r\f\v");
      if (first != std::string_view::npos && line[first] != '#') return true;
    }
    return false;
  }

 private:
  std::string_view rest_;
};

// Reads the counts V F from `sc`; the reason when they are missing or bad.
std::string ReadOffCounts(TPlyScanner& sc, int64_t& v, int64_t& f) {
  if (sc.Int(v) != ScanStatus::kOk || sc.Int(f) != ScanStatus::kOk || v < 0 || f < 0)
    return "the OFF header has no valid vertex and face counts";
  if (v == 0) return "the file has no vertices";
  if (f == 0) return "the file holds no triangles (its header declares no faces)";
  if (v > std::numeric_limits<int32_t>::max() || f > std::numeric_limits<int32_t>::max())
    return "the counts in the OFF header are too large";
  return "";
}

// A finite number that fits in single precision, alone in `word`.
bool IsCoordinate(std::string_view word) {
  TPlyScanner sc(word);
  double d = 0;
  return sc.Real(d) == ScanStatus::kOk && sc.AtEnd() && std::isfinite(d) &&
         std::fabs(d) <= std::numeric_limits<float>::max();
}

// A number, or a word of letters, digits and ". # + -" as exporters write for
// a normal they could not compute.
bool IsNormalWord(std::string_view word) {
  return IsCoordinate(word) || (!word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
           return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '#' || c == '+' || c == '-';
         }));
}

std::string CheckVertexLine(std::string_view line, int64_t index) {
  TPlyScanner sc(line);
  for (int k = 0; k < 3; ++k) {
    double d = 0;
    const ScanStatus st = sc.Real(d);
    if (st == ScanStatus::kEnd) return "vertex " + Num(index) + " has fewer than three coordinates";
    if (st != ScanStatus::kOk || !std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
      return "vertex " + Num(index) + " has a coordinate that is not a valid number";
  }
  return "";
}

std::string CheckFaceLine(std::string_view line, int64_t index, int64_t vertex_count) {
  TPlyScanner sc(line);
  int64_t n = 0;
  if (sc.Int(n) != ScanStatus::kOk) return "face " + Num(index) + " does not start with its vertex count";
  if (n < 3) return "face " + Num(index) + " has " + std::to_string(n) + " vertices; a face needs at least 3";
  for (int64_t k = 0; k < n; ++k) {
    int64_t i = 0;
    const ScanStatus st = sc.Int(i);
    if (st == ScanStatus::kEnd)
      return "face " + Num(index) + " lists fewer than the " + Num(n) + " vertices it declares";
    if (st != ScanStatus::kOk) return "face " + Num(index) + " has an index that is not a valid number";
    if (i < 0 || i >= vertex_count)
      return "face " + Num(index) + " refers to vertex " + std::to_string(i) + "; the file has " + Num(vertex_count) +
             " vertices";
  }
  return "";
}

// Blank-separated words of a text.
class TWordReader {
 public:
  explicit TWordReader(std::string_view text) : rest_(text) {}
  std::string_view Next() {
    const size_t start = std::min(rest_.find_first_not_of(" \t\r\n\f\v"), rest_.size());
    rest_.remove_prefix(start);
    const size_t end = std::min(rest_.find_first_of(" \t\r\n\f\v"), rest_.size());
    const std::string_view word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return word;
  }

 private:
  std::string_view rest_;
};

// One facet after its word "facet"; the reason when it is malformed (which
// may be that the text ends in it).
std::string CheckFacet(TWordReader& in, uint64_t index) {
  const std::string where = "facet " + Num(index);
  auto expect = [&](std::string_view word) { return in.Next() == word; };
  if (!expect("normal")) return where + " has no normal";
  // Normals are recomputed, so their values do not matter (exporters write
  // "nan" or "-1.#IND" for degenerate facets), but stray bytes there meet a
  // fault in the library's reader.
  for (int k = 0; k < 3; ++k)
    if (!IsNormalWord(in.Next())) return where + " has a normal that is not a number";
  if (!expect("outer") || !expect("loop")) return where + " has no \"outer loop\"";
  for (int corner = 0; corner < 3; ++corner) {
    if (!expect("vertex")) return where + " does not have three vertices";
    for (int k = 0; k < 3; ++k) {
      if (!IsCoordinate(in.Next())) return where + " has a coordinate that is not a valid number";
    }
  }
  if (!expect("endloop") || !expect("endfacet")) return where + " does not end with \"endloop endfacet\"";
  return "";
}

}  // namespace

std::string CheckAsciiStl(std::string_view text) {
  TWordReader in(text);
  uint64_t facets = 0;
  std::string_view word = in.Next();
  if (word != "solid") return "the file does not start with \"solid\"";
  while (!word.empty()) {  // at "solid"
    do word = in.Next();   // the solid's name
    while (!word.empty() && word != "facet" && word != "endsolid");
    for (; word == "facet"; word = in.Next(), ++facets)
      if (std::string reason = CheckFacet(in, facets); !reason.empty())  // a fault at the end: cut short
        return in.Next().empty() ? "the ASCII STL file is truncated: it ends inside facet " + Num(facets) : reason;
    if (word != "endsolid")
      return "the ASCII STL file is truncated: it ends after " + Num(facets) + " facets without \"endsolid\"";
    do word = in.Next();  // the name after "endsolid", up to the next solid
    while (!word.empty() && word != "solid");
  }
  return "";
}

uint64_t BinaryStlCount(std::string_view bytes) {
  if (bytes.size() < 84) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 80;
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint64_t>(p[3]) << 24);
}

std::string CheckBinaryStl(std::string_view bytes, size_t& used) {
  if (bytes.size() < 84)
    return "the binary STL file is truncated: it has " + Num(bytes.size()) + " bytes, fewer than the 84 of its header";
  const uint64_t count = BinaryStlCount(bytes);
  if (count == 0) return "the file holds no triangles";
  const uint64_t need = 84 + 50 * count;
  if (need > bytes.size())
    return "the binary STL file is truncated: its header declares " + Num(count) + " triangles (" + Num(need) +
           " bytes) but the file has " + Num(bytes.size()) + " bytes";
  used = need;
  return "";
}

std::string CheckOffText(std::string_view text) {
  TLineReader lines(text);
  std::string_view line;
  if (!lines.Next(line)) return "the file is empty";
  // The header word, then the counts on the same line or the next.
  TPlyScanner header(line);
  if (!header.Word().ends_with("OFF")) return "the file does not start with an OFF header";
  std::string_view counts_line = line.substr(header.Offset());
  if (counts_line.find_first_not_of(" \t\r") == std::string_view::npos && !lines.Next(counts_line))
    return "the OFF header has no vertex and face counts";
  TPlyScanner sc(counts_line);
  int64_t v = 0, f = 0;
  if (std::string reason = ReadOffCounts(sc, v, f); !reason.empty()) return reason;
  // A vertex line takes at least 6 characters ("0 0 0\n"), a face line 8.
  if (6.0 * static_cast<double>(v) + 8.0 * static_cast<double>(f) > static_cast<double>(text.size()))
    return "the header declares " + Num(v) + " vertices and " + Num(f) + " faces, more than the file's size can hold";
  for (int64_t i = 0; i < v; ++i) {
    if (!lines.Next(line)) return "the file ends after " + Num(i) + " of the " + Num(v) + " vertices it declares";
    if (std::string reason = CheckVertexLine(line, i); !reason.empty()) return reason;
  }
  for (int64_t i = 0; i < f; ++i) {
    if (!lines.Next(line)) return "the file ends after " + Num(i) + " of the " + Num(f) + " faces it declares";
    if (std::string reason = CheckFaceLine(line, i, v); !reason.empty()) return reason;
  }
  return "";
}
