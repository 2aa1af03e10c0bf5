#include "render/legend_gl.h"

#include <GL/gl.h>

#include "colorconversion/colorconversion.h"
#include "render/legend_math.h"

namespace {

void Rect(const TLegendRect& r) {
  glVertex2i(r.x0, r.y0);
  glVertex2i(r.x1, r.y0);
  glVertex2i(r.x1, r.y1);
  glVertex2i(r.x0, r.y1);
}

void BarWithColourMap(const TLegendRect& b) {
  GLint env = GL_MODULATE;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  glEnable(GL_TEXTURE_1D);
  glBindTexture(GL_TEXTURE_1D, 0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord1f(0);
  glVertex2i(b.x0, b.y0);
  glVertex2i(b.x1, b.y0);
  glTexCoord1f(1);
  glVertex2i(b.x1, b.y1);
  glVertex2i(b.x0, b.y1);
  glEnd();
  glDisable(GL_TEXTURE_1D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, env);
}

}  // namespace

void DrawLegend(int32_t w, int32_t h, double min, double max, const std::string& name, int32_t background) {
  const TLegendLayout l = LayoutLegend(w, h, min, max, name);
  if (!l.fits) return;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, w, 0, h, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  BarWithColourMap(l.bar);
  const TRGBInt bg = SplitColor(background);
  const float ink = (bg.red * 0.299 + bg.green * 0.587 + bg.blue * 0.114) > 128 ? 0.0f : 1.0f;
  glColor3f(ink, ink, ink);
  glBegin(GL_QUADS);
  const TLegendRect& b = l.bar;
  const int32_t s = l.scale;
  for (const TLegendRect& r :
       {TLegendRect{b.x0 - s, b.y0 - s, b.x1 + s, b.y0}, TLegendRect{b.x0 - s, b.y1, b.x1 + s, b.y1 + s},
        TLegendRect{b.x0 - s, b.y0, b.x0, b.y1}, TLegendRect{b.x1, b.y0, b.x1 + s, b.y1}})
    Rect(r);
  for (const TLegendRect& r : l.ticks) Rect(r);
  for (const TLegendText& t : l.texts)
    for (const TLegendRect& r : TextPixels(t, s)) Rect(r);
  glEnd();
  glColor3f(1, 1, 1);
  glEnable(GL_DEPTH_TEST);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}
