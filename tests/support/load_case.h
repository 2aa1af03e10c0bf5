#pragma once
// One load of arbitrary bytes, checked: the case the fuzz target runs on every
// input and the regression test runs on every input that ever failed.
//
// Input layout: byte 0 holds option bits, bytes 1 and 2 the convex and concave
// crack angles (value % 181 degrees), the rest is the file:
//   bit 0 "Swap orientation"            bit 3 crack insertion
//   bit 1 "Subdivide when read:"        bit 4 more neighbours for curvature
//   bit 2 two subdivision steps, not 1  bit 5 the previous mesh carries file
//                                             velocities and time steps
// Subdivision runs only on files of at most kMaxSubdividedBytes bytes, so that
// no input can ask for a mesh whose size explodes.
#include <cstddef>
#include <string>
#include <string_view>

#include "loading/mesh_loading.h"

constexpr size_t kLoadCaseOptionBytes = 3;
constexpr size_t kMaxSubdividedBytes = 1024;

struct TLoadCase {
  TLoadOptions options;
  bool rich_previous = false;  // bit 5
  std::string_view file;
};

// Splits an input into options and file as described above; inputs shorter
// than the option bytes are an empty file with default options.
TLoadCase DecodeLoadCase(std::string_view input);

// Loads the case's file into a copy of the previous mesh (prepared once) and
// checks the outcome: a failed load has a message and leaves every byte of
// the mesh as it was; a successful one passes the mesh validator (indices,
// adjacency, unit or zero normals and curvature directions, kmax >= kmin,
// strips covering the faces, finite fields)
// and has time-step arrays as long as time_count says. Returns "" when all
// holds, else what failed.
std::string CheckLoadCase(std::string_view input);

// The import path entered as a load of a file is: byte 0 of an import case
// picks the file name's extension (value % 7: none, .obj, .stl, .off, .gltf,
// .glb, .ply), the rest is a load case whose file is loaded under that name
// (LoadMeshFromBytes: format from the contents, else from the name), the
// import worker running under `limits`. Checked as CheckLoadCase checks, and
// a failed load must name the file. `error` (optional) receives the failed
// load's message.
constexpr const char* kImportCaseExtensions[] = {"", ".obj", ".stl", ".off", ".gltf", ".glb", ".ply"};
std::string ImportCaseName(std::string_view input);
std::string CheckImportCase(std::string_view input, const TImportLimits& limits, std::string* error = nullptr);
