// Tab "Data": data channel and its range, colour-map ends, auxiliary field
// operations and the time controls of time-dependent meshes. Each control is
// created here with its default and its event wiring.
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "colorconversion/colorconversion.h"
#include "data/render_state.h"
#include "window/form1.h"
#include "window/form_builders.h"

QWidget* TForm1::BuildTabData() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(1, 2, 1, 2);
  v->setSpacing(4);
  const TNotifyEvent refresh = FORM_HANDLER(rbkmaxClick);
  const TMouseEvent pick = FORM_HANDLER(sh_dataminMouseDown);
  const TKeyEvent range_keys = FORM_HANDLER(eddmaxKeyUp);

  QVBoxLayout* rows = nullptr;
  QGroupBox* data_group = NewGroup("gb_data", "Data", rows);
  cbTexData = new TCheckBox("cbTexData", "Overlay with data", false);
  cbTexData->OnClick = refresh;
  cb_legend = new TCheckBox("cb_legend", "Legend", false);  // colour bar in the frame while the data overlay is on
  cb_legend->OnClick = FORM_HANDLER(cbshlineClick);
  AddRow(rows, {cbTexData, cb_legend});
  rows->addWidget(BuildChannelRadios());

  eddmin = new TEdit("eddmin");  // filled by the render-state refresh
  eddmax = new TEdit("eddmax");
  for (TEdit* e : {eddmin, eddmax}) {
    e->setFixedWidth(90);
    e->OnKeyUp = range_keys;
  }
  sh_datamin = new TColorSwatch("sh_datamin", MakeColor(0, 255, 255));
  sh_datamax = new TColorSwatch("sh_datamax", MakeColor(255, 128, 128));  // also set by FormCreate
  sh_datamin->OnMouseDown = pick;
  sh_datamax->OnMouseDown = pick;
  AddRow(rows, {NewLabel("Min", 28), eddmin, sh_datamin});
  AddRow(rows, {NewLabel("Max", 28), eddmax, sh_datamax});
  Button5 = new TButton("Button5", "Reset");
  Button5->OnClick = FORM_HANDLER(Button5Click);
  cblong = new TCheckBox("cblong", "Long", false);
  cblong->OnClick = refresh;
  but_dup = new TButton("but_dup", ">");
  but_ddown = new TButton("but_ddown", "<");
  but_dwide = new TButton("but_dwide", "<>");
  but_dsmall = new TButton("but_dsmall", "><");
  for (TButton* b : {but_dup, but_ddown, but_dwide, but_dsmall}) {
    b->OnClick = FORM_HANDLER(but_dupClick);
    b->setFixedWidth(26);
  }
  AddRow(rows, {Narrow(Button5, 46), cblong, but_ddown, but_dup, but_dwide, but_dsmall});
  BuildColourMapRows(rows);
  v->addWidget(data_group);

  v->addWidget(BuildGroupAux());
  v->addWidget(BuildGroupTime());
  v->addStretch(1);
  return page;
}

// The data-channel radio buttons; they share one parent widget: one group.
QWidget* TForm1::BuildChannelRadios() {
  const TNotifyEvent refresh = FORM_HANDLER(rbkmaxClick);
  auto* channels = new QWidget;
  auto* grid = new QGridLayout(channels);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(0);
  rbkmax = new TRadioButton("rbkmax", "K max", false, channels);
  rbkavg = new TRadioButton("rbkavg", "(Kmin + Kmax)/2", false, channels);
  rbkmin = new TRadioButton("rbkmin", "K min", false, channels);
  rbad = new TRadioButton("rbad", "Aux", false, channels);
  rbvelocity = new TRadioButton("rbvelocity", "Velocity", true, channels);
  rbpx = new TRadioButton("rbpx", "X", false, channels);
  rbpy = new TRadioButton("rbpy", "Y", false, channels);
  rbpz = new TRadioButton("rbpz", "Z", false, channels);
  rbkminmax = new TRadioButton("rbkminmax", "K max * K min", false, channels);
  rbkmaxabs = new TRadioButton("rbkmaxabs", "max abs K", false, channels);
  grid->addWidget(rbkmax, 0, 0);
  grid->addWidget(rbkavg, 0, 1, 1, 2);
  grid->addWidget(rbkmin, 1, 0);
  grid->addWidget(rbad, 1, 1);
  grid->addWidget(rbvelocity, 1, 2);
  grid->addWidget(rbpx, 2, 0);
  grid->addWidget(rbpy, 2, 1);
  grid->addWidget(rbpz, 2, 2);
  grid->addWidget(rbkminmax, 3, 0, 1, 2);
  grid->addWidget(rbkmaxabs, 3, 2);
  rbkminmax->hide();
  rbkmaxabs->hide();
  // "File": a scalar of a simulation file's arrays, shown only for such files.
  rbfile = new TRadioButton("rbfile", "File", false, channels);
  cb_file_array = new TComboBox("cb_file_array", {}, channels);
  cb_file_array->OnChange = FORM_HANDLER(cb_file_arrayChange);
  grid->addWidget(rbfile, 4, 0);
  grid->addWidget(cb_file_array, 4, 1, 1, 2);
  rbfile->hide();
  cb_file_array->hide();
  for (TRadioButton* rb : {rbkmax, rbkavg, rbkmin, rbad, rbvelocity, rbpx, rbpy, rbpz, rbkminmax, rbkmaxabs, rbfile})
    rb->OnClick = refresh;
  return channels;
}

