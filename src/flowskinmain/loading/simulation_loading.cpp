#include "loading/simulation_loading.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <set>
#include <utility>

#include "data/data_channels.h"
#include "data/file_arrays.h"
#include "formats/cell_surface.h"
#include "formats/ply_reader.h"
#include "formats/read_failure.h"
#include "formats/vtk_budget.h"
#include "formats/vtk_collection.h"
#include "formats/vtk_legacy.h"
#include "formats/vtk_xml.h"
#include "loading/block_choice.h"

bool ReadSimulationSurface(std::string_view bytes, TMeshFormat format, TCellSurface& s, std::string& reason,
                           TVtkBudget* budget) {
  if (bytes.empty()) return Refuse(reason, "The file is empty");
  if (format == TMeshFormat::kVtkLegacy) return ReadLegacyVtk(bytes, s, reason, budget);
  if (format == TMeshFormat::kVtkXml) return ReadVtkXml(bytes, s, reason, budget);
  return Refuse(reason, std::string("A ") + MeshFormatName(format) + " file is no VTK surface or grid");
}

bool ReadSimulationBytes(const std::string& path, std::string& bytes, std::string& reason) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) {
    std::ifstream in(path, std::ios::binary);
    std::string start(kSimulationStart, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(in.gcount()));
    // XML and JSON whose start shows no more than their first character are left to the full reader.
    const size_t first = start.find_first_not_of(" \t\r\n");
    const bool markup = first != std::string::npos && (start[first] == '<' || start[first] == '{');
    if (!start.empty() && !markup && SimulationFormatOfStart(start) == TMeshFormat::kUnknown)
      return (reason =
                  "the file does not start like a VTK file (a \"# vtk DataFile Version\" line, a <VTKFile> "
                  "element or a file series)",
              false);
  }
  return ReadFileText(path, bytes, reason);
}

namespace {

std::string NameOf(const std::string& path) {
  const std::filesystem::path p(path);
  return p.has_filename() ? p.filename().string() : p.parent_path().filename().string();  // a folder named with a slash
}

// The reason without what it quotes of a file's contents ("unknown keyword
// \"...\"" becomes "unknown keyword"): for files a collection names outside
// its own folder, whose contents are not the collection's to show.
std::string WithoutQuotes(const std::string& reason) {
  std::string out;
  for (size_t i = 0; i < reason.size(); ++i) {
    if (reason[i] != '"') {
      out.push_back(reason[i]);
      continue;
    }
    const size_t close = reason.find('"', i + 1);
    if (close == std::string::npos) break;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    i = close;
  }
  return out;
}

// True when `path` lies inside `folder` (both as the file system has them).
bool LiesInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::path f = std::filesystem::weakly_canonical(folder, ec);
  const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  const std::filesystem::path rel = p.lexically_relative(f);
  return !rel.empty() && *rel.begin() != "..";
}

// The files of a time step, which no block names.
std::vector<TMultiBlockFile> Unnamed(const std::vector<std::string>& files) {
  std::vector<TMultiBlockFile> out;
  for (const std::string& f : files) out.push_back({"", f});
  return out;
}

// The reader of the files a load names: each file read once however often it
// is named (a multiblock file naming itself or another that names it back adds
// nothing again), every allocation taken from one budget, multiblock files
// nested at most kDepth deep. Every file read is kept as a part of the
// surface, known by its block; Join makes the surface of the blocks chosen.
class TCollectionReader {
 public:
  static constexpr int kDepth = 16;
  explicit TCollectionReader(TVtkBudget& budget) : budget_(budget) {}

  // Reads `files`, named by the file `lister`, as parts. A failing file is
  // named in the reason.
  bool ReadFiles(const std::vector<TMultiBlockFile>& files, const std::string& lister, std::string& reason,
                 int depth = 0) {
    for (const TMultiBlockFile& f : files) {
      std::error_code ec;
      const std::string key = std::filesystem::weakly_canonical(f.file, ec).string();
      if (!read_.insert(ec ? f.file : key).second) {
        ++repeated_;
        continue;
      }
      std::string why;
      if (!ReadOne(f.file, f.block, why, depth)) {
        // Named as the listing file names it (its path from the listing file's
        // folder); one outside that folder by its own name, its contents unquoted.
        const std::filesystem::path folder = std::filesystem::path(lister).parent_path();
        const bool inside = LiesInside(f.file, folder);
        const std::string named = std::filesystem::path(f.file).lexically_relative(folder).generic_string();
        return Refuse(reason, "\"" + (inside && !named.empty() ? named : NameOf(f.file)) +
                                  "\": " + (inside ? why : WithoutQuotes(why)));
      }
    }
    return true;
  }

