// "Load mesh...": first and later loads, what a load keeps and resets, failed
// loads, and what the window shows after a load.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>

#include "data/render_state.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_format_writers.h"

namespace {

QString CountText(const TMesh& m) { return QString("%1 triangles, %2 vertices").arg(m.face_count).arg(m.vertex_count); }

}  // namespace

TEST_F(FormTest, FirstLoadAimsTheViewAtTheMeshAndShowsItsCounts) {
  form->state.view.rot_y = 40;
  form->state.view.rot_x = -12;
  const QString path = ExamplePath("sphere.ply");
  LoadThroughDialog(*form, dialogs, path);
  const TMesh& m = form->state.mesh;
  ASSERT_EQ(m.vertex_count, 4098);
  EXPECT_EQ(m.face_count, 8192);
  EXPECT_EQ(form->lab_ntri->text(), "8192 triangles, 4098 vertices");
  const TView& v = form->state.view;
  EXPECT_EQ(v.rot_y, 0.0);
  EXPECT_EQ(v.rot_x, 0.0);
  EXPECT_DOUBLE_EQ(v.size, m.box_size);
  EXPECT_NEAR(m.box_size, 2 * std::sqrt(3.0), 1e-5);  // unit sphere: diagonal of the 2 x 2 x 2 box
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(v.center[k], 0.0, 1e-6);
  // Dialog folders and name follow the chosen file; the cursor is back.
  const QFileInfo file(path);
  EXPECT_EQ(form->OpenDialog1.initial_dir, file.absolutePath());
  EXPECT_EQ(form->OpenDialog1.file_name, "sphere.ply");
  EXPECT_EQ(form->OpenPictureDialog1.initial_dir, file.absolutePath());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The velocity channel is selected: its range shows in the edits.
  EXPECT_EQ(form->state.frame.data_channel, 4);
  EXPECT_EQ(form->eddmin->Text().toStdString(), FormatRangeValue(m.data_range[4].min));
  EXPECT_EQ(form->eddmax->Text().toStdString(), FormatRangeValue(m.data_range[4].max));
  // Loading drew a frame with the new mesh; no velocities in the file: "Flow data" off and hidden.
  EXPECT_TRUE(form->diag.last_frame.composed);
  EXPECT_FALSE(form->cb_usr_flow->Checked());
  EXPECT_FALSE(Shown(form->cb_usr_flow));
}

TEST_F(FormTest, NormKMakesCurvatureDimensionless) {
  // "Norm. K" (on at start) multiplies both curvatures by box_size = 2 sqrt 3;
  // the same file loaded without it keeps them per unit length (about -1 on
  // the unit sphere, negative with outward normals).
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  const VertexArray normalised = form->state.mesh.vertices;
  const double box = form->state.mesh.box_size;
  form->cb_normk->SetChecked(false);
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  const TMesh& m = form->state.mesh;
  for (int i : {0, 100, 2000, 4097}) {
    EXPECT_NEAR(m.vertices[i].kmax, -1.0, 0.1) << i;
    EXPECT_NEAR(normalised[i].kmax, m.vertices[i].kmax * box, 1e-9) << i;
    EXPECT_NEAR(normalised[i].kmin, m.vertices[i].kmin * box, 1e-9) << i;
  }
}

TEST_F(FormTest, SecondLoadKeepsTheViewAndTheDataRanges) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  TView& v = form->state.view;
  v.rot_y = 33;
  v.rot_x = 7;
  v.size = 5;
  v.center[1] = 0.25f;
  form->rbpy->SetChecked(true);  // "Y": range -1 .. 1 of the sphere
  form->but_dwide->Click();      // -2 .. 2
  TRange before[10];
  for (int c = 0; c < 10; ++c) before[c] = form->state.mesh.data_range[c];
  EXPECT_DOUBLE_EQ(before[7].min, -2.0);
  EXPECT_DOUBLE_EQ(before[7].max, 2.0);

  LoadThroughDialog(*form, dialogs, ExamplePath("torus.ply"));
  const TMesh& m = form->state.mesh;
  EXPECT_EQ(form->lab_ntri->text(), CountText(m));
  EXPECT_EQ(m.face_count, 9216);
  EXPECT_EQ(v.rot_y, 33.0);
  EXPECT_EQ(v.rot_x, 7.0);
  EXPECT_EQ(v.size, 5.0);
  EXPECT_EQ(v.center[1], 0.25f);
  for (int c = 0; c < 10; ++c) {
    EXPECT_EQ(m.data_range[c].min, before[c].min) << c;
    EXPECT_EQ(m.data_range[c].max, before[c].max) << c;
  }
  EXPECT_EQ(form->eddmin->Text(), "-2");
  EXPECT_EQ(form->eddmax->Text(), "2");
  // The torus's own ranges are computed all the same; "Reset" takes them.
  form->Button5->Click();
  for (int c = 0; c < 10; ++c) {
    EXPECT_EQ(m.data_range[c].min, m.auto_range[c].min) << c;
    EXPECT_EQ(m.data_range[c].max, m.auto_range[c].max) << c;
  }
  EXPECT_EQ(form->eddmin->Text().toStdString(), FormatRangeValue(m.auto_range[7].min));
  EXPECT_LT(m.auto_range[7].max - m.auto_range[7].min, 4.0);  // not the widened sphere range
  // "Reset View" aims at the torus.
  form->Button8->Click();
  EXPECT_DOUBLE_EQ(v.size, m.box_size);
  EXPECT_EQ(v.rot_y, 0.0);
}

