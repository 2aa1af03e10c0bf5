// A load in the shown window runs aside: the window keeps handling events and
// painting, no frame is drawn from the mesh meanwhile (the panel is held), a
// busy indicator names the file when the load takes a while, a "Run" loop
// waits for it and goes on with the new mesh, and the line under the counts
// says what was loaded and how long it took.
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

TEST_F(FormTest, ALoadDuringRunRunsAsideAndTheLoopGoesOnWithTheNewMesh) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  ASSERT_EQ(form->state.mesh.face_count, 8192);
  // Three subdivision steps make the torus's load last long enough to watch.
  form->cb_subdiv->SetChecked(true);
  form->ud_subdiv->SetPosition(3);
  form->load_progress_delay_ms = 0;
  struct {
    int ticks_running = 0;       // probe ticks while the load ran
    bool progress_seen = false;  // the busy indicator was visible then
    bool held = true;            // the panel was held at every such tick
    int64_t frames_at_start = -1, frames_while = -1;
    int64_t frames_after_load = -1;
    bool loaded = false;
  } seen;
  // The probe watches the load; the driver starts it and ends the loop (a
  // timer does not fire again while its own handler runs).
  QTimer probe, driver;
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (!form->MeshLoadRunning()) return;
    ++seen.ticks_running;
    if (auto* p = form->findChild<QProgressDialog*>("load_progress")) seen.progress_seen |= p->isVisible();
    seen.held &= form->GLPanel1->Held();
    seen.frames_while = form->diag.frames_drawn;
  });
  driver.setInterval(5);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (!seen.loaded && form->diag.frames_drawn >= 3) {
      // Inside the Run loop, as a click on "Load mesh..." would come.
      seen.loaded = true;
      seen.frames_at_start = form->diag.frames_drawn;
      LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
      seen.frames_after_load = form->diag.frames_drawn;
      return;
    }
    if (seen.loaded && form->diag.frames_drawn >= seen.frames_after_load + 5) form->sb_animate->SetDown(false);
  });
  probe.start();
  driver.start();
  QTimer limit;  // never hang; stopped with the test
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, [&] { form->sb_animate->SetDown(false); });
  limit.start(20000);
  form->sb_animate->SetDown(true);
  form->sb_animateClick(form->sb_animate);
  probe.stop();
  driver.stop();

  ASSERT_TRUE(seen.loaded);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form->state.mesh.face_count, 9216 * 64);
  EXPECT_GT(seen.ticks_running, 0);  // events were handled while the load ran
  EXPECT_TRUE(seen.progress_seen);
  EXPECT_TRUE(seen.held);
  EXPECT_EQ(seen.frames_while, seen.frames_at_start);              // nothing drawn from the mesh meanwhile
  EXPECT_GE(form->diag.frames_drawn, seen.frames_after_load + 5);  // the loop went on
  EXPECT_EQ(form->findChild<QProgressDialog*>("load_progress"), nullptr);
  EXPECT_FALSE(form->GLPanel1->Held());
  EXPECT_EQ(form->lab_ntri->text(), "589824 triangles, 294912 vertices");
  EXPECT_TRUE(QRegularExpression(R"(^torus_flow\.ply: velocities; loaded in \d+\.\d\d s$)")
                  .match(form->lab_load->text())
                  .hasMatch())
      << form->lab_load->text().toStdString();
}

TEST_F(FormTest, AQuickLoadShowsNoBusyIndicatorAndAFailedOneKeepsTheLine) {
  bool progress_seen = false;
  QTimer probe;
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (auto* p = form->findChild<QProgressDialog*>("load_progress")) progress_seen |= p->isVisible();
  });
  probe.start();
  form->load_progress_delay_ms = 60000;
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere_swirl.ply"));
  EXPECT_FALSE(progress_seen);
  const QString line = form->lab_load->text();
  EXPECT_TRUE(line.startsWith("sphere_swirl.ply: velocities at 8 time steps; loaded in ")) << line.toStdString();
  LoadThroughDialog(*form, dialogs, ExamplePath("missing.ply"));
  EXPECT_EQ(dialogs.Count("warning"), 1);
  EXPECT_EQ(form->lab_load->text(), line);
  EXPECT_FALSE(form->GLPanel1->Held());
}

TEST(FormStartLoad, AFileNamedAtStartLoadsAsideOnceTheWindowIsShown) {
  TScriptedDialogs dialogs;
  TForm1 form(QStringList{"flowskin", ExamplePath("torus_flow.ply")}, &dialogs, nullptr, TSettingsLink{}, true);
  EXPECT_EQ(form.state.mesh.vertex_count, 0);  // nothing read during construction
  EXPECT_EQ(dialogs.Count("open"), 0);
  form.load_progress_delay_ms = 0;
  bool progress_seen = false;
  QTimer probe;
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (auto* p = form.findChild<QProgressDialog*>("load_progress")) progress_seen |= p->isVisible();
  });
  probe.start();
  form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.state.mesh.vertex_count > 0; }, 10000));
  EXPECT_TRUE(progress_seen);
  EXPECT_EQ(form.lab_ntri->text(), "9216 triangles, 4608 vertices");
  EXPECT_TRUE(form.lab_load->text().startsWith("torus_flow.ply: velocities; loaded in "));
  EXPECT_DOUBLE_EQ(form.state.view.size, form.state.mesh.box_size);  // the first mesh: the view aims at it
}
