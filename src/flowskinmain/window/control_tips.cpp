// Tooltips of the controls, one line each in the window's own words.
#include "window/control_tips.h"

#include <QLabel>
#include <QWidget>

#include "window/controls/control_updown.h"

const std::vector<TControlTip>& ControlTips() {
  static const std::vector<TControlTip> tips = {
      // Below the view.
      {"sb_animate",
       "Run: draws frame after frame (turning by \"Rotate\", stepping the time) until pressed again. Key: Space"},
      {"Button15", "Brings the control panels back. Key: Escape"},
      {"but_help", "Help (F1) and About"},

      // "General": mesh input.
      {"but_load_mesh", "Opens a mesh file (PLY, OBJ, STL, OFF, glTF) and shows it. Key: Ctrl+O"},
      {"Button18", "Aims the view at the whole mesh again"},
      {"cb_subdiv", "Subdivides the mesh when it is read (Loop subdivision); applies to the next load"},
      {"ud_subdiv", "Subdivision steps for the next load; each step makes four triangles of one"},
      {"cb_swap", "Flips the orientation of every triangle when the mesh is read; applies to the next load"},
      {"lw_blocks",
       "The blocks (patches) of a multiblock file: the surface is made of those ticked; ticking or clearing one "
       "loads the file again. Another file starts with its surface blocks ticked"},
      {"cb_normk", "Scales the curvatures by the size of the mesh after loading"},
      {"cb_crack_insert", "Cuts the mesh along sharp edges when it is read"},
      {"ud_crack_angle_convex", "Convex edges sharper than this are cut, degrees"},
      {"ud_crack_angle_concave", "Concave edges sharper than this are cut, degrees"},
      {"cb_use_neighbors", "Fits the curvature over the second ring of neighbours too"},

      // "General": images.
      {"Button7", "Loads a picture (24-bit bitmap, PNG or JPEG) to map onto the surface by its texture coordinates"},
      {"cb_sh_image", "Shows the loaded image on the surface (needs texture coordinates in the mesh)"},
      {"but_save_pic",
       "Saves the frame shown as a picture file (.bmp, or PNG when the name ends in .png). Key: Ctrl+S"},
      {"but_copyclipboard", "Copies the frame shown to the clipboard. Key: Ctrl+C"},
      {"butsaveseq",
       "Saves the next \"#frames\" frames as NAME001.bmp, NAME002.bmp, ... (or .png), or as one "
       "movie when the name ends in .mp4 (H.264) or .webm (VP9); the window stays usable while they "
       "are written, and \"Cancel\" under the view stops them"},
      {"but_movie_cancel", "Stops the movie being written (no file is left) or the pictures (those written stay)"},
      {"ud_movie_fps", "Frames per second of a movie \"Save seq. ...\" writes"},
      {"ud_movie_quality", "Quality of a movie \"Save seq. ...\" writes: 0 the smallest file, 100 the best picture"},
      {"cb_movie_size",
       "Frame size of a movie \"Save seq. ...\" writes: the view's own, or a size drawn off screen whatever the "
       "window's (the view shows it scaled meanwhile)"},
      {"ednframe", "Number of frames \"Save seq. ...\" writes, a whole number"},

      // "General": presets.
      {"but_flow_cxy", "Flow along the level lines of z (uniform flow -10 along z, turned by 90 degrees)"},
      {"but_flow_cxz", "Flow along the level lines of y (uniform flow -10 along y, turned by 90 degrees)"},
      {"but_flow_cyz", "Flow along the level lines of x (uniform flow -10 along x, turned by 90 degrees)"},
      {"but_flow_dz", "Flow down the z axis (uniform flow -10 along z, projected on the surface)"},
      {"but_flow_dy", "Flow down the y axis (uniform flow -10 along y, projected on the surface)"},
      {"but_flow_dx", "Flow down the x axis (uniform flow -10 along x, projected on the surface)"},
      {"but_flow_kmin", "Flow along the directions of smallest curvature (K max direction turned by 90 degrees)"},
      {"but_flow_kmax", "Flow along the directions of largest curvature (K min direction turned by 90 degrees)"},
      {"but_bronze_col", "Colours: bronze surface and noise"},
      {"but_steel_col", "Colours: steel surface and noise"},
      {"Button19", "Colours: ivory surface and data colours"},
      {"but_rainbow", "Colours: a rainbow colour map over the data range"},
      {"Button11", "Style: dirty look, curvature flow with the K max colours"},
      {"but_pencil1", "Style: fine pencil strokes on white"},
      {"Button13", "Style: fine texture, the default look"},
      {"Button12", "Style: curvature flow coloured by the mean curvature"},
      {"but_pencil2", "Style: coarse pencil strokes on white"},
      {"Button17", "Style: coarse texture (larger noise and displacement)"},
      {"but_erode", "Style: eroded look, curvature flow coloured by K min"},
      {"Button16", "Style: particles (short pulses added over the surface)"},
      {"but_crisp", "Style: long, thin, contrasty streaks (faint, slowly changing noise, Contrast 6.0)"},
      {"but_shaded", "Style: plain shaded surface without texture"},
      {"but_d_kmin", "Shows K min as data"},
      {"but_d_kmax", "Shows K max as data"},
      {"but_d_velo", "Shows the speed as data"},
      {"but_d_kavg", "Shows the mean curvature as data"},

      // "Texture".
      {"ud_contrast",
       "Stretches the shown texture's contrast about its mean, in tenths (10 = off), showing only half "
       "of each frame's new noise; the advected image is not changed"},
      {"but_bc1", "First noise colour; click to choose"},
      {"but_bc2", "Second noise colour; click to choose"},
      {"cb_tex_long", "Noise colours blend the long way round the hue circle"},
      {"ud_scale", "Noise grain: one noise texel is Scale/10 pixels"},
      {"ud_modspeed", "Pulse speed: tenths of a pulse step per frame"},
      {"cb_lut_style", "Shape of the noise pulse over time; the plot below shows it"},
      {"ud_cospow", "Sharpness of the cosine pulse (exponent)"},
      {"ud_thalf", "Length of the pulse, per cent of its period"},
      {"ud_decay", "Decay of the exponential pulse, thousandths per step"},
      {"ud_saw", "Peak of the saw tooth, per cent of its period"},
      {"pb_puls_lut", "The pulse table: brightness of a noise texel over one period"},
      {"ud_alpha_text", "Opacity of the noise blended over the surface each frame, per cent"},
      {"cb_full_text", "Adds the noise instead of blending it"},
      {"ud_alpha_shade", "Opacity of the shading over the texture, per cent"},
      {"but_col_flash", "Shows one frame of raw noise (press again to go back)"},
      {"ud_dispmax", "Largest texture displacement per frame, tenths of a pixel"},
      {"but_topo", "Style: red saw-tooth noise that shows the flow's topology"},
      {"ud_flow_scale", "Time step of the advection, thousandths"},
      {"but_times2", "Doubles \"Delta t\""},
      {"but_div2", "Halves \"Delta t\""},
      {"cb_scale_up", "Every displacement is stretched to \"Disp max\", so slow flow moves too"},
      {"cb_alpha_mod", "Makes the shading's opacity follow the data value"},
      {"cb_alpha_mod_inverse", "Reverses \"Modulate alpha for data\""},
      {"cb_warp_texture", "Moves the texture instead of the geometry"},
      {"cb_tex_lock", "Freezes the texture: the image stops streaming"},
      {"cb_tex_lock_drag", "Freezes the texture while the view is turned, zoomed or panned"},
      {"cb_drag_texture", "Moves the texture with the view while it is turned or panned"},

      // "Flow".
      {"cb_usr_flow", "Uses the velocities stored in the mesh file"},
      {"ud_angle", "Turns the flow in the surface, degrees"},
      {"cb_shcurvature", "Adds flow along a principal curvature direction"},
      {"cb_curv_sh_max", "Curvature flow along the direction of largest curvature (else smallest)"},
      {"cb_sortmaxabs", "Sorts the curvature directions by absolute value"},
      {"Button1", "Orients the curvature directions consistently from neighbour to neighbour"},
      {"Button3", "Orients the curvature directions towards +X"},
      {"Button2", "Orients the curvature directions towards +Y"},
      {"Button4", "Orients the curvature directions towards +Z"},
      {"Button9", "Puts the curvature directions back as computed"},
      {"Button10", "Curvature flow follows the gradient of the Aux field"},
      {"cb_shpotflow", "Adds the uniform flow, the flow sources and the normal flow"},
      {"cb_project", "Removes the part of the flow that leaves the surface"},
      {"ud_vx", "Uniform flow along x, in mesh sizes"},
      {"ud_vy", "Uniform flow along y, in mesh sizes"},
      {"ud_vz", "Uniform flow along z, in mesh sizes"},
      {"ud_normal_flow", "Flow along the surface normal, tenths of the mesh size"},
      {"cb_showelements", "Shows the flow sources; they can be dragged only while shown"},
      {"rb_sphereflow", "The selected source is a point"},
      {"rb_cylflow", "The selected source is a line between two spheres"},
      {"ud_fstrength", "Outflow of the selected source (negative: a sink)"},
      {"ud_frotstrength", "Swirl of the selected line source about its line"},
      {"ud_faxisstrength", "Flow of the selected line source along its line"},
      {"cb_emit", "The selected source paints its colour into the texture"},
      {"sh_flow_paint_col", "Paint colour of the selected source; click to choose"},
      {"ud_paint_on", "Frames the source paints per blink, frames"},
      {"ud_paint_off", "Frames the source pauses per blink, frames"},
      {"cb_flow_array", "The simulation file's vector array used as the file velocities (\"Flow data\")"},
      {"cb_flow_reverse", "Turns the file's vectors round (shear stress points against the near-wall flow)"},
      {"cb_flow_tangential", "Removes the part of each file vector along the surface normal"},
      {"cb_flow_normalise", "Gives every file vector the same length, set by the surface's size"},
      {"but_add_flow", "Adds a line source; drag its spheres in the view (Shift: in depth)"},
      {"but_add_paint", "Adds a painting source"},
      {"Button6", "Deletes the selected source"},
      {"but_nextf", "Selects the next source"},
      {"but_prevf", "Selects the previous source"},
      {"but_deselect", "Selects no source"},

      // "Data".
      {"cbTexData", "Colours the surface by the chosen data channel"},
      {"rbfile", "Data: an array of the simulation file, chosen in the list beside"},
      {"cb_file_array", "The simulation file's scalar array (or vector magnitude) shown as the File channel"},
      {"cb_legend",
       "With \"Overlay with data\": draws a colour bar from Min to Max with the channel's name into the frame"},
      {"rbkmax", "Data: the largest principal curvature"},
      {"rbkavg", "Data: the mean curvature"},
      {"rbkmin", "Data: the smallest principal curvature"},
      {"rbad", "Data: the free Aux field"},
      {"rbvelocity", "Data: the speed of the flow"},
      {"rbpx", "Data: the x coordinate"},
      {"rbpy", "Data: the y coordinate"},
      {"rbpz", "Data: the z coordinate"},
      {"rbkminmax", "Data: Gaussian curvature (K max * K min)"},
      {"rbkmaxabs", "Data: the larger absolute curvature"},
      {"eddmin", "Data value shown in the \"Min\" colour; press Enter"},
      {"eddmax", "Data value shown in the \"Max\" colour; press Enter"},
      {"sh_datamin", "Colour of the lowest data value; click to choose"},
      {"sh_datamax", "Colour of the highest data value; click to choose"},
      {"Button5", "Sets the range to the channel's smallest and largest value"},
      {"cblong", "The colour map runs the long way round the hue circle"},
      {"cb_colour_map",
       "Colour map: \"Min to Max\" runs between the two colours above; Viridis, Cividis, Cool to warm and Grey are "
       "fixed maps"},
      {"cb_log_scale",
       "Maps the range logarithmically; with Min at or below zero the scale starts at the smallest positive value, "
       "and values at or below its start show the lowest colour"},
      {"ed_data_unit", "Unit of the data, shown in the legend's title (for example Pa)"},
      {"cb_blend_streaks",
       "With \"Overlay with data\": the data colour multiplies the streaks instead of lying over them, so both "
       "are seen together"},
      {"but_dup", "Shifts the range up by an eighth of its width"},
      {"but_ddown", "Shifts the range down by an eighth of its width"},
      {"but_dwide", "Widens the range to twice its width"},
      {"but_dsmall", "Narrows the range to half its width"},
      {"butcopyaux", "Copies the shown channel into Aux"},
      {"but_clear_aux", "Sets Aux to zero"},
      {"but_add_shade", "Adds the lighting's shade to Aux (amounts in the two boxes)"},
      {"ed_sh_min", "Shade added where the surface faces away from the light"},
      {"ed_sh_max", "Shade added where the surface faces the light"},
      {"cb_add_shade_to_data", "Adds the shade to Aux again whenever the view changes"},
      {"but_smooth", "Smooths Aux over the mesh (\"N\" passes, weight \"A\")"},
      {"udnsmooth", "Smoothing passes"},
      {"ud_asmooth", "Smoothing weight, per cent"},
      {"but_feature_lines", "Replaces Aux by the distance to feature lines"},
      {"gb_time", "Shown for a mesh with time steps"},
      {"ed_time", "Time shown; type a time and press Enter"},
      {"ed_dtime", "Time added per \"Run\" frame while \"animate\" is checked; press Enter"},
      {"cb_time_animate", "\"Run\" steps the time by \"dt\" and wraps to the first step"},
      {"tb_time", "Time, per cent of the file's time range (0..100)"},

      // "Shade": shade and show.
      {"cbshfill", "Draws the surface"},
      {"sh_diffuse", "Surface colour; click to choose"},
      {"sh_specular", "Colour of the highlights; click to choose"},
      {"ud_shininess", "Sharpness of the highlights, the specular exponent (above 128 the light keeps its last value)"},
      {"cbshline", "Draws the triangle edges"},
      {"sh_mesh_diffuse", "Colour of the mesh lines; click to choose"},
      {"sh_mesh_specular", "Highlight colour of the mesh lines; click to choose"},
      {"cbsmooth", "Smooth shading with per-vertex normals (else flat per triangle)"},
      {"cb_sharp_edges", "Smooth shading stops at edges bent more than the angle, so a box looks like a box"},
      {"ud_feature_angle", "Edges bent more than this, in degrees, stay sharp in smooth shading"},
      {"cb_lighting", "Lights the surface (else plain colour)"},
      {"sh_background", "Background colour; click to choose"},
      {"cbshtexture", "Shows the flow texture"},
      {"but_save_text", "Keeps the current texture as the mapped image"},
      {"cbshbox", "Draws the bounding box"},
      {"cbshmaxcurv", "Draws the directions of largest curvature"},
      {"but_kavg", "Style: curvature flow coloured by K min"},
      {"cbshnormals", "Draws the vertex normals"},
      {"cbshmincurv", "Draws the directions of smallest curvature"},
      {"cbshframes", "Draws each vertex's tangent frame"},
      {"cbshvelo", "Draws the velocity vectors"},
      {"cb_show_axes", "Draws a small x, y, z axes triad in the lower-left corner, turned as the view"},
      {"cb_show_time", "Writes the time of time-dependent data in the upper-left corner"},

      // "Shade": view.
      {"rb_x", "The model's x axis points up"},
      {"rb_y", "The model's y axis points up"},
      {"rb_z", "The model's z axis points up"},
      {"Button8", "Aims the view at the whole mesh again"},
      {"but_view_px", "Looks along +X (from the -X side) at the whole surface; the command line's --view +x"},
      {"but_view_mx", "Looks along -X (from the +X side) at the whole surface; the command line's --view -x"},
      {"but_view_py", "Looks along +Y (from the -Y side) at the whole surface; the command line's --view +y"},
      {"but_view_my", "Looks along -Y (from the +Y side) at the whole surface; the command line's --view -y"},
      {"but_view_pz", "Looks along +Z (from the -Z side) at the whole surface; the command line's --view +z"},
      {"but_view_mz", "Looks along -Z (from the +Z side) at the whole surface; the command line's --view -z"},
      {"but_view_iso", "Looks at the whole surface from the +X +Y +Z corner; the command line's --view iso"},
      {"ud_rotate", "Turn per \"Run\" frame, in 0.1 degree units"},
      {"ed_winw", "Width of the drawing area, pixels; press Enter"},
      {"ed_winh", "Height of the drawing area, pixels; press Enter"},
      {"ud_margin", "Inset of the picture inside the drawing area, pixels; press Enter"},
      {"Button14", "Hides the panels so the view fills the window. Key: F11 (Escape brings them back)"},
      {"ud_foc_length", "Lens focal length, millimetres of a 35-millimetre frame"},
      {"cb_iso", "Parallel projection without perspective"},

      // "Shade": light.
      {"ud_lr_light", "Light direction left or right, degrees"},
      {"ud_ud_light", "Light direction up or down, degrees"},
      {"sh_light", "Colour of the directed light; click to choose"},
      {"sh_ambient", "Colour of the ambient light; click to choose"},
      {"cb_dir_light", "Light from a direction (else from a point near the viewer)"},
  };
  return tips;
}

QString UpDownTip(const QString& text, int min, int max, int increment) {
  QString tip = QString("%1. Range %2..%3").arg(text).arg(min).arg(max);
  if (increment != 1) tip += QString(", step %1").arg(increment);
  return tip;
}

QStringList ApplyControlTips(QWidget* root) {
  QStringList unknown;
  for (const TControlTip& t : ControlTips()) {
    auto* w = root->findChild<QWidget*>(t.name);
    if (!w) {
      unknown << t.name;
      continue;
    }
    const auto* ud = dynamic_cast<const TUpDown*>(w);
    if (!ud) {
      w->setToolTip(t.text);
      continue;
    }
    const QString tip = UpDownTip(t.text, ud->Min(), ud->Max(), ud->Increment());
    w->setToolTip(tip);
    if (ud->Associate()) ud->Associate()->setToolTip(tip);
    if (ud->Label()) ud->Label()->setToolTip(tip);
  }
  return unknown;
}
