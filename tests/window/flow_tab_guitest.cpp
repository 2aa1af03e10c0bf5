// The "Flow" tab on the real window: adding, selecting and deleting flow
// sources, the controls that show the selected source, the point/line switch,
// the "Align:" buttons, and the velocity and texture coordinates a frame
// computes from the tab's controls.
#include <QLabel>
#include <cmath>

#include "advection/advection_pass.h"
#include "flow/flow_editing.h"
#include "support/form_fixture.h"

namespace {

// "Load mesh..." with the dialog answering an example file.
void LoadExample(TForm1& form, TScriptedDialogs& dialogs, const char* name) {
  dialogs.file_answers.push_back(QString(FLOWSKIN_EXAMPLES_DIR) + "/" + name);
  form.Open1Click(form.but_load_mesh);
}

const TFlowSource& Source(const TForm1& form, int i) { return form.state.sources.flow_sources[i]; }

}  // namespace

class FlowTabTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadExample(*form, dialogs, "sphere.ply");
    ASSERT_EQ(form->state.mesh.vertex_count, 4098);
  }
  // Adds a flow source and types its strength, as a user would.
  void AddWithStrength(int strength) {
    form->but_add_flow->Click();
    TypeInto(form->Edit6, QString::number(strength));
  }
};

TEST_F(FlowTabTest, FirstAddFlowMakesTheSelectedDefaultLineAndACopyMovesAcrossTheView) {
  const TMesh& m = form->state.mesh;
  const int64_t redraws = form->diag.redraw_requests;
  form->but_add_flow->Click();
  const TFlowSourceTable& t = form->state.sources;
  ASSERT_EQ(t.source_count, 1);
  EXPECT_EQ(t.selected_source, 1);
  const TFlowSource& s = Source(*form, 1);
  EXPECT_TRUE(s.is_line);
  EXPECT_FALSE(s.paint);
  EXPECT_EQ(s.strength, 10);
  EXPECT_EQ(s.axis_strength, 0);
  EXPECT_EQ(s.rot_strength, 0);
  EXPECT_EQ(s.paint_colour, 255);
  // Seen from the front: upright along y through the view's centre, in front
  // of the sphere (whose front lies at z = box_max), 0.25 box_size long.
  EXPECT_NEAR(s.p0.x, m.box_center.x, 1e-4);
  EXPECT_FLOAT_EQ(s.p1.x, s.p0.x);
  EXPECT_FLOAT_EQ(s.p1.z, s.p0.z);
  EXPECT_NEAR(s.p1.y - s.p0.y, 0.25 * m.box_size, 1e-4);
  EXPECT_NEAR((s.p0.y + s.p1.y) / 2, m.box_center.y, 1e-4);
  EXPECT_NEAR(s.p0.z, m.box_max[2] + 0.1 * m.box_size, 0.01 * m.box_size);
  EXPECT_EQ(form->ud_fstrength->Position(), 10);
  EXPECT_EQ(form->ud_frotstrength->Position(), 0);
  EXPECT_EQ(form->ud_faxisstrength->Position(), 0);
  EXPECT_EQ(form->Edit6->Text(), "10");
  EXPECT_TRUE(Shown(form->ud_frotstrength));
  EXPECT_TRUE(Shown(form->lab_faxisstrength));
  EXPECT_GE(form->diag.redraw_requests, redraws + 2);  // frame, refresh, frame

  // Seen from the front (looking along -z) a copy of the y-parallel line moves along x.
  form->but_add_flow->Click();
  ASSERT_EQ(t.source_count, 2);
  EXPECT_EQ(t.selected_source, 2);
  const TFlowSource& c = Source(*form, 2);
  EXPECT_NEAR(c.p0.x - s.p0.x, 0.05 * m.box_size, 1e-5);
  EXPECT_NEAR(c.p1.x - s.p1.x, 0.05 * m.box_size, 1e-5);
  EXPECT_EQ(c.p0.y, s.p0.y);
  EXPECT_EQ(c.p0.z, s.p0.z);
}

TEST_F(FlowTabTest, AddPaintMakesAPaintSourceAndTheControlsFollow) {
  form->but_add_paint->Click();
  ASSERT_EQ(form->state.sources.source_count, 1);
  EXPECT_TRUE(Source(*form, 1).paint);
  EXPECT_EQ(Source(*form, 1).strength, 0);
  EXPECT_TRUE(form->cb_emit->Checked());
  EXPECT_EQ(form->ud_fstrength->Position(), 0);
  form->but_add_flow->Click();  // a flow copy of the paint source
  EXPECT_FALSE(Source(*form, 2).paint);
  EXPECT_EQ(Source(*form, 2).strength, 10);
  EXPECT_FALSE(form->cb_emit->Checked());
  EXPECT_TRUE(Source(*form, 1).paint);  // the control writes did not reach source 1
}

