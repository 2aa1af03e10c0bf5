#pragma once
// Keeps the back buffer of every frame the panel draws (RGB rows of exactly
// 3w bytes, bottom row first), read before the panel swaps it.
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "glpanel/glpanel.h"
#include "window/form1.h"

struct TFrameRecorder {
  std::vector<std::vector<uint8_t>> frames;
  explicit TFrameRecorder(TForm1& form) {
    auto draw = form.GLPanel1->OnRedraw;
    form.GLPanel1->OnRedraw = [this, draw](TGLPanel* panel) {
      draw(panel);
      std::vector<uint8_t> px(size_t(panel->Width()) * panel->Height() * 3);
      glReadBuffer(GL_BACK);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, panel->Width(), panel->Height(), GL_RGB, GL_UNSIGNED_BYTE, px.data());
      glPixelStorei(GL_PACK_ALIGNMENT, 4);
      frames.push_back(std::move(px));
    };
  }
};
