// Fixed sequences of frames of the real window (file velocities, a dragged
// flow source, presets, a mapped image, the data overlay, flat shading), each
// drawn in two fresh windows and compared byte for byte, and with the frames
// the batch command writes for the same controls.
#include <QImage>
#include <QTemporaryDir>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flow/view_unproject.h"
#include "render/frame_gl.h"
#include "support/batch_process.h"
#include "support/form_frame_helpers.h"
#include "support/picture_sequences.h"

namespace {

using TFrames = std::vector<std::vector<uint8_t>>;

// Panel pixel (origin top left) where the last frame showed object point p.
QPoint PixelOf(const TForm1& f, const TVec3& p) {
  const double obj[3] = {p.x, p.y, p.z};
  double win[3] = {0, 0, 0};
  EXPECT_TRUE(ProjectObjectPoint(obj, f.state.matrices, win));
  return QPoint(int(std::lround(win[0])), f.GLPanel1->Height() - int(std::lround(win[1])));
}

// A 64 x 64 picture: a red top half over a blue bottom half.
QString WriteMapPicture(const QTemporaryDir& dir) {
  QImage picture(64, 64, QImage::Format_RGB888);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) picture.setPixel(x, y, y < 32 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  const QString path = dir.filePath("map.bmp");
  picture.save(path);
  return path;
}

struct TSequence {
  const char* name;
  const char* mesh;
  std::function<void(TSequenceRun&)> steps;
};

void RunFrames(TSequenceRun& r, int n) {
  for (int i = 0; i < n; ++i) r.form->RunLoopFrame();
}

const std::vector<TSequence>& Sequences() {
  static const std::vector<TSequence> table = {
      {"file velocities, turning", "torus_flow.ply",
       [](TSequenceRun& r) {
         EXPECT_TRUE(r.form->cb_usr_flow->Checked());
         r.form->ud_rotate->SetPosition(40);
         RunFrames(r, 6);
       }},
      {"dragged flow source", "sphere.ply",
       [](TSequenceRun& r) {
         TForm1& f = *r.form;
         f.but_add_flow->Click();
         RunFrames(r, 3);
         const TFlowSource& s = f.state.sources.flow_sources[1];
         const QPoint at = PixelOf(f, s.p1);
         QTest::mousePress(f.GLPanel1, Qt::LeftButton, {}, at);
         for (int k = 1; k <= 3; ++k) {
           QTest::mouseMove(f.GLPanel1, at + QPoint(-8 * k, 5 * k));
           RunFrames(r, 1);
         }
         QTest::mouseRelease(f.GLPanel1, Qt::LeftButton, {}, at + QPoint(-24, 15));
         RunFrames(r, 3);
       }},
      {"pencil preset", "sphere.ply",
       [](TSequenceRun& r) {
         r.form->but_pencil1->Click();
         r.form->but_flow_dy->Click();
         RunFrames(r, 5);
       }},
      {"dirty preset", "torus.ply",
       [](TSequenceRun& r) {
         r.form->Button11->Click();
         RunFrames(r, 5);
       }},
      {"mapped image, shaded and under the texture", "sphere.ply",
       [](TSequenceRun& r) {
         QTemporaryDir dir;
         r.dialogs.file_answers.push_back(WriteMapPicture(dir));
         r.form->Button7->Click();
         EXPECT_TRUE(r.form->state.image.image_loaded);
         r.form->cbshtexture->SetChecked(false);
         RunFrames(r, 2);
         r.form->cbshtexture->SetChecked(true);
         r.form->but_flow_dz->Click();
         RunFrames(r, 4);
       }},
      {"data overlay, over the texture and alone", "torus_flow.ply",
       [](TSequenceRun& r) {
         r.form->but_rainbow->Click();
         EXPECT_TRUE(r.form->cbTexData->Checked());
         RunFrames(r, 4);
         r.form->cbshtexture->SetChecked(false);
         RunFrames(r, 2);
       }},
      {"flat shading", "sphere.ply",
       [](TSequenceRun& r) {
         r.form->cbsmooth->SetChecked(false);
         r.form->but_flow_dx->Click();
         RunFrames(r, 4);
         r.form->cbshtexture->SetChecked(false);
         RunFrames(r, 2);
       }},
  };
  return table;
}

// Draws sequence `s` in a fresh window and returns every frame it drew;
// `sent`: the bytes that went into the surface buffers; read_back and panel
// as for TSequenceRun::Open.
TFrames Render(const TSequence& s, bool surface_arrays, int64_t* sent = nullptr, int read_back = -1, QSize panel = {}) {
  TSequenceRun run;
  if (!run.Open(ExamplePath(s.mesh), surface_arrays, read_back, panel)) return {};
  s.steps(run);
  if (sent) {
    const TSurfaceDrawings* d = run.form->state.frame.surface_drawings.get();
    *sent = d ? d->surface.BytesSent() + d->shading.BytesSent() : 0;
  }
  return run.recorder->frames;
}

// Index of the first frame at which a and b differ, or -1.
int FirstDifference(const TFrames& a, const TFrames& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return int(i);
  return a.size() == b.size() ? -1 : int(n);
}

}  // namespace

