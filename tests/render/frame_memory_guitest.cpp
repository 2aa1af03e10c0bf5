// The memory of the buffers a frame is read into (the kept frame, the frame
// texture's copy, the contrast stretch's reads, the contrast composite's
// texture) follows the view's size: a view made large and then small again
// gives back what the large one took.
#include <QScreen>
#include <string>

#include "soak/soak_watch.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

class FrameMemoryTest : public FormTest {
 protected:
  // Resizes the window and waits until the panel has handled its new size.
  void ResizeWindow(QSize size) {
    const QSize panel_before(form->GLPanel1->Width(), form->GLPanel1->Height());
    bool resized = false;
    form->diag.on_event = [&](const char* handler, QObject*) {
      resized = resized || std::string(handler) == "GLPanel1Resize";
    };
    form->resize(size);
    const bool done = QTest::qWaitFor(
        [&] { return resized && QSize(form->GLPanel1->Width(), form->GLPanel1->Height()) != panel_before; }, 5000);
    form->diag.on_event = nullptr;
    ASSERT_TRUE(done);
  }
  // Frames of "Run" with the contrast stretched, each read back whole.
  void DrawFrames() {
    for (int i = 0; i < 4; ++i) form->RunLoopFrame();
  }
};

}  // namespace

TEST_F(FrameMemoryTest, AViewMadeLargeThenSmallAgainGivesBackWhatTheLargeOneTook) {
  LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
  form->ud_contrast->SetPosition(30);  // "Contrast" 3.0: the stretch reads the frame every time
  const QSize start = form->size();
  DrawFrames();
  DrawFrames();
  const long small = soak::HeapInUseKb();
  ResizeWindow(QSize(2000, 1700));
  ASSERT_GE(form->GLPanel1->Width() * form->GLPanel1->Height(), 1500 * 1500);
  DrawFrames();
  const long large = soak::HeapInUseKb();
  // Each buffer of a frame of the large view holds some 9 MB.
  ASSERT_GT(large - small, 20 * 1024) << "the large view took less than expected";
  ResizeWindow(start);
  DrawFrames();
  DrawFrames();
  // The GL driver keeps a buffer of the largest window it drew (a seventh of
  // what the large view took, with Mesa's software renderer); ours, and the
  // texture of the contrast composite, kept three times as much.
  const long kept = soak::HeapInUseKb() - small;
  EXPECT_LT(kept, (large - small) / 5) << "kept " << kept / 1024 << " MB of " << (large - small) / 1024 << " MB";
}
