#pragma once
// One read of arbitrary bytes by a simulation-file reader, checked: the case
// the fuzz targets run on every input. A failed read must say why; a
// successful one must build a mesh whose indices are in range and whose
// arrays have one tuple per vertex, or fail with a reason.
#include <string>
#include <string_view>

enum class TVtkReader { kLegacy, kXml, kCollection };

// Returns "" when all holds, else what failed. kCollection: CheckCollectionCase.
std::string CheckVtkCase(std::string_view bytes, TVtkReader reader);

// A collection case: byte 0 picks the extension of the listing file (value %
// 5: .vtm, .pvd, .series, .pvtp, .vtpc), the rest is its text. It is written
// as main.EXT into a folder holding five pieces from the corpus of other
// writers (a.vtp, b.vtu, c.vtk, d.vtu, e.vtu; written once per process) and
// loaded as the window loads it: a failed load must say why, a successful one
// must pass the mesh validator with arrays of one tuple per vertex and step.
std::string CollectionCaseExtension(std::string_view input);
// `loaded`, when given, tells whether the load succeeded.
std::string CheckCollectionCase(std::string_view input, bool* loaded = nullptr);