TEST_F(FormTest, FailedLoadsKeepThePreviousMeshAndShowTheMessage) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  const QString counts = form->lab_ntri->text();
  const TVec3 p100 = form->state.mesh.vertices[100].pos;
  const auto frames = form->diag.frames_drawn;

  LoadThroughDialog(*form, dialogs, ExamplePath("no_such_mesh.ply"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages.back(), "Cannot load \"no_such_mesh.ply\": File not found");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A vertex coordinate that is not a number.
  std::string text = fixtures::PlyText(fixtures::Octahedron());
  const size_t header_end = text.find("end_header\n") + 11;
  text.replace(header_end, text.find(' ', header_end) - header_end, "1.0x");
  const std::string bad = fixtures::WriteTempFile("bad_number.ply", text);
  LoadThroughDialog(*form, dialogs, QString::fromStdString(bad));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages.back(), "Cannot load \"bad_number.ply\": Invalid numeric input");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  const TMesh& m = form->state.mesh;
  EXPECT_EQ(m.vertex_count, 4098);
  EXPECT_EQ(m.face_count, 8192);
  EXPECT_EQ(m.vertices[100].pos.y, p100.y);
  EXPECT_EQ(form->lab_ntri->text(), counts);
  EXPECT_EQ(form->diag.frames_drawn, frames);  // nothing redrawn for a failed load
  // Failed loads do not move the dialog to their folder.
  EXPECT_EQ(form->OpenDialog1.file_name, "sphere.ply");
}

TEST_F(FormTest, OtherFormatsLoadThroughTheSamePathAndBadOnesKeepTheMesh) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere_swirl.ply"));
  ASSERT_TRUE(Shown(form->cb_usr_flow));
  const QString counts = form->lab_ntri->text();
  const auto frames = form->diag.frames_drawn;
  const std::string stl = fixtures::StlBinary(fixtures::Cube());
  const std::string cut = fixtures::WriteTempFile("cut.stl", stl.substr(0, stl.size() - 20));
  LoadThroughDialog(*form, dialogs, QString::fromStdString(cut));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages.back(),
            "Cannot load \"cut.stl\": The binary STL file is truncated: its header declares 12 triangles (684 bytes) "
            "but the file has 664 bytes");
  EXPECT_EQ(form->lab_ntri->text(), counts);
  EXPECT_TRUE(form->state.mesh.has_user_velo);
  EXPECT_EQ(form->diag.frames_drawn, frames);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A good file: counts after joining the corners, no velocities ("Flow data"
  // off and hidden), a frame drawn, the dialog at the file.
  LoadThroughDialog(*form, dialogs, QString::fromStdString(fixtures::WriteTempFile("cube.stl", stl)));
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(form->lab_ntri->text(), "12 triangles, 8 vertices");
  EXPECT_FALSE(form->cb_usr_flow->Checked());
  EXPECT_FALSE(Shown(form->cb_usr_flow));
  EXPECT_GT(form->diag.frames_drawn, frames);
  EXPECT_EQ(form->OpenDialog1.file_name, "cube.stl");
}

// Files that crash the import library, make it loop or leak, or that a
// reader of another format would take: a message box each, the window alive
// and drawing, the mesh byte for byte as it was.
TEST_F(FormTest, HostileFilesCostAMessageAndTheMeshStays) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  const TMesh before = form->state.mesh;
  const QString counts = form->lab_ntri->text();
  const struct {
    const char* regression;
    const char* name;
    const char* reason;
  } cases[] = {
      {"off_faces_cut_by_zero_bytes.case", "cut.off", "The import library failed on this file (it crashed)"},
      {"stl_stray_bytes_in_normal.case", "stray.stl", "Facet 0 has a normal that is not a number"},
      {"glb_with_ply_like_text.case", "loop.glb", "Not a readable binary glTF file (its contents are not binary glTF)"},
      {"glb_with_other_model_text.case", "model.glb",
       "Not a readable binary glTF file (its contents are not binary glTF)"},
  };
  size_t shown = 0;
  for (const auto& c : cases) {
    QFile file(QString(FLOWSKIN_FUZZ_DIR) + "/import_regressions/" + c.regression);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.regression;
    const std::string bytes = file.readAll().mid(4).toStdString();  // past the import case's leading bytes
    LoadThroughDialog(*form, dialogs, QString::fromStdString(fixtures::WriteTempFile(c.name, bytes)));
    ASSERT_EQ(dialogs.messages.size(), ++shown) << c.name;
    EXPECT_EQ(dialogs.messages.back().toStdString(), std::string("Cannot load \"") + c.name + "\": " + c.reason);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const TMesh& m = form->state.mesh;
    ASSERT_EQ(m.vertices.size(), before.vertices.size()) << c.name;
    EXPECT_EQ(0, std::memcmp(m.vertices.data(), before.vertices.data(), sizeof(TVertex) * m.vertices.size()));
    EXPECT_EQ(0, std::memcmp(m.faces.data(), before.faces.data(), sizeof(TFace) * m.faces.size()));
    EXPECT_EQ(form->lab_ntri->text(), counts);
  }
  // The window goes on: a good file loads and is drawn.
  const auto frames = form->diag.frames_drawn;
  LoadThroughDialog(*form, dialogs,
                    QString::fromStdString(fixtures::WriteTempFile("cube.off", fixtures::OffText(fixtures::Cube()))));
  EXPECT_EQ(dialogs.messages.size(), shown);
  EXPECT_EQ(form->lab_ntri->text(), "12 triangles, 8 vertices");
  EXPECT_GT(form->diag.frames_drawn, frames);
}

