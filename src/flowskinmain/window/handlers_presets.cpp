// Presets: each writes controls with redraws suspended, then requests one frame.
// A write to a check box, radio button or up-down runs that control's
// notification as a user change would (none of them draws while redraws are
// suspended); a write to a colour swatch or to the "Modulate" selection runs
// none.
#include "advection/contrast_stretch.h"
#include "colorconversion/colorconversion.h"
#include "flow/direction_alignment.h"
#include "window/form1.h"

namespace {

void SetRgb(TColorSwatch* swatch, int r, int g, int b) { swatch->SetColor(MakeColor(r, g, b)); }

}  // namespace

// "Modulate" := style (0 Cosine, 1 Exponential decay, 2 Puls, 3 Saw tooth).
// The selection itself raises no event; the style's change handler then runs
// so that the Texture tab shows the parameters of the style now selected.
void TForm1::SelectPulseStyle(int style) {
  cb_lut_style->SetItemIndex(style);
  cb_lut_styleChange(cb_lut_style);
}

// The common base of the style presets and "Topology": grey surface and
// background, black-to-white noise, texture weights, no contrast stretch, pulse "Puls", shade added
// to Aux, texture on; the noise textures are rebuilt before the next frame.
void TForm1::ApplyStyleDefaults() {
  SetRgb(sh_diffuse, 192, 192, 192);
  SetRgb(sh_background, 192, 192, 192);
  SetRgb(but_bc1, 0, 0, 0);
  SetRgb(but_bc2, 255, 255, 255);
  ud_scale->SetPosition(25);
  cb_lighting->SetChecked(true);
  ud_alpha_text->SetPosition(10);
  ud_alpha_shade->SetPosition(60);
  ud_contrast->SetPosition(kContrastOff);
  ud_thalf->SetPosition(50);
  cbTexData->SetChecked(false);
  cb_alpha_mod->SetChecked(false);
  ud_modspeed->SetPosition(10);
  cb_full_text->SetChecked(false);
  SelectPulseStyle(2);
  ud_dispmax->SetPosition(25);
  but_add_shadeClick(but_add_shade);
  cbshtexture->SetChecked(true);
  state.frame.noise_dirty = true;
}

// The bronze look of the curvature styles: bronze material and noise, data
// colours over "K max", curvature flow across the maximum direction, noise
// alpha modulated by the data.
void TForm1::ApplyCurvatureStyle() {
  SetRgb(sh_diffuse, 213, 183, 151);
  SetRgb(sh_specular, 240, 231, 219);
  SetRgb(sh_background, 192, 192, 192);
  ud_shininess->SetPosition(120);
  SetRgb(but_bc1, 0, 0, 0);
  SetRgb(but_bc2, 213, 183, 151);
  ud_scale->SetPosition(25);
  ud_alpha_text->SetPosition(20);
  ud_alpha_shade->SetPosition(40);
  SetRgb(sh_datamin, 252, 250, 245);
  SetRgb(sh_datamax, 112, 100, 86);
  cbTexData->SetChecked(true);
  rbkmax->SetChecked(true);
  cb_lighting->SetChecked(true);
  cb_shcurvature->SetChecked(true);
  cb_shpotflow->SetChecked(false);
  ud_angle->SetPosition(90);
  cb_curv_sh_max->SetChecked(true);
  cb_alpha_mod->SetChecked(true);
  ud_modspeed->SetPosition(0);
  OrientCurvatureFlow();
}

// The curvature looks orient the curvature directions consistently over each
// piece of the surface: the +y alignment of a load flips a field wherever it
// runs square to y, and the flow would run both ways across that line.
void TForm1::OrientCurvatureFlow() {
  OrientPiecesConsistently(state.mesh, cb_sortmaxabs->Checked());
  state.frame.scene_dirty = true;
}

