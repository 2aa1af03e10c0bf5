#include "batch/batch_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "advection/image_map.h"
#include "render/camera_math.h"

namespace {

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), s.end() - tail.size(),
                    [](char a, char b) { return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b)); });
}

bool ParseInt(const std::string& text, int32_t& value) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, value);
  return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

// A finite number within -limit..limit.
bool ParseReal(const std::string& text, double limit, double& value) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, value);
  return !text.empty() && r.ec == std::errc() && r.ptr == end && std::isfinite(value) && std::abs(value) <= limit;
}

// "X,Y": two finite numbers within -limit..limit.
bool ParsePair(const std::string& text, double limit, double& x, double& y) {
  const size_t comma = text.find(',');
  return comma != std::string::npos && ParseReal(text.substr(0, comma), limit, x) &&
         ParseReal(text.substr(comma + 1), limit, y);
}

// "WxH" with both sides in 16..4096.
bool ParseSize(const std::string& text, int32_t& w, int32_t& h) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos || !ParseInt(text.substr(0, x), w) || !ParseInt(text.substr(x + 1), h)) return false;
  return w >= 16 && h >= 16 && w <= 4096 && h <= 4096;
}

// Takes the value of option args[i] ("--opt VALUE" or "--opt=VALUE").
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& inline_value, bool has_inline,
               std::string& value, std::string& error) {
  if (has_inline) {
    value = inline_value;
    return true;
  }
  if (i + 1 >= args.size()) {
    error = "option " + args[i] + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool TakeOption(const std::vector<std::string>& args, size_t& i, TBatchOptions& o, std::string& error) {
  std::string opt = args[i], value;
  const size_t eq = opt.find('=');
  const bool has_inline = opt.rfind("--", 0) == 0 && eq != std::string::npos;
  const std::string inline_value = has_inline ? opt.substr(eq + 1) : std::string();
  if (has_inline) opt = opt.substr(0, eq);
  if (opt == "-h" || opt == "--help") return o.help = true;
  if (opt == "--list") return o.list = true;
  if (opt == "--version") return o.version = true;
  if (opt == "--dry-run") return o.dry_run = true;
  auto take = [&] { return TakeValue(args, i, inline_value, has_inline, value, error); };
  if (opt == "-o" || opt == "--output") {
    if (!take()) return false;
    o.output = value;
    return true;
  }
  if (opt == "-n" || opt == "--frames" || opt == "--warmup") {
    if (!take()) return false;
    int32_t& target = opt == "--warmup" ? o.warmup : o.frames;
    const int32_t least = opt == "--warmup" ? 0 : 1;
    if (ParseInt(value, target) && target >= least) return true;
    error = "option " + opt + " needs a whole number of at least " + std::to_string(least) + ", not '" + value + "'";
    return false;
  }
  if (opt == "--size") {
    if (!take()) return false;
    if (ParseSize(value, o.width, o.height)) return true;
    error = "option --size needs WIDTHxHEIGHT, each 16..4096, not '" + value + "'";
    return false;
  }
  if (opt == "-p" || opt == "--preset" || opt == "--press" || opt == "--image") {
    if (!take()) return false;
    const TBatchStep::Kind kind = opt == "--image"   ? TBatchStep::Kind::Image
                                  : opt == "--press" ? TBatchStep::Kind::Press
                                                     : TBatchStep::Kind::Preset;
    o.steps.push_back({kind, value, ""});
    return true;
  }
  if (opt == "--fps" || opt == "--quality") {
    if (!take()) return false;
    const bool fps = opt == "--fps";
    int32_t& target = fps ? o.movie.fps : o.movie.quality;
    const int32_t lo = fps ? kMovieFpsMin : kMovieQualityMin, hi = fps ? kMovieFpsMax : kMovieQualityMax;
    o.movie_options = true;
    if (ParseInt(value, target) && target >= lo && target <= hi) return true;
    error = "option " + opt + " needs a whole number in " + std::to_string(lo) + ".." + std::to_string(hi) + ", not '" +
            value + "'";
    return false;
  }
  if (opt == "--turn" || opt == "--pan") {
    if (!take()) return false;
    TBatchStep step{opt == "--turn" ? TBatchStep::Kind::Turn : TBatchStep::Kind::Pan, opt, value};
    if (ParsePair(value, 1e6, step.x, step.y)) {
      o.steps.push_back(step);
      return true;
    }
    error = "option " + opt + " needs two numbers X,Y, not '" + value + "'";
    return false;
  }
  if (opt == "--probe") {
    if (!take()) return false;
    double x = 0, y = 0;
    if (ParsePair(value, 1e6, x, y) && x == std::floor(x) && y == std::floor(y) && x >= 0 && y >= 0) {
      o.probes.emplace_back(static_cast<int32_t>(x), static_cast<int32_t>(y));
      return true;
    }
    error = "option --probe needs a pixel X,Y of the drawing area, not '" + value + "'";
    return false;
  }
  if (opt == "--view") {
    if (!take()) return false;
    if (AxisViewNamed(value.c_str())) {
      o.steps.push_back(TBatchStep{TBatchStep::Kind::View, value, value});
      return true;
    }
    std::string names;
    for (const TAxisView& v : kAxisViews) names += std::string(names.empty() ? "" : ", ") + v.name;
    error = "option --view needs one of " + names + ", not '" + value + "'";
    return false;
  }
  if (opt == "--zoom") {
    if (!take()) return false;
    TBatchStep step{TBatchStep::Kind::Zoom, opt, value};
    if (ParseReal(value, 1e6, step.x) && step.x > 0) {
      o.steps.push_back(step);
      return true;
    }
    error = "option --zoom needs a factor above 0, not '" + value + "'";
    return false;
  }
  if (opt == "-s" || opt == "--set") {
    if (!take()) return false;
    const size_t at = value.find('=');
    if (at == std::string::npos || at == 0) {
      error = "option --set needs NAME=VALUE, not '" + value + "'";
      return false;
    }
    o.steps.push_back({TBatchStep::Kind::Set, value.substr(0, at), value.substr(at + 1)});
    return true;
  }
  error = "unknown option '" + args[i] + "' (see --help)";
  return false;
}

}  // namespace

bool IsBatchInvocation(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size(); ++i)
    if (args[i].size() > 1 && args[i][0] == '-') return true;
  return false;
}

