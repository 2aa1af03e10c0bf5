// Tab "Flow": velocity field composition, direction-field alignment and the
// editing controls of the selected flow source. Each control is created here
// with its default and its event wiring.
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>

#include "colorconversion/colorconversion.h"
#include "window/form1.h"
#include "window/form_builders.h"

QWidget* TForm1::BuildTabFlow() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(1, 2, 1, 2);
  v->setSpacing(4);
  const TNotifyEvent redraw = FORM_HANDLER(cbshlineClick);
  const TNotifyEvent refresh = FORM_HANDLER(rbkmaxClick);
  const TUDClickEvent redraw_click = FORM_CLICK_HANDLER(cbshlineClick);
  constexpr int kLabel = 60;

  QVBoxLayout* rows = nullptr;
  QGroupBox* field = NewGroup("gb_flow_field", "Flow field", rows);
  cb_usr_flow = new TCheckBox("cb_usr_flow", "Flow data", false);  // set by the mesh reader
  AddRow(rows, {cb_usr_flow});
  // The vectors of a simulation file: which array is the flow, and how its
  // vectors are taken; shown only for such files.
  flow_array_rows = new QWidget;
  auto* arrays = new QVBoxLayout(flow_array_rows);
  arrays->setContentsMargins(0, 0, 0, 0);
  arrays->setSpacing(2);
  cb_flow_array = new TComboBox("cb_flow_array", {});
  cb_flow_array->OnChange = FORM_HANDLER(cb_flow_arrayChange);
  AddRow(arrays, {NewLabel("Flow array"), cb_flow_array});
  cb_flow_reverse = new TCheckBox("cb_flow_reverse", "Reverse", false);
  cb_flow_tangential = new TCheckBox("cb_flow_tangential", "Tangential only", true);
  cb_flow_normalise = new TCheckBox("cb_flow_normalise", "Normalise", true);
  for (TCheckBox* c : {cb_flow_reverse, cb_flow_tangential, cb_flow_normalise})
    c->OnClick = FORM_HANDLER(cb_flow_reverseClick);
  AddRow(arrays, {cb_flow_reverse, cb_flow_tangential, cb_flow_normalise});
  rows->addWidget(flow_array_rows);
  flow_array_rows->hide();
  ud_angle = NewUpDown("ud_angle", "ed_angle", ed_angle, -360, 360, 0, 15);
  ed_angle->OnChange = refresh;
  AddUpDownRow(rows, "Angle", ud_angle, kLabel);
  cb_shcurvature = new TCheckBox("cb_shcurvature", "Curvature flow", false);
  cb_shcurvature->OnClick = refresh;
  cb_curv_sh_max = new TCheckBox("cb_curv_sh_max", "Use Kmax ", true);
  cb_curv_sh_max->OnClick = refresh;
  AddRow(rows, {cb_shcurvature, cb_curv_sh_max});
  cb_sortmaxabs = new TCheckBox("cb_sortmaxabs", "sort max abs", false);
  cb_sortmaxabs->OnClick = refresh;
  Button1 = new TButton("Button1", "Align neighbor");
  Button1->OnClick = FORM_HANDLER(Button1Click);
  AddRow(rows, {cb_sortmaxabs, Button1})->hide();
  cb_sortmaxabs->hide();
  Button1->hide();
  Button3 = new TButton("Button3", "X");
  Button3->OnClick = FORM_HANDLER(Button3Click);
  Button2 = new TButton("Button2", "Y");
  Button2->OnClick = FORM_HANDLER(Button2Click);
  Button4 = new TButton("Button4", "Z");
  Button4->OnClick = FORM_HANDLER(Button4Click);
  Button9 = new TButton("Button9", "Max val");
  Button9->OnClick = FORM_HANDLER(Button9Click);
  AddRow(rows, {NewLabel("Align:"), Narrow(Button3, 28), Narrow(Button2, 28), Narrow(Button4, 28), Button9});
  Button10 = new TButton("Button10", "Replace with Grad Aux");
  Button10->OnClick = FORM_HANDLER(Button10Click);
  AddRow(rows, {Button10});
  cb_shpotflow = new TCheckBox("cb_shpotflow", "Potential flow", true);
  cb_shpotflow->OnClick = refresh;
  AddRow(rows, {cb_shpotflow});
  cb_project = new TCheckBox("cb_project", "Project velocity on surface", true);
  cb_project->OnClick = refresh;
  AddRow(rows, {cb_project});
  ud_vx = NewUpDown("ud_vx", "ed_vx", ed_vx, -100, 100, 0);
  ud_vy = NewUpDown("ud_vy", "ed_vy", ed_vy, -100, 100, 0);
  ud_vz = NewUpDown("ud_vz", "ed_vz", ed_vz, -100, 100, 0);
  for (TUpDown* ud : {ud_vx, ud_vy, ud_vz}) {
    ud->Associate()->setFixedWidth(36);
    ud->Associate()->OnChange = redraw;
    ud->OnClick = redraw_click;
  }
  AddRow(rows, {NewLabel("Linear"), PairOf(ud_vx), PairOf(ud_vy), PairOf(ud_vz)});
  ud_normal_flow = NewUpDown("ud_normal_flow", "Edit13", Edit13, -100, 100, 0);
  Edit13->OnChange = redraw;
  ud_normal_flow->OnClick = redraw_click;
  AddUpDownRow(rows, "Normal", ud_normal_flow, kLabel);
  cb_showelements = new TCheckBox("cb_showelements", "Show flow sources", true);
  cb_showelements->OnClick = redraw;
  AddRow(rows, {cb_showelements});
  v->addWidget(field);
  v->addWidget(BuildFlowSourceEditing());
  v->addStretch(1);
  return page;
}

