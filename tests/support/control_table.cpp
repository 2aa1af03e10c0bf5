#include "support/control_table.h"

#include <utility>

#include "advection/surface_passes_gl.h"
#include "colorconversion/colorconversion.h"
#include "data/render_state.h"

namespace {

Ctl Button(const char* n, const char* cap, const char* h, bool shown = true) {
  return {n, K::Button, cap, 0, nullptr, 0, 0, 1, shown, {{"click", h}}};
}
Ctl Check(const char* n, const char* cap, bool on, const char* h = nullptr, bool shown = true) {
  Ctl c{n, K::Check, cap, on, nullptr, 0, 0, 1, shown};
  if (h) c.events = {{"click", h}};
  return c;
}
Ctl Radio(const char* n, const char* cap, bool on, const char* h, bool shown = true) {
  return {n, K::Radio, cap, on, nullptr, 0, 0, 1, shown, {{"click", h}}};
}
Ctl UpDown(const char* n, const char* edit, const char* label, int min, int max, int pos, std::vector<Ev> ev = {},
           int step = 1, bool shown = true) {
  return {n, K::UpDown, label, pos, edit, min, max, step, shown, std::move(ev)};
}
Ctl Edit(const char* n, const char* label, const char* text, std::vector<Ev> ev = {}, bool shown = true) {
  return {n, K::Edit, label, 0, text, 0, 0, 1, shown, std::move(ev)};
}
Ctl Combo(const char* n, const char* label, int index, const char* h) {
  return {n, K::Combo, label, index, nullptr, 0, 0, 1, true, {{"change", h}}};
}
Ctl Swatch(const char* n, const char* label, int color, const char* h = kPick) {
  return {n, K::Swatch, label, color, nullptr, 0, 0, 1, true, {{"mousedown", h}}};
}

}  // namespace