bool ParseBatchOptions(const std::vector<std::string>& args, TBatchOptions& o, std::string& error) {
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i].size() > 1 && args[i][0] == '-') {
      if (!TakeOption(args, i, o, error)) return false;
    } else if (o.mesh.empty()) {
      o.mesh = args[i];
    } else {
      error = "one mesh file only: '" + o.mesh + "' and '" + args[i] + "'";
      return false;
    }
  }
  if (o.help || o.list || o.version) return true;
  if (o.mesh.empty()) {
    error = "no mesh file given (see --help)";
    return false;
  }
  if (o.output.empty()) {
    error = "no --output given: name the picture file to write (see --help)";
    return false;
  }
  const bool movie = IsMovieOutput(o);
  if (!movie && !EndsWithNoCase(o.output, ".png") && !EndsWithNoCase(o.output, ".bmp")) {
    error = "the output '" + o.output + "' must end in .png or .bmp (pictures) or in .mp4 or .webm (a movie)";
    return false;
  }
  if (!movie && o.movie_options) {
    error = "--fps and --quality apply to movies only (an output ending in .mp4 or .webm)";
    return false;
  }
  for (const auto& [x, y] : o.probes)
    if (x >= o.width || y >= o.height) {
      error = "option --probe needs a pixel X,Y of the drawing area, not '" + std::to_string(x) + "," +
              std::to_string(y) + "' (it is " + std::to_string(o.width) + "x" + std::to_string(o.height) + ")";
      return false;
    }
  return true;
}

bool IsMovieOutput(const TBatchOptions& o) {
  return EndsWithNoCase(o.output, ".mp4") || EndsWithNoCase(o.output, ".webm");
}

std::string BatchFrameFileName(const TBatchOptions& o, int32_t i) {
  if (o.frames == 1 || IsMovieOutput(o)) return o.output;
  const size_t dot = o.output.size() - 4;  // ".png" or ".bmp", checked by the parser
  return o.output.substr(0, dot) + SequenceNumber(i) + o.output.substr(dot);
}