TEST_F(FlowTabTest, TypedStrengthChangesOnlyTheSelectedSource) {
  AddWithStrength(20);
  AddWithStrength(-35);
  EXPECT_EQ(Source(*form, 1).strength, 20);
  EXPECT_EQ(Source(*form, 2).strength, -35);
  TypeInto(form->ed_frotstrength, "7");
  EXPECT_EQ(Source(*form, 2).rot_strength, 7);
  EXPECT_EQ(Source(*form, 1).rot_strength, 0);
  // After "Deselect" the controls keep the last values, and editing them changes no source.
  form->but_deselect->Click();
  EXPECT_EQ(form->state.sources.selected_source, 0);
  EXPECT_EQ(form->ud_fstrength->Position(), -35);
  TypeInto(form->Edit6, "55");
  EXPECT_EQ(Source(*form, 1).strength, 20);
  EXPECT_EQ(Source(*form, 2).strength, -35);
}

TEST_F(FlowTabTest, SelectingAnotherSourceShowsItWithoutOverwritingEither) {
  AddWithStrength(20);
  AddWithStrength(-40);
  TypeInto(form->ed_faxisstrength, "-9");
  form->cb_emit->click();  // user checks "Paint" on source 2
  ASSERT_TRUE(Source(*form, 2).paint);
  for (int round = 0; round < 3; ++round) {
    form->but_prevf->Click();
    EXPECT_EQ(form->ud_fstrength->Position(), 20);
    EXPECT_EQ(form->ud_faxisstrength->Position(), 0);
    EXPECT_FALSE(form->cb_emit->Checked());
    form->but_nextf->Click();
    EXPECT_EQ(form->ud_fstrength->Position(), -40);
    EXPECT_EQ(form->ud_faxisstrength->Position(), -9);
    EXPECT_TRUE(form->cb_emit->Checked());
  }
  EXPECT_EQ(Source(*form, 1).strength, 20);
  EXPECT_EQ(Source(*form, 1).axis_strength, 0);
  EXPECT_FALSE(Source(*form, 1).paint);
  EXPECT_EQ(Source(*form, 2).strength, -40);
  EXPECT_EQ(Source(*form, 2).axis_strength, -9);
  EXPECT_TRUE(Source(*form, 2).paint);
}

TEST_F(FlowTabTest, DeletingTwoOfThreeKeepsTheOldThirdSelectedAsTwo) {
  AddWithStrength(1);
  AddWithStrength(2);
  AddWithStrength(3);
  const TVec3 third = Source(*form, 3).p0;
  form->but_prevf->Click();
  ASSERT_EQ(form->state.sources.selected_source, 2);
  form->Button6->Click();
  const TFlowSourceTable& t = form->state.sources;
  EXPECT_EQ(t.source_count, 2);
  EXPECT_EQ(t.selected_source, 2);
  EXPECT_EQ(Source(*form, 2).strength, 3);
  EXPECT_EQ(Source(*form, 2).p0.x, third.x);
  EXPECT_EQ(Source(*form, 1).strength, 1);
  EXPECT_EQ(form->ud_fstrength->Position(), 3);
  // Deleting the last one moves the selection to the new last; with none selected nothing happens.
  form->Button6->Click();
  EXPECT_EQ(t.source_count, 1);
  EXPECT_EQ(t.selected_source, 1);
  form->but_deselect->Click();
  const int64_t redraws = form->diag.redraw_requests;
  form->Button6->Click();
  EXPECT_EQ(t.source_count, 1);
  EXPECT_EQ(form->diag.redraw_requests, redraws);
}

TEST_F(FlowTabTest, PrevAndNextCycleThroughTheTable) {
  for (int i = 1; i <= 4; ++i) AddWithStrength(10 * i);
  const TFlowSourceTable& t = form->state.sources;
  form->but_nextf->Click();  // 4 -> 1
  EXPECT_EQ(t.selected_source, 1);
  EXPECT_EQ(form->ud_fstrength->Position(), 10);
  form->but_prevf->Click();  // 1 -> 4
  EXPECT_EQ(t.selected_source, 4);
  EXPECT_EQ(form->ud_fstrength->Position(), 40);
  form->but_deselect->Click();
  form->but_nextf->Click();  // from no selection: the first
  EXPECT_EQ(t.selected_source, 1);
  form->but_deselect->Click();
  form->but_prevf->Click();  // from no selection: -1, still none
  EXPECT_FALSE(t.HasSelection());
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(Source(*form, i).strength, 10 * i);
}

