#include "flow/source_flow_kernel.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define FLOWSKIN_SOURCE_AVX2 1
#include <immintrin.h>
#endif

void AccumulateSourcesScalar(TSourceBlock& block, const TVecD& uniform, const TSourceTerm* terms, int count) {
  for (int lane = 0; lane < kSourceBlock; ++lane) {
    const TVecD p{block.px[lane], block.py[lane], block.pz[lane]};
    TVecD v = uniform;
    for (int i = 0; i < count; ++i) {
      if (terms[i].is_line) {
        AddLineSource(p, terms[i], v);
      } else {
        AddPointSource(p, terms[i], v);
      }
    }
    block.vx[lane] = v.x;
    block.vy[lane] = v.y;
    block.vz[lane] = v.z;
  }
}

#ifdef FLOWSKIN_SOURCE_AVX2
namespace {

// Four lanes of one coordinate triple.
struct TLanes {
  __m256d x, y, z;
};

// AddLineSource for four vertices. With r the perpendicular offset, d = |r| and
// q = 1 / (d (0.001 + d)) (0 on the line): radial r^ / (0.001 + d) = q r and
// swirl (r^ x axis) / (0.001 + d) = q (r x axis); the axial part uses
// 1 / (0.001 + d) = q d, or 1 / 0.001 on the line.
__attribute__((target("avx2,fma"))) inline void LineSourceLanes(const TLanes& p, const TSourceTerm& s, TLanes& v) {
  const __m256d ax = _mm256_set1_pd(s.ax), ay = _mm256_set1_pd(s.ay), az = _mm256_set1_pd(s.az);
  __m256d rx = _mm256_sub_pd(p.x, _mm256_set1_pd(s.p0x));
  __m256d ry = _mm256_sub_pd(p.y, _mm256_set1_pd(s.p0y));
  __m256d rz = _mm256_sub_pd(p.z, _mm256_set1_pd(s.p0z));
  const __m256d t = _mm256_fmadd_pd(rz, az, _mm256_fmadd_pd(ry, ay, _mm256_mul_pd(rx, ax)));
  rx = _mm256_fnmadd_pd(t, ax, rx);
  ry = _mm256_fnmadd_pd(t, ay, ry);
  rz = _mm256_fnmadd_pd(t, az, rz);
  const __m256d d = _mm256_sqrt_pd(_mm256_fmadd_pd(rz, rz, _mm256_fmadd_pd(ry, ry, _mm256_mul_pd(rx, rx))));
  const __m256d one = _mm256_set1_pd(1.0), soft = _mm256_set1_pd(0.001);
  const __m256d off_line = _mm256_cmp_pd(d, _mm256_setzero_pd(), _CMP_GT_OQ);
  const __m256d d_safe = _mm256_blendv_pd(one, d, off_line);
  const __m256d q = _mm256_and_pd(_mm256_div_pd(one, _mm256_mul_pd(d_safe, _mm256_add_pd(soft, d))), off_line);
  const __m256d f = _mm256_blendv_pd(_mm256_set1_pd(1.0 / 0.001), _mm256_mul_pd(q, d), off_line);
  const __m256d radial = _mm256_set1_pd(s.radial), swirl = _mm256_set1_pd(s.swirl);
  const __m256d cx = _mm256_fmsub_pd(ry, az, _mm256_mul_pd(rz, ay));
  const __m256d cy = _mm256_fmsub_pd(rz, ax, _mm256_mul_pd(rx, az));
  const __m256d cz = _mm256_fmsub_pd(rx, ay, _mm256_mul_pd(ry, ax));
  const __m256d along = _mm256_set1_pd(s.along);
  v.x = _mm256_fmadd_pd(q, _mm256_fmadd_pd(radial, rx, _mm256_mul_pd(swirl, cx)),
                        _mm256_fmadd_pd(f, _mm256_mul_pd(along, ax), v.x));
  v.y = _mm256_fmadd_pd(q, _mm256_fmadd_pd(radial, ry, _mm256_mul_pd(swirl, cy)),
                        _mm256_fmadd_pd(f, _mm256_mul_pd(along, ay), v.y));
  v.z = _mm256_fmadd_pd(q, _mm256_fmadd_pd(radial, rz, _mm256_mul_pd(swirl, cz)),
                        _mm256_fmadd_pd(f, _mm256_mul_pd(along, az), v.z));
}

// AddPointSource for four vertices.
__attribute__((target("avx2,fma"))) inline void PointSourceLanes(const TLanes& p, const TSourceTerm& s, TLanes& v) {
  const __m256d rx = _mm256_sub_pd(p.x, _mm256_set1_pd(s.p0x));
  const __m256d ry = _mm256_sub_pd(p.y, _mm256_set1_pd(s.p0y));
  const __m256d rz = _mm256_sub_pd(p.z, _mm256_set1_pd(s.p0z));
  const __m256d r2 = _mm256_fmadd_pd(rz, rz, _mm256_fmadd_pd(ry, ry, _mm256_mul_pd(rx, rx)));
  const __m256d f = _mm256_div_pd(_mm256_set1_pd(s.radial), _mm256_add_pd(_mm256_set1_pd(0.001), r2));
  v.x = _mm256_fmadd_pd(f, rx, v.x);
  v.y = _mm256_fmadd_pd(f, ry, v.y);
  v.z = _mm256_fmadd_pd(f, rz, v.z);
}

__attribute__((target("avx2,fma"))) void AccumulateSourcesAvx2(TSourceBlock& block, const TVecD& uniform,
                                                               const TSourceTerm* terms, int count) {
  for (int g = 0; g < kSourceBlock; g += 4) {
    const TLanes p{_mm256_load_pd(block.px + g), _mm256_load_pd(block.py + g), _mm256_load_pd(block.pz + g)};
    TLanes v{_mm256_set1_pd(uniform.x), _mm256_set1_pd(uniform.y), _mm256_set1_pd(uniform.z)};
    for (int i = 0; i < count; ++i) {
      if (terms[i].is_line) {
        LineSourceLanes(p, terms[i], v);
      } else {
        PointSourceLanes(p, terms[i], v);
      }
    }
    _mm256_store_pd(block.vx + g, v.x);
    _mm256_store_pd(block.vy + g, v.y);
    _mm256_store_pd(block.vz + g, v.z);
  }
}

bool DetectAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

}  // namespace

bool SourceKernelIsVectorised() {
  static const bool has_avx2 = DetectAvx2();
  return has_avx2;
}

void AccumulateSources(TSourceBlock& block, const TVecD& uniform, const TSourceTerm* terms, int count) {
  if (SourceKernelIsVectorised()) {
    AccumulateSourcesAvx2(block, uniform, terms, count);
  } else {
    AccumulateSourcesScalar(block, uniform, terms, count);
  }
}

#else

bool SourceKernelIsVectorised() { return false; }

void AccumulateSources(TSourceBlock& block, const TVecD& uniform, const TSourceTerm* terms, int count) {
  AccumulateSourcesScalar(block, uniform, terms, count);
}

#endif
