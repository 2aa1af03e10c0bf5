// The preset buttons on the real window: one frame each, the values they
// leave in the controls, and what their writes notify.
#include <algorithm>
#include <string>
#include <vector>

#include "advection/contrast_stretch.h"
#include "colorconversion/colorconversion.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

class PresetTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  }
  // Every preset button of the window, the hidden ones included.
  std::vector<TButton*> Presets() const {
    TForm1& f = *form;
    return {f.but_flow_cxy,  f.but_flow_cxz,  f.but_flow_cyz,   f.but_flow_dz,   f.but_flow_dy, f.but_flow_dx,
            f.but_flow_kmin, f.but_flow_kmax, f.but_bronze_col, f.but_steel_col, f.Button19,    f.but_rainbow,
            f.Button11,      f.but_pencil1,   f.Button13,       f.Button12,      f.but_pencil2, f.Button17,
            f.but_erode,     f.Button16,      f.but_shaded,     f.but_kavg,      f.but_d_kmin,  f.but_d_kmax,
            f.but_d_velo,    f.but_d_kavg,    f.but_topo,       f.but_crisp};
  }
};

}  // namespace

// Each preset writes many controls but draws one frame at its end, although
// its writes to check boxes, radios and up-downs run their notifications.
TEST_F(PresetTest, EveryPresetDrawsExactlyOneFrame) {
  std::vector<std::string> handlers;
  form->diag.on_event = [&](const char* h, QObject*) { handlers.push_back(h); };
  for (TButton* b : Presets()) {
    const int64_t frames = form->diag.frames_drawn, requests = form->diag.redraw_requests;
    b->click();
    EXPECT_EQ(form->diag.frames_drawn - frames, 1) << b->objectName().toStdString();
    EXPECT_EQ(form->diag.redraw_requests - requests, 1) << b->objectName().toStdString();
    EXPECT_EQ(form->state.frame.redraw_suspended, 0);
  }
  form->diag.on_event = nullptr;
  for (const char* notification : {"cbshlineClick", "rbkmaxClick"})
    EXPECT_NE(std::find(handlers.begin(), handlers.end(), notification), handlers.end()) << notification;
}

// Values the presets leave: scale and displacement limit of the texture
// presets, the pencils' "Alpha shade" held at its minimum 1, "Use Kmax " of the
// curvature flows, the noise ramp of "Ivory".
TEST_F(PresetTest, PresetsLeaveTheirValuesInTheControls) {
  struct Case {
    TButton* button;
    const char *scale, *dispmax;
  } cases[] = {{form->Button17, "40", "40"},
               {form->Button13, "25", "25"},
               {form->but_pencil1, "20", "20"},
               {form->but_pencil2, "30", "30"}};
  for (const Case& c : cases) {
    c.button->click();
    EXPECT_EQ(form->Edit2->Text(), c.scale) << c.button->text().toStdString();
    EXPECT_EQ(form->ed_dispmax->Text(), c.dispmax) << c.button->text().toStdString();
  }
  EXPECT_EQ(form->Edit1->Text(), "1");  // "Alpha shade" after a pencil

  form->but_flow_kmin->click();
  EXPECT_TRUE(form->cb_curv_sh_max->Checked());
  EXPECT_EQ(form->ed_angle->Text(), "90");
  form->but_flow_kmax->click();
  EXPECT_FALSE(form->cb_curv_sh_max->Checked());

  form->Button19->click();
  const int32_t ivory = MakeColor(240, 237, 227), dark = MakeColor(119, 111, 91);
  EXPECT_EQ(form->sh_diffuse->Color(), ivory);
  EXPECT_EQ(form->sh_datamin->Color(), ivory);
  EXPECT_EQ(form->sh_datamax->Color(), dark);
  EXPECT_EQ(form->but_bc1->Color(), ivory);
  EXPECT_EQ(form->but_bc2->Color(), dark);
}

// "Topology": red saw-tooth noise, its parameters shown; twice leaves the
// flash as it was.
TEST_F(PresetTest, TopologyTwiceLeavesTheFlashAsItWas) {
  const bool flash = form->state.noise.noise_flash;
  form->but_topo->click();
  EXPECT_EQ(form->but_bc1->Color(), MakeColor(255, 0, 0));
  EXPECT_EQ(form->ud_alpha_text->Position(), 0);
  EXPECT_EQ(form->cb_lut_style->ItemIndex(), 3);
  EXPECT_TRUE(Shown(form->ed_saw));
  EXPECT_FALSE(Shown(form->ed_thalf));
  form->but_topo->click();
  EXPECT_EQ(form->state.noise.noise_flash, flash);
}

// "Crisp" stretches the shown frame's contrast; every other style preset
// starts from the style defaults and so sets it back to 1.0.
TEST_F(PresetTest, CrispStretchesContrastAndOtherStylesSetItBack) {
  for (TButton* other : {form->Button13, form->Button11, form->but_pencil1, form->Button16, form->but_shaded}) {
    form->but_crisp->click();
    EXPECT_GT(form->ud_contrast->Position(), kContrastOff);
    other->click();
    EXPECT_EQ(form->ed_contrast->Text(), "10") << other->text().toStdString();
  }
}
