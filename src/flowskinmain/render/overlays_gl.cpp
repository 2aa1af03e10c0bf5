#include "render/overlays_gl.h"

#include <GL/gl.h>

#include "colorconversion/colorconversion.h"

namespace {

void Vertex(const TVec3& p) { glVertex3f(p.x, p.y, p.z); }

// Segment p + a d to p + b d.
void Segment(const TVec3& p, const TVec3& d, double a, double b) {
  glVertex3d(p.x + a * d.x, p.y + a * d.y, p.z + a * d.z);
  glVertex3d(p.x + b * d.x, p.y + b * d.y, p.z + b * d.z);
}

// Normal and position of vertex i, then of vertex j.
void EmitEdge(const TMesh& mesh, int32_t i, int32_t j) {
  for (const int32_t k : {i, j}) {
    const TVertex& v = mesh.vertices[k];
    glNormal3f(v.normal.x, v.normal.y, v.normal.z);
    Vertex(v.pos);
  }
}

}  // namespace

void SetGLColour(int32_t colour) {
  const TRGBInt c = SplitColor(colour);
  glColor3f(c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f);
}

void DrawMeshLines(const TMesh& mesh, const TMeshLineMaterial& material, bool lighting_on) {
  if (lighting_on) glEnable(GL_LIGHTING);
  SetGLColour(material.diffuse);
  const TRGBInt s = SplitColor(material.specular);
  const float specular[4] = {s.red / 255.0f, s.green / 255.0f, s.blue / 255.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  if (material.shininess >= 0 && material.shininess <= 128)
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, static_cast<float>(material.shininess));
  glBegin(GL_LINES);
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    const int32_t* v = mesh.faces[f].v;
    EmitEdge(mesh, v[0], v[1]);
    EmitEdge(mesh, v[1], v[2]);
    EmitEdge(mesh, v[2], v[0]);
  }
  glEnd();
  glDisable(GL_LIGHTING);
}

void DrawNormals(const TMesh& mesh) {
  const double len = mesh.box_size / 50;
  glColor3f(1, 1, 0);
  glBegin(GL_LINES);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) Segment(mesh.vertices[i].pos, mesh.vertices[i].normal, 0, len);
  glEnd();
}

void DrawVelocityVectors(const TMesh& mesh) {
  glColor3f(1, 0, 0);
  glLineWidth(2);
  glBegin(GL_LINES);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    const TVec3 d{v.adv_pos.x - v.pos.x, v.adv_pos.y - v.pos.y, v.adv_pos.z - v.pos.z};
    Segment(v.pos, d, 0, 10);
  }
  glEnd();
  glLineWidth(1);
}

void DrawFrames(const TMesh& mesh) {
  const double h = 0.5 * mesh.box_size / 50;
  glColor3f(0.2f, 0.3f, 1);
  glBegin(GL_LINES);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    Segment(v.pos, v.e1, -h, h);
    Segment(v.pos, v.e2, -h, h);
  }
  glEnd();
}

void DrawCurvatureVectors(const TMesh& mesh, int kind) {
  const double c = 0.6 * mesh.box_size / 50;
  glColor3f(1, 0.1f, 0.1f);
  glBegin(GL_LINES);
  for (int32_t i = 0; i < mesh.vertex_count; ++i) {
    const TVertex& v = mesh.vertices[i];
    Segment(v.pos, kind == 1 ? v.dir_max : v.dir_min, -c, c);
  }
  glEnd();
}

void DrawBox(const TMesh& mesh, const float center[3]) {
  const double* lo = mesh.box_min;
  const double* hi = mesh.box_max;
  glColor3f(0, 0, 0);
  glBegin(GL_LINES);
  for (const double z : {lo[2], hi[2]}) {
    const double xs[5] = {lo[0], lo[0], hi[0], hi[0], lo[0]};
    const double ys[5] = {lo[1], hi[1], hi[1], lo[1], lo[1]};
    for (int k = 0; k < 4; ++k) {
      glVertex3d(xs[k], ys[k], z);
      glVertex3d(xs[k + 1], ys[k + 1], z);
    }
  }
  for (const double x : {lo[0], hi[0]}) {
    for (const double y : {lo[1], hi[1]}) {
      glVertex3d(x, y, lo[2]);
      glVertex3d(x, y, hi[2]);
    }
  }
  const TVec3 c{center[0], center[1], center[2]};
  const double a = mesh.box_size / 50;
  Segment(c, {1, 0, 0}, -a, a);
  Segment(c, {0, 1, 0}, -a, a);
  Segment(c, {0, 0, 1}, -a, a);
  glEnd();
}