// Group "Flow sources": kind, strengths and paint of the selected source, and
// the buttons that add, delete and select sources.
QWidget* TForm1::BuildFlowSourceEditing() {
  const TNotifyEvent refresh = FORM_HANDLER(rbkmaxClick);
  constexpr int kLabel = 70;
  QVBoxLayout* rows = nullptr;
  QGroupBox* group = NewGroup("gb_flow_sources", "Flow sources", rows);
  auto* kind = new QWidget;  // own parent: the two radio buttons form one group
  auto* kind_row = new QHBoxLayout(kind);
  kind_row->setContentsMargins(0, 0, 0, 0);
  rb_sphereflow = new TRadioButton("rb_sphereflow", "Point source", false, kind);
  rb_cylflow = new TRadioButton("rb_cylflow", "Line source", true, kind);
  for (TRadioButton* rb : {rb_sphereflow, rb_cylflow}) {
    rb->OnClick = FORM_HANDLER(rb_cylflowClick);
    kind_row->addWidget(rb);
  }
  kind_row->addStretch(1);
  rows->addWidget(kind);
  ud_fstrength = NewUpDown("ud_fstrength", "Edit6", Edit6, -100, 100, 10);
  AddUpDownRow(rows, "Strength", ud_fstrength, kLabel);
  ud_frotstrength = NewUpDown("ud_frotstrength", "ed_frotstrength", ed_frotstrength, -100, 100, 0);
  AddUpDownRow(rows, "Rotational", ud_frotstrength, kLabel, "lab_frotstrength", &lab_frotstrength);
  ud_faxisstrength = NewUpDown("ud_faxisstrength", "ed_faxisstrength", ed_faxisstrength, -100, 100, 0);
  AddUpDownRow(rows, "Tangential", ud_faxisstrength, kLabel, "lab_faxisstrength", &lab_faxisstrength);
  cb_emit = new TCheckBox("cb_emit", "Paint", false);
  cb_emit->OnClick = refresh;
  sh_flow_paint_col = new TColorSwatch("sh_flow_paint_col", MakeColor(255, 0, 0));
  sh_flow_paint_col->OnMouseDown = FORM_HANDLER(sh_dataminMouseDown);
  AddRow(rows, {cb_emit, sh_flow_paint_col});
  ud_paint_on = NewUpDown("ud_paint_on", "Edit5", Edit5, 1, 1000, 1);
  AddUpDownRow(rows, "Paint on", ud_paint_on, kLabel);
  ud_paint_off = NewUpDown("ud_paint_off", "Edit10", Edit10, 0, 100, 0);
  AddUpDownRow(rows, "Paint off", ud_paint_off, kLabel);
  for (TEdit* e : {Edit6, ed_frotstrength, ed_faxisstrength, Edit5, Edit10}) e->OnChange = refresh;

  but_add_flow = new TButton("but_add_flow", "Add flow");
  but_add_paint = new TButton("but_add_paint", "Add paint");
  for (TButton* b : {but_add_flow, but_add_paint}) b->OnClick = FORM_HANDLER(but_add_flowClick);
  Button6 = new TButton("Button6", "Delete");
  Button6->OnClick = FORM_HANDLER(Button6Click);
  AddRow(rows, {but_add_flow, but_add_paint, Button6});
  but_nextf = new TButton("but_nextf", "Next");
  but_prevf = new TButton("but_prevf", "Prev");
  but_deselect = new TButton("but_deselect", "Deselect");
  for (TButton* b : {but_nextf, but_prevf, but_deselect}) b->OnClick = FORM_HANDLER(but_prevfClick);
  AddRow(rows, {but_nextf, but_prevf, but_deselect});
  return group;
}
