#pragma once
// Which files the program takes for meshes, judged by name alone (drops on
// the window, for example). Formats the loader learns join here.
#include <string>

// True when `path` names a mesh file the loader reads: today a PLY file
// (".ply" in any case).
bool IsMeshFileName(const std::string& path);
