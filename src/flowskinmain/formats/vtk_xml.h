#pragma once
// Reader of XML simulation files: "PolyData" (.vtp) and "UnstructuredGrid"
// (.vtu) in a <VTKFile> element, every piece merged into one surface.
// Data arrays in "ascii", "binary" (base64) or "appended" form (raw or
// base64), headers of header_type UInt32 or UInt64, byte_order LittleEndian
// or BigEndian, blocks compressed by zlib, LZ4 or LZMA. Attributes in either
// quote (the XML parser reads them). PolyData: Points, Polys, Strips (Verts
// and Lines left out), PointData, CellData. UnstructuredGrid: Points, Cells
// (connectivity, offsets, types, and faces/faceoffsets of polyhedra; surface
// cells and the boundary faces of volume cells, see TVtkCellGather). Arrays
// that are no numbers (strings) are left out.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/cell_surface.h"

class TVtkBudget;

// One element of a parsed XML document; elements are numbered in document
// order, 0 being the root.
struct TXmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<int> children;
  std::string text;  // character data directly inside the element
  // The value of attribute `key`, or `fallback`.
  std::string Attr(std::string_view key, std::string_view fallback = "") const;
};

struct TXmlDocument {
  std::vector<TXmlElement> elements;
  // The first child of `parent` named `name`, or -1.
  int Child(int parent, std::string_view name) const;
};

// Parses well-formed XML text. Fails with the parser's message and line.
bool ParseXml(std::string_view text, TXmlDocument& doc, std::string& reason);

// True when the bytes start (after blanks and an XML declaration) like an
// XML simulation file: "<VTKFile" within the first kilobyte.
bool LooksLikeVtkXml(std::string_view bytes);

// The type attribute of the <VTKFile> element ("PolyData", "UnstructuredGrid",
// "vtkMultiBlockDataSet", "Collection", ...), or "" when there is none.
std::string VtkXmlFileType(std::string_view bytes);

// Reads `bytes` into `s`, taking what it allocates from `budget` (a budget
// of its own when null). Fails with the reason in words for the user on bad
// XML, an unsupported file type (structured grids, image data), a missing
// array, a count larger than the data, a bad base64 or compressed block, an
// array whose length does not match its points or cells, or counts beyond
// the budget.
bool ReadVtkXml(std::string_view bytes, TCellSurface& s, std::string& reason, TVtkBudget* budget = nullptr);
