#pragma once
// TForm1: the main window. It owns the program-wide state (`state`) and every
// control of the control surface; the controls are the parameter store, read by
// the handlers when they need a value. Control pointers are public and named as
// the controls; the event handlers are member functions named after the control
// and event (`but_add_flowClick`, `sh_dataminMouseDown`).
//
// Where things live:
//   form1.cpp            construction, shared notifications, start-up and close
//   form_layout.cpp      the window's panels and the page control
//   form_help.cpp        "?" (Help, About), tooltips, keyboard shortcuts
//   form_tab_*.cpp       one tab each: controls, defaults, event wiring
//   handlers_*.cpp       handler bodies, one file per subsystem
//   interaction/handlers_mouse.cpp  the view's mouse events
//   mesh_loading_shell.cpp  Open1Click and LoadMeshFile
//   handlers_blocks.cpp  "Blocks", the blocks of a multiblock file a load takes
//   picture_files.cpp    pictures to files; batch_*.cpp the command-line renderer
#include <QImage>
#include <QMainWindow>
#include <QProgressBar>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "advection/crisp_composite_gl.h"
#include "app_state.h"
#include "data/file_array_memory.h"
#include "loading/block_choice.h"
#include "mesh/ray_grid.h"
#include "output/movie_writer.h"
#include "render/camera_math.h"
#include "render/frame_gl.h"
#include "render/source_glyphs_gl.h"
#include "window/controls/control_buttons.h"
#include "window/controls/control_edit.h"
#include "window/controls/control_lists.h"
#include "window/controls/control_swatch.h"
#include "window/controls/control_updown.h"
#include "window/dialogs.h"
#include "window/form_settings.h"

class QDialog;
class QEventLoop;
class QGridLayout;
class QGroupBox;
class QLabel;
class QMimeData;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class TGLPanel;
struct TLoadOptions;
struct TLoadReport;
struct TPick;
struct TRay;
struct TRenderStateControls;

