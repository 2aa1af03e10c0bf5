#include "formats/mesh_format.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "formats/mesh_import_checks.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The text after a UTF-8 byte-order mark and leading blanks.
std::string_view SkipBlanks(std::string_view s) {
  if (StartsWith(s, "\xEF\xBB\xBF")) s.remove_prefix(3);
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

// The first line that is neither blank nor a '#' comment, without its line end.
std::string_view FirstStatement(std::string_view s) {
  for (;;) {
    s = SkipBlanks(s);
    const size_t end = s.find_first_of("\r\n");
    const std::string_view line = s.substr(0, end);
    if (line.empty() || line[0] != '#' || end == std::string_view::npos) return line;
    s.remove_prefix(end);
  }
}

// Binary STL: an 80-byte header, a little-endian triangle count and 50 bytes
// per triangle, exactly.
bool IsExactBinaryStl(std::string_view b) {
  const uint64_t count = BinaryStlCount(b);
  return count > 0 && 84 + 50 * count == b.size();
}

bool IsAsciiStl(std::string_view text) {
  const std::string_view head = SkipBlanks(text).substr(0, 4096);
  if (!StartsWith(head, "solid")) return false;
  if (std::any_of(head.begin(), head.end(), [](char c) { return c == '\0'; })) return false;
  return head.find("facet") != std::string_view::npos || head.find("endsolid") != std::string_view::npos;
}

// "OFF" and its variants with a prefix of optional parts: ST, C, N, 4, n.
bool IsOffHeader(std::string_view line) {
  const std::string_view word = line.substr(0, std::min(line.find_first_of(" \t"), line.size()));
  return word.size() >= 3 && word.size() <= 8 && word.ends_with("OFF") &&
         word.substr(0, word.size() - 3).find_first_not_of("STCN4n") == std::string_view::npos;
}

bool IsGltfJson(std::string_view text) {
  return StartsWith(SkipBlanks(text), "{") && text.find("\"asset\"") != std::string_view::npos;
}

bool IsObjStatement(std::string_view line) {
  static const char* const kWords[] = {"v", "vt", "vn", "vp",     "f",      "l",    "p",
                                       "o", "g",  "s",  "mtllib", "usemtl", "curv", "surf"};
  const std::string_view word = line.substr(0, std::min(line.find_first_of(" \t"), line.size()));
  return word.size() < line.size() &&
         std::any_of(std::begin(kWords), std::end(kWords), [&](const char* w) { return word == w; });
}

std::string LowerExtension(std::string_view path) {
  const size_t slash = path.find_last_of('/'), dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "";
  std::string ext(path.substr(dot + 1));
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

TMeshFormat SimulationFormatOfContents(std::string_view b) {
  if (LooksLikeLegacyVtk(b)) return TMeshFormat::kVtkLegacy;
  if (LooksLikeVtkXml(b)) {
    const std::string type = VtkXmlFileType(b);
    // Files of pieces and partitions name other files, as a multiblock does.
    if (type == "vtkMultiBlockDataSet" || type == "PPolyData" || type == "PUnstructuredGrid" ||
        type == "vtkPartitionedDataSet" || type == "vtkPartitionedDataSetCollection")
      return TMeshFormat::kVtkMultiBlock;
    if (type == "Collection") return TMeshFormat::kVtkCollection;
    return TMeshFormat::kVtkXml;
  }
  const std::string_view text = SkipBlanks(b);
  if (StartsWith(text, "{") && text.substr(0, 4096).find("\"file-series-version\"") != std::string_view::npos)
    return TMeshFormat::kVtkSeries;
  return TMeshFormat::kUnknown;
}

TMeshFormat FormatOfContents(std::string_view b) {
  if (const TMeshFormat sim = SimulationFormatOfContents(b); sim != TMeshFormat::kUnknown) return sim;
  const std::string_view text = SkipBlanks(b);
  if (StartsWith(b, "ply") && b.size() > 3 && IsBlank(b[3])) return TMeshFormat::kPly;
  if (StartsWith(b, "glTF")) return TMeshFormat::kGlb;
  if (IsExactBinaryStl(b)) return TMeshFormat::kStlBinary;
  if (IsAsciiStl(b)) return TMeshFormat::kStlAscii;
  const std::string_view first = FirstStatement(text);
  if (IsOffHeader(first)) return TMeshFormat::kOff;
  if (IsGltfJson(text)) return TMeshFormat::kGltf;
  if (IsObjStatement(first)) return TMeshFormat::kObj;
  return TMeshFormat::kUnknown;
}

}  // namespace

TMeshFormat SimulationFormatOfStart(std::string_view start) { return SimulationFormatOfContents(start); }

TMeshFormat DetectMeshFormat(std::string_view path, std::string_view bytes) {
  const TMeshFormat by_contents = FormatOfContents(bytes);
  if (by_contents != TMeshFormat::kUnknown) return by_contents;
  const std::string ext = LowerExtension(path);
  if (ext == "ply") return TMeshFormat::kPly;
  if (ext == "obj") return TMeshFormat::kObj;
  if (ext == "stl") return TMeshFormat::kStlBinary;
  if (ext == "off") return TMeshFormat::kOff;
  if (ext == "gltf") return TMeshFormat::kGltf;
  if (ext == "glb") return TMeshFormat::kGlb;
  if (ext == "vtk") return TMeshFormat::kVtkLegacy;
  if (ext == "vtp" || ext == "vtu") return TMeshFormat::kVtkXml;
  if (ext == "vtm" || ext == "pvtp" || ext == "pvtu" || ext == "vtpd" || ext == "vtpc")
    return TMeshFormat::kVtkMultiBlock;
  if (ext == "pvd") return TMeshFormat::kVtkCollection;
  if (ext == "series") return TMeshFormat::kVtkSeries;
  return TMeshFormat::kUnknown;
}

const char* MeshFormatName(TMeshFormat format) {
  switch (format) {
    case TMeshFormat::kPly:
      return "PLY";
    case TMeshFormat::kObj:
      return "OBJ";
    case TMeshFormat::kStlAscii:
      return "ASCII STL";
    case TMeshFormat::kStlBinary:
      return "binary STL";
    case TMeshFormat::kOff:
      return "OFF";
    case TMeshFormat::kGltf:
      return "glTF";
    case TMeshFormat::kGlb:
      return "binary glTF";
    case TMeshFormat::kVtkLegacy:
      return "legacy VTK";
    case TMeshFormat::kVtkXml:
      return "VTK XML";
    case TMeshFormat::kVtkMultiBlock:
      return "VTK multiblock";
    case TMeshFormat::kVtkCollection:
      return "VTK collection";
    case TMeshFormat::kVtkSeries:
      return "file series";
    case TMeshFormat::kUnknown:
      break;
  }
  return "unknown";
}

std::string MeshFileFilter() {
  return "Mesh files|*.PLY;*.OBJ;*.STL;*.OFF;*.GLTF;*.GLB;*.VTK;*.VTP;*.VTU;*.VTM;*.PVTP;*.PVTU;*.VTPD;*.VTPC;*.PVD;"
         "*.SERIES"
         "|PLY files|*.PLY|OBJ files|*.OBJ|STL files|*.STL|OFF files|*.OFF|glTF files|*.GLTF;*.GLB"
         "|VTK files|*.VTK;*.VTP;*.VTU;*.VTM;*.PVTP;*.PVTU;*.VTPD;*.VTPC;*.PVD;*.SERIES"
         "|All files|*.*";
}

bool IsSimulationFormat(TMeshFormat f) {
  return f == TMeshFormat::kVtkLegacy || f == TMeshFormat::kVtkXml || f == TMeshFormat::kVtkMultiBlock ||
         f == TMeshFormat::kVtkCollection || f == TMeshFormat::kVtkSeries;
}