TEST_F(FlowTabTest, PointLineSwitchSetsTheKindAndTheVisibilityOfTheLineControls) {
  form->but_add_flow->Click();
  TypeInto(form->ed_frotstrength, "6");
  TypeInto(form->ed_faxisstrength, "-4");
  form->rb_sphereflow->click();
  EXPECT_FALSE(Source(*form, 1).is_line);
  EXPECT_FALSE(Shown(form->ud_frotstrength));
  EXPECT_FALSE(Shown(form->ed_frotstrength));
  EXPECT_FALSE(Shown(form->lab_frotstrength));
  EXPECT_FALSE(Shown(form->ud_faxisstrength));
  EXPECT_FALSE(Shown(form->ed_faxisstrength));
  EXPECT_FALSE(Shown(form->lab_faxisstrength));
  EXPECT_TRUE(Shown(form->ud_fstrength));
  EXPECT_EQ(Source(*form, 1).rot_strength, 6);  // kept, though a point source does not use them
  EXPECT_EQ(Source(*form, 1).axis_strength, -4);
  // A new default source takes the kind of the radio buttons; a line source selected shows the rows again.
  form->but_deselect->Click();
  form->but_add_flow->Click();
  EXPECT_FALSE(Source(*form, 2).is_line);
  form->rb_cylflow->click();
  EXPECT_TRUE(Source(*form, 2).is_line);
  EXPECT_TRUE(Shown(form->ud_frotstrength));
  EXPECT_TRUE(Shown(form->lab_faxisstrength));
  form->but_prevf->Click();  // the point source: rows hidden, radio follows
  EXPECT_TRUE(form->rb_sphereflow->Checked());
  EXPECT_FALSE(Shown(form->lab_frotstrength));
}

TEST_F(FormTest, TheHundredAndFirstSourceIsRefusedWithAMessage) {
  for (int i = 0; i < kMaxFlowSources; ++i) form->but_add_flow->Click();
  const TFlowSourceTable& t = form->state.sources;
  ASSERT_EQ(t.source_count, 100);
  ASSERT_TRUE(dialogs.messages.empty());
  TypeInto(form->Edit6, "-3");  // pending value of the selected source 100
  const TFlowSource last = t.flow_sources[100];
  const int64_t redraws = form->diag.redraw_requests;
  form->but_add_paint->Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].toStdString(), kFlowSourceTableFullMessage);
  EXPECT_EQ(t.source_count, 100);
  EXPECT_EQ(t.selected_source, 100);
  EXPECT_EQ(t.flow_sources[100].strength, -3);
  EXPECT_EQ(t.flow_sources[100].paint, last.paint);
  EXPECT_EQ(t.flow_sources[100].p0.x, last.p0.x);
  EXPECT_EQ(form->diag.redraw_requests, redraws);
  EXPECT_FALSE(form->cb_emit->Checked());
}

TEST_F(FlowTabTest, AxisButtonsOrientTheDirectionsAndMarkTheSceneOnly) {
  const TMesh& m = form->state.mesh;
  ASSERT_FALSE(form->state.frame.scene_dirty);  // consumed by the load's frame
  const int64_t redraws = form->diag.redraw_requests;
  form->Button3->Click();  // "X"
  EXPECT_TRUE(form->state.frame.scene_dirty);
  EXPECT_EQ(form->diag.redraw_requests, redraws);
  int flipped_from_y = 0;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    ASSERT_GE(m.vertices[i].dir_max.x, 0) << i;
    ASSERT_GE(m.vertices[i].dir_min.x, 0) << i;
    flipped_from_y += m.vertices[i].dir_max.y < 0;
  }
  EXPECT_GT(flipped_from_y, 0);  // the load's +y alignment was overridden somewhere
  form->Button4->Click();        // "Z"
  for (int32_t i = 0; i < m.vertex_count; ++i) ASSERT_GE(m.vertices[i].dir_min.z, 0) << i;
  form->Button2->Click();  // "Y"
  for (int32_t i = 0; i < m.vertex_count; ++i) ASSERT_GE(m.vertices[i].dir_max.y, 0) << i;
}