// "Contour flow:" XY, XZ, YZ and "Axis flow:" Z, Y, X: a uniform flow of -10
// along one axis, turned by 90 degrees (along the level lines of that
// coordinate) or not turned (down its slope). An unknown sender counts as "XY".
void TForm1::but_flow_cxyClick(QObject* sender) {
  struct TFlowPreset {
    TButton* button;
    TUpDown* axis;
    int angle;
  };
  const TFlowPreset presets[] = {{but_flow_cxy, ud_vz, 90}, {but_flow_cxz, ud_vy, 90}, {but_flow_cyz, ud_vx, 90},
                                 {but_flow_dz, ud_vz, 0},   {but_flow_dy, ud_vy, 0},   {but_flow_dx, ud_vx, 0}};
  TFlowPreset chosen = presets[0];
  for (const TFlowPreset& p : presets)
    if (p.button == sender) chosen = p;
  ++state.frame.redraw_suspended;
  ud_vx->SetPosition(0);
  ud_vy->SetPosition(0);
  ud_vz->SetPosition(0);
  cb_shcurvature->SetChecked(false);
  cb_shpotflow->SetChecked(true);
  chosen.axis->SetPosition(-10);
  ud_angle->SetPosition(chosen.angle);
  RefreshRenderState(false);
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// "Curvature flow:" Kmin, Kmax: the principal field turned by 90 degrees, so
// "Kmin" turns the maximum-curvature field ("Use Kmax " checked) and "Kmax"
// the minimum one.
void TForm1::but_flow_kmaxClick(QObject* sender) {
  ++state.frame.redraw_suspended;
  OrientCurvatureFlow();
  cb_shcurvature->SetChecked(true);
  cb_shpotflow->SetChecked(false);
  cb_curv_sh_max->SetChecked(sender != but_flow_kmax);
  ud_angle->SetPosition(90);
  RefreshRenderState(false);
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// The end of every colour preset: new noise, then the colour map from the new
// data colours and one frame.
void TForm1::FinishColourPreset() {
  state.frame.noise_dirty = true;
  --state.frame.redraw_suspended;
  RefreshRenderState(true);
  RequestRedraw();
}

// "Bronze".
void TForm1::but_bronze_colClick(QObject*) {
  ++state.frame.redraw_suspended;
  SetRgb(sh_diffuse, 213, 183, 151);
  SetRgb(sh_specular, 240, 231, 219);
  ud_shininess->SetPosition(120);
  SetRgb(but_bc1, 0, 0, 0);
  SetRgb(but_bc2, 213, 183, 151);
  SetRgb(sh_datamin, 252, 250, 245);
  SetRgb(sh_datamax, 112, 100, 86);
  FinishColourPreset();
}

// "Steel".
void TForm1::but_steel_colClick(QObject*) {
  ++state.frame.redraw_suspended;
  SetRgb(sh_diffuse, 226, 220, 220);
  SetRgb(sh_specular, 250, 250, 250);
  ud_shininess->SetPosition(40);
  SetRgb(but_bc1, 0, 0, 0);
  SetRgb(but_bc2, 226, 220, 220);
  ud_scale->SetPosition(30);
  SetRgb(sh_datamin, 226, 220, 220);
  SetRgb(sh_datamax, 125, 116, 86);
  FinishColourPreset();
}

// "Ivory": the noise ramp runs between the same two colours as the data map.
void TForm1::Button19Click(QObject*) {
  ++state.frame.redraw_suspended;
  SetRgb(sh_diffuse, 240, 237, 227);
  SetRgb(sh_specular, 0, 0, 0);
  ud_shininess->SetPosition(120);
  sh_datamin->SetColor(sh_diffuse->Color());
  SetRgb(sh_datamax, 119, 111, 91);
  but_bc1->SetColor(sh_diffuse->Color());
  but_bc2->SetColor(sh_datamax->Color());
  FinishColourPreset();
}

// "Rainbow": white-to-black noise over the data coloured aqua to red.
void TForm1::but_rainbowClick(QObject*) {
  ++state.frame.redraw_suspended;
  SetRgb(sh_diffuse, 192, 192, 192);
  SetRgb(sh_specular, 128, 128, 128);
  ud_shininess->SetPosition(120);
  SetRgb(but_bc1, 255, 255, 255);
  SetRgb(but_bc2, 0, 0, 0);
  SetRgb(sh_datamin, 0, 255, 255);
  SetRgb(sh_datamax, 255, 0, 0);
  cbTexData->SetChecked(true);
  FinishColourPreset();
}

// "Dirty": the curvature style over "K max".
void TForm1::Button11Click(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  ApplyCurvatureStyle();
  state.frame.noise_dirty = true;
  RefreshRenderState(false);
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// "F. Pencil", "C. Pencil": black-and-white noise streaking down y under an
// unlit white overlay whose opacity follows the shade just added to Aux
// ("Modulate alpha for data" over "Aux"), so the strokes show in the shadows.
// "F. Pencil" draws finer noise (20) than "C. Pencil" (30). The 0 written to
// "Alpha shade" becomes the control's minimum 1: the edit shows what is drawn,
// and the overlay in full shadow stays as faint as the control allows.
void TForm1::but_pencil1Click(QObject* sender) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  SetRgb(sh_diffuse, 255, 255, 255);
  SetRgb(sh_background, 255, 255, 255);
  SetRgb(but_bc1, 0, 0, 0);
  SetRgb(but_bc2, 255, 255, 255);
  ud_scale->SetPosition(30);
  ud_dispmax->SetPosition(30);
  if (sender == but_pencil1) {
    ud_scale->SetPosition(20);
    ud_dispmax->SetPosition(20);
  }
  cb_lighting->SetChecked(false);
  ud_alpha_text->SetPosition(10);
  ud_alpha_shade->SetPosition(0);
  cbTexData->SetChecked(false);
  rbad->SetChecked(true);
  cb_shcurvature->SetChecked(false);
  cb_shpotflow->SetChecked(true);
  ud_angle->SetPosition(0);
  ud_vx->SetPosition(0);
  ud_vy->SetPosition(-10);
  ud_vz->SetPosition(0);
  cb_alpha_mod->SetChecked(true);
  ud_modspeed->SetPosition(0);
  but_add_shadeClick(but_add_shade);
  cbshtexture->SetChecked(true);
  --state.frame.redraw_suspended;
  state.frame.noise_dirty = true;
  RequestRedraw();
}

// "Fine txt", "Coarse txt": the style defaults; "Coarse txt" with noise scale
// and displacement limit 40 instead of 25.
void TForm1::Button13Click(QObject* sender) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  if (sender == Button17) {
    ud_scale->SetPosition(40);
    ud_dispmax->SetPosition(40);
  }
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// "Kavg": the curvature style over "(Kmin + Kmax)/2".
void TForm1::Button12Click(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  ApplyCurvatureStyle();
  rbkavg->SetChecked(true);
  state.frame.noise_dirty = true;
  RefreshRenderState(true);
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// "Eroded", and the hidden "Kavg" of the "Shade" tab: the curvature style over
// "K min".
void TForm1::but_erodeClick(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  ApplyCurvatureStyle();
  rbkmin->SetChecked(true);
  state.frame.noise_dirty = true;
  RefreshRenderState(true);
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// "Particles": short pulses (length 1) of coarse noise at full strength on a
// white surface.
void TForm1::Button16Click(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  SetRgb(sh_diffuse, 255, 255, 255);
  ud_thalf->SetPosition(1);
  cb_full_text->SetChecked(true);
  ud_scale->SetPosition(40);
  ud_alpha_text->SetPosition(5);
  but_add_shadeClick(but_add_shade);
  --state.frame.redraw_suspended;
  state.frame.noise_dirty = true;
  RequestRedraw();
}

// "Shaded": the lit grey surface without the flow texture.
void TForm1::but_shadedClick(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  SetRgb(sh_diffuse, 175, 175, 175);
  SetRgb(sh_specular, 50, 50, 50);
  ud_shininess->SetPosition(120);
  cbshtexture->SetChecked(false);
  --state.frame.redraw_suspended;
  RequestRedraw();
}

// Hidden row "Data:" Kmin, Kmax, velo, Kavg: selects that data channel.
void TForm1::but_d_kminClick(QObject* sender) {
  ++state.frame.redraw_suspended;
  TRadioButton* channel = rbkmin;
  if (sender == but_d_kmax)
    channel = rbkmax;
  else if (sender == but_d_kavg)
    channel = rbkavg;
  else if (sender == but_d_velo)
    channel = rbvelocity;
  channel->SetChecked(true);
  --state.frame.redraw_suspended;
  RefreshRenderState(false);
  RequestRedraw();
}

// "Topology" on the "Texture" tab: pure red saw-tooth noise with no weight of
// its own, then "Flash" (toggles the flash mode and requests the frame).
void TForm1::but_topoClick(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  SetRgb(but_bc1, 255, 0, 0);
  SetRgb(but_bc2, 255, 0, 0);
  ud_alpha_text->SetPosition(0);
  SelectPulseStyle(3);
  --state.frame.redraw_suspended;
  state.frame.noise_dirty = true;
  RefreshRenderState(true);
  but_col_flashClick(but_col_flash);
}

// "Crisp": long, thin, contrasty streaks. The style defaults' noise ("Puls",
// scale 25) blended in at 3 per cent, so each streak remembers some thirty
// frames (less is lost to the 8-bit rounding of the blend and to the blur of
// mapping the image back every frame); the noise changes slowly ("Speed" 1:
// faster noise breaks the streaks up) and moves 2.5 pixels a frame, about one
// noise texel, so the samples along a streak follow each other closely. The
// streaks' detail is stretched six times about its local mean (which also
// shows only half of each frame's new noise, so the stretch does not turn it
// into dots) and laid onto a shading of 40 per cent, so the body's shape
// stays readable. The flow itself is left as it is.
void TForm1::but_crispClick(QObject*) {
  ++state.frame.redraw_suspended;
  ApplyStyleDefaults();
  ud_alpha_text->SetPosition(3);
  ud_modspeed->SetPosition(1);
  ud_dispmax->SetPosition(25);
  ud_alpha_shade->SetPosition(40);
  ud_contrast->SetPosition(60);
  --state.frame.redraw_suspended;
  state.frame.noise_dirty = true;
  RequestRedraw();
}
