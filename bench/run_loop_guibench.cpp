// The Run loop's frame as the window draws it (frame, swap, the swapped frame
// kept for reads and repaints, pending events) on a 100,000-triangle torus at
// the start size of the drawing area, with the swapped frame kept both ways:
// copied by the GL into the kept framebuffer object, and read back into
// memory. Rounds alternate the two; medians of the rounds, and their ratio.
// Run under an X display:  run_loop_guibench [frames [rounds]]
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "formats/ply_writer.h"
#include "glpanel/glpanel.h"
#include "mesh/mesh_shapes.h"
#include "quiet_dialogs.h"
#include "window/form1.h"

namespace {

// Milliseconds per Run-loop frame over `frames` frames.
double RunLoopMs(TForm1& form, int frames) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    form.RunLoopFrame();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / frames;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 100;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  QTemporaryDir dir;
  const QString torus = dir.filePath("torus.ply");
  {
    std::ofstream out(torus.toStdString(), std::ios::binary);
    out << FormatPly(MakeTorusMesh(1, 0.35, 250, 200));
  }
  TQuietDialogs dialogs;
  TForm1 form({"flowskin", torus}, &dialogs);  // no remembered values: the controls at their defaults
  form.show();
  if (!QTest::qWaitForWindowExposed(&form) || !QTest::qWaitFor([&] { return form.GLPanel1->ContextReady(); }) ||
      form.state.mesh.vertex_count == 0) {
    std::fprintf(stderr, "no window or no mesh\n");
    return 1;
  }
  std::printf("torus: %d triangles; drawing area %d x %d; %d rounds of %d frames, medians\n",
              form.state.mesh.face_count, form.GLPanel1->Width(), form.GLPanel1->Height(), rounds, frames);
  std::vector<double> copied, read_back, ratio;
  RunLoopMs(form, frames);  // unmeasured: the first frames compile the lists and fill the caches
  for (int r = 0; r < rounds; ++r) {
    form.GLPanel1->KeepByReadBack = false;
    copied.push_back(RunLoopMs(form, frames));
    form.GLPanel1->KeepByReadBack = true;
    read_back.push_back(RunLoopMs(form, frames));
    ratio.push_back(read_back.back() / copied.back());
  }
  std::printf("Run-loop frame, swapped frame copied by the GL   %8.3f ms\n", Median(copied));
  std::printf("Run-loop frame, swapped frame read back          %8.3f ms\n", Median(read_back));
  std::printf("ratio read back / copied, median of the rounds: %.3f\n", Median(ratio));
  return 0;
}
