#include "formats/vtk_collection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <unordered_map>
#include <utility>

#include "formats/read_failure.h"
#include "formats/vtk_xml.h"

namespace {

std::string InFolder(const std::string& folder, const std::string& file) {
  const std::filesystem::path p(file);
  return p.is_absolute() ? file : (std::filesystem::path(folder) / p).lexically_normal().string();
}

// A time: one finite decimal number and nothing else but blanks ("nan",
// "inf" and "0x10" are no times).
bool ParseTime(std::string_view s, double& v) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '-' || s.front() == '.'))
    return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  return ec == std::errc() && end == s.data() + s.size() && std::isfinite(v);
}

// Groups (time, file) pairs into steps in increasing time.
void GroupSteps(std::vector<std::pair<double, std::string>> entries, std::vector<TTimeStepFiles>& steps) {
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  steps.clear();
  for (auto& [t, f] : entries) {
    if (steps.empty() || steps.back().time != t) steps.push_back(TTimeStepFiles{t, {}});
    steps.back().files.push_back(std::move(f));
  }
}

// Appends the code point `c` to `out` as UTF-8.
void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The four hex digits at `pos` as a number; false when they are not.
bool Hex4(std::string_view s, size_t pos, uint32_t& v) {
  if (pos + 4 > s.size()) return false;
  const auto [end, ec] = std::from_chars(s.data() + pos, s.data() + pos + 4, v, 16);
  return ec == std::errc() && end == s.data() + pos + 4;
}