  // One file of the block `block`: a surface or grid, or the pieces of a
  // multiblock file, whose blocks lie inside `block`.
  bool ReadOne(const std::string& file, const std::string& block, std::string& reason, int depth) {
    std::string bytes;
    if (!ReadSimulationBytes(file, bytes, reason)) return false;
    const TMeshFormat format = DetectMeshFormat(file, bytes);
    if (format != TMeshFormat::kVtkMultiBlock) {
      TCellSurface s;
      if (!ReadSimulationSurface(bytes, format, s, reason, &budget_)) return false;
      Add(block, std::move(s));
      return true;
    }
    if (depth >= kDepth) return Refuse(reason, "Multiblock files nest more than " + std::to_string(kDepth) + " deep");
    std::vector<TMultiBlockFile> pieces;
    if (!ListMultiBlockFiles(bytes, std::filesystem::path(file).parent_path().string(), pieces, reason)) return false;
    for (TMultiBlockFile& p : pieces) p.block = NestedBlockName(block, p.block);
    return ReadFiles(pieces, file, reason, depth + 1);
  }

  // A part read elsewhere.
  void Add(const std::string& block, TCellSurface&& s) {
    parts_.push_back({block, s.volume_boundary, false});
    surfaces_.push_back(std::move(s));
  }

  // The surface of the parts `choice` takes (see ChooseBlocks) in `s`, the
  // parts read so far let go. Volume parts taken together make one volume,
  // whose boundary leaves out the faces they share and those a surface part
  // taken lies on (that part's cells are kept). `blocks`, when given, receives
  // the blocks read (NamedBlocks).
  bool Join(const TBlockChoice& choice, TCellSurface& s, std::vector<TBlockInfo>* blocks, std::string& reason) {
    if (!ChooseBlocks(parts_, choice, reason)) return false;
    if (blocks) *blocks = NamedBlocks(parts_);
    bool any_surface = false;
    size_t volumes = 0, volume_cells = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
      const TBlockInfo& p = parts_[i];
      if (p.taken && p.volume) {
        ++volumes;
        volume_cells += surfaces_[i].CellCount();
      }
      any_surface = any_surface || (p.taken && !p.volume);
      if (!choice && !p.taken) ++left_out_;
    }
    for (const bool volume : {true, false})  // the volume parts first, so that their cells come first
      for (size_t i = 0; i < parts_.size(); ++i)
        if (parts_[i].taken && parts_[i].volume == volume) AppendCellSurface(s, std::move(surfaces_[i]));
    if (volumes > 1 || (volumes > 0 && any_surface)) DropSharedFaces(s, volume_cells);
    s.volume_boundary = !any_surface && volumes > 0;
    parts_.clear();
    surfaces_.clear();
    return true;
  }

  // Volume blocks left out by default so far.
  int LeftOut() const { return left_out_; }
  // Names of files read already, passed over so far.
  size_t Repeated() const { return repeated_; }

 private:
  TVtkBudget& budget_;
  std::set<std::string> read_;
  std::vector<TBlockInfo> parts_;
  std::vector<TCellSurface> surfaces_;
  int left_out_ = 0;
  size_t repeated_ = 0;
};

