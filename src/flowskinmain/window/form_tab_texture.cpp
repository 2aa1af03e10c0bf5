// Tab "Texture": noise colours and pulse, blending, displacement and texture
// lock. Each control is created here with its default and its event wiring.
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>

#include "advection/contrast_stretch.h"
#include "colorconversion/colorconversion.h"
#include "window/form1.h"
#include "window/form_builders.h"

QWidget* TForm1::BuildTabTexture() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(1, 2, 1, 2);
  QVBoxLayout* rows = nullptr;
  QGroupBox* group = NewGroup("gb_texture", "Texture", rows);
  v->addWidget(group);
  v->addStretch(1);
  const TNotifyEvent redraw = FORM_HANDLER(cbshlineClick);
  const TNotifyEvent pulse = FORM_HANDLER(ed_thalfChange);
  constexpr int kLabel = 82;

  but_bc1 = new TColorSwatch("but_bc1", MakeColor(0, 0, 0));
  but_bc2 = new TColorSwatch("but_bc2", MakeColor(255, 255, 255));
  for (TColorSwatch* s : {but_bc1, but_bc2}) s->OnMouseDown = FORM_HANDLER(but_bc1MouseDown);
  cb_tex_long = new TCheckBox("cb_tex_long", "long", true);
  cb_tex_long->OnClick = FORM_HANDLER(cb_tex_longClick);
  AddRow(rows, {NewLabel("Color"), but_bc1, NewLabel("Color"), but_bc2, cb_tex_long});

  ud_scale = NewUpDown("ud_scale", "Edit2", Edit2, 1, 1000, 25);
  Edit2->OnChange = redraw;
  AddUpDownRow(rows, "Scale", ud_scale, kLabel);
  ud_modspeed = NewUpDown("ud_modspeed", "Edit8", Edit8, 0, 100, 10);
  Edit8->OnChange = redraw;
  AddUpDownRow(rows, "Speed", ud_modspeed, kLabel);

  cb_lut_style = new TComboBox("cb_lut_style", {"Cosine", "Exponential decay", "Puls", "Saw tooth"});
  cb_lut_style->OnChange = FORM_HANDLER(cb_lut_styleChange);
  AddRow(rows, {NewLabel("Modulate", kLabel), cb_lut_style});
  // The four pulse parameters; cb_lut_styleChange shows the trio of the style.
  ud_cospow = NewUpDown("ud_cospow", "ed_cospow", ed_cospow, 1, 10, 4);
  AddUpDownRow(rows, "cos power", ud_cospow, kLabel, "lab_cospow", &lab_cospow);
  ud_thalf = NewUpDown("ud_thalf", "ed_thalf", ed_thalf, 1, 1000, 50);
  AddUpDownRow(rows, "Puls length", ud_thalf, kLabel, "lab_thalf", &lab_thalf);
  ud_decay = NewUpDown("ud_decay", "ed_decay", ed_decay, 1, 1000, 6);
  AddUpDownRow(rows, "exp. Decay", ud_decay, kLabel, "lab_decay", &lab_decay);
  ud_saw = NewUpDown("ud_saw", "ed_saw", ed_saw, 0, 100, 0);
  AddUpDownRow(rows, "Saw pos.", ud_saw, kLabel, "lab_saw", &lab_saw);
  for (TEdit* e : {ed_cospow, ed_thalf, ed_decay, ed_saw}) e->OnChange = pulse;

  pb_puls_lut = new TPaintBox("pb_puls_lut");
  pb_puls_lut->setFixedSize(200, 60);
  pb_puls_lut->setAutoFillBackground(true);
  QPalette pal = pb_puls_lut->palette();
  pal.setColor(QPalette::Window, Qt::red);
  pb_puls_lut->setPalette(pal);
  pb_puls_lut->OnPaint = FORM_HANDLER(pb_puls_lutPaint);
  AddRow(rows, {pb_puls_lut});
  BuildTextureBlending(rows);
  return page;
}

