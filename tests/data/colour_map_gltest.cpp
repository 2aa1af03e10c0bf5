// The colour map as the GL holds it after a refresh.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "colorconversion/colorconversion.h"
#include "data/colour_map_gl.h"
#include "support/gl_context_gl.h"

TEST(ColourMapGL, RefreshLoadsTheTexelsWithClampAndNearestOnlyWhenAsked) {
  TGLTestContext ctx(16, 16);
  ASSERT_TRUE(ctx.Ok());
  TAppState app;
  TRenderStateControls c;
  c.long_way = true;
  RefreshRenderState(app, c, true);
  ASSERT_EQ(TakeGLErrors(), "");
  GLint unpack = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
  EXPECT_EQ(unpack, 4);  // the upload leaves the global default for other uploads
  std::vector<uint8_t> got(256 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_1D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
  const TColourMapTexels want = ColourMapTexels(c.datamin, c.datamax, true);
  EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin()));
  GLint wrap = 0, mag = 0, min = 0, env = 0;
  glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, &wrap);
  glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, &mag);
  glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, &min);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(wrap, GL_CLAMP);
  EXPECT_EQ(mag, GL_NEAREST);
  EXPECT_EQ(min, GL_NEAREST);
  EXPECT_EQ(env, GL_MODULATE);

  // Without the flag the map stays as it was; the channel and flag still update.
  TRenderStateControls other;
  other.datamin = MakeColor(255, 0, 0);
  other.radios.pz = true;
  app.frame.scene_dirty = false;
  RefreshRenderState(app, other, false);
  glGetTexImage(GL_TEXTURE_1D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin()));
  EXPECT_EQ(app.frame.data_channel, 8);
  EXPECT_TRUE(app.frame.scene_dirty);
  EXPECT_EQ(TakeGLErrors(), "");
}