// Every control of the window, tab by tab.
std::vector<Ctl> ControlTable() {
  const int black = MakeColor(0, 0, 0), white = MakeColor(255, 255, 255), silver = MakeColor(192, 192, 192),
            grey = MakeColor(128, 128, 128);
  return {
      // message panel and drawing area
      {"sb_animate", K::Speed, "Run", 0, nullptr, 0, 0, 1, true, {{"click", "sb_animateClick"}}},
      Button("Button15", "X", "Button15Click", false),
      // General: mesh input
      Button("but_load_mesh", "Load mesh...", "Open1Click"),
      Button("Button18", "Reset View", "Button8Click"),
      Check("cb_subdiv", "Subdivide when read:", false),
      UpDown("ud_subdiv", "Edit15", "Subdivide when read:", 1, 20, 1),
      Check("cb_swap", "Swap orientation", false),
      Check("cb_normk", "Norm. K", true, nullptr, false),
      Check("cb_crack_insert", "Insert cracks, at angle:", false, nullptr, false),
      UpDown("ud_crack_angle_convex", "ed_crack_angle", "Convex", 0, 180, 45, {}, 1, false),
      UpDown("ud_crack_angle_concave", "Edit14", "Concave", 0, 180, 20, {}, 1, false),
      Check("cb_use_neighbors", "Use more neighbors for curvature", false, nullptr, false),
      // General: images
      Button("Button7", "Load image...", "Button7Click"),
      Check("cb_sh_image", "Show mapped image", false, kRedraw),
      Button("but_save_pic", "Save image...", "but_save_picClick"),
      Button("but_copyclipboard", "Copy image", "but_copyclipboardClick"),
      Button("butsaveseq", "Save seq. ...", "butsaveseqClick"),
      Edit("ednframe", "#frames:", "64"),
      // General: presets (the "Data:" row is hidden)
      Button("but_flow_cxy", "XY", "but_flow_cxyClick"),
      Button("but_flow_cxz", "XZ", "but_flow_cxyClick"),
      Button("but_flow_cyz", "YZ", "but_flow_cxyClick"),
      Button("but_flow_dz", "Z", "but_flow_cxyClick"),
      Button("but_flow_dy", "Y", "but_flow_cxyClick"),
      Button("but_flow_dx", "X", "but_flow_cxyClick"),
      Button("but_flow_kmin", "Kmin", "but_flow_kmaxClick"),
      Button("but_flow_kmax", "Kmax", "but_flow_kmaxClick"),
      Button("but_bronze_col", "Bronze", "but_bronze_colClick"),
      Button("but_steel_col", "Steel", "but_steel_colClick"),
      Button("Button19", "Ivory", "Button19Click"),
      Button("but_rainbow", "Rainbow", "but_rainbowClick"),
      Button("Button11", "Dirty", "Button11Click"),
      Button("but_pencil1", "F. Pencil", "but_pencil1Click"),
      Button("Button13", "Fine txt", "Button13Click"),
      Button("Button12", "Kavg", "Button12Click"),
      Button("but_pencil2", "C. Pencil", "but_pencil1Click"),
      Button("Button17", "Coarse txt", "Button13Click"),
      Button("but_erode", "Eroded", "but_erodeClick"),
      Button("Button16", "Particles", "Button16Click"),
      Button("but_shaded", "Shaded", "but_shadedClick"),
      Button("but_crisp", "Crisp", "but_crispClick"),
      Button("but_d_kmin", "Kmin", "but_d_kminClick", false),
      Button("but_d_kmax", "Kmax", "but_d_kminClick", false),
      Button("but_d_velo", "velo", "but_d_kminClick", false),
      Button("but_d_kavg", "Kavg", "but_d_kminClick", false),
      // Texture
      Swatch("but_bc1", "Color", black, "but_bc1MouseDown"),
      Swatch("but_bc2", "Color", white, "but_bc1MouseDown"),
      Check("cb_tex_long", "long", true, "cb_tex_longClick"),
      UpDown("ud_scale", "Edit2", "Scale", 1, 1000, 25, {{"change", kRedraw}}),
      UpDown("ud_modspeed", "Edit8", "Speed", 0, 100, 10, {{"change", kRedraw}}),
      {"cb_lut_style", K::Combo, "Modulate", 2, nullptr, 0, 0, 1, true, {{"change", "cb_lut_styleChange"}}},
      // Only the trio of the selected style ("Puls") shows at start.
      UpDown("ud_cospow", "ed_cospow", "cos power", 1, 10, 4, {{"change", "ed_thalfChange"}}, 1, false),
      UpDown("ud_thalf", "ed_thalf", "Puls length", 1, 1000, 50, {{"change", "ed_thalfChange"}}),
      UpDown("ud_decay", "ed_decay", "exp. Decay", 1, 1000, 6, {{"change", "ed_thalfChange"}}, 1, false),
      UpDown("ud_saw", "ed_saw", "Saw pos.", 0, 100, 0, {{"change", "ed_thalfChange"}}, 1, false),
      {"pb_puls_lut", K::Paint, "", 0, nullptr, 0, 0, 1, true, {{"paint", "pb_puls_lutPaint"}}},
      UpDown("ud_alpha_text", "Edit37", "Alpha texture", 0, 100, 10, {{"change", kRedraw}}),
      Check("cb_full_text", "full", false),
      UpDown("ud_alpha_shade", "Edit1", "Alpha shade", 1, 100, 60, {{"change", kRedraw}}),
      Button("but_col_flash", "Flash", "but_col_flashClick"),
      UpDown("ud_contrast", "ed_contrast", "Contrast", 10, 80, 10, {{"change", kRedraw}}),
      UpDown("ud_dispmax", "ed_dispmax", "Disp max", 1, 100, 30, {{"change", kRedraw}}),
      Button("but_topo", "Topology", "but_topoClick"),
      UpDown("ud_flow_scale", "Edit9", "Delta t", 1, 100, 10),
      Button("but_times2", "* 2", "but_div2Click"),
      Button("but_div2", "* 0.5", "but_div2Click"),
      Check("cb_scale_up", "Scale up to maximum displacement", true, kRedraw),
      Check("cb_alpha_mod", "Modulate alpha for data", false, kRefresh),
      Check("cb_alpha_mod_inverse", "Inverse", false, kRefresh),
      Check("cb_warp_texture", "Warp texture instead of geometry", true, kRedraw, false),
      Check("cb_tex_lock", "Lock texture", false, "cb_tex_lockClick"),
      Check("cb_tex_lock_drag", "Lock texture when changing view", false),
      Check("cb_drag_texture", "Drag texture when changing view", true),
      // Flow
      Check("cb_usr_flow", "Flow data", false),
      // The vectors of a simulation file: hidden until such a file is loaded.
      // The lists are empty until then, so no event reaches their handlers
      // here (file_arrays_guitest.cpp chooses items of a loaded file).
      {"cb_flow_array", K::Combo, "Flow array", -1, nullptr, 0, 0, 1, false, {}},
      Check("cb_flow_reverse", "Reverse", false, "cb_flow_reverseClick", false),
      Check("cb_flow_tangential", "Tangential only", true, "cb_flow_reverseClick", false),
      Check("cb_flow_normalise", "Normalise", true, "cb_flow_reverseClick", false),
      UpDown("ud_angle", "ed_angle", "Angle", -360, 360, 0, {{"change", kRefresh}}, 15),
      Check("cb_shcurvature", "Curvature flow", false, kRefresh),
      Check("cb_curv_sh_max", "Use Kmax ", true, kRefresh),
      Check("cb_sortmaxabs", "sort max abs", false, kRefresh, false),
      Button("Button1", "Align neighbor", "Button1Click", false),
      Button("Button3", "X", "Button3Click"),
      Button("Button2", "Y", "Button2Click"),
      Button("Button4", "Z", "Button4Click"),
      Button("Button9", "Max val", "Button9Click"),
      Button("Button10", "Replace with Grad Aux", "Button10Click"),
      Check("cb_shpotflow", "Potential flow", true, kRefresh),
      Check("cb_project", "Project velocity on surface", true, kRefresh),
      UpDown("ud_vx", "ed_vx", "Linear", -100, 100, 0, {{"change", kRedraw}, {"click", kRedraw}}),
      UpDown("ud_vy", "ed_vy", "Linear", -100, 100, 0, {{"change", kRedraw}, {"click", kRedraw}}),
      UpDown("ud_vz", "ed_vz", "Linear", -100, 100, 0, {{"change", kRedraw}, {"click", kRedraw}}),
      UpDown("ud_normal_flow", "Edit13", "Normal", -100, 100, 0, {{"change", kRedraw}, {"click", kRedraw}}),
      Check("cb_showelements", "Show flow sources", true, kRedraw),
      Radio("rb_sphereflow", "Point source", false, "rb_cylflowClick"),
      Radio("rb_cylflow", "Line source", true, "rb_cylflowClick"),
      UpDown("ud_fstrength", "Edit6", "Strength", -100, 100, 10, {{"change", kRefresh}}),
      UpDown("ud_frotstrength", "ed_frotstrength", "Rotational", -100, 100, 0, {{"change", kRefresh}}),
      UpDown("ud_faxisstrength", "ed_faxisstrength", "Tangential", -100, 100, 0, {{"change", kRefresh}}),
      Check("cb_emit", "Paint", false, kRefresh),
      Swatch("sh_flow_paint_col", "Paint", MakeColor(255, 0, 0)),
      UpDown("ud_paint_on", "Edit5", "Paint on", 1, 1000, 1, {{"change", kRefresh}}),
      UpDown("ud_paint_off", "Edit10", "Paint off", 0, 100, 0, {{"change", kRefresh}}),
      Button("but_add_flow", "Add flow", "but_add_flowClick"),
      Button("but_add_paint", "Add paint", "but_add_flowClick"),
      Button("Button6", "Delete", "Button6Click"),
      Button("but_nextf", "Next", "but_prevfClick"),
      Button("but_prevf", "Prev", "but_prevfClick"),
      Button("but_deselect", "Deselect", "but_prevfClick"),
      // Data
      Check("cbTexData", "Overlay with data", false, kRefresh),
      Check("cb_legend", "Legend", false, kRedraw),
      Radio("rbkmax", "K max", false, kRefresh),
      Radio("rbkavg", "(Kmin + Kmax)/2", false, kRefresh),
      Radio("rbkmin", "K min", false, kRefresh),
      Radio("rbad", "Aux", false, kRefresh),
      Radio("rbvelocity", "Velocity", true, kRefresh),
      Radio("rbpx", "X", false, kRefresh),
      Radio("rbpy", "Y", false, kRefresh),
      Radio("rbpz", "Z", false, kRefresh),
      Radio("rbkminmax", "K max * K min", false, kRefresh, false),
      Radio("rbkmaxabs", "max abs K", false, kRefresh, false),
      Radio("rbfile", "File", false, kRefresh, false),
      {"cb_file_array", K::Combo, "File", -1, nullptr, 0, 0, 1, false, {}},
      Edit("eddmin", "Min", nullptr, {{"keyup", "eddmaxKeyUp"}}),
      Edit("eddmax", "Max", nullptr, {{"keyup", "eddmaxKeyUp"}}),
      Swatch("sh_datamin", "Min", MakeColor(0, 255, 255)),
      Swatch("sh_datamax", "Max", MakeColor(255, 128, 128)),
      Button("Button5", "Reset", "Button5Click"),
      Check("cblong", "Long", false, kRefresh),
      Button("but_dup", ">", "but_dupClick"),
      Button("but_ddown", "<", "but_dupClick"),
      Button("but_dwide", "<>", "but_dupClick"),
      Button("but_dsmall", "><", "but_dupClick"),
      Combo("cb_colour_map", "Map", TRenderStateControls().colour_map, kRefresh),
      Check("cb_log_scale", "Log scale", TRenderStateControls().log_scale, kRefresh),
      Edit("ed_data_unit", "Unit", "", {{"change", kRedraw}}),
      Check("cb_blend_streaks", "Blend with streaks", TSurfaceControls().blend_streaks, kRefresh),
      Button("butcopyaux", "Cur -> Aux", "butcopyauxClick"),
      Button("but_clear_aux", "Clear Aux", "but_clear_auxClick"),
      Button("but_add_shade", "Add shade to Aux", "but_add_shadeClick"),
      Edit("ed_sh_min", "Add shade to Aux", "10"),
      Edit("ed_sh_max", "Add shade to Aux", "0"),
      Check("cb_add_shade_to_data", "Add shade to Aux on view change", false, "cb_add_shade_to_dataClick"),
      Button("but_smooth", "Smooth Aux", "but_smoothClick"),
      UpDown("udnsmooth", "ednsmooth", "N", 0, 100, 10),
      UpDown("ud_asmooth", "ed_asmooth", "A", 0, 100, 25),
      Button("but_feature_lines", "F lines", "but_feature_linesClick", false),
      // The time group is hidden until a time-dependent mesh is loaded.
      Edit("ed_time", "Time", nullptr, {{"keyup", "ed_timeKeyUp"}}, false),
      Edit("ed_dtime", "dt", "0", {{"keyup", "ed_dtimeKeyUp"}}, false),
      Check("cb_time_animate", "animate", false, nullptr, false),
      {"tb_time", K::Track, "", 0, nullptr, 0, 100, 1, false, {{"change", "tb_timeChange"}}},
      // Shade: shade and show
      Check("cbshfill", "Shade", true, kRedraw),
      Swatch("sh_diffuse", "Diffuse", silver),
      Swatch("sh_specular", "Specular", grey),
      UpDown("ud_shininess", "Edit3", "Shine", 0, 1000, 100, {{"change", kRedraw}}),
      Check("cbshline", "Mesh", false, kRedraw),
      Swatch("sh_mesh_diffuse", "Mesh", white),
      Swatch("sh_mesh_specular", "Mesh", grey),
      Check("cbsmooth", "Smooth shading", true, kRedraw),
      Check("cb_lighting", "Light", true, kRedraw),
      Check("cb_sharp_edges", "Sharp edges", TSurfaceControls().sharp_edges, kRedraw),
      UpDown("ud_feature_angle", "ed_feature_angle", "at angle", 1, 180, TSurfaceControls().feature_angle,
             {{"change", kRedraw}}),
      Swatch("sh_background", "Background", silver),
      Check("cbshtexture", "Texture", true, kRedraw),
      Button("but_save_text", "-> image map", "but_save_textClick", false),
      Check("cbshbox", "Box", false, kRedraw),
      Check("cbshmaxcurv", "Max curvature vector", false, kRedraw),
      Button("but_kavg", "Kavg", "but_erodeClick", false),
      Check("cbshnormals", "Normals", false, kRedraw),
      Check("cbshmincurv", "Min curvature vector", false, kRedraw),
      Check("cbshframes", "Frames", false, kRedraw),
      Check("cbshvelo", "Velocity vector", false, kRedraw),
      // Shade: view
      Radio("rb_x", "X", false, kRedraw),
      Radio("rb_y", "Y", true, kRedraw),
      Radio("rb_z", "Z", false, kRedraw),
      Button("Button8", "Reset", "Button8Click"),
      UpDown("ud_rotate", "Edit4", "Rotate", -100, 100, 0, {{"change", kRedraw}}),
      Edit("ed_winw", "Window", "512", {{"keydown", "ed_winwKeyDown"}}),
      Edit("ed_winh", "X", "512", {{"keydown", "ed_winwKeyDown"}}),
      UpDown("ud_margin", "ed_margin", "Margin", 0, 100, 0, {{"change", kRedraw}, {"keydown", "ed_marginKeyDown"}}),
      Button("Button14", "Full window", "Button14Click"),
      UpDown("ud_foc_length", "Edit12", "Focal length", 5, 1000, 50,
             {{"change", kRedraw}, {"keydown", "ed_marginKeyDown"}}),
      Check("cb_iso", "isometric", false, kRedraw),
      // Shade: light
      UpDown("ud_lr_light", "ed_llight_lr", "Left/right", -90, 90, 10, {{"change", "ed_llight_lrChange"}}, 5),
      UpDown("ud_ud_light", "Edit11", "Up/down", -90, 90, 25, {{"change", "ed_llight_lrChange"}}, 5),
      Swatch("sh_light", "Directed", white),
      Swatch("sh_ambient", "Ambient", black),
      Check("cb_dir_light", "Directional light", true, "ed_llight_lrChange"),
  };
}
