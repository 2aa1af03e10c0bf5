#pragma once
// Sum of the uniform flow and all point and line sources over a small block of
// vertices at once. The synthesis gathers the positions of kSourceBlock
// vertices, calls AccumulateSources, and finishes each vertex from the sums.
// On processors with AVX2 and FMA the block is evaluated four vertices per
// instruction; elsewhere vertex by vertex with AddPointSource/AddLineSource.
// Both give the same sums up to rounding (fused multiply-adds, one division
// instead of two per line source).
#include "flow/velocity_terms.h"

constexpr int kSourceBlock = 8;

// Positions in (object space) and summed source flow out, one lane per vertex.
// Lanes n..kSourceBlock-1 of a partial block must hold finite positions (zero
// will do); their sums are computed and ignored.
struct TSourceBlock {
  alignas(64) double px[kSourceBlock];
  alignas(64) double py[kSourceBlock];
  alignas(64) double pz[kSourceBlock];
  alignas(64) double vx[kSourceBlock];
  alignas(64) double vy[kSourceBlock];
  alignas(64) double vz[kSourceBlock];
};

// v := uniform + the flow of terms[0 .. count-1], in that order, for every lane.
void AccumulateSources(TSourceBlock& block, const TVecD& uniform, const TSourceTerm* terms, int count);

// The same, always lane by lane with the reference terms (used on processors
// without AVX2 and as the oracle of the vector path in the tests).
void AccumulateSourcesScalar(TSourceBlock& block, const TVecD& uniform, const TSourceTerm* terms, int count);

// True when AccumulateSources uses the four-lane path on this processor.
bool SourceKernelIsVectorised();
