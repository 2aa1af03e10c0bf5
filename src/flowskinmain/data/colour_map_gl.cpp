#include "data/colour_map_gl.h"

#include <GL/gl.h>

void SetColourMapParameters() {
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void BuildColourMap(int32_t min_colour, int32_t max_colour, bool long_way) {
  TRenderStateControls c;
  c.datamin = min_colour;
  c.datamax = max_colour;
  c.long_way = long_way;
  BuildColourMap(c);
}

void BuildColourMap(const TRenderStateControls& c) {
  const TColourMapTexels texels = ColourMapTexels(c);
  // One row of 768 bytes: the unpack alignment does not matter, so the global
  // setting that later image uploads rely on is left alone.
  glTexImage1D(GL_TEXTURE_1D, 0, 3, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
}

void InitColourMap(const TRenderStateControls& c) {
  SetColourMapParameters();
  BuildColourMap(c);
}

TRangeTexts RefreshRenderState(TAppState& app, const TRenderStateControls& c, bool rebuild, bool gl_current) {
  if (rebuild && gl_current) InitColourMap(c);
  return RefreshDataChannel(app, c.radios, c.log_scale);
}
