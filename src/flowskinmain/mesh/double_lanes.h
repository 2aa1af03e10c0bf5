#pragma once
// Two doubles processed side by side (one SIMD register where the machine has
// one). Every arithmetic operation and comparison acts on each lane exactly as
// the scalar operation would, so a computation written on lanes gives, lane by
// lane, the same bits as the scalar computation; the passes use it to handle
// two vertices or faces at once. Square roots and library functions are taken
// lane by lane with the scalar functions.
#include <cmath>

typedef double TLanes __attribute__((vector_size(2 * sizeof(double))));
// Four lanes, for code compiled for a machine with 256-bit registers (see
// WideLanes); elsewhere it would take two registers per value.
typedef double TLanes4 __attribute__((vector_size(4 * sizeof(double))));

// Lanes of a lane type.
template <class V>
constexpr int kLaneCount = static_cast<int>(sizeof(V) / sizeof(double));

// Whether this machine runs the four-lane variants (256-bit registers), and
// a switch to turn them off; the results are the same either way.
bool WideLanes();
void SetWideLanes(bool allowed);

inline TLanes Lanes(double a, double b) { return TLanes{a, b}; }

inline TLanes LaneSqrt(TLanes v) { return TLanes{std::sqrt(v[0]), std::sqrt(v[1])}; }
