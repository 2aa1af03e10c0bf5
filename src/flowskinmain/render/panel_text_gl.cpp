#define GL_GLEXT_PROTOTYPES  // glWindowPos2i (OpenGL 1.4)
#include "render/panel_text_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <QImage>
#include <QPainter>

QFont PanelFont(int32_t pixels) {
  QFont font("DejaVu Sans");
  font.setPixelSize(pixels);
  return font;
}

void BeginWindowPixels(int32_t w, int32_t h) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, w, 0, h, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void EndWindowPixels() {
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

void DrawPanelText(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& text, const QFont& font,
                   int32_t ascent, const QColor& ink) {
  if (width <= 0 || height <= 0) return;
  QImage picture(width, height, QImage::Format_RGBA8888);
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(0, ascent, QString::fromStdString(text));
  }
  picture = picture.mirrored();  // GL rows run upwards
  glWindowPos2i(x, y);
  glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.constBits());
}
