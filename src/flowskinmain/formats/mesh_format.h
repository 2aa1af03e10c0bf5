#pragma once
// The mesh file formats the program opens and how a file's format is found:
// from its first bytes where they tell, from its extension otherwise. PLY goes
// to the program's own reader; the other formats go to the mesh importer.
#include <string>
#include <string_view>

enum class TMeshFormat {
  kUnknown,
  kPly,
  kObj,
  kStlAscii,
  kStlBinary,
  kOff,
  kGltf,
  kGlb,
  kVtkLegacy,      // .vtk
  kVtkXml,         // .vtp, .vtu (and the XML types Flowskin refuses by name)
  kVtkMultiBlock,  // .vtm, .pvtp, .pvtu, .vtpd, .vtpc: files of pieces, one surface
  kVtkCollection,  // .pvd: files at times
  kVtkSeries,      // .series: JSON list of files at times
};

// True for the formats of simulation files read by the cell-surface readers.
bool IsSimulationFormat(TMeshFormat format);

// The format of the file `path` whose whole contents are `bytes`. The contents
// decide when they are recognisable: "ply" on the first line, the binary glTF
// magic "glTF", a binary STL whose size is exactly 84 + 50 x its triangle
// count, "solid" followed by "facet"/"endsolid" text, an "OFF" header word, a
// JSON object with an "asset" member, "# vtk DataFile Version", a "<VTKFile"
// element (by its type), a JSON object with "file-series-version", or a first line that is an OBJ
// statement ("v ", "f ", "vt ", "o ", "mtllib ", ...). Otherwise the
// extension decides, in any letter case (.ply .obj .stl .off .gltf .glb .vtk
// .vtp .vtu .vtm .pvtp .pvtu .vtpd .vtpc .pvd .series; an
// .stl file that is not STL text counts as binary STL). kUnknown when neither
// tells.
TMeshFormat DetectMeshFormat(std::string_view path, std::string_view bytes);

// The simulation format the start of a file shows (its first 64 KiB are
// enough): "# vtk DataFile Version", a "<VTKFile" element by its type, or a
// file-series JSON object; kUnknown when it shows none of them.
TMeshFormat SimulationFormatOfStart(std::string_view start);

// The format's name for messages: "PLY", "OBJ", "ASCII STL", "binary STL",
// "OFF", "glTF", "binary glTF", "legacy VTK", "VTK XML", "VTK multiblock",
// "VTK collection", "file series"; "unknown" for kUnknown.
const char* MeshFormatName(TMeshFormat format);

// The filter of the mesh file dialog, in the dialog's "description|patterns|..."
// form: every mesh file first (PLY leading), then each format alone (PLY
// first), then "All files". Patterns are upper case; the dialog adds the
// lower-case ones.
std::string MeshFileFilter();
