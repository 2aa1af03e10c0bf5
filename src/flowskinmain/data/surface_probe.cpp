#include "data/surface_probe.h"

#include <cmath>
#include <cstdio>

namespace {

std::string Number(double x, int digits = 4) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*g", digits, x == 0 ? 0.0 : x);  // no "-0"
  return buf;
}

}  // namespace

TSurfaceProbe ProbeAt(const TMesh& mesh, const TRayHit& hit) {
  TSurfaceProbe p;
  if (hit.face < 0 || hit.face >= mesh.face_count) return p;
  p.on_surface = true;
  const TFace& f = mesh.faces[hit.face];
  const double w[3] = {1 - hit.w1 - hit.w2, hit.w1, hit.w2};
  for (int k = 0; k < 3; ++k) {
    const TVertex& v = mesh.vertices[f.v[k]];
    p.position[0] += w[k] * v.pos.x, p.position[1] += w[k] * v.pos.y, p.position[2] += w[k] * v.pos.z;
    p.flow[0] += w[k] * v.velo.x, p.flow[1] += w[k] * v.velo.y, p.flow[2] += w[k] * v.velo.z;
    p.value += w[k] * v.cur_value;
  }
  return p;
}

std::string ProbeText(const TSurfaceProbe& p, const std::string& channel_title) {
  if (!p.on_surface) return "";
  const double speed = std::sqrt(p.flow[0] * p.flow[0] + p.flow[1] * p.flow[1] + p.flow[2] * p.flow[2]);
  std::string text = "x " + Number(p.position[0]) + "  y " + Number(p.position[1]) + "  z " + Number(p.position[2]) +
                     " \u00b7 " + channel_title + " " + Number(p.value) + " \u00b7 flow " + Number(speed);
  if (speed > 0)
    text += " along (" + Number(p.flow[0] / speed, 2) + ", " + Number(p.flow[1] / speed, 2) + ", " +
            Number(p.flow[2] / speed, 2) + ")";
  return text;
}
