// A simulation file in the window: the note of faces turned outward, the
// "Flow array" list and its options, the "File" channel with its list and
// trimmed range, and a later PLY load hiding them again.
#include <QSettings>
#include <QTemporaryDir>
#include <cmath>

#include "data/data_channels.h"
#include "data/render_state.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/mesh_fixtures.h"
#include "support/vtk_writers.h"

namespace {

// A closed geodesic sphere (258 vertices) whose faces point inwards, with a
// cell vector array "wallShearStress", a point vector "Normals" and a point
// scalar "p" = 10 z + x whose last point holds an extreme value instead.
double P(const TVec3& v) { return 10.0 * v.z + v.x; }

std::string InwardSphere() {
  const TMesh o = fixtures::Sphere(1, 3);
  fixtures::TSimData d;
  fixtures::TSimArray n{"Normals", 3, {}}, p{"p", 1, {}}, w{"wallShearStress", 3, {}};
  for (int32_t i = 0; i < o.vertex_count; ++i) {
    const TVec3& v = o.vertices[i].pos;
    d.points.insert(d.points.end(), {v.x, v.y, v.z});
    n.values.insert(n.values.end(), {v.x, v.y, v.z});
    p.values.push_back(i == o.vertex_count - 1 ? 1e6 : P(v));
  }
  for (const TFace& f : o.faces) {
    d.cells.push_back({f.v[0], f.v[2], f.v[1]});
    d.types.push_back(5);
    w.values.insert(w.values.end(), {0.001, 0.002, 0});
  }
  d.point_data = {n, p};
  d.cell_data = {w};
  return fixtures::LegacyVtk(d, true, true);
}

void Choose(TComboBox* cb, const QString& item) {
  const int i = cb->findText(item);
  ASSERT_GE(i, 0) << item.toStdString();
  cb->SetItemIndex(i);
  cb->OnChange(cb);
}

}  // namespace

TEST_F(FormTest, SimulationFileShowsItsArraysAndTheirOptions) {
  LoadThroughDialog(*form, dialogs, QString::fromStdString(fixtures::WriteTempFile("wall.vtk", InwardSphere())));
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().toStdString();
  TMesh& m = form->state.mesh;
  EXPECT_EQ(form->lab_ntri->text(), "512 triangles, 258 vertices");
  EXPECT_TRUE(form->lab_load->text().startsWith("wall.vtk: faces turned outward; "))
      << form->lab_load->text().toStdString();
  // The shear stress is named like a velocity: chosen over "Normals", which comes first.
  ASSERT_TRUE(Shown(form->cb_flow_array));
  ASSERT_EQ(form->cb_flow_array->count(), 2);
  EXPECT_EQ(form->cb_flow_array->currentText(), "wallShearStress");
  EXPECT_TRUE(form->cb_usr_flow->Checked());
  EXPECT_TRUE(form->cb_flow_tangential->Checked());
  EXPECT_TRUE(form->cb_flow_normalise->Checked());
  EXPECT_FALSE(form->cb_flow_reverse->Checked());
  const TVec3 before = m.vertices[0].user_velo;
  EXPECT_NEAR(vec_length(before), m.box_size, 1e-4);
  // Each option and array takes effect at once.
  form->cb_flow_reverse->SetChecked(true);
  EXPECT_FLOAT_EQ(m.vertices[0].user_velo.x, -before.x);
  EXPECT_FLOAT_EQ(m.vertices[0].user_velo.y, -before.y);
  Choose(form->cb_flow_array, "Normals");
  EXPECT_NEAR(vec_length(m.vertices[0].user_velo), 0, 1e-5);  // normals have no tangential part
  form->cb_flow_tangential->SetChecked(false);
  EXPECT_NEAR(vec_length(m.vertices[0].user_velo), m.box_size, 1e-4);
  // The File channel: its list, its trimmed range in the edits, its values.
  ASSERT_TRUE(Shown(form->rbfile));
  ASSERT_EQ(form->cb_file_array->count(), 3);
  EXPECT_EQ(form->cb_file_array->itemText(1), "p");
  form->rbfile->SetChecked(true);
  Choose(form->cb_file_array, "p");
  EXPECT_EQ(form->state.frame.data_channel, kChanFile);
  const TRange r = m.data_range[kChanFile];
  EXPECT_LT(r.max, 1e6);  // the extreme value is left out
  EXPECT_EQ(form->eddmax->Text().toStdString(), FormatRangeValue(r.max));
  int extreme = 0;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    if (m.vertices[i].cur_value == 1e6) {
      ++extreme;
      continue;
    }
    EXPECT_FLOAT_EQ(m.vertices[i].cur_value, static_cast<float>(P(m.vertices[i].pos)));
  }
  EXPECT_EQ(extreme, 1);
  // A PLY file has no arrays: the lists hide, the channel falls back to Velocity.
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  EXPECT_FALSE(Shown(form->cb_flow_array));
  EXPECT_FALSE(Shown(form->rbfile));
  EXPECT_EQ(form->state.frame.data_channel, kChanVelocity);
}