// Every sequence draws the same frames from the surface buffers as from the
// display lists, and its frames are not all alike (something moves).
TEST(PictureSequences, BuffersDrawTheSameFramesAsDisplayLists) {
  for (const TSequence& s : Sequences()) {
    SCOPED_TRACE(s.name);
    int64_t sent_lists = -1, sent_arrays = -1;
    const TFrames lists = Render(s, false, &sent_lists);
    const TFrames arrays = Render(s, true, &sent_arrays);
    ASSERT_GE(lists.size(), 4u);
    EXPECT_EQ(sent_lists, 0);
    EXPECT_GT(sent_arrays, 0);
    EXPECT_EQ(FirstDifference(lists, arrays), -1);
    EXPECT_NE(lists.front(), lists.back());
    RecordProperty(s.name, FramesChecksum(lists));
  }
}

// Frames read back into the frame texture give the same frames as the GL's
// copy of the window, also where the drawing area is no power of two and the
// texture reaches past it.
TEST(PictureSequences, FramesReadBackDrawTheSameAsTheCopy) {
  for (const TSequence& s : Sequences()) {
    SCOPED_TRACE(s.name);
    const TFrames copied = Render(s, true, nullptr, 0, QSize(440, 300));
    const TFrames read_back = Render(s, true, nullptr, 1, QSize(440, 300));
    ASSERT_GE(copied.size(), 4u);
    EXPECT_EQ(FirstDifference(copied, read_back), -1);
  }
}

// The same sequence twice in fresh windows gives the same frames, so a
// difference above is the drawing's, not the sequence's.
TEST(PictureSequences, ASequenceRepeatsByteForByte) {
  const TSequence& s = Sequences()[1];
  EXPECT_EQ(FirstDifference(Render(s, true), Render(s, true)), -1);
}

// The batch command, which draws with no window system, writes the frames
// the window draws when driven as a batch run drives it (the mesh loaded, the
// controls set, then the "Run" loop's frames), byte for byte. The window draws
// at a set size, into a framebuffer as the batch does, as its movies of a set
// size are drawn: on the window's own surface the software rasteriser rounds
// a few blended pixels of a frame differently, by one level.
TEST(PictureSequences, BatchWritesTheWindowsFrames) {
  struct TCase {
    const char* mesh;
    QStringList options;
    std::function<void(TForm1&)> controls;  // the same, in the window
  };
  const TCase cases[] = {
      {"torus_flow.ply",
       {"--set", "ud_rotate=40"},
       [](TForm1& f) {
         f.ud_rotate->Associate()->QLineEdit::setText("40");
         QTest::keyClick(f.ud_rotate->Associate(), Qt::Key_Return);
       }},
      {"sphere.ply",
       {"--preset", "F. Pencil", "--preset", "Axis flow Y"},
       [](TForm1& f) {
         f.but_pencil1->Click();
         f.but_flow_dy->Click();
       }},
      {"torus_flow.ply", {"--preset", "Rainbow"}, [](TForm1& f) { f.but_rainbow->Click(); }},
  };
  const QSize size(200, 150);
  const int frames = 4;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString());
    TSequenceRun run;
    ASSERT_TRUE(run.Open(ExamplePath(c.mesh), true));
    TForm1& f = *run.form;
    f.GLPanel1->SetDrawSize(size);
    // The frames drawn while the window was shown moved the noise and the
    // texture on: both start again as in a fresh batch run.
    f.state.noise = TNoiseState();
    f.state.frame.noise_dirty = true;
    f.state.frame.frame_texture_stale = true;
    f.LoadMeshFile(ExamplePath(c.mesh));
    c.controls(f);
    std::vector<QImage> window;
    for (int i = 0; i < frames; ++i) {
      f.RunLoopFrame();
      window.push_back(f.GrabFrameBitmap().convertToFormat(QImage::Format_RGB888));
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TRun r = RunFlowskin(QStringList{ExamplePath(c.mesh), "--size", "200x150", "--frames",
                                           QString::number(frames), "-o", dir.filePath("f.png")} +
                               c.options);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    for (int i = 0; i < frames; ++i) {
      const QImage written =
          QImage(dir.filePath(QString("f%1.png").arg(i + 1, 3, 10, QChar('0')))).convertToFormat(QImage::Format_RGB888);
      EXPECT_EQ(written.size(), size) << "frame " << i + 1;
      EXPECT_TRUE(written == window[size_t(i)]) << "frame " << i + 1;
    }
    EXPECT_NE(window.front(), window.back());
  }
}
