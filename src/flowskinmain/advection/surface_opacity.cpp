#include "advection/surface_opacity.h"

double SurfaceOpacity(double a, double v, bool inverse) {
  double o;
  if (v < 0) {
    o = 1;
  } else if (v > 1) {
    o = a;
  } else {
    o = 1 - (1 - a) * v;
  }
  return inverse ? 1 - o + a : o;
}
