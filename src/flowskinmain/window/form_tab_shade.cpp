// Tab "Shade": surface colours and overlays, the view and the light. Each
// control is created here with its default and its event wiring.
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <string>
#include <vector>

#include "advection/surface_passes_gl.h"
#include "colorconversion/colorconversion.h"
#include "window/form1.h"
#include "window/form_builders.h"

QWidget* TForm1::BuildTabShade() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(1, 2, 1, 2);
  v->setSpacing(4);
  v->addWidget(BuildGroupShadeAndShow());
  v->addWidget(BuildGroupView());
  v->addWidget(BuildGroupLight());
  v->addStretch(1);
  return page;
}

QGroupBox* TForm1::BuildGroupShadeAndShow() {
  const TNotifyEvent redraw = FORM_HANDLER(cbshlineClick);
  const TMouseEvent pick = FORM_HANDLER(sh_dataminMouseDown);
  auto check = [&](TCheckBox*& cb, const char* name, const char* caption, bool on) {
    cb = new TCheckBox(name, caption, on);
    cb->OnClick = redraw;
    return cb;
  };
  auto swatch = [&](TColorSwatch*& sw, const char* name, int32_t color) {
    sw = new TColorSwatch(name, color);
    sw->OnMouseDown = pick;
    return sw;
  };
  QVBoxLayout* rows = nullptr;
  QGroupBox* group = NewGroup("gb_shade_show", "Shade and show", rows);
  AddRow(rows, {check(cbshfill, "cbshfill", "Shade", true), NewLabel("Diffuse"),
                swatch(sh_diffuse, "sh_diffuse", MakeColor(192, 192, 192)), NewLabel("Specular"),
                swatch(sh_specular, "sh_specular", MakeColor(128, 128, 128))});
  ud_shininess = NewUpDown("ud_shininess", "Edit3", Edit3, 0, 1000, 100);
  Edit3->OnChange = redraw;
  AddUpDownRow(rows, "Shine", ud_shininess, 60);
  AddRow(rows, {check(cbshline, "cbshline", "Mesh", false),
                swatch(sh_mesh_diffuse, "sh_mesh_diffuse", MakeColor(255, 255, 255)),
                swatch(sh_mesh_specular, "sh_mesh_specular", MakeColor(128, 128, 128))});
  AddRow(rows, {check(cbsmooth, "cbsmooth", "Smooth shading", true), check(cb_lighting, "cb_lighting", "Light", true)});
  const TSurfaceControls defaults;
  ud_feature_angle =
      NewUpDown("ud_feature_angle", "ed_feature_angle", ed_feature_angle, 1, 180, defaults.feature_angle);
  ed_feature_angle->OnChange = redraw;
  QLabel* angle_label = NewLabel("at angle");
  ud_feature_angle->SetLabel(angle_label);
  AddRow(rows, {check(cb_sharp_edges, "cb_sharp_edges", "Sharp edges", defaults.sharp_edges), angle_label,
                PairOf(ud_feature_angle)});
  but_save_text = new TButton("but_save_text", "-> image map");
  but_save_text->OnClick = FORM_HANDLER(but_save_textClick);
  but_save_text->hide();
  AddRow(rows, {NewLabel("Background"), swatch(sh_background, "sh_background", MakeColor(192, 192, 192)),
                check(cbshtexture, "cbshtexture", "Texture", true), but_save_text});
  but_kavg = new TButton("but_kavg", "Kavg");
  but_kavg->OnClick = FORM_HANDLER(but_erodeClick);
  but_kavg->hide();
  AddRow(rows, {check(cbshbox, "cbshbox", "Box", false),
                check(cbshmaxcurv, "cbshmaxcurv", "Max curvature vector", false), but_kavg});
  AddRow(rows, {check(cbshnormals, "cbshnormals", "Normals", false),
                check(cbshmincurv, "cbshmincurv", "Min curvature vector", false)});
  AddRow(rows,
         {check(cbshframes, "cbshframes", "Frames", false), check(cbshvelo, "cbshvelo", "Velocity vector", false)});
  AddRow(rows, {check(cb_show_axes, "cb_show_axes", "Axes", false),
                check(cb_show_time, "cb_show_time", "Time value", false)});
  return group;
}

