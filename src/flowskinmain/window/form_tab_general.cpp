// Tab "General": mesh input, images and the preset buttons. Each control is
// created here with its default and its event wiring.
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>

#include "output/movie_encoder.h"
#include "window/form1.h"
#include "window/form_builders.h"

QWidget* TForm1::BuildTabGeneral() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(1, 2, 1, 2);
  v->setSpacing(4);
  const TNotifyEvent redraw = FORM_HANDLER(cbshlineClick);

  QVBoxLayout* rows = nullptr;
  QGroupBox* mesh = NewGroup("gb_mesh_input", "Mesh input", rows);
  but_load_mesh = new TButton("but_load_mesh", "Load mesh...");
  but_load_mesh->OnClick = FORM_HANDLER(Open1Click);
  Button18 = new TButton("Button18", "Reset View");
  Button18->OnClick = FORM_HANDLER(Button8Click);
  AddRow(rows, {but_load_mesh, Button18});
  cb_subdiv = new TCheckBox("cb_subdiv", "Subdivide when read:", false);
  ud_subdiv = NewUpDown("ud_subdiv", "Edit15", Edit15, 1, 20, 1);
  AddRow(rows, {cb_subdiv, PairOf(ud_subdiv)});
  cb_swap = new TCheckBox("cb_swap", "Swap orientation", false);
  AddRow(rows, {cb_swap});
  // The blocks of a multiblock file, about ten lines high (a case's patches
  // without scrolling); empty until one is loaded.
  lw_blocks = new TCheckList("lw_blocks");
  lw_blocks->setFixedHeight(10 * lw_blocks->fontMetrics().height() + 8);
  lw_blocks->OnChange = FORM_HANDLER(lw_blocksChange);
  QLabel* blocks_label = NewLabel("Blocks");
  AddRow(rows, {blocks_label, lw_blocks})->layout()->setAlignment(blocks_label, Qt::AlignTop);
  // Hidden with fixed defaults: curvature normalisation on, cracks and the
  // second curvature ring off.
  cb_normk = new TCheckBox("cb_normk", "Norm. K", true);
  cb_crack_insert = new TCheckBox("cb_crack_insert", "Insert cracks, at angle:", false);
  AddRow(rows, {cb_normk, cb_crack_insert})->hide();
  ud_crack_angle_convex = NewUpDown("ud_crack_angle_convex", "ed_crack_angle", ed_crack_angle, 0, 180, 45);
  AddUpDownRow(rows, "Convex", ud_crack_angle_convex, 60)->hide();
  ud_crack_angle_concave = NewUpDown("ud_crack_angle_concave", "Edit14", Edit14, 0, 180, 20);
  AddUpDownRow(rows, "Concave", ud_crack_angle_concave, 60)->hide();
  cb_use_neighbors = new TCheckBox("cb_use_neighbors", "Use more neighbors for curvature", false);
  AddRow(rows, {cb_use_neighbors})->hide();
  lab_strips = NewLabel("strips", 0, "lab_strips");
  AddRow(rows, {lab_strips})->hide();
  for (QWidget* w : {static_cast<QWidget*>(cb_normk), static_cast<QWidget*>(cb_crack_insert),
                     static_cast<QWidget*>(cb_use_neighbors), static_cast<QWidget*>(lab_strips)})
    w->hide();
  ud_crack_angle_convex->ShowTrio(false);
  ud_crack_angle_concave->ShowTrio(false);
  v->addWidget(mesh);

  QGroupBox* images = NewGroup("gb_images", "Images", rows);
  Button7 = new TButton("Button7", "Load image...");
  Button7->OnClick = FORM_HANDLER(Button7Click);
  cb_sh_image = new TCheckBox("cb_sh_image", "Show mapped image", false);
  cb_sh_image->OnClick = redraw;
  AddRow(rows, {Button7});
  AddRow(rows, {cb_sh_image});
  but_save_pic = new TButton("but_save_pic", "Save image...");
  but_save_pic->OnClick = FORM_HANDLER(but_save_picClick);
  but_copyclipboard = new TButton("but_copyclipboard", "Copy image");
  but_copyclipboard->OnClick = FORM_HANDLER(but_copyclipboardClick);
  AddRow(rows, {but_save_pic, but_copyclipboard});
  butsaveseq = new TButton("butsaveseq", "Save seq. ...");
  butsaveseq->OnClick = FORM_HANDLER(butsaveseqClick);
  ednframe = new TEdit("ednframe", "64");
  ednframe->setFixedWidth(44);
  AddRow(rows, {butsaveseq, NewLabel("#frames:"), ednframe});
  ud_movie_fps =
      NewUpDown("ud_movie_fps", "ed_movie_fps", ed_movie_fps, kMovieFpsMin, kMovieFpsMax, TMovieSettings().fps);
  ud_movie_quality = NewUpDown("ud_movie_quality", "ed_movie_quality", ed_movie_quality, kMovieQualityMin,
                               kMovieQualityMax, TMovieSettings().quality);
  AddRow(rows, {NewLabel("Movie fps"), PairOf(ud_movie_fps), NewLabel("quality"), PairOf(ud_movie_quality)});
  QStringList sizes;
  for (const TMovieSize& m : kMovieSizes) sizes << m.caption;
  cb_movie_size = new TComboBox("cb_movie_size", sizes);
  cb_movie_size->SetItemIndex(0);
  AddRow(rows, {NewLabel("Movie size"), cb_movie_size});
  v->addWidget(images);

  v->addWidget(BuildPresets());
  v->addStretch(1);
  return page;
}