TEST_F(FormTest, CancelledDialogLoadsNothing) {
  form->Open1Click(form->but_load_mesh);  // empty answer queue: cancel
  EXPECT_EQ(form->state.mesh.vertex_count, 0);
  EXPECT_EQ(form->lab_ntri->text(), "triangles");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FormTest, FileWithVelocitiesChecksAndShowsFlowData) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere_swirl.ply"));
  EXPECT_TRUE(form->state.mesh.has_user_velo);
  EXPECT_TRUE(form->cb_usr_flow->Checked());
  EXPECT_TRUE(Shown(form->cb_usr_flow));
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  EXPECT_FALSE(form->cb_usr_flow->Checked());
  EXPECT_FALSE(Shown(form->cb_usr_flow));
}

TEST_F(FormTest, SubdivisionOnLoadIsReportedInTheCounts) {
  form->cb_subdiv->SetChecked(true);
  form->ud_subdiv->SetPosition(2);
  const std::string two = fixtures::WriteTempFile("two.ply", fixtures::PlyText(fixtures::TwoTriangles()));
  LoadThroughDialog(*form, dialogs, QString::fromStdString(two));
  EXPECT_EQ(form->state.mesh.face_count, 32);
  EXPECT_TRUE(form->lab_ntri->text().startsWith("32 triangles, "));
}

TEST(FormStartUp, CommandLineMeshLoadsThroughTheSamePathAndIsDrawnOnceShown) {
  TScriptedDialogs dialogs;
  TForm1 form({"flowskin", ExamplePath("torus.ply")}, &dialogs);
  EXPECT_EQ(dialogs.Count("open"), 0);
  EXPECT_EQ(form.state.mesh.face_count, 9216);
  EXPECT_EQ(form.lab_ntri->text(), CountText(form.state.mesh));
  EXPECT_DOUBLE_EQ(form.state.view.size, form.state.mesh.box_size);
  EXPECT_EQ(form.OpenDialog1.file_name, "torus.ply");
  form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.GLPanel1->ContextReady(); }, 3000));
  QTest::qWait(20);
  // The colour map loaded at the GL initialisation: "Overlay with data" on
  // the untextured, unlit torus shows map colours, not white.
  form.cbshtexture->SetChecked(false);
  form.cb_lighting->SetChecked(false);
  form.sh_diffuse->SetColor(MakeColor(255, 255, 255));
  form.cbTexData->SetChecked(true);
  const TPanelImage img(form);
  int lowest = 0, highest = 0;
  img.ColumnExtent(img.Width() / 2, form.sh_background->Color(), lowest, highest);
  ASSERT_GT(highest, lowest);
  const TRgb p = img.At(img.Width() / 2, highest);
  EXPECT_FALSE(p.r == 255 && p.g == 255 && p.b == 255);
}

TEST_F(FormTest, SpeedChannelShowsTheSpeedOfTheFirstFrameRightAfterLoading) {
  // The speed is computed while the first frame after the load is drawn; with
  // the velocity channel selected the load refreshes the render state again,
  // so every vertex already carries that speed and its normalised value.
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere_swirl.ply"));
  ASSERT_EQ(form->state.frame.data_channel, 4);
  const TMesh& m = form->state.mesh;
  const TRange r = m.data_range[4];
  int moving = 0;
  for (int i = 0; i < m.vertex_count; i += 97) {
    const TVertex& v = m.vertices[i];
    moving += v.speed > 0;
    EXPECT_DOUBLE_EQ(v.cur_value, v.speed) << i;
    EXPECT_DOUBLE_EQ(v.norm_value, (v.speed - r.min) / (r.max - r.min)) << i;
  }
  EXPECT_GT(moving, 0);
}
