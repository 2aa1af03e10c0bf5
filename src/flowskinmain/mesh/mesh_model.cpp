#include "mesh/mesh_model.h"

#include <cmath>

void vec_cross(const TVec3& a, const TVec3& b, TVec3& out) {
  const double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
  out.x = static_cast<float>(ay * bz - az * by);
  out.y = static_cast<float>(az * bx - ax * bz);
  out.z = static_cast<float>(ax * by - ay * bx);
}

void vec_scale(TVec3& v, double s) {
  v.x = static_cast<float>(v.x * s);
  v.y = static_cast<float>(v.y * s);
  v.z = static_cast<float>(v.z * s);
}

double vec_dot(const TVec3& a, const TVec3& b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

double vec_length(const TVec3& v) { return std::sqrt(vec_dot(v, v)); }

void vec_zero(TVec3& v) { v = TVec3{}; }

void vec_normalize(TVec3& v) {
  const double len = vec_length(v);
  if (len > 0) vec_scale(v, 1.0 / len);
}

void vec_add(const TVec3& a, const TVec3& b, TVec3& out) {
  const double x = static_cast<double>(a.x) + b.x, y = static_cast<double>(a.y) + b.y,
               z = static_cast<double>(a.z) + b.z;
  out.x = static_cast<float>(x);
  out.y = static_cast<float>(y);
  out.z = static_cast<float>(z);
}