// The JSON string starting at the quote at `pos`, its escapes decoded
// (\uXXXX, surrogate pairs included, to UTF-8); `pos` moves past it.
bool JsonString(std::string_view s, size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (++pos >= s.size()) return false;
    switch (s[pos]) {
      case '"':
      case '\\':
      case '/':
        out.push_back(s[pos]);
        break;
      case 'b':
        out.push_back('\b');
        break;
      case 'f':
        out.push_back('\f');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'u': {
        uint32_t c1 = 0, c2 = 0;
        if (!Hex4(s, pos + 1, c1)) return false;
        pos += 4;
        if (c1 >= 0xD800 && c1 < 0xDC00) {  // a surrogate pair
          if (s.substr(pos + 1, 2) != "\\u" || !Hex4(s, pos + 3, c2) || c2 < 0xDC00 || c2 >= 0xE000) return false;
          pos += 6;
          c1 = 0x10000 + ((c1 - 0xD800) << 10) + (c2 - 0xDC00);
        } else if (c1 >= 0xDC00 && c1 < 0xE000) {
          return false;
        }
        if (c1 == 0) return false;  // no file name holds a NUL
        AppendUtf8(c1, out);
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

size_t SkipBlank(std::string_view s, size_t pos) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r' || s[pos] == '\n')) ++pos;
  return pos;
}

// Blocks nested deeper than this are refused: real files nest a few deep,
// and each level repeats the names around it.
constexpr int kMaxBlockDepth = 16;

}  // namespace

std::string NestedBlockName(const std::string& outer, const std::string& inner) {
  return outer.empty() ? inner : inner.empty() ? outer : outer + "/" + inner;
}

bool ListMultiBlockFiles(std::string_view bytes, const std::string& folder, std::vector<TMultiBlockFile>& files,
                         std::string& reason) {
  TXmlDocument doc;
  if (!ParseXml(bytes, doc, reason)) return false;
  files.clear();
  // Each element's nearest enclosing Block or DataSet (itself for those), how
  // deep those nest, and each one's position among its parent's blocks. The
  // elements are in document order, so a parent comes before its children.
  const size_t n = doc.elements.size();
  std::vector<int> parent(n, -1), block_of(n, -1), depth(n, 0), position(n, 0);
  auto is_block = [&](int e) { return doc.elements[e].name == "Block" || doc.elements[e].name == "DataSet"; };
  for (size_t p = 0; p < n; ++p) {
    int count = 0;
    for (const int c : doc.elements[p].children) {
      const bool block = is_block(c);
      parent[c] = static_cast<int>(p);
      block_of[c] = block ? c : block_of[p];
      depth[c] = depth[p] + (block ? 1 : 0);
      if (depth[c] > kMaxBlockDepth)
        return Refuse(reason, "The blocks nest more than " + std::to_string(kMaxBlockDepth) + " deep");
      if (block) position[c] = count++;
    }
  }
  // The name of the block `e`, from the outermost block in.
  auto name_of = [&](int e) {
    std::vector<std::string> names;
    for (; e >= 0; e = parent[e] >= 0 ? block_of[parent[e]] : -1) {
      const std::string own = doc.elements[e].Attr("name");
      names.push_back(own.empty() ? std::to_string(position[e]) : own);
    }
    std::string name;
    for (auto it = names.rbegin(); it != names.rend(); ++it) name = NestedBlockName(name, *it);
    return name;
  };
  for (size_t i = 0; i < n; ++i) {
    const TXmlElement& e = doc.elements[i];
    const int at = static_cast<int>(i);
    if (e.name == "DataSet" && !e.Attr("file").empty())
      files.push_back({name_of(at), InFolder(folder, e.Attr("file"))});
    else if (e.name == "Piece" && !e.Attr("Source").empty())  // the pieces of a .pvtp or .pvtu
      files.push_back({block_of[i] >= 0 ? name_of(block_of[i]) : "", InFolder(folder, e.Attr("Source"))});
    else if (e.name == "Piece" && !e.Attr("file").empty())
      files.push_back({block_of[i] >= 0 ? name_of(block_of[i]) : "", InFolder(folder, e.Attr("file"))});
  }
  if (files.empty()) return Refuse(reason, "The multiblock file lists no data set");
  return true;
}

bool ListCollectionSteps(std::string_view bytes, const std::string& folder, std::vector<TTimeStepFiles>& steps,
                         std::string& reason) {
  TXmlDocument doc;
  if (!ParseXml(bytes, doc, reason)) return false;
  std::vector<std::pair<double, std::string>> entries;
  for (const TXmlElement& e : doc.elements) {
    if (e.name != "DataSet" || e.Attr("file").empty()) continue;
    double t = static_cast<double>(entries.size());
    if (!e.Attr("timestep").empty() && !ParseTime(e.Attr("timestep"), t))
      return (
          reason = "a DataSet has the timestep \"" + e.Attr("timestep").substr(0, 40) + "\", which is no finite number",
          false);
    entries.emplace_back(t, InFolder(folder, e.Attr("file")));
  }
  if (entries.empty()) return Refuse(reason, "The collection lists no data set");
  GroupSteps(std::move(entries), steps);
  return true;
}

bool ListSeriesSteps(std::string_view s, const std::string& folder, std::vector<TTimeStepFiles>& steps,
                     std::string& reason) {
  // Each object of the "files" list: "name" and "time", in either order.
  std::vector<std::pair<double, std::string>> entries;
  const size_t list = s.find("\"files\"");
  if (list == std::string_view::npos) return Refuse(reason, "The series file has no \"files\" list");
  size_t pos = s.find('[', list);
  while (pos != std::string_view::npos) {
    const size_t open = s.find('{', pos), end_list = s.find(']', pos);
    if (open == std::string_view::npos || (end_list != std::string_view::npos && end_list < open)) break;
    const size_t close = s.find('}', open);
    if (close == std::string_view::npos) return Refuse(reason, "The series file ends inside an entry");
    std::string name, key;
    double time = static_cast<double>(entries.size());
    bool has_name = false;
    for (size_t p = SkipBlank(s, open + 1); p < close;) {
      if (!JsonString(s, p, key)) return Refuse(reason, "The series file has a malformed entry");
      p = SkipBlank(s, p);
      if (p >= close || s[p] != ':') return Refuse(reason, "The series file has a malformed entry");
      p = SkipBlank(s, p + 1);
      if (key == "name") {
        if (!JsonString(s, p, name)) return Refuse(reason, "A series entry has a malformed name");
        has_name = true;
      } else {
        const size_t value_end = std::min(s.find(',', p), close);
        if (key == "time" && !ParseTime(s.substr(p, value_end - p), time))
          return Refuse(reason, "A series entry has the time \"" +
                                    std::string(s.substr(p, std::min<size_t>(value_end - p, 40))) +
                                    "\", which is no finite number");
        p = value_end;
      }
      p = SkipBlank(s, p);
      if (p < close && s[p] == ',') p = SkipBlank(s, p + 1);
    }
    if (!has_name) return Refuse(reason, "A series entry has no name");
    entries.emplace_back(time, InFolder(folder, name));
    pos = close + 1;
  }
  if (entries.empty()) return Refuse(reason, "The series file lists no file");
  GroupSteps(std::move(entries), steps);
  return true;
}

void AppendCellSurface(TCellSurface& whole, TCellSurface&& part) {
  if (whole.points.empty() && whole.CellCount() == 0) {
    whole = std::move(part);
    return;
  }
  const int64_t base = static_cast<int64_t>(whole.PointCount());
  const int64_t conn_base = static_cast<int64_t>(whole.connectivity.size());
  whole.points.insert(whole.points.end(), part.points.begin(), part.points.end());
  for (const int64_t i : part.connectivity) whole.connectivity.push_back(i + base);
  for (size_t c = 1; c < part.offsets.size(); ++c) whole.offsets.push_back(part.offsets[c] + conn_base);
  auto join = [](std::vector<TDataArray>& a, std::vector<TDataArray>& b) {
    std::vector<TDataArray> kept;
    for (TDataArray& x : a)
      for (TDataArray& y : b)
        if (x.name == y.name && x.components == y.components) {
          x.values.insert(x.values.end(), y.values.begin(), y.values.end());
          kept.push_back(std::move(x));
          break;
        }
    a = std::move(kept);
  };
  join(whole.point_data, part.point_data);
  join(whole.cell_data, part.cell_data);
}

void DropSharedFaces(TCellSurface& s, size_t keep_from) {
  // A face's key: its corners' positions (single precision, as points are
  // joined) in increasing order.
  std::unordered_map<std::string, int> count;
  std::vector<std::array<float, 3>> corners;
  auto key = [&](size_t c) {
    corners.clear();
    for (int64_t k = s.offsets[c]; k < s.offsets[c + 1]; ++k) {
      const double* p = &s.points[3 * static_cast<size_t>(s.connectivity[k])];
      corners.push_back({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])});
    }
    std::sort(corners.begin(), corners.end());
    return std::string(reinterpret_cast<const char*>(corners.data()), corners.size() * sizeof corners[0]);
  };
  const size_t n = s.CellCount();
  std::vector<std::string> keys(n);
  for (size_t c = 0; c < n; ++c) ++count[keys[c] = key(c)];
  std::vector<int64_t> connectivity, offsets{0};
  std::vector<size_t> kept;
  for (size_t c = 0; c < n; ++c) {
    if (c < keep_from && count[keys[c]] != 1) continue;
    connectivity.insert(connectivity.end(), s.connectivity.begin() + s.offsets[c],
                        s.connectivity.begin() + s.offsets[c + 1]);
    offsets.push_back(static_cast<int64_t>(connectivity.size()));
    kept.push_back(c);
  }
  s.connectivity = std::move(connectivity);
  s.offsets = std::move(offsets);
  for (TDataArray& a : s.cell_data) {
    const size_t nc = static_cast<size_t>(a.components);
    std::vector<double> values;
    values.reserve(kept.size() * nc);
    for (const size_t c : kept) values.insert(values.end(), a.values.begin() + c * nc, a.values.begin() + (c + 1) * nc);
    a.values = std::move(values);
  }
}