// Counters for tests and diagnostics; nothing in the program reads them.
struct TFormDiagnostics {
  int64_t redraw_requests = 0;              // RequestRedraw calls that were not suspended
  int64_t frames_drawn = 0;                 // GLPanel1Redraw calls
  std::function<void()> on_redraw_request;  // runs inside RequestRedraw before the frame
  // Runs before every event handler wired to a control, with the handler's name.
  std::function<void(const char* handler, QObject* sender)> on_event;
  TFrameReport last_frame;           // what the last GLPanel1Redraw did
  TListCompileCounts list_compiles;  // display-list compilations over all frames
};

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // args: the program's arguments; args[1], when present, is a mesh file opened
  // at start instead of showing the mesh dialog. dialogs: the modal dialogs to
  // use (not owned); null selects the toolkit's dialogs.
  // settings: the store of remembered values (none: nothing is read or written).
  // load_when_shown: the file named in args is loaded once the event loop runs
  // (after the window is shown, so a long load shows its busy indicator)
  // instead of during construction.
  explicit TForm1(const QStringList& args = {}, IDialogs* dialogs = nullptr, QWidget* parent = nullptr,
                  TSettingsLink settings = {}, bool load_when_shown = false);
  ~TForm1() override;

  TAppState state;
  TFormDiagnostics diag;
  // The user's choices for simulation-file arrays, by array name: recorded by
  // the Flow array, Reverse/Tangential/Normalise and File array handlers,
  // given to each loaded file, kept between runs with the controls.
  TFileArrayMemory file_memory;

  // ---- shared notifications and start-up (form1.cpp)
  void RequestRedraw();
  void cbshlineClick(QObject* sender);
  void rbkmaxClick(QObject* sender);
  void sh_dataminMouseDown(QObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void cb_add_shade_to_dataClick(QObject* sender);
  void FormCreate(QObject* sender);
  void FormClose(QObject* sender);

  // ---- the arrays of a simulation file (handlers_file_arrays.cpp)
  // "Flow array" chosen: it becomes the file velocities at once.
  void cb_flow_arrayChange(QObject* sender);
  // "Reverse", "Tangential only", "Normalise": the file velocities again.
  void cb_flow_reverseClick(QObject* sender);
  // The File channel's scalar chosen: its automatic range becomes its range.
  void cb_file_arrayChange(QObject* sender);
  // Fills the "Flow array" and File lists and the flow options from the mesh,
  // holding file_controls_busy_; hidden when the mesh has no file arrays.
  void ShowFileArrayControls();
  // Gives the loaded mesh the choices file_memory holds for its arrays, with
  // its velocities and File and Velocity ranges written again.
  void ApplyRememberedFileChoices();
  int32_t file_controls_busy_ = 0;

  // ---- frame driver (handlers_frame.cpp)
  void GLPanel1Redraw(QObject* sender);
  void sb_animateClick(QObject* sender);
  // One frame of the "Run" loop with its rotation and time step.
  void RunLoopFrame();
  // With "Run" up, a frame that followed a change (of the view, the scene or a
  // control) is followed by the frames the texture needs to show streaks again
  // (SettleFrameCount), one per turn of the event loop, so the window answers
  // meanwhile; FinishSettling draws those still owed before a picture is
  // taken and returns once they are drawn, the window painting meanwhile (it
  // takes no input then). Off in batch runs, which draw their frames themselves.
  bool settle_after_changes = true;
  void FinishSettling();
  int32_t SettleFramesOwed() const { return settle_owed_; }

  // ---- camera, projection, lights, window size (handlers_view.cpp)
  void GLPanel1GLInit(QObject* sender);
  void GLPanel1Resize(QObject* sender);
  void Button8Click(QObject* sender);
  // "Look along" +X .. -Z and "Iso": the whole surface seen along that axis
  // (or from the +X +Y +Z corner), as the command line's --view does.
  void but_viewClick(QObject* sender);
  void LookAlongAxis(const TAxisView& along);
  void ed_winwKeyDown(QObject* sender, int& key, TShiftState shift);
  void ed_marginKeyDown(QObject* sender, int& key, TShiftState shift);
  void ed_llight_lrChange(QObject* sender);
  void Button14Click(QObject* sender);
  void Button15Click(QObject* sender);
  // Empties the frame texture before the next frame and drops the panel's copy
  // of the last frame: a new mesh or view size starts from nothing old.
  void ForgetPicture();

  // ---- mouse navigation and picking (interaction/handlers_mouse.cpp)
  void GLPanel1MouseDown(QObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void GLPanel1MouseMove(QObject* sender, TShiftState shift, int x, int y);
  void GLPanel1MouseUp(QObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  // The wheel zooms as the right-button drag it stands for (WheelZoomDrag).
  void GLPanel1MouseWheel(QObject* sender, TShiftState shift, int x, int y, int delta);
  // The eye ray through panel pixel (x, y) with the matrices of the last frame.
  bool ViewRayAt(int x, int y, TRay& ray) const;
  // The glyph under (x, y) while "Show flow sources" is checked; a hit also
  // sets drag_point and drag_ray.
  TPick PickSourceAt(int x, int y);
  // Ends the mouse gesture; after a source drag the overlay list is rebuilt
  // without the drag's guide lines and a frame is drawn.
  void EndMouseGesture();

  // ---- the probe (handlers_probe.cpp): with no gesture running, the status
  // line shows the surface point under the mouse at panel pixel (x, y), its
  // data channel's value and the flow there (lab_probe in lab_load's place);
  // off the surface, outside the panel or during a gesture, lab_load again.
  void ProbeUnderMouse(int x, int y);
  void HideProbe();

  // ---- mesh loading (mesh_loading_shell.cpp)
  void Open1Click(QObject* sender);
  bool LoadMeshFile(const QString& path);
  bool LoadMeshAside(const QString& path, const TLoadOptions& options, TMesh& loaded, std::string& error,
                     TLoadReport& report);

  // ---- the blocks of a multiblock file (handlers_blocks.cpp): lw_blocks
  // lists those of the file loaded, ticked where the surface takes them;
  // ticking or clearing one loads the file again from the blocks ticked.
  void lw_blocksChange(QObject* sender);
  // The blocks the next load takes, by name, whatever file it reads: a batch
  // run names them before the file is read.
  void SetBlockChoice(std::vector<std::string> names);
  // The block choice a load of `path` takes: the one made for that file, none
  // (the default blocks) for another.
  TBlockChoice BlockChoiceFor(const QString& path) const;
  // Shows the blocks a load found and remembers them with the file and choice.
  void ShowBlocks(const QString& path, const TBlockChoice& choice, const std::vector<TBlockInfo>& blocks);
  QString MeshPath() const { return mesh_path_; }
  // Whether a load runs aside (the panel is held meanwhile).
  bool MeshLoadRunning() const { return mesh_load_running_; }
  // A load aside that takes longer than this shows its busy indicator.
  int load_progress_delay_ms = 500;

  // ---- mesh files dropped on the window (handlers_drop.cpp)
  static QString DroppedMeshPath(const QMimeData* mime);
  bool FormDragOver(QObject* sender, const QMimeData* mime);
  void FormDragDrop(QObject* sender, const QMimeData* mime);

  // ---- flow sources and direction field (handlers_flow.cpp)
  void rb_cylflowClick(QObject* sender);
  void but_add_flowClick(QObject* sender);
  void Button6Click(QObject* sender);
  void but_prevfClick(QObject* sender);
  void Button1Click(QObject* sender);
  void Button2Click(QObject* sender);
  void Button3Click(QObject* sender);
  void Button4Click(QObject* sender);
  void Button9Click(QObject* sender);

  // ---- data channels (handlers_data.cpp), auxiliary field (handlers_aux.cpp), time (handlers_time.cpp)
  void eddmaxKeyUp(QObject* sender, int& key, TShiftState shift);
  void Button5Click(QObject* sender);
  void but_dupClick(QObject* sender);
  void butcopyauxClick(QObject* sender);
  void but_clear_auxClick(QObject* sender);
  void but_add_shadeClick(QObject* sender);
  void but_smoothClick(QObject* sender);
  void but_feature_linesClick(QObject* sender);
  void Button10Click(QObject* sender);
  void ed_timeKeyUp(QObject* sender, int& key, TShiftState shift);
  void ed_dtimeKeyUp(QObject* sender, int& key, TShiftState shift);
  void tb_timeChange(QObject* sender);

  // ---- noise, advection, injection (handlers_texture.cpp)
  void but_bc1MouseDown(QObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void cb_tex_longClick(QObject* sender);
  void cb_lut_styleChange(QObject* sender);
  void ed_thalfChange(QObject* sender);
  void pb_puls_lutPaint(QObject* sender);
  void but_col_flashClick(QObject* sender);
  void but_div2Click(QObject* sender);
  void cb_tex_lockClick(QObject* sender);

  // ---- image mapping and output (handlers_images.cpp)
  void Button7Click(QObject* sender);
  void but_save_picClick(QObject* sender);
  void but_copyclipboardClick(QObject* sender);
  void butsaveseqClick(QObject* sender);
  // Starts writing `frames` frames as the movie `path` beside the window (see
  // handlers_movie.cpp): one frame per turn of the event loop, so the window
  // answers meanwhile, with a progress bar and "Cancel" under the view.
  void SaveMovie(const QString& path, int32_t frames);
  // The movie being written: one more frame, its end, or its abandonment
  // (no file is left); whether one is being written.
  void RecordMovieFrame();
  void EndMovie(bool finish);
  bool MovieRecording() const { return recording_ != nullptr; }
  // The pictures of "Save seq. ...": written one after the other from the
  // frames drawn, the window answering in between (see handlers_images.cpp);
  // whether they are being written; "Cancel" ends them.
  void WritePictureSequence(const QString& base, int32_t frames);
  bool SequenceWriting() const { return sequence_writing_; }
  void but_save_textClick(QObject* sender);
  // The frame last drawn, the whole panel, as a 24-bit bitmap; draws nothing.
  QImage GrabFrameBitmap();
  // Checks "Show mapped image" without a frame, sets image_loaded, draws one frame.
  void ShowMappedImage();

  // ---- remembered values (form1.cpp, form_settings.cpp)
  // "Defaults": every remembered control back to its value at start, as a
  // preset writes it, then one frame; the mesh, view and flow sources stay.
  void but_defaultsClick(QObject* sender);
  // The controls' values just before the mesh is loaded at start: the defaults.
  TControlValues control_defaults;

  // ---- presets (handlers_presets.cpp)
  void but_flow_cxyClick(QObject* sender);
  void but_flow_kmaxClick(QObject* sender);
  void but_bronze_colClick(QObject* sender);
  void but_steel_colClick(QObject* sender);
  void Button19Click(QObject* sender);
  void but_rainbowClick(QObject* sender);
  void Button11Click(QObject* sender);
  void but_pencil1Click(QObject* sender);
  void Button13Click(QObject* sender);
  void Button12Click(QObject* sender);
  void but_erodeClick(QObject* sender);
  void Button16Click(QObject* sender);
  void but_shadedClick(QObject* sender);
  void but_d_kminClick(QObject* sender);
  void but_topoClick(QObject* sender);
  void but_crispClick(QObject* sender);
  // Building blocks of the style presets (handlers_presets.cpp); they write
  // controls only and expect redraws to be suspended by the caller.
  void ApplyStyleDefaults();
  void ApplyCurvatureStyle();
  // Consistent curvature directions over each piece of the surface, for the
  // curvature looks and the "Curvature flow:" presets (handlers_presets.cpp).
  void OrientCurvatureFlow();
  void SelectPulseStyle(int style);
  void FinishColourPreset();

  // ---- procedures shared by the handlers, filled by their subsystems
  // Copies the source-editing controls into the selected flow source (handlers_flow.cpp).
  void StoreFlowControls();
  // Writes the selected flow source into the source-editing controls, holding
  // flow_controls_busy; with no selection the controls keep their values (handlers_flow.cpp).
  void ShowFlowSource();
  // Re-reads the data channel and recomputes per-vertex values; with full set it
  // also refills the range edits and rebuilds the colour map. Sets scene_dirty
  // (handlers_data.cpp).
  void RefreshRenderState(bool full);
  // The legend's title: the shown channel, the "Unit" and the scale
  // (handlers_overlays.cpp).
  std::string ShownLegendTitle() const;
  // Shows view.time, just advanced by a Run-loop frame, in the time controls;
  // the velocity follows at the next synthesis (handlers_time.cpp).
  void RunLoopTimeStep();
  // Adds the current shading to the auxiliary field from aux_base and refreshes
  // the render state; requests no frame (handlers_aux.cpp).
  // With `automatic` (the step a frame takes after a view change with "Add
  // shade to Aux on view change"), edits that are not numbers are reported
  // once until they are numbers again, not at every frame.
  void AddShadeToAux(bool automatic = false);
  // Writes the time controls from view.time and shows the time group only for
  // meshes with at least two time steps (handlers_time.cpp).
  void ShowTimeControls();
  // Control values read by a frame, by the render-state refresh and by a mesh
  // load (form_controls_gather.cpp).
  TFrameControls FrameCtl() const;
  TRenderStateControls RenderCtl() const;
  TLoadOptions LoadOptions() const;
  // Rebuilds the noise textures from the "Texture" tab's controls and clears
  // noise_dirty; needs the panel's context current (handlers_texture.cpp).
  void BuildNoiseTextures();
  // Fills passes_ with the flow and advection passes of the frame (handlers_advection.cpp).
  void InstallAdvectionPasses();
  // Fills passes_ with the overlay passes of list 2 and the paint blobs (handlers_overlays.cpp).
  void InstallOverlayPasses();
  // The passes that ComposeFrame calls at their place in the frame; empty slots draw nothing.
  TFramePasses passes_;

  // ---- number input of plain edit boxes (form1.cpp): on text that is not a
  // number, show "'<text>' is not a valid integer value" (or "... floating point
  // value") and return false; nothing else changes.
  bool ReadIntegerEdit(const TEdit* edit, int32_t& value);
  bool ReadFloatEdit(const TEdit* edit, double& value);
  IDialogs& Dialogs() { return *dialogs_; }
  // The colour dialog for the swatch `sender`, preset to its colour; a
  // confirmed choice becomes its colour (true). Cancel changes nothing.
  bool PickSwatchColour(QObject* sender);
  // GLU quadrics the glyphs and paint blobs have made so far (for long-run checks).
  int32_t GlyphQuadricsCreated() const { return glyph_quadric_.Created(); }

  // ---- help, About and the keys (form_help.cpp)
  void ShowHelp();   // the help page, a window beside the main one
  void ShowAbout();  // version and libraries, a window beside the main one
  // "Full window" while the panels show, else "X" (key F11).
  void ToggleFullWindow();
  QToolButton* but_help = nullptr;  // "?": Help and About
  QDialog* HelpWindow = nullptr;    // made at the first ShowHelp
  QDialog* AboutWindow = nullptr;   // made at the first ShowAbout

  // ---- non-visual dialog state
  int32_t ColorDialog1 = 0;  // last colour shown in the colour dialog
  TFileDialogState OpenDialog1;
  TFileDialogState OpenPictureDialog1;
  TFileDialogState SavePictureDialog1;

  // ---- drawing area and message panel
  QWidget* Panel2 = nullptr;
  TGLPanel* GLPanel1 = nullptr;
  QWidget* GLPanel1Container = nullptr;  // the widget that hosts the GL window
  TButton* Button15 = nullptr;
  QWidget* panel_message = nullptr;
  QLabel* lab_ntri = nullptr;
  QLabel* lab_load = nullptr;   // under the counts: the file, its arrays, the load's time
  QLabel* lab_probe = nullptr;  // in lab_load's place while the mouse rests on the surface: the probe
  QLabel* lab_time = nullptr;
  QLabel* lab_fps = nullptr;
  TSpeedButton* sb_animate = nullptr;
  QWidget* movie_row = nullptr;            // shown while a movie is written:
  QProgressBar* movie_progress = nullptr;  // its progress
  TButton* but_movie_cancel = nullptr;     // and "Cancel"
  QWidget* panel_control = nullptr;
  QTabWidget* PageControl1 = nullptr;

  // ---- tab "General": mesh input, images, presets
  TButton *but_load_mesh = nullptr, *Button18 = nullptr, *but_defaults = nullptr;
  std::array<TButton*, std::size(kAxisViews)> but_views{};  // "Look along", in the order of kAxisViews
  TCheckBox *cb_subdiv = nullptr, *cb_swap = nullptr, *cb_normk = nullptr, *cb_crack_insert = nullptr,
            *cb_use_neighbors = nullptr;
  TUpDown *ud_subdiv = nullptr, *ud_crack_angle_convex = nullptr, *ud_crack_angle_concave = nullptr;
  TEdit *Edit15 = nullptr, *ed_crack_angle = nullptr, *Edit14 = nullptr;
  QLabel* lab_strips = nullptr;
  TCheckList* lw_blocks = nullptr;  // "Blocks"
  TButton *Button7 = nullptr, *but_save_pic = nullptr, *but_copyclipboard = nullptr, *butsaveseq = nullptr;
  TCheckBox* cb_sh_image = nullptr;
  TEdit* ednframe = nullptr;
  TUpDown *ud_movie_fps = nullptr, *ud_movie_quality = nullptr;  // of movies "Save seq." writes
  TEdit *ed_movie_fps = nullptr, *ed_movie_quality = nullptr;
  TComboBox* cb_movie_size = nullptr;  // "Movie size": the view's own, or one of kMovieSizes
  TButton *but_flow_cxy = nullptr, *but_flow_cxz = nullptr, *but_flow_cyz = nullptr;
  TButton *but_flow_dz = nullptr, *but_flow_dy = nullptr, *but_flow_dx = nullptr;
  TButton *but_flow_kmin = nullptr, *but_flow_kmax = nullptr;
  TButton *but_bronze_col = nullptr, *but_steel_col = nullptr, *Button19 = nullptr, *but_rainbow = nullptr;
  TButton *Button11 = nullptr, *but_pencil1 = nullptr, *Button13 = nullptr, *Button12 = nullptr, *but_pencil2 = nullptr,
          *Button17 = nullptr, *but_erode = nullptr, *Button16 = nullptr, *but_shaded = nullptr, *but_crisp = nullptr;
  TButton *but_d_kmin = nullptr, *but_d_kmax = nullptr, *but_d_velo = nullptr, *but_d_kavg = nullptr;
  QWidget* row_presets_data = nullptr;  // the hidden "Data:" row

  // ---- tab "Texture"
  TColorSwatch *but_bc1 = nullptr, *but_bc2 = nullptr;
  TCheckBox* cb_tex_long = nullptr;
  TUpDown *ud_scale = nullptr, *ud_modspeed = nullptr;
  TEdit *Edit2 = nullptr, *Edit8 = nullptr;
  TComboBox* cb_lut_style = nullptr;
  TUpDown *ud_cospow = nullptr, *ud_thalf = nullptr, *ud_decay = nullptr, *ud_saw = nullptr;
  TEdit *ed_cospow = nullptr, *ed_thalf = nullptr, *ed_decay = nullptr, *ed_saw = nullptr;
  QLabel *lab_cospow = nullptr, *lab_thalf = nullptr, *lab_decay = nullptr, *lab_saw = nullptr;
  TPaintBox* pb_puls_lut = nullptr;
  TUpDown *ud_alpha_text = nullptr, *ud_alpha_shade = nullptr, *ud_dispmax = nullptr, *ud_flow_scale = nullptr;
  TEdit *Edit37 = nullptr, *Edit1 = nullptr, *ed_dispmax = nullptr, *Edit9 = nullptr;
  TCheckBox* cb_full_text = nullptr;
  TUpDown* ud_contrast = nullptr;
  TEdit* ed_contrast = nullptr;
  TButton *but_col_flash = nullptr, *but_topo = nullptr, *but_times2 = nullptr, *but_div2 = nullptr;
  TCheckBox *cb_scale_up = nullptr, *cb_alpha_mod = nullptr, *cb_alpha_mod_inverse = nullptr,
            *cb_warp_texture = nullptr, *cb_tex_lock = nullptr, *cb_tex_lock_drag = nullptr, *cb_drag_texture = nullptr;

  // ---- tab "Flow"
  TCheckBox *cb_usr_flow = nullptr, *cb_shcurvature = nullptr, *cb_curv_sh_max = nullptr, *cb_sortmaxabs = nullptr,
            *cb_shpotflow = nullptr, *cb_project = nullptr, *cb_showelements = nullptr, *cb_emit = nullptr;
  TUpDown *ud_angle = nullptr, *ud_vx = nullptr, *ud_vy = nullptr, *ud_vz = nullptr, *ud_normal_flow = nullptr;
  TEdit *ed_angle = nullptr, *ed_vx = nullptr, *ed_vy = nullptr, *ed_vz = nullptr, *Edit13 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button9 = nullptr,
          *Button10 = nullptr;
  TRadioButton *rb_sphereflow = nullptr, *rb_cylflow = nullptr;
  QWidget* flow_array_rows = nullptr;  // the "Flow array" list and its options
  TComboBox* cb_flow_array = nullptr;
  TCheckBox *cb_flow_reverse = nullptr, *cb_flow_tangential = nullptr, *cb_flow_normalise = nullptr;
  TUpDown *ud_fstrength = nullptr, *ud_frotstrength = nullptr, *ud_faxisstrength = nullptr, *ud_paint_on = nullptr,
          *ud_paint_off = nullptr;
  TEdit *Edit6 = nullptr, *ed_frotstrength = nullptr, *ed_faxisstrength = nullptr, *Edit5 = nullptr, *Edit10 = nullptr;
  QLabel *lab_frotstrength = nullptr, *lab_faxisstrength = nullptr;
  TColorSwatch* sh_flow_paint_col = nullptr;
  TButton *but_add_flow = nullptr, *but_add_paint = nullptr, *Button6 = nullptr, *but_nextf = nullptr,
          *but_prevf = nullptr, *but_deselect = nullptr;

  // ---- tab "Data"
  TCheckBox* cbTexData = nullptr;
  TCheckBox* cb_legend = nullptr;
  TRadioButton *rbkmax = nullptr, *rbkavg = nullptr, *rbkmin = nullptr, *rbad = nullptr, *rbvelocity = nullptr,
               *rbpx = nullptr, *rbpy = nullptr, *rbpz = nullptr, *rbkminmax = nullptr, *rbkmaxabs = nullptr,
               *rbfile = nullptr;
  TComboBox* cb_file_array = nullptr;  // the scalar of the "File" channel
  TEdit *eddmin = nullptr, *eddmax = nullptr;
  TColorSwatch *sh_datamin = nullptr, *sh_datamax = nullptr;
  TButton* Button5 = nullptr;
  TCheckBox* cblong = nullptr;
  TComboBox* cb_colour_map = nullptr;  // the colour map by name
  TCheckBox* cb_log_scale = nullptr;
  TEdit* ed_data_unit = nullptr;  // the data's unit, shown in the legend's title
  TCheckBox* cb_blend_streaks = nullptr;
  TButton *but_dup = nullptr, *but_ddown = nullptr, *but_dwide = nullptr, *but_dsmall = nullptr;
  TButton *butcopyaux = nullptr, *but_clear_aux = nullptr, *but_add_shade = nullptr, *but_smooth = nullptr,
          *but_feature_lines = nullptr;
  TEdit *ed_sh_min = nullptr, *ed_sh_max = nullptr;
  TCheckBox* cb_add_shade_to_data = nullptr;
  TUpDown *udnsmooth = nullptr, *ud_asmooth = nullptr;
  TEdit *ednsmooth = nullptr, *ed_asmooth = nullptr;
  QGroupBox* gb_time = nullptr;
  TEdit *ed_time = nullptr, *ed_dtime = nullptr;
  TCheckBox* cb_time_animate = nullptr;
  TTrackBar* tb_time = nullptr;

  // ---- tab "Shade": shade and show, view, light
  TCheckBox *cbshfill = nullptr, *cbshline = nullptr, *cbsmooth = nullptr, *cb_lighting = nullptr,
            *cbshtexture = nullptr, *cbshbox = nullptr, *cbshmaxcurv = nullptr, *cbshnormals = nullptr,
            *cbshmincurv = nullptr, *cbshframes = nullptr, *cbshvelo = nullptr;
  TCheckBox *cb_show_axes = nullptr, *cb_show_time = nullptr;  // annotations of the frame
  TCheckBox* cb_sharp_edges = nullptr;                         // smooth shading split at sharp edges
  TUpDown* ud_feature_angle = nullptr;
  TEdit* ed_feature_angle = nullptr;
  TColorSwatch *sh_diffuse = nullptr, *sh_specular = nullptr, *sh_mesh_diffuse = nullptr, *sh_mesh_specular = nullptr,
               *sh_background = nullptr;
  TUpDown* ud_shininess = nullptr;
  TEdit* Edit3 = nullptr;
  TButton *but_save_text = nullptr, *but_kavg = nullptr;
  TRadioButton *rb_x = nullptr, *rb_y = nullptr, *rb_z = nullptr;
  TButton *Button8 = nullptr, *Button14 = nullptr;
  TUpDown *ud_rotate = nullptr, *ud_margin = nullptr, *ud_foc_length = nullptr;
  TEdit *Edit4 = nullptr, *ed_winw = nullptr, *ed_winh = nullptr, *ed_margin = nullptr, *Edit12 = nullptr;
  TCheckBox* cb_iso = nullptr;
  TUpDown *ud_lr_light = nullptr, *ud_ud_light = nullptr;
  TEdit *ed_llight_lr = nullptr, *Edit11 = nullptr;
  TColorSwatch *sh_light = nullptr, *sh_ambient = nullptr;
  TCheckBox* cb_dir_light = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Layout (form_layout.cpp, form_tab_*.cpp).
  void BuildWindow();
  QWidget* BuildDrawingArea();
  QWidget* BuildMessagePanel();
  QWidget* BuildControlPanel();
  QWidget* BuildTabGeneral();
  QWidget* BuildTabTexture();
  QWidget* BuildTabFlow();
  QWidget* BuildTabData();
  QWidget* BuildTabShade();
  QGroupBox* BuildGroupShadeAndShow();
  QGroupBox* BuildGroupView();
  QGroupBox* BuildGroupLight();
  QWidget* BuildChannelRadios();
  QGroupBox* BuildGroupAux();
  void BuildColourMapRows(QVBoxLayout* rows);
  QGroupBox* BuildGroupTime();
  QWidget* BuildFlowSourceEditing();
  QWidget* BuildPresets();
  void BuildTextureBlending(QVBoxLayout* rows);
  // The "?" button, the tooltips, the keys and the wheel (form_help.cpp).
  void InstallHelpAndKeys();

  IDialogs* dialogs_ = nullptr;
  IDialogs* own_dialogs_ = nullptr;
  TGlyphQuadric glyph_quadric_;  // every sphere and cylinder of the glyphs and paint blobs
  QString mesh_path_;
  // The file whose blocks lw_blocks shows ("" before the first load, or when a
  // batch run has chosen blocks for whatever file comes), the choice its
  // blocks were taken by, and the blocks as found.
  QString blocks_file_;
  TBlockChoice block_choice_;
  std::vector<TBlockInfo> blocks_shown_;
  QStringList args_;
  TSettingsLink settings_;
  // The movie being written from the window (handlers_movie.cpp).
  struct TMovieRecording {
    TMovieWriter writer;
    QString path;
    QSize size;
    int32_t total = 0, done = 0;
    int32_t misses = 0;     // frames in a row that could not be read back
    int32_t warmup = 0;     // frames still to draw at the movie's own size before the first is taken
    bool own_size = false;  // drawn at a size other than the view's
    // Every frame taken: the encoder completes the file on a thread of its
    // own (the last frames it held back are encoded then); its outcome.
    std::future<bool> completing;
    QString completion_error;
  };
  std::unique_ptr<TMovieRecording> recording_;
  TRayGrid probe_grid_;  // faces along the probe's ray; built at the first probe of a surface
  bool sequence_writing_ = false, sequence_cancelled_ = false;
  bool shade_texts_reported_ = false;  // the automatic shading step has reported texts that are not numbers
  int32_t settle_owed_ = 0;            // frames still to draw before the texture has settled
  bool settle_queued_ = false;
  QEventLoop* settling_loop_ = nullptr;  // FinishSettling's wait for them
  int32_t run_step_ = 0;                 // inside a step of the "Run" loop
  TCompositeSetup composite_;            // the contrast composite of this frame (handlers_advection.cpp)
  bool composite_pending_ = false;       // the shown frame is copied for it: list 6 goes through it
  void SettleFrame();
  void QueueSettleFrame();
  bool load_when_shown_ = false;
  bool mesh_load_running_ = false;
};
