// The frame passes that move the texture along the flow: velocity synthesis
// and the advection step, installed into the frame's pass table.
#include "advection/advection_pass.h"
#include "flow/velocity_synthesis.h"
#include "shell/form1.h"

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

}  // namespace

// advection_step (start of list 1, texture free): velocities recomputed only
// when the scene changed, then every vertex displaced by "Delta t" / 1000 along
// its velocity. compute_tex_coords (start of the textured pass): upstream
// frame-texture coordinates through the matrices stored by this frame's camera.
void TForm1::InstallAdvectionPasses() {
  passes_.advection_step = [this] {
    if (state.frame.scene_dirty) SynthesizeVelocity(state.mesh, state.sources, FlowParamsOf(*this));
    DisplaceVertices(state.mesh, ud_flow_scale->Position() / 1000.0);
  };
  passes_.compute_tex_coords = [this] {
    ComputeTexCoords(state.mesh, state.matrices, state.view, state.frame.texture_dragged, TexCoordParamsOf(*this));
  };
}
