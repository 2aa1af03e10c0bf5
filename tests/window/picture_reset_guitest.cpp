// Nothing of an old picture survives a new mesh, a new view size or "Full
// window": the sphere loaded over a streaming torus shows exactly what a fresh
// start shows, and the picture kept for "Copy image" is dropped.
#include <functional>
#include <memory>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

// A new main window, shown, with its GL panel ready.
std::unique_ptr<TForm1> ShownForm(TScriptedDialogs& dialogs) {
  auto form = std::make_unique<TForm1>(QStringList{}, &dialogs);
  form->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->ContextReady(); }, 3000));
  QTest::qWait(20);
  return form;
}

// Loads the sphere with the given noise state (and, when given, the view
// already aimed at it, so that every frame of the load sees the same view),
// presses "Reset View" and reads back the frame that follows.
std::vector<TRgb> SphereFrame(TForm1& form, TScriptedDialogs& dialogs, const TNoiseState& noise,
                              const TView* view = nullptr) {
  form.state.noise = noise;
  if (view) form.state.view = *view;
  LoadThroughDialog(form, dialogs, ExamplePath("sphere.ply"));
  form.Button8Click(form.Button8);
  const TPanelImage img(form);
  std::vector<TRgb> px;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) px.push_back(img.At(x, y));
  return px;
}

int DifferingPixels(const std::vector<TRgb>& a, const std::vector<TRgb>& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b;
  return n;
}

}  // namespace

using PictureReset = FormTest;

TEST_F(PictureReset, TheSphereLoadedOverAStreamingTorusShowsWhatAFreshStartShows) {
  const TNoiseState noise = form->state.noise;
  const std::vector<TRgb> fresh = SphereFrame(*form, dialogs, noise);
  const TView sphere_view = form->state.view;
  const QSize size(form->GLPanel1->Width(), form->GLPanel1->Height());
  form.reset();

  form = ShownForm(dialogs);
  ASSERT_EQ(QSize(form->GLPanel1->Width(), form->GLPanel1->Height()), size);
  LoadThroughDialog(*form, dialogs, ExamplePath("torus.ply"));
  form->ud_vz->SetPosition(-10);  // streaks build up in the frame texture
  for (int i = 0; i < 30; ++i) form->RunLoopFrame();
  form->ud_vz->SetPosition(0);  // the sphere gets the same (zero) flow as at the fresh start
  const std::vector<TRgb> after = SphereFrame(*form, dialogs, noise, &sphere_view);
  EXPECT_EQ(DifferingPixels(after, fresh), 0);
}

TEST_F(PictureReset, ANewSizeOrFullWindowStartsTheNextFrameFromAnEmptyTexture) {
  LoadThroughDialog(*form, dialogs, ExamplePath("torus.ply"));
  int requests = 0;
  bool stale_at_first = false;  // the texture was to be emptied by the first frame asked for
  form->diag.on_redraw_request = [&] {
    if (requests++ == 0) stale_at_first = form->state.frame.frame_texture_stale;
  };
  const auto resets = [&](const char* what, const std::function<void()>& act) {
    form->RequestRedraw();
    ASSERT_FALSE(form->GrabFrameBitmap().isNull()) << what;
    ASSERT_FALSE(form->state.frame.frame_texture_stale) << what;
    requests = 0;
    stale_at_first = false;
    act();
    // Until a frame is drawn there is no picture for "Copy image" to take.
    if (requests == 0) {
      EXPECT_TRUE(form->GrabFrameBitmap().isNull()) << what;
    }
    form->RequestRedraw();
    EXPECT_TRUE(stale_at_first) << what;
    EXPECT_FALSE(form->state.frame.frame_texture_stale) << what;
    EXPECT_FALSE(form->GrabFrameBitmap().isNull()) << what;
  };
  resets("Full window", [&] { form->Button14Click(form->Button14); });
  resets("X", [&] { form->Button15Click(form->Button15); });
  resets("resize", [&] { form->GLPanel1Resize(form->GLPanel1); });
  resets("load", [&] { LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply")); });
  form->diag.on_redraw_request = nullptr;
}