std::string BatchUsage() {
  return R"(Usage: flowskin [FILE] [OPTIONS]
       flowskin --defaults [FILE]
FILE is a mesh (.ply, .obj, .stl, .off, .gltf, .glb) or simulation results
(.vtk, .vtp, .vtu, .vtm, .pvtp, .pvtu, .vtpd, .vtpc, a .pvd or .series time
collection, or a folder of numbered files). Without options the window opens
on FILE (without FILE it asks for one) with the controls it remembers from the
last run; --defaults starts it from the default controls. With options
Flowskin draws the animation without showing a window and writes frames as
pictures or a movie.

  -o, --output FILE      picture to write, ending in .png or .bmp; with more than
                         one frame the files are numbered: run.png gives
                         run001.png, run002.png, ... A name ending in .mp4
                         (H.264) or .webm (VP9) writes all frames as one movie
                         (a frame of odd width or height gains a last column
                         or row that repeats its neighbour)
      --fps N            frames per second of a movie, 1..120 (default 25)
      --quality Q        movie quality, 0 (smallest) .. 100 (best), default 60
  -n, --frames N         frames written (default 1)
      --warmup K         frames drawn before the first one written (default 0)
      --size WxH         drawing area in pixels (default 512x512)
  -p, --preset NAME      press a preset: "Contour flow XY", "Axis flow Z",
                         "Curvature flow Kmin", "Dirty", "F. Pencil", "Rainbow",
                         ... or its button's name (but_flow_cxy)
      --press NAME       press another button of the tabs by its name or tab
                         and caption ("Flow/Add paint" places a paint source)
  -s, --set NAME=VALUE   set a control by its name (ud_vz=-10, cb_lighting=0,
                         rbpy=1, sh_diffuse=#c0a080, cb_lut_style=1) or by
                         tab and caption ("Texture/Scale=40")
      --image FILE       map a 24-bit bitmap, PNG or JPEG picture onto the surface
                         ("Load image...")
      --turn X,Y         turn the view as a left drag of X pixels to the right
                         and Y down does: one degree per pixel (the tilt stays
                         within -89.99..89.99 degrees)
      --view NAME        look at the whole surface along an axis: +x (from the
                         -X side), -x, +y, -y, +z, -z, or iso (from the +X +Y +Z
                         corner), as the "Look along" buttons do
      --zoom F           show the surface F times larger (0.5: half as large)
      --probe X,Y        after the frames, print what the status line shows
                         with the mouse on pixel X,Y (from the top left): the
                         surface point there, its data value and the flow
      --pan DX,DY        move the view as a middle drag does: the surface
                         follows DX pixels to the right and DY down
      --dry-run          draw the frames but write nothing (to time a setup)
      --list             list the presets and controls with their ranges
      --version          the version of Flowskin and of its libraries
  -h, --help             this text

Simulation files: the flow follows a vector array of the file, chosen as the
window's "Flow array" is (--set cb_flow_array=wallShearStress); its options
--set cb_flow_reverse=1 ("Reverse": shear stress points against the near-wall
flow), cb_flow_tangential and cb_flow_normalise ("Tangential only",
"Normalise", both on). Colour by a scalar or a vector's magnitude with
--set rbfile=1 --set cb_file_array=p --set cbTexData=1 (--set cb_legend=1 adds
the legend); the "Velocity" channel shows the flow array's magnitude. The
colour map by name (--set cb_colour_map=Viridis: "Min to Max", Viridis,
Cividis, "Cool to warm", Grey), a logarithmic range (cb_log_scale=1), the
unit in the legend (ed_data_unit=Pa) and the data colour blended with the
streaks (cb_blend_streaks=1). Smooth shading stays sharp at edges bent by more
than 30 degrees (--set ud_feature_angle=45 moves the limit, cb_sharp_edges=0
shades round every edge). A multiblock file (.vtm, or a time series of them)
shows its surface blocks; --set lw_blocks=boundary/lowerWall,boundary/upperWall
(or General/Blocks=...) takes the blocks named instead, by their names in the
window's "Blocks" list (Block and DataSet names joined by "/"), separated by
commas; every time step takes the same blocks.

Settings and view changes apply in the order given, after the mesh is loaded
(the "Mesh input" options before it); each frame is one step of the "Run" loop
(rotation by "Rotate", time steps of time-dependent data); pictures and movie
frames are encoded and written while the next frame is drawn. The same command
gives the same pictures and the same movie bytes. Batch runs need no display:
they draw through EGL with no window system (Mesa's surfaceless platform), so
they run on a compute node or in a container as they are. Exit status 0 on success, 1 when something failed, 2 for a bad
command line; nothing is written unless every setting applied, and a movie
that fails part-way leaves no file under its name.
)";
}
