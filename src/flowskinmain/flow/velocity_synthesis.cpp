#include "flow/velocity_synthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "flow/source_flow_kernel.h"
#include "flow/velocity_terms.h"
#include "mesh/parallel_for.h"

TTimeInterval FindTimeInterval(const std::vector<double>& time_values, int32_t time_count, double t) {
  const int32_t n = std::min<int32_t>(time_count, static_cast<int32_t>(time_values.size()));
  TTimeInterval r;
  if (n <= 0 || !(t > time_values[0])) return r;
  if (t >= time_values[n - 1]) {
    r.lo = r.hi = n - 1;
    return r;
  }
  // t lies above T[0] and below T[n-1], so some k in 1..n-1 has t <= T[k], and
  // T[k-1] < t makes the denominator positive even for an unsorted list.
  int32_t k = 1;
  while (!(t <= time_values[k])) ++k;
  r.lo = k - 1;
  r.hi = k;
  r.w_hi = (t - time_values[k - 1]) / (time_values[k] - time_values[k - 1]);
  r.w_lo = 1 - r.w_hi;
  return r;
}

namespace {

// Where the base velocity of a vertex comes from.
struct TBaseField {
  enum Kind { kZero, kUser, kTime } kind = kZero;
  const TVec3* lo = nullptr;
  const TVec3* hi = nullptr;
  double w_lo = 1, w_hi = 0;
};

// Chooses the base field once per pass: file velocities when the mesh has them
// and "Flow data" is on (one time step or none: user_velo; more: two time rows
// at view_time). A time row shorter than vertex_count counts as missing.
TBaseField ChooseBaseField(const TMesh& mesh, const TFlowParams& params) {
  TBaseField b;
  if (!mesh.has_user_velo || !params.usr_flow) return b;
  if (mesh.time_count <= 1) {
    b.kind = TBaseField::kUser;
    return b;
  }
  const TTimeInterval ti = FindTimeInterval(mesh.time_values, mesh.time_count, params.view_time);
  const auto rows = static_cast<int32_t>(mesh.time_velo.size());
  if (ti.hi >= rows) return b;
  const auto& lo = mesh.time_velo[ti.lo];
  const auto& hi = mesh.time_velo[ti.hi];
  if (static_cast<int32_t>(lo.size()) < mesh.vertex_count || static_cast<int32_t>(hi.size()) < mesh.vertex_count) {
    return b;
  }
  b.kind = TBaseField::kTime;
  b.lo = lo.data();
  b.hi = hi.data();
  b.w_lo = ti.w_lo;
  b.w_hi = ti.w_hi;
  return b;
}

// The base velocity of vertex i.
inline TVecD ComputeBaseVelocity(const TBaseField& b, const TVertex& v, int32_t i) {
  switch (b.kind) {
    case TBaseField::kUser:
      return ToVecD(v.user_velo);
    case TBaseField::kTime:
      return {b.w_lo * b.lo[i].x + b.w_hi * b.hi[i].x, b.w_lo * b.lo[i].y + b.w_hi * b.hi[i].y,
              b.w_lo * b.lo[i].z + b.w_hi * b.hi[i].z};
    default:
      return {};
  }
}

// Recomputes `axis` of sources 1..source_count and fills `terms` with their
// coefficients (strengths times box_size). Returns the number of sources.
int PrepareSources(TFlowSourceTable& table, double box_size, TSourceTerm* terms) {
  const int count = std::clamp<int32_t>(table.source_count, 0, kMaxFlowSources);
  for (int i = 0; i < count; ++i) {
    TFlowSource& s = table.flow_sources[i + 1];
    TVec3 d{s.p1.x - s.p0.x, s.p1.y - s.p0.y, s.p1.z - s.p0.z};
    vec_normalize(d);
    s.axis = d;
    terms[i] = TSourceTerm{s.p0.x,
                           s.p0.y,
                           s.p0.z,
                           d.x,
                           d.y,
                           d.z,
                           box_size * s.strength,
                           box_size * s.axis_strength,
                           box_size * s.rot_strength,
                           s.is_line};
  }
  return count;
}

// Everything the vertex pass needs, worked out once from the controls, the
// mesh and the source table.
struct TPass {
  TBaseField base;
  bool curvature = false, curv_max = true;
  double curv_scale = 0;  // 0.1 * view size
  bool source_flow = false, project = true;
  TSourceTerm terms[kMaxFlowSources];
  int term_count = 0;
  TVecD uniform;  // (vx, vy, vz) * box_size, rounded to float32 like a stored vector
  bool normal_flow = false;
  double normal_k = 0;  // normal_flow * box_size / 10
  bool rotate = false;
  double cos_t = 1, sin_t = 0;
};

void SetUpPass(TMesh& mesh, TFlowSourceTable& table, const TFlowParams& params, TPass& pass) {
  pass.base = ChooseBaseField(mesh, params);
  pass.curvature = params.shcurvature;
  pass.curv_max = params.curv_sh_max;
  pass.curv_scale = 0.1 * params.view_size;
  pass.source_flow = params.shpotflow;
  pass.project = params.project;
  pass.term_count = pass.source_flow ? PrepareSources(table, mesh.box_size, pass.terms) : 0;
  pass.uniform = {static_cast<float>(params.vx * mesh.box_size), static_cast<float>(params.vy * mesh.box_size),
                  static_cast<float>(params.vz * mesh.box_size)};
  pass.normal_flow = pass.source_flow && params.normal_flow != 0;
  pass.normal_k = params.normal_flow * mesh.box_size / 10;
  pass.rotate = params.angle != 0;
  const double theta = params.angle * std::numbers::pi / 180;
  pass.cos_t = std::cos(theta);
  pass.sin_t = std::sin(theta);
}

// Base velocity plus curvature flow of vertex i.
inline TVecD BaseAndCurvatureFlow(const TPass& pass, const TVertex& v, int32_t i) {
  TVecD velo = ComputeBaseVelocity(pass.base, v, i);
  if (pass.curvature) AddCurvatureFlow(pass.curv_max ? v.dir_max : v.dir_min, pass.curv_scale, velo);
  return velo;
}

// Adds the summed source flow and the normal flow, rotates, and stores velo and
// speed of one vertex.
inline void FinishVertex(const TPass& pass, const TVecD& source_sum, TVecD velo, TVertex& v) {
  const TVecD n = ToVecD(v.normal);
  if (pass.source_flow) {
    AddSourceFlow(source_sum, n, pass.project, velo);
    if (pass.normal_flow) AddNormalFlow(n, pass.normal_k, velo);
  }
  if (pass.rotate) RotateVelocity(ToVecD(v.e1), ToVecD(v.e2), n, pass.cos_t, pass.sin_t, velo);
  v.velo = TVec3{static_cast<float>(velo.x), static_cast<float>(velo.y), static_cast<float>(velo.z)};
  ComputeSpeed(v);
}

// The vertex record is long (several cache lines) and the pass does little work
// per vertex, so the lines it reads and writes (the frame fields and `speed`
// at the start, the curvature directions further on) are requested some
// vertices ahead.
constexpr int32_t kPrefetchAhead = 12;

inline void PrefetchVertex(const TVertex& v, bool curvature) {
  const char* base = reinterpret_cast<const char*>(&v);
  __builtin_prefetch(base, 1);
  __builtin_prefetch(base + 64, 1);
  if (curvature) __builtin_prefetch(&v.dir_max, 0);
}

// The vertices [begin, stop) of the pass, begin a multiple of kSourceBlock.
void SynthesizeRange(const TPass& pass, TVertex* vertices, int32_t begin, int32_t count) {
  TSourceBlock block{};  // sums stay zero (and are unused) without source flow
  TVecD velo[kSourceBlock];
  for (int32_t first = begin; first < count; first += kSourceBlock) {
    const int n = std::min<int32_t>(kSourceBlock, count - first);
    for (int lane = 0; lane < kSourceBlock; ++lane) {
      if (lane >= n) {
        block.px[lane] = block.py[lane] = block.pz[lane] = 0;
        continue;
      }
      const int32_t i = first + lane;
      if (i + kPrefetchAhead < count) PrefetchVertex(vertices[i + kPrefetchAhead], pass.curvature);
      const TVertex& v = vertices[i];
      velo[lane] = BaseAndCurvatureFlow(pass, v, i);
      block.px[lane] = v.pos.x;
      block.py[lane] = v.pos.y;
      block.pz[lane] = v.pos.z;
    }
    if (pass.source_flow) AccumulateSources(block, pass.uniform, pass.terms, pass.term_count);
    for (int lane = 0; lane < n; ++lane) {
      const TVecD sum{block.vx[lane], block.vy[lane], block.vz[lane]};
      FinishVertex(pass, sum, velo[lane], vertices[first + lane]);
    }
  }
}

}  // namespace

// Vertices go through in blocks of kSourceBlock: base and curvature flow while
// the positions are gathered, the source sums for the whole block, then the
// rest of the terms vertex by vertex. Each term sees the same values as in a
// pass over the whole mesh per term, as no term reads another vertex, so the
// vertices are split over the threads in whole blocks with the same results.
void SynthesizeVelocity(TMesh& mesh, TFlowSourceTable& table, const TFlowParams& params) {
  TPass pass;
  SetUpPass(mesh, table, params, pass);
  const int32_t count = std::min<int32_t>(mesh.vertex_count, static_cast<int32_t>(mesh.vertices.size()));
  if (count <= 0) return;
  TVertex* vertices = mesh.vertices.data();
  const size_t blocks = (static_cast<size_t>(count) + kSourceBlock - 1) / kSourceBlock;
  ParallelForChunks(blocks, 8192 / kSourceBlock, [&](size_t first_block, size_t end_block) {
    const int32_t stop = std::min<int32_t>(count, static_cast<int32_t>(end_block * kSourceBlock));
    SynthesizeRange(pass, vertices, static_cast<int32_t>(first_block * kSourceBlock), stop);
  });
}