// Group "Presets": one row per kind; buttons without a handler of their own
// use the handler named after themselves.
QWidget* TForm1::BuildPresets() {
  QVBoxLayout* rows = nullptr;
  QGroupBox* group = NewGroup("gb_presets", "Presets", rows);
  auto button = [](TButton*& b, const char* name, const char* caption, TNotifyEvent handler) {
    b = new TButton(name, caption);
    b->OnClick = std::move(handler);
    b->setMinimumWidth(0);
    return b;
  };
  const TNotifyEvent flow = FORM_HANDLER(but_flow_cxyClick);
  const TNotifyEvent curv = FORM_HANDLER(but_flow_kmaxClick);
  constexpr int kRowLabel = 94;
  AddRow(rows, {NewLabel("Contour flow:", kRowLabel), Narrow(button(but_flow_cxy, "but_flow_cxy", "XY", flow), 40),
                Narrow(button(but_flow_cxz, "but_flow_cxz", "XZ", flow), 40),
                Narrow(button(but_flow_cyz, "but_flow_cyz", "YZ", flow), 40)});
  AddRow(rows, {NewLabel("Axis flow:", kRowLabel), Narrow(button(but_flow_dz, "but_flow_dz", "Z", flow), 40),
                Narrow(button(but_flow_dy, "but_flow_dy", "Y", flow), 40),
                Narrow(button(but_flow_dx, "but_flow_dx", "X", flow), 40)});
  AddRow(rows,
         {NewLabel("Curvature flow:", kRowLabel), Narrow(button(but_flow_kmin, "but_flow_kmin", "Kmin", curv), 60),
          Narrow(button(but_flow_kmax, "but_flow_kmax", "Kmax", curv), 60)});
  rows->addWidget(NewLabel("Color:"));
  AddRow(rows, {button(but_bronze_col, "but_bronze_col", "Bronze", FORM_HANDLER(but_bronze_colClick)),
                button(but_steel_col, "but_steel_col", "Steel", FORM_HANDLER(but_steel_colClick)),
                button(Button19, "Button19", "Ivory", FORM_HANDLER(Button19Click)),
                button(but_rainbow, "but_rainbow", "Rainbow", FORM_HANDLER(but_rainbowClick))});
  rows->addWidget(NewLabel("Style:"));
  const TNotifyEvent pencil = FORM_HANDLER(but_pencil1Click);
  const TNotifyEvent fine = FORM_HANDLER(Button13Click);
  AddRow(rows,
         {button(Button11, "Button11", "Dirty", FORM_HANDLER(Button11Click)),
          button(but_pencil1, "but_pencil1", "F. Pencil", pencil), button(Button13, "Button13", "Fine txt", fine)});
  AddRow(rows,
         {button(Button12, "Button12", "Kavg", FORM_HANDLER(Button12Click)),
          button(but_pencil2, "but_pencil2", "C. Pencil", pencil), button(Button17, "Button17", "Coarse txt", fine)});
  AddRow(rows, {button(but_erode, "but_erode", "Eroded", FORM_HANDLER(but_erodeClick)),
                button(Button16, "Button16", "Particles", FORM_HANDLER(Button16Click)),
                button(but_shaded, "but_shaded", "Shaded", FORM_HANDLER(but_shadedClick))});
  AddRow(rows, {button(but_crisp, "but_crisp", "Crisp", FORM_HANDLER(but_crispClick))});
  const TNotifyEvent data_row = FORM_HANDLER(but_d_kminClick);
  row_presets_data = AddRow(
      rows, {NewLabel("Data:"), button(but_d_kmin, "but_d_kmin", "Kmin", data_row),
             button(but_d_kmax, "but_d_kmax", "Kmax", data_row), button(but_d_velo, "but_d_velo", "velo", data_row),
             button(but_d_kavg, "but_d_kavg", "Kavg", data_row)});
  row_presets_data->setObjectName("row_presets_data");
  row_presets_data->hide();
  AddRow(rows, {button(but_defaults, "but_defaults", "Defaults", FORM_HANDLER(but_defaultsClick))});
  but_defaults->setToolTip(
      "Puts every control back to its value at start (the mesh, the view and the flow sources stay)");
  return group;
}