// Adds the arrays of the later steps to `mesh` (built from the first step):
// each step must give the same points and faces; arrays missing from a step
// are left out. Sets time_count, time_values and zero time_velo rows.
// What a step reads is taken from a budget of its own (it is let go before
// the next step); what it adds to the mesh, from `kept`. Each step takes the
// blocks `choice` takes.
bool AddTimeSteps(const std::vector<TTimeStepFiles>& steps, const std::string& lister, const TBlockChoice& choice,
                  bool swap, TVtkBudget& held, TMesh& mesh, std::string& reason) {
  for (size_t t = 1; t < steps.size(); ++t) {
    TCellSurface s;
    TMesh step;
    TSurfaceNotes notes;
    TVtkBudget budget;
    TCollectionReader reader(budget);
    std::string why;
    if (!reader.ReadFiles(Unnamed(steps[t].files), lister, reason)) return false;
    if (!reader.Join(choice, s, nullptr, why))
      return Refuse(reason, "The step at time " + std::to_string(steps[t].time) + ": " + why);
    if (!BuildCellSurfaceMesh(s, swap, nullptr, step, notes, reason)) return false;
    double bytes = 0;
    for (const TFileArray& a : step.file_arrays) bytes += 4.0 * a.components * static_cast<double>(step.vertex_count);
    if (!held.Take(bytes, "the arrays of " + std::to_string(steps.size()) + " time steps", reason)) return false;
    bool same = step.vertex_count == mesh.vertex_count && step.face_count == mesh.face_count;
    for (int32_t i = 0; same && i < mesh.vertex_count; ++i)
      same = std::memcmp(&step.vertices[i].pos, &mesh.vertices[i].pos, sizeof(TVec3)) == 0;
    for (int32_t f = 0; same && f < mesh.face_count; ++f)
      same = std::memcmp(step.faces[f].v, mesh.faces[f].v, sizeof mesh.faces[f].v) == 0;
    if (!same)
      return Refuse(reason, "The step at time " + std::to_string(steps[t].time) +
                                " does not have the surface of the first step (its points or cells differ)");
    std::vector<TFileArray> kept;
    for (TFileArray& a : mesh.file_arrays)
      for (TFileArray& b : step.file_arrays)
        if (a.name == b.name && a.components == b.components) {
          a.steps.push_back(std::move(b.steps[0]));
          kept.push_back(std::move(a));
          break;
        }
    mesh.file_arrays = std::move(kept);
  }
  mesh.time_count = static_cast<int32_t>(steps.size());
  mesh.time_values.clear();
  for (const TTimeStepFiles& st : steps) mesh.time_values.push_back(st.time);
  mesh.time_velo.assign(steps.size(), std::vector<TVec3>(static_cast<size_t>(mesh.vertex_count)));
  return true;
}

// The numbered files of a folder as time steps: names PREFIX DIGITS .EXT
// (EXT one of vtk vtp vtu vtm), the prefix with the most files, each step's
// time its number.
bool ListNumberedSteps(const std::string& folder, std::vector<TTimeStepFiles>& steps, std::string& reason) {
  std::map<std::string, std::vector<std::pair<double, std::string>>> groups;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string(), ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".vtk" && ext != ".vtp" && ext != ".vtu" && ext != ".vtm")) continue;
    const std::string stem = entry.path().stem().string();
    size_t d = stem.size();
    while (d > 0 && std::isdigit(static_cast<unsigned char>(stem[d - 1]))) --d;
    if (d == stem.size() || stem.size() - d > 15) continue;
    groups[stem.substr(0, d) + "*" + ext].emplace_back(std::stod(stem.substr(d)), entry.path().string());
  }
  const auto best = std::max_element(groups.begin(), groups.end(),
                                     [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
  if (best == groups.end()) return Refuse(reason, "The folder holds no numbered VTK files (name_0001.vtp, ...)");
  std::sort(best->second.begin(), best->second.end());
  steps.clear();
  for (auto& [t, f] : best->second) steps.push_back(TTimeStepFiles{t, {std::move(f)}});
  return true;
}

// The list of steps of a time collection (a .pvd, a .series or a folder of numbered files).
bool ListTimeSteps(const std::string& path, std::string_view bytes, TMeshFormat format,
                   std::vector<TTimeStepFiles>& steps, std::string& reason) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return std::filesystem::is_directory(path)     ? ListNumberedSteps(path, steps, reason)
         : format == TMeshFormat::kVtkCollection ? ListCollectionSteps(bytes, folder, steps, reason)
                                                 : ListSeriesSteps(bytes, folder, steps, reason);
}

// What names the files of a time step: the listing file, or for a folder of
// numbered files the folder itself (as "folder/"), so that they lie inside it.
std::string StepLister(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec) ? (std::filesystem::path(path) / "").string() : path;
}

bool IsTimeCollection(const std::string& path, TMeshFormat format) {
  std::error_code ec;
  return format == TMeshFormat::kVtkCollection || format == TMeshFormat::kVtkSeries ||
         std::filesystem::is_directory(path, ec);
}

}  // namespace

