#include "advection/image_io_gl.h"

#include <GL/gl.h>

#include "advection/capture_gl.h"
#include "advection/surface_passes_gl.h"

namespace {

void PushIdentity(GLenum mode) {
  glMatrixMode(mode);
  glPushMatrix();
  glLoadIdentity();
}

void PopMatrix(GLenum mode) {
  glMatrixMode(mode);
  glPopMatrix();
}

}  // namespace

void CompileMapImageList(int32_t tw, int32_t th, const uint8_t* rgba) {
  GLint unpack = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // rows of tw * 4 bytes
  glNewList(kMapImageList, GL_COMPILE);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glEndList();
  glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
}

std::vector<uint8_t> DrawAndReadFrameTexture(bool lighting_on) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  glViewport(0, 0, kMapReadSize, kMapReadSize);
  glBindTexture(GL_TEXTURE_2D, kFrameTexture);
  PushIdentity(GL_MODELVIEW);
  PushIdentity(GL_PROJECTION);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glShadeModel(GL_FLAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
  PopMatrix(GL_PROJECTION);
  PopMatrix(GL_MODELVIEW);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_DEPTH_TEST);
  if (lighting_on) glEnable(GL_LIGHTING);
  glShadeModel(GL_SMOOTH);
  glDepthMask(GL_TRUE);
  std::vector<uint8_t> pixels(size_t(kMapReadSize) * kMapReadSize * 4, 0);
  GLint pack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, kMapReadSize, kMapReadSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, pack);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  return pixels;
}

std::vector<uint8_t> ReadFramePixels(int32_t w, int32_t h) {
  std::vector<uint8_t> pixels(size_t(w) * h * 3, 0);
  if (w <= 0 || h <= 0) return pixels;
  GLint pack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, pack);
  return pixels;
}
