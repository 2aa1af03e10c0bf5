#pragma once
// Which files the program takes for meshes, judged by name alone (drops on
// the window, for example).
#include <string>

// True when `path` names a mesh file the loader reads, by its extension in
// any letter case: .ply, .obj, .stl, .off, .gltf, .glb.
bool IsMeshFileName(const std::string& path);