// Blending weights, displacement and the texture lock, below the pulse plot.
void TForm1::BuildTextureBlending(QVBoxLayout* rows) {
  const TNotifyEvent redraw = FORM_HANDLER(cbshlineClick);
  const TNotifyEvent refresh = FORM_HANDLER(rbkmaxClick);
  constexpr int kLabel = 82;
  ud_alpha_text = NewUpDown("ud_alpha_text", "Edit37", Edit37, 0, 100, 10);
  Edit37->OnChange = redraw;
  cb_full_text = new TCheckBox("cb_full_text", "full", false);
  QWidget* alpha_row = AddUpDownRow(rows, "Alpha texture", ud_alpha_text, kLabel);
  static_cast<QBoxLayout*>(alpha_row->layout())->insertWidget(2, cb_full_text);
  ud_alpha_shade = NewUpDown("ud_alpha_shade", "Edit1", Edit1, 1, 100, 60);
  Edit1->OnChange = redraw;
  but_col_flash = new TButton("but_col_flash", "Flash");
  but_col_flash->OnClick = FORM_HANDLER(but_col_flashClick);
  QWidget* shade_row = AddUpDownRow(rows, "Alpha shade", ud_alpha_shade, kLabel);
  static_cast<QBoxLayout*>(shade_row->layout())->insertWidget(2, Narrow(but_col_flash, 50));
  // Stretch of the shown texture's contrast in tenths: 10 (1.0) leaves the frame as it is.
  ud_contrast = NewUpDown("ud_contrast", "ed_contrast", ed_contrast, kContrastOff, 80, kContrastOff);
  ed_contrast->OnChange = redraw;
  AddUpDownRow(rows, "Contrast", ud_contrast, kLabel);
  ud_dispmax = NewUpDown("ud_dispmax", "ed_dispmax", ed_dispmax, 1, 100, 30);
  ed_dispmax->OnChange = redraw;
  but_topo = new TButton("but_topo", "Topology");
  but_topo->OnClick = FORM_HANDLER(but_topoClick);
  QWidget* disp_row = AddUpDownRow(rows, "Disp max", ud_dispmax, kLabel);
  static_cast<QBoxLayout*>(disp_row->layout())->insertWidget(2, Narrow(but_topo, 70));
  ud_flow_scale = NewUpDown("ud_flow_scale", "Edit9", Edit9, 1, 100, 10);  // read by the advection pass
  but_times2 = new TButton("but_times2", "* 2");
  but_div2 = new TButton("but_div2", "* 0.5");
  for (TButton* b : {but_times2, but_div2}) b->OnClick = FORM_HANDLER(but_div2Click);
  QWidget* dt_row = AddUpDownRow(rows, "Delta t", ud_flow_scale, kLabel);
  static_cast<QBoxLayout*>(dt_row->layout())->insertWidget(2, Narrow(but_times2, 36));
  static_cast<QBoxLayout*>(dt_row->layout())->insertWidget(3, Narrow(but_div2, 40));
  cb_scale_up = new TCheckBox("cb_scale_up", "Scale up to maximum displacement", true);
  cb_scale_up->OnClick = redraw;
  QFont narrow = cb_scale_up->font();  // the longest caption of the panel
  narrow.setPixelSize(10);
  cb_scale_up->setFont(narrow);
  AddRow(rows, {cb_scale_up});
  cb_alpha_mod = new TCheckBox("cb_alpha_mod", "Modulate alpha for data", false);
  cb_alpha_mod->OnClick = refresh;
  cb_alpha_mod_inverse = new TCheckBox("cb_alpha_mod_inverse", "Inverse", false);
  cb_alpha_mod_inverse->OnClick = refresh;
  AddRow(rows, {cb_alpha_mod});
  AddRow(rows, {cb_alpha_mod_inverse});
  cb_warp_texture = new TCheckBox("cb_warp_texture", "Warp texture instead of geometry", true);
  cb_warp_texture->OnClick = redraw;
  AddRow(rows, {cb_warp_texture})->hide();
  cb_warp_texture->hide();
  cb_tex_lock = new TCheckBox("cb_tex_lock", "Lock texture", false);
  cb_tex_lock->OnClick = FORM_HANDLER(cb_tex_lockClick);
  AddRow(rows, {cb_tex_lock});
  cb_tex_lock_drag = new TCheckBox("cb_tex_lock_drag", "Lock texture when changing view", false);
  AddRow(rows, {cb_tex_lock_drag});
  cb_drag_texture = new TCheckBox("cb_drag_texture", "Drag texture when changing view", true);
  AddRow(rows, {cb_drag_texture});
}
