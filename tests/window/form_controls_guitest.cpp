// The control surface: every tab holds its controls under their names with the
// listed ranges, steps, defaults and visibility.
#include <QGroupBox>
#include <QLabel>

#include "colorconversion/colorconversion.h"
#include "support/form_fixture.h"

namespace {

struct UpDownSpec {
  const char* name;
  const char* edit;
  int min, max, position, increment;
  bool visible;
};

// A sample from each tab, hidden ones included.
const UpDownSpec kUpDowns[] = {
    {"ud_subdiv", "Edit15", 1, 20, 1, 1, true},
    {"ud_crack_angle_convex", "ed_crack_angle", 0, 180, 45, 1, false},
    {"ud_crack_angle_concave", "Edit14", 0, 180, 20, 1, false},
    {"ud_scale", "Edit2", 1, 1000, 25, 1, true},
    {"ud_modspeed", "Edit8", 0, 100, 10, 1, true},
    {"ud_thalf", "ed_thalf", 1, 1000, 50, 1, true},
    {"ud_alpha_shade", "Edit1", 1, 100, 60, 1, true},
    {"ud_flow_scale", "Edit9", 1, 100, 10, 1, true},
    {"ud_angle", "ed_angle", -360, 360, 0, 15, true},
    {"ud_vz", "ed_vz", -100, 100, 0, 1, true},
    {"ud_fstrength", "Edit6", -100, 100, 10, 1, true},
    {"ud_paint_on", "Edit5", 1, 1000, 1, 1, true},
    {"udnsmooth", "ednsmooth", 0, 100, 10, 1, true},
    {"ud_asmooth", "ed_asmooth", 0, 100, 25, 1, true},
    {"ud_shininess", "Edit3", 0, 1000, 100, 1, true},
    {"ud_rotate", "Edit4", -100, 100, 0, 1, true},
    {"ud_foc_length", "Edit12", 5, 1000, 50, 1, true},
    {"ud_lr_light", "ed_llight_lr", -90, 90, 10, 5, true},
    {"ud_ud_light", "Edit11", -90, 90, 25, 5, true},
};

struct CheckSpec {
  const char* name;
  const char* caption;
  bool checked;
  bool visible;
};

const CheckSpec kChecks[] = {
    {"cb_swap", "Swap orientation", false, true},
    {"cb_normk", "Norm. K", true, false},
    {"cb_crack_insert", "Insert cracks, at angle:", false, false},
    {"cb_use_neighbors", "Use more neighbors for curvature", false, false},
    {"cb_tex_long", "long", true, true},
    {"cb_scale_up", "Scale up to maximum displacement", true, true},
    {"cb_warp_texture", "Warp texture instead of geometry", true, false},
    {"cb_drag_texture", "Drag texture when changing view", true, true},
    {"cb_curv_sh_max", "Use Kmax ", true, true},
    {"cb_sortmaxabs", "sort max abs", false, false},
    {"cb_shpotflow", "Potential flow", true, true},
    {"cb_showelements", "Show flow sources", true, true},
    {"cbTexData", "Overlay with data", false, true},
    {"cb_add_shade_to_data", "Add shade to Aux on view change", false, true},
    {"cbshfill", "Shade", true, true},
    {"cbshline", "Mesh", false, true},
    {"cbshtexture", "Texture", true, true},
    {"cb_iso", "isometric", false, true},
    {"cb_dir_light", "Directional light", true, true},
};

}  // namespace

TEST_F(FormTest, UpDownsHaveRangesStepsDefaultsAndVisibility) {
  for (const UpDownSpec& s : kUpDowns) {
    SCOPED_TRACE(s.name);
    auto* ud = form->findChild<TUpDown*>(s.name);
    ASSERT_NE(ud, nullptr);
    EXPECT_EQ(ud->Min(), s.min);
    EXPECT_EQ(ud->Max(), s.max);
    EXPECT_EQ(ud->Position(), s.position);
    EXPECT_EQ(ud->Increment(), s.increment);
    ASSERT_NE(ud->Associate(), nullptr);
    EXPECT_EQ(ud->Associate()->objectName(), s.edit);
    EXPECT_EQ(ud->Associate()->Text(), QString::number(s.position));
    EXPECT_EQ(Shown(ud), s.visible);
    EXPECT_EQ(Shown(ud->Associate()), s.visible);
  }
  EXPECT_TRUE(form->ud_lr_light->Horizontal());
  EXPECT_FALSE(form->ud_ud_light->Horizontal());
  EXPECT_EQ(form->ud_scale, form->findChild<TUpDown*>("ud_scale"));
  EXPECT_EQ(form->Edit2, form->findChild<TEdit*>("Edit2"));
}

