// The frame passes that draw the scene overlays and the paint-source blobs,
// installed into the frame's pass table. Values read from the controls here
// are frozen into the overlay list when it is compiled.
#include "data/data_channels.h"
#include "data/time_controls.h"
#include "glpanel/glpanel.h"
#include "render/annotations_gl.h"
#include "render/legend_gl.h"
#include "render/overlay_passes_gl.h"
#include "render/overlays_gl.h"
#include "render/source_glyphs_gl.h"
#include "window/form1.h"

namespace {

// The "Mesh" colour swatches and "Shine" of the "Shade" tab.
TMeshLineMaterial MeshLineMaterialOf(const TForm1& f) {
  TMeshLineMaterial m;
  m.diffuse = f.sh_mesh_diffuse->Color();
  m.specular = f.sh_mesh_specular->Color();
  m.shininess = f.ud_shininess->Position();
  return m;
}

}  // namespace

std::string TForm1::ShownLegendTitle() const {
  return LegendTitle(ChannelTitle(state.mesh, state.frame.data_channel), ed_data_unit->Text().trimmed().toStdString(),
                     state.frame.data_log_floor > 0);
}

// source_glyphs and the line overlays run while list 2 is compiled (the glyphs
// write each source's radius and cyl_radius, which picking reads); paint_blobs
// runs outside the lists after list 1 and again before the capture, blinking
// with frame_counter. legend (after list 2, every frame): the colour bar of
// the shown channel's range while "Overlay with data" and "Legend" are checked,
// titled with the channel, the "Unit" and the scale.
// annotations (after the legend, every frame): the axes triad and the time of
// time-dependent data, each while its box on the "Shade" tab is checked.
void TForm1::InstallOverlayPasses() {
  InstallScenePasses(passes_, state, glyph_quadric_, [this] { return MeshLineMaterialOf(*this); });
  passes_.legend = [this] {
    if (!cbTexData->Checked() || !cb_legend->Checked()) return;
    const int channel = state.frame.data_channel;
    const TRange r = state.mesh.data_range[channel];
    DrawLegend(GLPanel1->Width(), GLPanel1->Height(), r.min, r.max, ShownLegendTitle(), sh_background->Color(),
               state.frame.data_log_floor);
  };
  passes_.annotations = [this] {
    TAnnotations a;
    a.axes = cb_show_axes->Checked();
    a.modelview = state.matrices.modelview_matrix;
    if (cb_show_time->Checked() && HasTimeSteps(state.mesh)) a.time_text = TimeLabelText(state.view.time);
    DrawAnnotations(GLPanel1->Width(), GLPanel1->Height(), a, sh_background->Color());
  };
}
