#pragma once
// Command line of the batch renderer: `flowskin MESH.ply OPTIONS`, where any
// option turns the run into a batch run that draws frames of the animation
// without showing the window and writes them as pictures. Plain parsing: the
// names of controls and presets are checked later, against the window.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "output/movie_encoder.h"

// One setting, applied in command-line order.
struct TBatchStep {
  enum class Kind { Preset, Press, Set, Image, Turn, Zoom, Pan, View };
  Kind kind = Kind::Set;
  std::string name;     // preset, button or control name (Set: left of '='); Image: the picture file; View: +x .. iso
  std::string value;    // Set: right of '='
  double x = 0, y = 0;  // Turn: degrees; Pan: pixels; Zoom: the factor in x
};

struct TBatchOptions {
  bool help = false;     // --help: print the usage and stop
  bool list = false;     // --list: print what can be set and stop
  bool version = false;  // --version: print the version and the libraries and stop
  bool dry_run = false;  // --dry-run: draw the frames, read back and write nothing
  std::string mesh;
  std::string output;                 // ".png" or ".bmp" (numbered when frames > 1), or a ".mp4" or ".webm" movie
  int32_t frames = 1;                 // frames written
  int32_t warmup = 0;                 // frames drawn before the first one written
  int32_t width = 512, height = 512;  // drawing area, pixels
  std::vector<TBatchStep> steps;
  TMovieSettings movie;                             // --fps, --quality
  bool movie_options = false;                       // whether --fps or --quality was given (movies only)
  std::vector<std::pair<int32_t, int32_t>> probes;  // --probe X,Y: pixels of the drawing area from its top left
};

// Whether the output is a movie file (".mp4" or ".webm").
bool IsMovieOutput(const TBatchOptions& options);

// Whether the arguments (argv[0] first) ask for a batch run: any argument
// after the program name that starts with '-'.
bool IsBatchInvocation(const std::vector<std::string>& args);

// Parses the arguments (argv[0] first). Returns false with a one-line message
// for an unknown option, a missing or malformed value, a second mesh, a
// missing mesh or output (unless --help, --list or
// --version), an output name that does
// not end in ".png", ".bmp", ".mp4" or ".webm", frames < 1, warmup < 0, a size
// outside 16..4096, --fps or --quality out of range or given for pictures, a
// --turn or --pan that is not two numbers, a --zoom factor not above 0, a
// --view that is none of +x, -x, +y, -y, +z, -z, iso, a --probe that is not
// a pixel of the drawing area.
bool ParseBatchOptions(const std::vector<std::string>& args, TBatchOptions& options, std::string& error);

// The file of written frame i (1-based): the output name itself for a single
// frame or a movie; else the name with the sequence number before its extension
// ("out/run.png" -> "out/run001.png").
std::string BatchFrameFileName(const TBatchOptions& options, int32_t i);

// The usage text of --help.
std::string BatchUsage();
