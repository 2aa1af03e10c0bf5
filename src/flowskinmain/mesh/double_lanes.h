#pragma once
// Two doubles processed side by side (one SIMD register where the machine has
// one). Every arithmetic operation and comparison acts on each lane exactly as
// the scalar operation would, so a computation written on lanes gives, lane by
// lane, the same bits as the scalar computation; the passes use it to handle
// two vertices or faces at once. Square roots and library functions are taken
// lane by lane with the scalar functions.
#include <cmath>

typedef double TLanes __attribute__((vector_size(2 * sizeof(double))));

inline TLanes Lanes(double a, double b) { return TLanes{a, b}; }

inline TLanes LaneSqrt(TLanes v) { return TLanes{std::sqrt(v[0]), std::sqrt(v[1])}; }
