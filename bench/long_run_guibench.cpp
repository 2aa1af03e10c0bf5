// Long run of the real window: the Run loop on a 100,000-triangle mesh for
// many frames while presets are switched, flow and paint sources are added,
// dragged with the mouse and deleted, the mesh is reloaded and the noise is
// rebuilt. Reports the resident memory after 1,000 frames and at the end, and
// the GL objects then alive (display lists, texture objects, GLU quadrics),
// which must not pile up. Run under an X display:
//   long_run_guibench [frames]   (default 10000)
#include <GL/gl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "flow/view_unproject.h"
#include "formats/ply_writer.h"
#include "glpanel/glpanel.h"
#include "mesh/mesh_shapes.h"
#include "quiet_dialogs.h"
#include "window/form1.h"

namespace {

struct TSnapshot {
  double rss_mb = 0, rss_trimmed_mb = 0;  // resident memory, then after returning free heap pages
  int lists = 0, textures = 0, quadrics = 0;
};

double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * double(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

// GL objects alive: display lists and texture objects among the first 1000
// names (the program uses fixed names far below that), and quadrics made.
TSnapshot Snapshot(TForm1& form) {
  TSnapshot s;
  s.rss_mb = ResidentMb();
  malloc_trim(0);
  s.rss_trimmed_mb = ResidentMb();
  form.GLPanel1->RenderContext()->makeCurrent(form.GLPanel1);
  for (GLuint id = 1; id <= 1000; ++id) {
    s.lists += glIsList(id) == GL_TRUE;
    s.textures += glIsTexture(id) == GL_TRUE;
  }
  s.quadrics = form.GlyphQuadricsCreated();
  return s;
}

bool WriteMesh(const QString& path, const TMesh& mesh) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out << FormatPly(mesh);
  out.close();
  return static_cast<bool>(out);
}

// Drags the selected source's first end 30 pixels to the right in ten moves.
void DragSelectedSource(TForm1& form) {
  const TFlowSourceTable& t = form.state.sources;
  if (!t.HasSelection()) return;
  const TVec3& p = t.flow_sources[t.selected_source].p0;
  const double obj[3] = {p.x, p.y, p.z};
  double win[3];
  if (!ProjectObjectPoint(obj, form.state.matrices, win)) return;
  const int x = int(win[0]), y = form.GLPanel1->Height() - int(win[1]);
  TShiftState left;
  left.left = true;
  form.GLPanel1MouseDown(form.GLPanel1, TMouseButton::Left, left, x, y);
  for (int i = 1; i <= 10; ++i) form.GLPanel1MouseMove(form.GLPanel1, left, x + 3 * i, y);
  form.GLPanel1MouseUp(form.GLPanel1, TMouseButton::Left, TShiftState(), x + 30, y);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 10000;
  QTemporaryDir dir;
  const QString torus = dir.filePath("torus.ply"), sphere = dir.filePath("sphere.ply");
  if (!WriteMesh(torus, MakeTorusMesh(1, 0.35, 250, 200)) || !WriteMesh(sphere, MakeUvSphereMesh(1, 250, 201))) {
    std::fprintf(stderr, "cannot write the meshes\n");
    return 1;
  }
  TQuietDialogs dialogs;
  TForm1 form({"flowskin", torus}, &dialogs);
  form.show();
  if (!QTest::qWaitForWindowExposed(&form) || !QTest::qWaitFor([&] { return form.GLPanel1->ContextReady(); })) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  TButton* const presets[] = {form.but_flow_cxy, form.Button11, form.but_pencil1,   form.Button16,   form.but_rainbow,
                              form.but_topo,     form.Button13, form.but_flow_kmax, form.but_shaded, form.Button17};
  TSnapshot first;
  const auto t0 = std::chrono::steady_clock::now();
  for (int f = 1; f <= frames; ++f) {
    form.RunLoopFrame();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (f % 250 == 0) presets[(f / 250) % std::size(presets)]->click();
    if (f % 100 == 10 && form.state.sources.source_count < 8) form.but_add_flow->click();
    if (f % 400 == 210) form.but_add_paint->click();
    if (f % 100 == 20) DragSelectedSource(form);
    if (f % 300 == 50) form.Button6->click();
    if (f % 150 == 75) {  // another pulse style: the noise is rebuilt in the next frame
      form.cb_lut_style->SetItemIndex((form.cb_lut_style->ItemIndex() + 1) % 4);
      form.cb_lut_styleChange(form.cb_lut_style);
    }
    if (f % 1000 == 500) form.LoadMeshFile((f / 1000) % 2 ? torus : sphere);
    if (f == 1000) first = Snapshot(form);
    if (f % 1000 == 0)
      std::printf("frame %d of %d, %.0f s, %.1f MB resident\n", f, frames,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), ResidentMb());
  }
  const TSnapshot last = Snapshot(form);
  std::printf(
      "after frame 1000:   %.1f MB resident (%.1f MB with free heap returned), %d display lists, "
      "%d texture objects, %d quadrics\n",
      first.rss_mb, first.rss_trimmed_mb, first.lists, first.textures, first.quadrics);
  std::printf(
      "after frame %5d:  %.1f MB resident (%.1f MB with free heap returned), %d display lists, "
      "%d texture objects, %d quadrics\n",
      frames, last.rss_mb, last.rss_trimmed_mb, last.lists, last.textures, last.quadrics);
  std::printf("growth: %+.1f MB resident, %+.1f MB with free heap returned (goal within 2 MB); messages shown: %d\n",
              last.rss_mb - first.rss_mb, last.rss_trimmed_mb - first.rss_trimmed_mb, dialogs.messages);
  return 0;
}
