// The "Time dependent data" group on the real window: shown only for meshes
// with time steps, slider and "Time" edit in step with view.time, and the Run
// loop animating the time.
#include <QGroupBox>
#include <string>
#include <vector>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/mesh_fixtures.h"

namespace {

// An octahedron file whose velocity has a time step at each of `times`.
QString TimeMeshFile(const std::vector<double>& times, const std::string& name) {
  TMesh m = fixtures::Octahedron();
  m.time_count = static_cast<int32_t>(times.size());
  m.time_values = times;
  for (size_t t = 0; t < times.size(); ++t) {
    m.time_velo.emplace_back(m.vertex_count, TVec3{static_cast<float>(t), 1, 0});
  }
  return QString::fromStdString(fixtures::WriteTempFile(name, fixtures::PlyText(m)));
}

class TimeTest : public FormTest {
 protected:
  void EnterText(TEdit* edit, const QString& text) {
    TypeInto(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
};

}  // namespace

TEST_F(TimeTest, SliderAndTypedTimeStayInStep) {
  LoadThroughDialog(*form, dialogs, TimeMeshFile({0, 10, 20}, "times3.ply"));
  ASSERT_TRUE(Shown(form->gb_time));
  const int64_t requests = form->diag.redraw_requests;
  form->tb_time->SetPosition(25);  // what a drag to a quarter does
  EXPECT_EQ(form->state.view.time, 5);
  EXPECT_EQ(form->ed_time->Text(), "5");
  EXPECT_EQ(form->lab_time->text(), "t = 5");
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);

  EnterText(form->ed_time, "15");
  EXPECT_EQ(form->tb_time->Position(), 75);
  EXPECT_EQ(form->lab_time->text(), "t = 15");
  EnterText(form->ed_time, "-3");  // outside the range: kept as typed
  EXPECT_EQ(form->tb_time->Position(), 0);
  EXPECT_EQ(form->lab_time->text(), "t = -3");
  EnterText(form->ed_dtime, "two");
  EXPECT_EQ(dialogs.messages, std::vector<QString>{"'two' is not a valid floating point value"});
  EXPECT_EQ(form->state.view.time_step, 0);

  // With exactly two time steps the slider sets the time too.
  LoadThroughDialog(*form, dialogs, TimeMeshFile({1, 3}, "times2.ply"));
  form->tb_time->SetPosition(50);
  EXPECT_EQ(form->lab_time->text(), "t = 2");
}

TEST_F(TimeTest, RunWithAnimateStepsTheTimeAndWrapsToTheFirst) {
  LoadThroughDialog(*form, dialogs, TimeMeshFile({0, 10, 20}, "times3.ply"));
  EnterText(form->ed_dtime, "2");
  EXPECT_EQ(form->state.view.time_step, 2);
  form->cb_time_animate->SetChecked(true);
  // The label as each frame starts; frames drawn by other requests between two
  // loop steps show the same time and are counted once.
  std::vector<QString> shown;
  form->diag.on_event = [&](const char* h, QObject*) {
    // Only frames of the loop: a paint the window system sends while the last
    // step's messages are processed comes after the release.
    if (std::string(h) != "GLPanel1Redraw" || !form->sb_animate->Down()) return;
    if (shown.empty() || shown.back() != form->lab_time->text()) shown.push_back(form->lab_time->text());
    if (shown.size() == 13) form->sb_animate->SetDown(false);
  };
  form->sb_animate->click();
  form->diag.on_event = nullptr;
  std::vector<QString> expected;
  for (int t = 0; t <= 20; t += 2) expected.push_back(QString("t = %1").arg(t));
  expected.push_back("t = 0");
  expected.push_back("t = 2");
  EXPECT_EQ(shown, expected);
}

TEST_F(TimeTest, TheGroupFollowsWhetherTheLoadedMeshHasTimeSteps) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  EXPECT_FALSE(Shown(form->gb_time));
  EXPECT_FALSE(form->lab_time->isVisible());
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere_swirl.ply"));
  EXPECT_TRUE(Shown(form->gb_time));
  EXPECT_TRUE(form->lab_time->isVisible());
  EXPECT_EQ(form->lab_time->text(), "t = " + form->ed_time->Text());
  LoadThroughDialog(*form, dialogs, ExamplePath("torus.ply"));
  EXPECT_FALSE(Shown(form->gb_time));
  EXPECT_FALSE(form->lab_time->isVisible());
}
