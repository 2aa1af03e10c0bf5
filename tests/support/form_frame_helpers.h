#pragma once
// Helpers of the window tests that load meshes and read back what the panel
// drew.
#include <GL/gl.h>

#include <QLabel>
#include <QOpenGLContext>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "colorconversion/colorconversion.h"
#include "glpanel/glpanel.h"
#include "support/scripted_dialogs.h"
#include "window/form1.h"

inline QString ExamplePath(const char* name) { return QString(FLOWSKIN_EXAMPLES_DIR) + "/" + name; }

// "Load mesh..." with the dialog answering `path`.
inline void LoadThroughDialog(TForm1& form, TScriptedDialogs& dialogs, const QString& path) {
  dialogs.file_answers.push_back(path);
  form.Open1Click(form.but_load_mesh);
}

struct TRgb {
  int r = 0, g = 0, b = 0;
};

// One frame kept in the back buffer and read back whole; row 0 is the bottom.
class TPanelImage {
 public:
  explicit TPanelImage(TForm1& form) {
    w_ = form.GLPanel1->Width();
    h_ = form.GLPanel1->Height();
    form.GLPanel1->SwapBB = false;
    form.RequestRedraw();
    form.GLPanel1->RenderContext()->makeCurrent(form.GLPanel1);
    px_.assign(static_cast<size_t>(w_) * h_ * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w_, h_, GL_RGB, GL_UNSIGNED_BYTE, px_.data());
    form.GLPanel1->SwapBB = true;
  }
  int Width() const { return w_; }
  int Height() const { return h_; }
  TRgb At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * w_ + x) * 3;
    return {px_[i], px_[i + 1], px_[i + 2]};
  }
  bool IsColour(int x, int y, int32_t colour, int tol = 0) const {
    const TRgb p = At(x, y);
    const TRGBInt c = SplitColor(colour);
    return std::abs(p.r - c.red) <= tol && std::abs(p.g - c.green) <= tol && std::abs(p.b - c.blue) <= tol;
  }
  // Lowest and highest row of column x whose pixel is not `background`; -1 when none.
  void ColumnExtent(int x, int32_t background, int& lowest, int& highest) const {
    lowest = highest = -1;
    for (int y = 0; y < h_; ++y) {
      if (IsColour(x, y, background, 2)) continue;
      if (lowest < 0) lowest = y;
      highest = y;
    }
  }

 private:
  int w_ = 0, h_ = 0;
  std::vector<uint8_t> px_;
};