bool ReadSimulationFile(const std::string& path, std::string_view bytes, TMeshFormat format, TVtkBudget& budget,
                        TCellSurface& s, std::vector<TTimeStepFiles>& steps, std::string& notes, std::string& reason,
                        const TBlockChoice& choice, std::vector<TBlockInfo>* blocks) {
  steps.clear();
  TCollectionReader reader(budget);
  bool ok = false;
  if (IsTimeCollection(path, format)) {
    ok = ListTimeSteps(path, bytes, format, steps, reason) &&
         reader.ReadFiles(Unnamed(steps.front().files), StepLister(path), reason);
  } else if (format == TMeshFormat::kVtkMultiBlock) {
    std::vector<TMultiBlockFile> pieces;
    ok = ListMultiBlockFiles(bytes, std::filesystem::path(path).parent_path().string(), pieces, reason) &&
         reader.ReadFiles(pieces, path, reason);
  } else {
    TCellSurface one;
    ok = ReadSimulationSurface(bytes, format, one, reason, &budget);
    if (ok) reader.Add("", std::move(one));
  }
  ok = ok && reader.Join(choice, s, blocks, reason);
  if (reader.LeftOut() > 0)
    notes =
        std::to_string(reader.LeftOut()) + (reader.LeftOut() == 1 ? " volume block" : " volume blocks") + " left out";
  if (reader.Repeated() > 0)
    notes += (notes.empty() ? "" : "; ") + std::to_string(reader.Repeated()) +
             (reader.Repeated() == 1 ? " file named again, read once" : " files named again, read once");
  return ok;
}

bool LoadSimulationBeside(const std::string& path, std::string_view bytes, TMeshFormat format, const TLoadOptions& opt,
                          const TMesh& previous, TMesh& fresh, std::string& reason, TLoadReport* report) {
  try {
    TCellSurface surface;
    TSurfaceNotes notes;
    std::vector<TTimeStepFiles> steps;
    std::string read_notes;
    TVtkBudget budget, kept;
    std::vector<TBlockInfo> blocks;
    if (!ReadSimulationFile(path, bytes, format, budget, surface, steps, read_notes, reason, opt.blocks, &blocks) ||
        !BuildCellSurfaceMesh(surface, opt.swap, &previous, fresh, notes, reason) ||
        (steps.size() > 1 && !AddTimeSteps(steps, StepLister(path), opt.blocks, opt.swap, kept, fresh, reason)))
      return false;
    surface = TCellSurface{};  // its memory is not needed any more
    // The raw flow goes into user_velo first, so that subdivision refines it;
    // the options are applied once the normals are known.
    fresh.flow_array = TFlowArrayChoice{};
    std::string flow_note;
    fresh.flow_array.array = DefaultFlowArray(fresh, &flow_note);
    if (fresh.flow_array.array >= 0) {
      TFlowArrayChoice raw = fresh.flow_array;
      raw.tangential = raw.normalise = false;
      std::swap(raw, fresh.flow_array);
      ApplyFlowArray(fresh);
      std::swap(raw, fresh.flow_array);
    }
    const int32_t read_vertices = fresh.vertex_count;
    if (!PrepareLoadedMesh(fresh, previous, opt, reason, report)) return false;
    if (fresh.vertex_count != read_vertices) fresh.file_arrays.clear();  // subdivided or cracked
    ApplyFlowArray(fresh);
    // The File channel's range belongs to this file's arrays, not to the user's last one.
    fresh.file_scalar = 0;
    ComputeDataRanges(fresh, false);
    fresh.data_range[kChanFile] = fresh.auto_range[kChanFile];
    TFileScalar flow;  // so is the Velocity channel's, where it shows the flow array
    if (FlowMagnitudeScalar(fresh, flow)) fresh.data_range[kChanVelocity] = fresh.auto_range[kChanVelocity];
    if (report) {
      std::vector<std::string> said;
      if (notes.turned_outward) said.push_back("faces turned outward");
      if (!read_notes.empty()) said.push_back(read_notes);
      report->flow_note = flow_note;
      report->blocks = std::move(blocks);
      report->notes.clear();
      for (const std::string& n : said) report->notes += (report->notes.empty() ? "" : "; ") + n;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return Refuse(reason, "Not enough memory to load the mesh");
  }
}