QGroupBox* TForm1::BuildGroupView() {
  const TNotifyEvent redraw = FORM_HANDLER(cbshlineClick);
  const TKeyEvent margin_keys = FORM_HANDLER(ed_marginKeyDown);
  constexpr int kLabel = 76;
  QVBoxLayout* rows = nullptr;
  QGroupBox* group = NewGroup("gb_view", "View", rows);
  auto* axes = new QWidget;  // own parent: the up-axis radio buttons form one group
  auto* axes_row = new QHBoxLayout(axes);
  axes_row->setContentsMargins(0, 0, 0, 0);
  rb_x = new TRadioButton("rb_x", "X", false, axes);
  rb_y = new TRadioButton("rb_y", "Y", true, axes);
  rb_z = new TRadioButton("rb_z", "Z", false, axes);
  for (TRadioButton* rb : {rb_x, rb_y, rb_z}) {
    rb->OnClick = redraw;
    axes_row->addWidget(rb);
  }
  Button8 = new TButton("Button8", "Reset");
  Button8->OnClick = FORM_HANDLER(Button8Click);
  AddRow(rows, {NewLabel("Up axis"), axes, Narrow(Button8, 50)});
  std::vector<QWidget*> look{NewLabel("Look along")};
  for (size_t i = 0; i < std::size(kAxisViews); ++i) {
    const TAxisView& a = kAxisViews[i];
    std::string name = std::string("but_view_") +
                       (a.name[0] == '+'   ? "p"
                        : a.name[0] == '-' ? "m"
                                           : "") +
                       (a.name[0] == '+' || a.name[0] == '-' ? a.name + 1 : a.name);
    but_views[i] = new TButton(QString::fromStdString(name), a.caption);
    but_views[i]->OnClick = FORM_HANDLER(but_viewClick);
    look.push_back(Narrow(but_views[i], i + 1 < std::size(kAxisViews) ? 30 : 34));
  }
  AddRow(rows, look);
  ud_rotate = NewUpDown("ud_rotate", "Edit4", Edit4, -100, 100, 0);
  Edit4->OnChange = redraw;
  QWidget* rotate_row = AddUpDownRow(rows, "Rotate", ud_rotate, kLabel);
  static_cast<QBoxLayout*>(rotate_row->layout())->insertWidget(2, NewLabel("0.1 deg/frame"));
  ed_winw = new TEdit("ed_winw", "512");  // GLPanel1Resize keeps both at the drawing size
  ed_winh = new TEdit("ed_winh", "512");
  for (TEdit* e : {ed_winw, ed_winh}) {
    e->setFixedWidth(44);
    e->OnKeyDown = FORM_HANDLER(ed_winwKeyDown);
  }
  AddRow(rows, {NewLabel("Window", kLabel), ed_winw, NewLabel("X"), ed_winh});
  ud_margin = NewUpDown("ud_margin", "ed_margin", ed_margin, 0, 100, 0);
  ed_margin->OnChange = redraw;
  ed_margin->OnKeyDown = margin_keys;
  Button14 = new TButton("Button14", "Full window");
  Button14->OnClick = FORM_HANDLER(Button14Click);
  QWidget* margin_row = AddUpDownRow(rows, "Margin", ud_margin, kLabel);
  static_cast<QBoxLayout*>(margin_row->layout())->insertWidget(2, Button14);
  ud_foc_length = NewUpDown("ud_foc_length", "Edit12", Edit12, 5, 1000, 50);
  Edit12->OnChange = redraw;
  Edit12->OnKeyDown = margin_keys;
  cb_iso = new TCheckBox("cb_iso", "isometric", false);
  cb_iso->OnClick = redraw;
  QWidget* focal_row = AddUpDownRow(rows, "Focal length", ud_foc_length, kLabel);
  static_cast<QBoxLayout*>(focal_row->layout())->insertWidget(2, cb_iso);
  return group;
}

QGroupBox* TForm1::BuildGroupLight() {
  const TNotifyEvent light = FORM_HANDLER(ed_llight_lrChange);
  const TMouseEvent pick = FORM_HANDLER(sh_dataminMouseDown);
  constexpr int kLabel = 70;
  QVBoxLayout* rows = nullptr;
  QGroupBox* group = NewGroup("gb_light", "Light", rows);
  ud_lr_light = NewUpDown("ud_lr_light", "ed_llight_lr", ed_llight_lr, -90, 90, 10, 5, true);
  ed_llight_lr->OnChange = light;
  AddUpDownRow(rows, "Left/right", ud_lr_light, kLabel);
  ud_ud_light = NewUpDown("ud_ud_light", "Edit11", Edit11, -90, 90, 25, 5);
  Edit11->OnChange = light;
  AddUpDownRow(rows, "Up/down", ud_ud_light, kLabel);
  sh_light = new TColorSwatch("sh_light", MakeColor(255, 255, 255));
  sh_ambient = new TColorSwatch("sh_ambient", MakeColor(0, 0, 0));
  sh_light->OnMouseDown = pick;
  sh_ambient->OnMouseDown = pick;
  AddRow(rows, {NewLabel("Directed"), sh_light, NewLabel("Ambient"), sh_ambient});
  cb_dir_light = new TCheckBox("cb_dir_light", "Directional light", true);
  cb_dir_light->OnClick = light;
  AddRow(rows, {cb_dir_light});
  return group;
}