TEST_F(FlowTabTest, MaxValResetsFromTheComputedDirectionsAndDraws) {
  TMesh& m = form->state.mesh;
  m.vertices[5].kmax = 1;  // |kmax| < |kmin|: crossed with "sort max abs"
  m.vertices[5].kmin = -3;
  m.vertices[6].kmax = 3;
  m.vertices[6].kmin = 1;
  form->Button3->Click();
  form->cb_sortmaxabs->SetChecked(true);
  const int64_t redraws = form->diag.redraw_requests;
  form->Button9->Click();
  EXPECT_GT(form->diag.redraw_requests, redraws);
  const TVertex& a = m.vertices[5];
  const TVertex& b = m.vertices[6];
  EXPECT_EQ(a.dir_max.x, a.dir_min0.x);
  EXPECT_EQ(a.dir_max.z, a.dir_min0.z);
  EXPECT_EQ(a.dir_min.y, a.dir_max0.y);
  EXPECT_EQ(b.dir_max.x, b.dir_max0.x);
  EXPECT_EQ(b.dir_min.z, b.dir_min0.z);
}

TEST_F(FlowTabTest, AlignNeighborWalksTheWholeSphereAndTwiceGivesTheSame) {
  const TMesh& m = form->state.mesh;
  form->Button1->Click();
  EXPECT_TRUE(form->state.frame.scene_dirty);
  std::vector<TVec3> first;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    ASSERT_EQ(m.vertices[i].align_mark, 2) << i;  // one connected piece
    first.push_back(m.vertices[i].dir_max);
  }
  form->Button1->Click();
  for (int32_t i = 0; i < m.vertex_count; ++i) ASSERT_EQ(m.vertices[i].dir_max.x, first[i].x) << i;
}

TEST_F(FormTest, AlignButtonsWithoutAMeshDoNothing) {
  ASSERT_EQ(form->state.mesh.vertex_count, 0);
  form->Button1->Click();
  EXPECT_FALSE(form->state.frame.scene_dirty);
  form->Button3->Click();
  form->Button9->Click();
  EXPECT_EQ(form->state.mesh.vertex_count, 0);
}

