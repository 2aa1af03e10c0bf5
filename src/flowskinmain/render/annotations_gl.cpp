#include "render/annotations_gl.h"

#include <GL/gl.h>

#include <QFontMetrics>
#include <cmath>

#include "colorconversion/colorconversion.h"
#include "render/annotation_math.h"
#include "render/legend_math.h"
#include "render/panel_text_gl.h"

namespace {

constexpr uint8_t kAxisColours[3][3] = {{220, 40, 40}, {30, 160, 50}, {50, 90, 235}};
constexpr const char* kAxisLetters[3] = {"X", "Y", "Z"};

// Text of `pixels` with its box centred on window pixel (x, y), or with its
// lower-left corner there.
void Text(double x, double y, const std::string& text, int32_t pixels, const QColor& ink, bool centred) {
  const QFont font = PanelFont(pixels);
  const QFontMetrics m(font);
  const int width = m.horizontalAdvance(QString::fromStdString(text)) + 1, height = m.ascent() + m.descent();
  const int x0 = static_cast<int>(std::lround(centred ? x - width / 2.0 : x));
  const int y0 = static_cast<int>(std::lround(centred ? y - height / 2.0 : y));
  DrawPanelText(x0, y0, width, height, text, font, m.ascent(), ink);
}

void Triad(int32_t w, int32_t h, const double* modelview) {
  const TTriadLayout t = LayoutTriad(w, h, modelview);
  if (!t.fits) return;
  glLineWidth(static_cast<float>(std::max(1, t.length / 22)));
  for (const TTriadAxis& a : t.axes) {
    glColor3ubv(kAxisColours[a.axis]);
    glBegin(GL_LINES);
    glVertex2d(t.centre_x + 0.5, t.centre_y + 0.5);
    glVertex2d(t.centre_x + a.tip_x + 0.5, t.centre_y + a.tip_y + 0.5);
    glEnd();
    // The letter beyond the tip, along the axis as seen; centred on the
    // centre when the axis points straight at the viewer or away.
    const double seen = std::hypot(a.tip_x, a.tip_y);
    const double beyond = seen > 0 ? (seen + 0.6 * t.font_pixels) / seen : 0;
    const QColor ink(kAxisColours[a.axis][0], kAxisColours[a.axis][1], kAxisColours[a.axis][2]);
    Text(t.centre_x + a.tip_x * beyond, t.centre_y + a.tip_y * beyond, kAxisLetters[a.axis], t.font_pixels, ink, true);
  }
}

}  // namespace

void DrawAnnotations(int32_t w, int32_t h, const TAnnotations& a, int32_t background) {
  if ((!a.axes || !a.modelview) && a.time_text.empty()) return;
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
  BeginWindowPixels(w, h);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (a.axes && a.modelview) Triad(w, h, a.modelview);
  if (!a.time_text.empty()) {
    const int ink = TextInkOn(background);
    const int32_t pixels = TimeTextPixels(w, h), margin = AnnotationMargin(w, h);
    const QFontMetrics m(PanelFont(pixels));
    Text(margin, h - margin - (m.ascent() + m.descent()), a.time_text, pixels, QColor(ink, ink, ink), false);
  }
  EndWindowPixels();
  glPopAttrib();
}
