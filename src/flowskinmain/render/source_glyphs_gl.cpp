#include "render/source_glyphs_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colorconversion/colorconversion.h"

namespace {

constexpr int kSlices = 8, kStacks = 8, kCylinderStacks = 3;

// A sphere of radius r at the current model-view origin.
void Sphere(TGlyphQuadric& q, double r) { gluSphere(q.Get(), r, kSlices, kStacks); }

void Translate(const TVec3& p) { glTranslatef(p.x, p.y, p.z); }

TVec3 Minus(const TVec3& a, const TVec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Brightness of part `part` (1 the p0 sphere, 2 the p1 sphere, 3 the segment)
// of source j.
double PartBrightness(const TFlowSourceTable& t, int32_t j, int part) {
  if (j != t.selected_source) return 0.5;
  const int grabbed = t.selected_handle == 1 || t.selected_handle == 2 ? t.selected_handle : 3;
  return part == grabbed ? 1.0 : 0.75;
}

// The lit spheres and cylinder of one source that does not paint.
void SourceGlyph(const TFlowSourceTable& t, int32_t j, double r, TGlyphQuadric& q) {
  const TFlowSource& s = t.flow_sources[j];
  const float base[3] = {s.strength >= 0 ? 1.0f : 0.8f, s.strength >= 0 ? 0.9f : 0.85f, s.strength >= 0 ? 0.6f : 1.0f};
  auto colour = [&](int part) {
    const float b = static_cast<float>(PartBrightness(t, j, part));
    glColor3f(base[0] * b, base[1] * b, base[2] * b);
  };
  colour(1);
  glPushMatrix();
  Translate(s.p0);
  Sphere(q, r);
  if (s.is_line) {
    Translate(Minus(s.p1, s.p0));
    colour(2);
    Sphere(q, r);
    glPopMatrix();
    colour(3);
    DrawCylinder(q, s.p0, s.p1, s.cyl_radius);
  } else {
    glPopMatrix();
  }
}

// One guide segment from a to b, `width` pixels wide.
void Guide(float width, const TVec3& a, const TVec3& b) {
  glLineWidth(width);
  glBegin(GL_LINE_STRIP);
  glVertex3f(a.x, a.y, a.z);
  glVertex3f(b.x, b.y, b.z);
  glEnd();
}

// Guide lines of end point p: down to the floor (y), across to the x wall,
// along the wall edge to the z corner; the dragged axis drawn `wide`.
void GuideLines(const TVec3& p, const TMesh& mesh, int32_t drag_axis, float wide) {
  const float xmin = static_cast<float>(mesh.box_min[0]), ymin = static_cast<float>(mesh.box_min[1]),
              zmin = static_cast<float>(mesh.box_min[2]);
  Guide(drag_axis == 2 ? wide : 1, p, {p.x, ymin, p.z});
  Guide(drag_axis == 1 ? wide : 1, {p.x, ymin, p.z}, {xmin, ymin, p.z});
  Guide(drag_axis == 3 ? wide : 1, {xmin, ymin, p.z}, {xmin, ymin, zmin});
}

}  // namespace

TGlyphQuadric::~TGlyphQuadric() { Release(); }

GLUquadric* TGlyphQuadric::Get() {
  if (!quadric_) {
    quadric_ = gluNewQuadric();
    ++created_;
  }
  return quadric_;
}

void TGlyphQuadric::Release() {
  if (quadric_) gluDeleteQuadric(quadric_);
  quadric_ = nullptr;
}

void SetHighlightColour(int32_t colour, bool highlight) {
  TRGBInt c = SplitColor(colour);
  if (highlight) {
    c.red = std::min(c.red + 100, 255);
    c.green = std::min(c.green + 100, 255);
    c.blue = std::min(c.blue + 100, 255);
  }
  glColor3f(c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f);
}

void DrawCylinder(TGlyphQuadric& q, const TVec3& a, const TVec3& b, double radius) {
  const TVec3 d = Minus(b, a);
  const double len = std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
  if (len == 0) return;
  const double deg = 180 / std::numbers::pi;
  const double azimuth = d.x == 0 && d.y == 0 ? 0 : std::atan2(d.y, d.x) * deg;
  const double tilt = std::atan2(std::hypot(d.x, d.y), d.z) * deg;
  glPushMatrix();
  Translate(a);
  glRotated(azimuth, 0, 0, 1);
  glRotated(tilt, 0, 1, 0);
  gluCylinder(q.Get(), radius, radius, len, kSlices, kCylinderStacks);
  glPopMatrix();
}

void DrawFlowSources(TFlowSourceTable& table, const TMesh& mesh, const TMouseState& mouse, TGlyphQuadric& q) {
  const double r = mesh.box_size / 75;
  const int32_t n = std::min(table.source_count, kMaxFlowSources);
  glEnable(GL_LIGHTING);
  glMatrixMode(GL_MODELVIEW);
  const float specular[4] = {0.1f, 0.1f, 0.1f, 1};
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT, GL_SHININESS, 70);
  for (int32_t j = 1; j <= n; ++j) {
    table.flow_sources[j].radius = r;
    table.flow_sources[j].cyl_radius = 0.6 * r;
  }
  for (int32_t j = 1; j <= n; ++j)
    if (!table.flow_sources[j].paint) SourceGlyph(table, j, r, q);
  glDisable(GL_LIGHTING);
  if (mouse.mouse_mode == 4 && table.HasSelection() && table.selected_source <= n) {
    const TFlowSource& s = table.flow_sources[table.selected_source];
    glColor3f(1, 1, 0.8f);
    GuideLines(s.p0, mesh, mouse.drag_axis, 4);
    if (s.is_line) GuideLines(s.p1, mesh, mouse.drag_axis, 4);
  }
  glLineWidth(1);
}

bool PaintBlobShown(int32_t frame_counter, int32_t on, int32_t off) {
  const int64_t period = int64_t(on) + off;
  return period > 0 && frame_counter % period < on;
}

void DrawPaintSources(const TFlowSourceTable& table, int32_t frame_counter, TGlyphQuadric& q) {
  const int32_t n = std::min(table.source_count, kMaxFlowSources);
  bool any = false;
  for (int32_t j = 1; j <= n; ++j) any = any || table.flow_sources[j].paint;
  if (!any) return;
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_MODELVIEW);
  for (int32_t j = 1; j <= n; ++j) {
    const TFlowSource& s = table.flow_sources[j];
    if (!s.paint || !PaintBlobShown(frame_counter, s.paint_on, s.paint_off)) continue;
    const bool selected = j == table.selected_source;
    SetHighlightColour(s.paint_colour, selected && table.selected_handle == 1);
    glPushMatrix();
    Translate(s.p0);
    Sphere(q, s.radius);
    if (s.is_line) {
      Translate(Minus(s.p1, s.p0));
      SetHighlightColour(s.paint_colour, selected && table.selected_handle == 2);
      Sphere(q, s.radius);
      glPopMatrix();
      SetHighlightColour(s.paint_colour, selected && table.selected_handle == 3);
      DrawCylinder(q, s.p0, s.p1, s.cyl_radius);
    } else {
      glPopMatrix();
    }
  }
}