TEST_F(FlowTabTest, TypedUniformFlowReachesTheVerticesAndTheTextureCoordinates) {
  const TMesh& m = form->state.mesh;
  for (int32_t i = 0; i < m.vertex_count; ++i) ASSERT_EQ(m.vertices[i].speed, 0) << i;  // default: no flow
  TypeInto(form->ed_vz, "-10");
  ASSERT_EQ(form->ud_vz->Position(), -10);
  double clip[16];
  ComputeClipMatrix(form->state.matrices, clip);
  const int32_t* vp = form->state.matrices.viewport_rect;
  int checked = 0;
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const TVertex& v = m.vertices[i];
    const double nz = v.normal.z;
    // Projected -z flow: 0.02 * 10 * box_size * |tangential part of -z|.
    const double expected = 0.2 * m.box_size * std::sqrt(std::max(0.0, 1 - nz * nz));
    ASSERT_NEAR(v.speed, expected, 1e-3 * m.box_size) << i;
    ASSERT_NEAR(vec_dot(v.velo, v.normal), 0, 1e-4) << i;
    EXPECT_EQ(v.adv_pos.x, v.pos.x);  // texture warp: geometry undisplaced
    // Front vertices that move across the screen: tex is 3 pixels ("Disp max" 30) from pos's projection.
    const double tangential_xy = std::hypot(v.velo.x, v.velo.y);
    if (nz < 0.5 || tangential_xy < 1e-3 * m.box_size) continue;
    const double w = clip[3] * v.pos.x + clip[7] * v.pos.y + clip[11] * v.pos.z + clip[15];
    const double x =
        vp[0] + ((clip[0] * v.pos.x + clip[4] * v.pos.y + clip[8] * v.pos.z + clip[12]) / w + 1) * vp[2] / 2;
    const double y =
        vp[1] + ((clip[1] * v.pos.x + clip[5] * v.pos.y + clip[9] * v.pos.z + clip[13]) / w + 1) * vp[3] / 2;
    const double dx = v.tex[0] * form->state.view.tex_width - x, dy = v.tex[1] * form->state.view.tex_height - y;
    ASSERT_NEAR(std::hypot(dx, dy), 3.0, 0.01) << i;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

TEST_F(FlowTabTest, VelocityIsRecomputedOnlyWhenTheSceneChanged) {
  TMesh& m = form->state.mesh;
  TypeInto(form->ed_vx, "5");
  const TVec3 computed = m.vertices[10].velo;
  ASSERT_GT(vec_length(computed), 0);
  m.vertices[10].velo = {9, 9, 9};        // a marker the synthesis would overwrite
  form->state.frame.view_changed = true;  // list 1 recompiled, scene unchanged
  form->GLPanel1->Redraw();
  EXPECT_TRUE(form->diag.last_frame.advected);
  EXPECT_EQ(m.vertices[10].velo.x, 9);
  form->RequestRedraw();
  EXPECT_EQ(m.vertices[10].velo.x, computed.x);
  EXPECT_EQ(m.vertices[10].velo.y, computed.y);
}

TEST_F(FlowTabTest, PickedPaintColourReachesTheSelectedSourceWithTheNextFrame) {
  form->but_add_paint->Click();
  dialogs.color_answers.push_back(0x00FF8000);
  QTest::mouseClick(form->sh_flow_paint_col, Qt::LeftButton);
  ASSERT_EQ(dialogs.Count("color"), 1);
  EXPECT_EQ(dialogs.colors_shown[0], 255);  // the source's red
  EXPECT_EQ(Source(*form, 1).paint_colour, 0x00FF8000);
  form->but_add_paint->Click();  // the copy keeps it; a new default source is red again
  EXPECT_EQ(Source(*form, 2).paint_colour, 0x00FF8000);
  form->but_deselect->Click();
  form->but_add_paint->Click();
  EXPECT_EQ(Source(*form, 3).paint_colour, 255);
  EXPECT_EQ(form->sh_flow_paint_col->Color(), 255);
}

// Each command writes the controls before it asks for frames, and asks for as
// many as its finishing sequence names: "Add"/"Delete" two (one before and one
// after the render-state refresh), "Next"/"Prev"/"Deselect" and the point/line
// switch one. Writing "Paint" while the controls show a source fires its own
// notification (with the busy guard up, so nothing is stored); those frames too
// already see the new source's strength.
TEST_F(FlowTabTest, CommandsShowTheSelectionBeforeEachFrameRequest) {
  AddWithStrength(20);
  std::vector<int> own, nested;  // "Strength" position at each redraw request
  form->diag.on_redraw_request = [&] {
    (form->state.sources.flow_controls_busy > 0 ? nested : own).push_back(form->ud_fstrength->Position());
  };
  auto expect_requests = [&](const std::vector<int>& want, const char* what) {
    EXPECT_EQ(own, want) << what;
    for (int position : nested) EXPECT_EQ(position, want.front()) << what;
    own.clear();
    nested.clear();
  };
  form->but_add_paint->Click();  // paint copy: strengths 0
  expect_requests({0, 0}, "Add paint");
  form->but_prevf->Click();
  expect_requests({20}, "Prev");
  form->but_nextf->Click();
  expect_requests({0}, "Next");
  form->Button6->Click();  // the copy goes, source 1 (20) is the new last
  expect_requests({20, 20}, "Delete");
  form->rb_sphereflow->click();
  expect_requests({20}, "Point source");
  EXPECT_FALSE(Source(*form, 1).is_line);
  form->but_deselect->Click();
  expect_requests({20}, "Deselect");
  form->Button6->Click();  // nothing selected: no frame
  EXPECT_TRUE(own.empty() && nested.empty());
  EXPECT_EQ(Source(*form, 1).strength, 20);
  EXPECT_FALSE(Source(*form, 1).paint);
  form->diag.on_redraw_request = nullptr;
}

// The copy's sideways step follows the matrices of the last frame: with the
// view turned by 90 degrees about y (looking along x) a copy of the y-parallel
// line moves along z, and seen from above (looking along -y, turned about x) a
// copy of a z-parallel line moves along x.
TEST_F(FlowTabTest, CopyMovesAlongTheAxisThatShowsBestInTheCurrentView) {
  const TMesh& m = form->state.mesh;
  const double step = 0.05 * m.box_size;
  form->state.view.rot_y = 90;
  form->RequestRedraw();
  form->but_add_flow->Click();
  form->but_add_flow->Click();
  const TFlowSource& a = Source(*form, 1);
  const TFlowSource& b = Source(*form, 2);
  EXPECT_NEAR(b.p0.z - a.p0.z, step, 1e-5);
  EXPECT_NEAR(b.p1.z - a.p1.z, step, 1e-5);
  EXPECT_EQ(b.p0.x, a.p0.x);
  EXPECT_EQ(b.p0.y, a.p0.y);

  form->state.sources.flow_sources[2].p1 = {b.p0.x, b.p0.y, b.p0.z + 1};  // now along z
  form->state.view.rot_y = 0;
  form->state.view.rot_x = 89.99;
  form->RequestRedraw();
  form->but_add_flow->Click();
  const TFlowSource& c = Source(*form, 3);
  EXPECT_NEAR(c.p0.x - b.p0.x, step, 1e-5);
  EXPECT_EQ(c.p0.y, b.p0.y);
  EXPECT_EQ(c.p0.z, b.p0.z);
}
