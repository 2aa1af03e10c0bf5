// The frame passes that move the texture along the flow: velocity synthesis
// and the advection step, installed into the frame's pass table.
#include "advection/advection_pass.h"
#include "advection/contrast_stretch.h"
#include "advection/contrast_stretch_gl.h"
#include "advection/crisp_composite_gl.h"
#include "advection/noise_gl.h"
#include "flow/velocity_synthesis.h"
#include "glpanel/glpanel.h"
#include "window/form1.h"

namespace {

// The "Flow" tab's velocity-field controls and the view's size and time.
TFlowParams FlowParamsOf(const TForm1& f) {
  TFlowParams p;
  p.usr_flow = f.cb_usr_flow->Checked();
  p.shcurvature = f.cb_shcurvature->Checked();
  p.curv_sh_max = f.cb_curv_sh_max->Checked();
  p.shpotflow = f.cb_shpotflow->Checked();
  p.project = f.cb_project->Checked();
  p.vx = f.ud_vx->Position();
  p.vy = f.ud_vy->Position();
  p.vz = f.ud_vz->Position();
  p.normal_flow = f.ud_normal_flow->Position();
  p.angle = f.ud_angle->Position();
  p.view_size = f.state.view.size;
  p.view_time = f.state.view.time;
  return p;
}

// The displacement limit and warp controls of the "Texture" tab.
TTexCoordParams TexCoordParamsOf(const TForm1& f) {
  TTexCoordParams p;
  p.disp_max = f.ud_dispmax->Position();
  p.scale_up = f.cb_scale_up->Checked();
  p.warp_texture = f.cb_warp_texture->Checked();
  p.drag_texture = f.cb_drag_texture->Checked();
  return p;
}

// The noise blending controls of the "Texture" tab.
TInjectControls InjectControlsOf(const TForm1& f) {
  TInjectControls c;
  c.alpha_text = f.ud_alpha_text->Position();
  c.full_text = f.cb_full_text->Checked();
  c.scale = f.ud_scale->Position();
  c.modspeed = f.ud_modspeed->Position();
  return c;
}

}  // namespace

// advection_step (start of list 1, texture free): velocities recomputed only
// when the scene changed, then every vertex displaced by "Delta t" / 1000 along
// its velocity. compute_tex_coords (start of the textured pass): upstream
// frame-texture coordinates, displaced through this frame's camera and looked
// up through the camera of the frame the texture holds.
// inject_noise (texture free or catching up, before the capture): one noise
// time step blended over the surface pixels of the whole panel (its list kept
// for the stretch, unless it was a flash of raw noise).
// stretch_contrast (after the capture): half of this frame's noise taken back
// out of the shown frame when this frame injected any (the stretch would
// otherwise magnify each new grain of noise into a bright dot at the head of
// its streak), then the shown frame copied for the contrast composite, through
// which begin_composite draws the shading overlay: the texture's detail about
// its local mean stretched by "Contrast" and laid onto the shading, around the
// surface pixels' own mean colour (the noise's mean when the surface covers no
// pixel). Where the GL cannot build the composite, the shown frame's surface
// pixels are stretched about that mean instead. Nothing is drawn or read back
// at "Contrast" 1.0.
void TForm1::InstallAdvectionPasses() {
  passes_.advection_step = [this] {
    if (state.frame.scene_dirty) SynthesizeVelocity(state.mesh, state.sources, FlowParamsOf(*this));
    DisplaceVertices(state.mesh, ud_flow_scale->Position() / 1000.0);
  };
  passes_.compute_tex_coords = [this] {
    TFrameCapture& c = state.frame.capture;
    c.view_behind = ComputeTexCoords(state.mesh, state.matrices, state.view, state.frame.texture_dragged,
                                     TexCoordParamsOf(*this), c.matrices_known ? &c.matrices : nullptr);
  };
  passes_.inject_noise = [this] {
    const bool flash = state.noise.noise_flash;
    const unsigned list = InjectNoise(state.view, state.noise, InjectControlsOf(*this), state.frame.lighting_on,
                                      GLPanel1->Width(), GLPanel1->Height());
    state.noise.injected_list = flash ? 0 : list;
  };
  passes_.stretch_contrast = [this] {
    const unsigned injected = state.noise.injected_list;
    state.noise.injected_list = 0;
    const double factor = ContrastFactorOf(ud_contrast->Position());
    if (factor == 1) return;
    const int32_t w = GLPanel1->Width(), h = GLPanel1->Height();
    if (injected != 0) TakeBackHalfNoise(state.view, injected, InjectControlsOf(*this), state.frame.lighting_on, w, h);
    const TNoiseState& n = state.noise;
    const std::array<double, 3> pivot = ShownSurfaceMean(w, h, {n.noise_mean[0], n.noise_mean[1], n.noise_mean[2]});
    if (!CompositeReady(state.frame.composite_program)) {  // a GL without programs: the plain stretch
      StretchContrast(state.view, factor, pivot, state.frame.lighting_on, w, h);
      return;
    }
    CopyShownFrameForComposite(state.view, w, h);
    composite_.factor = factor;
    for (int i = 0; i < 3; ++i) composite_.pivot[i] = pivot[i] / 255.0;
    composite_.lighting_on = state.frame.lighting_on;
    composite_.two_sided = state.mesh.open;
    composite_.data_colours = cbTexData->Checked();
    composite_pending_ = true;
  };
  passes_.begin_composite = [this] {
    const bool pending = composite_pending_;
    composite_pending_ = false;
    return pending && BeginComposite(state.frame.composite_program, state.view, composite_);
  };
  passes_.end_composite = [] { EndComposite(); };
}
