#pragma once
// One read of arbitrary bytes by a simulation-file reader, checked: the case
// the fuzz targets run on every input. A failed read must say why; a
// successful one must build a mesh whose indices are in range and whose
// arrays have one tuple per vertex, or fail with a reason.
#include <string>
#include <string_view>

enum class TVtkReader { kLegacy, kXml };

// Returns "" when all holds, else what failed.
std::string CheckVtkCase(std::string_view bytes, TVtkReader reader);