// Reverse, the flow array and the File array follow their arrays' names to the
// next file, in the same window and in the next run.
TEST(FileArrayMemory, ChoicesFollowTheArraysNamesToTheNextFileAndTheNextRun) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings store(dir.filePath("flowskin.ini"), QSettings::IniFormat);
  TScriptedDialogs dialogs;
  const QString first = QString::fromStdString(fixtures::WriteTempFile("memory_a.vtk", InwardSphere()));
  // The next file has the same arrays, in another order, and another surface.
  fixtures::TSimData sheet = fixtures::QuadSheet(4, 3);
  fixtures::TSimArray shear{"wallShearStress", 3, sheet.point_data[0].values};
  sheet.point_data.insert(sheet.point_data.begin(), shear);
  const QString next =
      QString::fromStdString(fixtures::WriteTempFile("memory_b.vtp", fixtures::VtkXml(sheet, {}, true)));
  {
    TForm1 form(QStringList{"flowskin", first}, &dialogs, nullptr, TSettingsLink{&store, true});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(form.cb_flow_array->currentText(), "wallShearStress");
    form.cb_flow_reverse->SetChecked(true);
    Choose(form.cb_file_array, "p");
    // A file without them keeps nothing of them, and leaves them remembered.
    LoadThroughDialog(form, dialogs, ExamplePath("sphere.ply"));
    LoadThroughDialog(form, dialogs, next);
    EXPECT_EQ(form.cb_flow_array->currentText(), "wallShearStress");
    EXPECT_TRUE(form.cb_flow_reverse->Checked());
    EXPECT_TRUE(form.state.mesh.flow_array.reverse);
    EXPECT_EQ(form.cb_file_array->currentText(), "p");
    // Another flow array chosen here: U, with Reverse off for it; shear stress keeps its own.
    Choose(form.cb_flow_array, "U");
    form.cb_flow_reverse->SetChecked(false);
    Choose(form.cb_flow_array, "wallShearStress");
    EXPECT_TRUE(form.cb_flow_reverse->Checked());
    Choose(form.cb_flow_array, "U");
    EXPECT_FALSE(form.state.mesh.flow_array.reverse);
    form.close();
  }
  for (const bool restore : {true, false}) {
    TForm1 again(QStringList{"flowskin", next}, &dialogs, nullptr, TSettingsLink{&store, restore});
    EXPECT_EQ(again.cb_flow_array->currentText(), restore ? "U" : "wallShearStress") << restore;
    EXPECT_EQ(again.cb_file_array->currentText(), restore ? "p" : "wallShearStress magnitude") << restore;
    Choose(again.cb_flow_array, "wallShearStress");  // comes back with its own Reverse
    EXPECT_EQ(again.state.mesh.flow_array.reverse, restore) << restore;
  }
}
