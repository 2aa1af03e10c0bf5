#define GL_GLEXT_PROTOTYPES  // glWindowPos2i (OpenGL 1.4)
#include "render/legend_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "colorconversion/colorconversion.h"
#include "render/legend_math.h"
#include "render/panel_text_gl.h"

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

QFont LegendFont(int32_t w, int32_t h) { return PanelFont(LegendFontPixels(w, h)); }

}  // namespace

TLegendLayout LegendLayoutFor(int32_t w, int32_t h, double min, double max, const std::string& title,
                              double log_floor) {
  const QFontMetrics metrics(LegendFont(w, h));
  TLegendFont measure;
  measure.width = [&](const std::string& s) { return metrics.horizontalAdvance(QString::fromStdString(s)) + 1; };
  measure.ascent = metrics.ascent();
  measure.descent = metrics.descent();
  return LayoutLegend(w, h, min, max, title, measure, log_floor);
}

void DrawLegend(int32_t w, int32_t h, double min, double max, const std::string& title, int32_t background,
                double log_floor) {
  const QFont font = LegendFont(w, h);
  const TLegendLayout l = LegendLayoutFor(w, h, min, max, title, log_floor);
  if (!l.fits) return;
  const int ascent = QFontMetrics(font).ascent();
  BeginWindowPixels(w, h);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  BarWithColourMap(l.bar);
  const int ink = TextInkOn(background);
  glColor3ub(static_cast<GLubyte>(ink), static_cast<GLubyte>(ink), static_cast<GLubyte>(ink));
  glBegin(GL_QUADS);
  const TLegendRect& b = l.bar;
  const int32_t s = l.scale;
  for (const TLegendRect& r :
       {TLegendRect{b.x0 - s, b.y0 - s, b.x1 + s, b.y0}, TLegendRect{b.x0 - s, b.y1, b.x1 + s, b.y1 + s},
        TLegendRect{b.x0 - s, b.y0, b.x0, b.y1}, TLegendRect{b.x1, b.y0, b.x1 + s, b.y1}})
    Rect(r);
  for (const TLegendRect& r : l.ticks) Rect(r);
  glEnd();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  for (const TLegendText& t : l.texts)
    DrawPanelText(t.box.x0, t.box.y0, t.box.x1 - t.box.x0, t.box.y1 - t.box.y0, t.text, font, ascent,
                  QColor(ink, ink, ink));
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
  glEnable(GL_DEPTH_TEST);
  EndWindowPixels();
}