TEST_F(FormTest, CheckBoxesHaveCaptionsDefaultsAndVisibility) {
  for (const CheckSpec& s : kChecks) {
    SCOPED_TRACE(s.name);
    auto* cb = form->findChild<TCheckBox*>(s.name);
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(cb->text(), s.caption);
    EXPECT_EQ(cb->Checked(), s.checked);
    EXPECT_EQ(Shown(cb), s.visible);
  }
}

TEST_F(FormTest, RadioGroupsStartWithTheirDefaults) {
  EXPECT_TRUE(form->rbvelocity->Checked());
  for (TRadioButton* rb : {form->rbkmax, form->rbkavg, form->rbkmin, form->rbad, form->rbpx, form->rbpy, form->rbpz,
                           form->rbkminmax, form->rbkmaxabs})
    EXPECT_FALSE(rb->Checked()) << rb->objectName().toStdString();
  EXPECT_FALSE(Shown(form->rbkminmax));
  EXPECT_FALSE(Shown(form->rbkmaxabs));
  EXPECT_EQ(form->rbkavg->text(), "(Kmin + Kmax)/2");
  EXPECT_TRUE(form->rb_cylflow->Checked());
  EXPECT_FALSE(form->rb_sphereflow->Checked());
  EXPECT_TRUE(form->rb_y->Checked());
  // The three groups are independent: checking one channel leaves the others.
  form->rbkmax->SetChecked(true);
  EXPECT_FALSE(form->rbvelocity->Checked());
  EXPECT_TRUE(form->rb_y->Checked());
  EXPECT_TRUE(form->rb_cylflow->Checked());
}

TEST_F(FormTest, SwatchesEditsAndListsHaveTheirDefaults) {
  EXPECT_EQ(form->but_bc1->Color(), MakeColor(0, 0, 0));
  EXPECT_EQ(form->but_bc2->Color(), MakeColor(255, 255, 255));
  EXPECT_EQ(form->sh_flow_paint_col->Color(), MakeColor(255, 0, 0));
  EXPECT_EQ(form->sh_datamin->Color(), MakeColor(0, 255, 255));
  EXPECT_EQ(form->sh_diffuse->Color(), MakeColor(192, 192, 192));
  EXPECT_EQ(form->sh_specular->Color(), MakeColor(128, 128, 128));
  EXPECT_EQ(form->sh_mesh_diffuse->Color(), MakeColor(255, 255, 255));
  EXPECT_EQ(form->sh_background->Color(), MakeColor(192, 192, 192));
  EXPECT_EQ(form->sh_light->Color(), MakeColor(255, 255, 255));
  EXPECT_EQ(form->sh_ambient->Color(), MakeColor(0, 0, 0));
  EXPECT_EQ(form->ednframe->Text(), "64");
  EXPECT_EQ(form->ed_sh_min->Text(), "10");
  EXPECT_EQ(form->ed_sh_max->Text(), "0");
  EXPECT_EQ(form->ed_dtime->Text(), "0");
  const QStringList styles{"Cosine", "Exponential decay", "Puls", "Saw tooth"};
  ASSERT_EQ(form->cb_lut_style->count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(form->cb_lut_style->itemText(i), styles[i]);
  EXPECT_EQ(form->tb_time->minimum(), 0);
  EXPECT_EQ(form->tb_time->maximum(), 100);
  EXPECT_EQ(form->tb_time->tickInterval(), 10);
  EXPECT_EQ(form->tb_time->Position(), 0);
}

TEST_F(FormTest, HiddenButtonsAndGroupsAreHidden) {
  EXPECT_FALSE(Shown(form->gb_time));
  EXPECT_EQ(form->gb_time->title(), "Time dependent data");
  for (TButton* b : {form->Button1, form->but_feature_lines, form->but_save_text, form->but_kavg, form->but_d_kmin,
                     form->but_d_kmax, form->but_d_velo, form->but_d_kavg})
    EXPECT_FALSE(Shown(b)) << b->objectName().toStdString();
  EXPECT_FALSE(Shown(form->lab_strips));
  for (TButton* b : {form->but_load_mesh, form->Button18, form->but_flow_cxy, form->but_rainbow, form->Button17,
                     form->but_add_paint, form->but_deselect, form->Button5, form->but_dsmall, form->Button14})
    EXPECT_TRUE(Shown(b)) << b->objectName().toStdString();
  EXPECT_EQ(form->but_load_mesh->text(), "Load mesh...");
  EXPECT_EQ(form->but_dsmall->text(), "><");
  EXPECT_EQ(form->butcopyaux->text(), "Cur -> Aux");
  EXPECT_EQ(form->but_div2->text(), "* 0.5");
}