// The colour map by name with its scale, the data's unit for the legend, and
// the blend of the data colour with the streaks. Defaults: those of the
// render-state and surface controls.
void TForm1::BuildColourMapRows(QVBoxLayout* rows) {
  const TNotifyEvent refresh = FORM_HANDLER(rbkmaxClick);
  const TRenderStateControls map_defaults;
  QStringList names;
  for (int32_t k = 0; k < kColourMapCount; ++k) names << ColourMapName(k);
  cb_colour_map = new TComboBox("cb_colour_map", names);
  cb_colour_map->SetItemIndex(map_defaults.colour_map);
  cb_colour_map->OnChange = refresh;
  cb_log_scale = new TCheckBox("cb_log_scale", "Log scale", map_defaults.log_scale);
  cb_log_scale->OnClick = refresh;
  AddRow(rows, {NewLabel("Map", 28), cb_colour_map, cb_log_scale});
  ed_data_unit = new TEdit("ed_data_unit");
  ed_data_unit->setFixedWidth(90);
  ed_data_unit->OnChange = FORM_HANDLER(cbshlineClick);  // the legend reads it in every frame
  AddRow(rows, {NewLabel("Unit", 28), ed_data_unit});
  cb_blend_streaks = new TCheckBox("cb_blend_streaks", "Blend with streaks", TSurfaceControls().blend_streaks);
  cb_blend_streaks->OnClick = refresh;
  AddRow(rows, {cb_blend_streaks});
}

// Group "Aux": operations on the auxiliary field.
QGroupBox* TForm1::BuildGroupAux() {
  QVBoxLayout* rows = nullptr;
  QGroupBox* aux = NewGroup("gb_aux", "Aux", rows);
  butcopyaux = new TButton("butcopyaux", "Cur -> Aux");
  butcopyaux->OnClick = FORM_HANDLER(butcopyauxClick);
  but_clear_aux = new TButton("but_clear_aux", "Clear Aux");
  but_clear_aux->OnClick = FORM_HANDLER(but_clear_auxClick);
  AddRow(rows, {butcopyaux, but_clear_aux});
  but_add_shade = new TButton("but_add_shade", "Add shade to Aux");
  but_add_shade->OnClick = FORM_HANDLER(but_add_shadeClick);
  ed_sh_min = new TEdit("ed_sh_min", "10");
  ed_sh_max = new TEdit("ed_sh_max", "0");
  ed_sh_min->setFixedWidth(34);
  ed_sh_max->setFixedWidth(34);
  AddRow(rows, {but_add_shade, ed_sh_min, ed_sh_max});
  cb_add_shade_to_data = new TCheckBox("cb_add_shade_to_data", "Add shade to Aux on view change", false);
  cb_add_shade_to_data->OnClick = FORM_HANDLER(cb_add_shade_to_dataClick);
  AddRow(rows, {cb_add_shade_to_data});
  but_smooth = new TButton("but_smooth", "Smooth Aux");
  but_smooth->OnClick = FORM_HANDLER(but_smoothClick);
  udnsmooth = NewUpDown("udnsmooth", "ednsmooth", ednsmooth, 0, 100, 10);
  ud_asmooth = NewUpDown("ud_asmooth", "ed_asmooth", ed_asmooth, 0, 100, 25);
  ednsmooth->setFixedWidth(32);
  ed_asmooth->setFixedWidth(32);
  AddRow(rows, {but_smooth, NewLabel("N"), PairOf(udnsmooth), NewLabel("A"), PairOf(ud_asmooth)});
  but_feature_lines = new TButton("but_feature_lines", "F lines");
  but_feature_lines->OnClick = FORM_HANDLER(but_feature_linesClick);
  AddRow(rows, {but_feature_lines})->hide();
  but_feature_lines->hide();
  return aux;
}

// Group "Time dependent data", hidden until a time-dependent mesh is loaded.
QGroupBox* TForm1::BuildGroupTime() {
  QVBoxLayout* rows = nullptr;
  gb_time = NewGroup("gb_time", "Time dependent data", rows);
  ed_time = new TEdit("ed_time");
  ed_time->setFixedWidth(90);
  ed_time->OnKeyUp = FORM_HANDLER(ed_timeKeyUp);
  AddRow(rows, {NewLabel("Time", 28), ed_time});
  ed_dtime = new TEdit("ed_dtime", "0");
  ed_dtime->setFixedWidth(90);
  ed_dtime->OnKeyUp = FORM_HANDLER(ed_dtimeKeyUp);
  cb_time_animate = new TCheckBox("cb_time_animate", "animate", false);
  AddRow(rows, {NewLabel("dt", 28), ed_dtime, cb_time_animate});
  tb_time = new TTrackBar("tb_time", 0, 100, 10, 0);
  tb_time->OnChange = FORM_HANDLER(tb_timeChange);
  rows->addWidget(tb_time);
  gb_time->hide();
  return gb_time;
}
