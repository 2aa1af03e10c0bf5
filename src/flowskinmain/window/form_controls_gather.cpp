// The control values that the frame, the render-state refresh and the mesh
// loading read, gathered from the window's controls into their parameter
// structs. Nothing here changes state.
#include "data/render_state.h"
#include "loading/mesh_loading.h"
#include "window/form1.h"

TFrameControls TForm1::FrameCtl() const {
  TFrameControls c;
  c.tex_lock = cb_tex_lock->Checked();
  c.tex_lock_drag = cb_tex_lock_drag->Checked();
  c.shtexture = cbshtexture->Checked();
  c.shfill = cbshfill->Checked();
  c.lighting = cb_lighting->Checked();
  c.showelements = cb_showelements->Checked();
  c.background = sh_background->Color();
  c.overlays.shline = cbshline->Checked();
  c.overlays.shnormals = cbshnormals->Checked();
  c.overlays.shvelo = cbshvelo->Checked();
  c.overlays.shframes = cbshframes->Checked();
  c.overlays.shmaxcurv = cbshmaxcurv->Checked();
  c.overlays.shmincurv = cbshmincurv->Checked();
  c.overlays.shbox = cbshbox->Checked();
  TSurfaceControls& s = c.surface;
  s.diffuse = sh_diffuse->Color();
  s.specular = sh_specular->Color();
  s.shininess = ud_shininess->Position();
  s.smooth = cbsmooth->Checked();
  s.sharp_edges = cb_sharp_edges->Checked();
  s.feature_angle = ud_feature_angle->Position();
  s.alpha_mod = cb_alpha_mod->Checked();
  s.alpha_mod_inverse = cb_alpha_mod_inverse->Checked();
  s.sh_image = cb_sh_image->Checked();
  s.tex_data = cbTexData->Checked();
  s.alpha_shade = ud_alpha_shade->Position();
  s.blend_streaks = cb_blend_streaks->Checked();
  s.image_loaded = state.image.image_loaded;
  TCameraControls& cam = c.camera;
  cam.foc_length = ud_foc_length->Position();
  cam.iso = cb_iso->Checked();
  cam.up_axis = rb_x->Checked() ? UpAxis::X : rb_z->Checked() ? UpAxis::Z : UpAxis::Y;
  cam.lr_light = ud_lr_light->Position();
  cam.ud_light = ud_ud_light->Position();
  cam.dir_light = cb_dir_light->Checked();
  cam.ambient = sh_ambient->Color();
  cam.light = sh_light->Color();
  return c;
}

TRenderStateControls TForm1::RenderCtl() const {
  TRenderStateControls c;
  TChannelRadios& r = c.radios;
  r.kmax = rbkmax->Checked();
  r.kmin = rbkmin->Checked();
  r.kminmax = rbkminmax->Checked();
  r.kmaxabs = rbkmaxabs->Checked();
  r.kavg = rbkavg->Checked();
  r.px = rbpx->Checked();
  r.py = rbpy->Checked();
  r.pz = rbpz->Checked();
  r.ad = rbad->Checked();
  r.file = rbfile->Checked();
  c.datamin = sh_datamin->Color();
  c.datamax = sh_datamax->Color();
  c.long_way = cblong->Checked();
  c.colour_map = cb_colour_map->ItemIndex();
  c.log_scale = cb_log_scale->Checked();
  return c;
}

TLoadOptions TForm1::LoadOptions() const {
  TLoadOptions o;
  o.swap = cb_swap->Checked();
  o.subdivide = cb_subdiv->Checked();
  o.subdiv_steps = ud_subdiv->Position();
  o.crack_insert = cb_crack_insert->Checked();
  o.crack_angle_convex = ud_crack_angle_convex->Position();
  o.crack_angle_concave = ud_crack_angle_concave->Position();
  o.use_neighbors = cb_use_neighbors->Checked();
  return o;
}
