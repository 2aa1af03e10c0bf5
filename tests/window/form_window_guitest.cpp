// The main window as built: frame, panels, tabs, start-up order and the
// command-line mesh.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

#include "colorconversion/colorconversion.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "window/controls/control_label.h"

TEST_F(FormTest, WindowTitleSizeAndPanels) {
  EXPECT_EQ(form->windowTitle(), "Flowskin");
  // Client area sized so that the drawing area is 512 x 512 beside the 312-pixel
  // control panel and above the 38-pixel message panel.
  EXPECT_EQ(form->GLPanel1->width(), 512);
  EXPECT_EQ(form->GLPanel1->height(), 512);
  EXPECT_EQ(form->size(), QSize(824, 550));
  EXPECT_EQ(form->panel_control->width(), 312);
  EXPECT_EQ(form->panel_message->height(), 38);
  EXPECT_EQ(form->panel_message->geometry().top(), form->Panel2->geometry().bottom() + 1);
}

TEST_F(FormTest, MessagePanelAndTabsAtStart) {
  EXPECT_EQ(form->lab_ntri->text(), "triangles");
  EXPECT_EQ(form->lab_fps->text(), "fps  ");
  EXPECT_TRUE(form->lab_ntri->font().bold());
  EXPECT_EQ(form->lab_fps->font().pixelSize(), 16);
  EXPECT_FALSE(form->lab_time->isVisible());
  EXPECT_EQ(form->sb_animate->text(), "Run");
  EXPECT_FALSE(form->sb_animate->Down());
  EXPECT_FALSE(form->Button15->isVisible());
  EXPECT_EQ(form->Button15->text(), "X");
  EXPECT_EQ(form->Button15->geometry(), QRect(8, 8, 25, 25));
  QTabWidget* pages = form->PageControl1;
  ASSERT_EQ(pages->count(), 5);
  const char* names[] = {"General", "Texture", "Flow", "Data", "Shade"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(pages->tabText(i), names[i]);
  EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(FormTest, StartUpAsksForTheMeshAndSetsDefaultsInOrder) {
  ASSERT_EQ(dialogs.Count("open"), 1);  // cancelled: the program runs without a mesh
  // Every mesh format the loader reads, in both letter cases, PLY first and "All files" last.
  EXPECT_EQ(QtFilterOf(dialogs.file_dialogs_shown[0].filter),
            "Mesh files (*.PLY *.ply *.OBJ *.obj *.STL *.stl *.OFF *.off *.GLTF *.gltf *.GLB *.glb *.VTK *.vtk *.VTP "
            "*.vtp *.VTU *.vtu *.VTM *.vtm *.PVTP *.pvtp *.PVTU *.pvtu *.VTPD *.vtpd *.VTPC *.vtpc *.PVD *.pvd "
            "*.SERIES *.series);;"
            "PLY files (*.PLY *.ply);;OBJ files (*.OBJ *.obj);;STL files (*.STL *.stl);;OFF files (*.OFF *.off);;"
            "glTF files (*.GLTF *.gltf *.GLB *.glb);;VTK files (*.VTK *.vtk *.VTP *.vtp *.VTU *.vtu *.VTM *.vtm *.PVTP "
            "*.pvtp *.PVTU *.pvtu *.VTPD *.vtpd *.VTPC *.vtpc *.PVD *.pvd *.SERIES *.series);;All files (*.*)");
  EXPECT_EQ(dialogs.file_dialogs_shown[0].initial_dir, QDir::currentPath());
  EXPECT_TRUE(form->MeshPath().isEmpty());
  EXPECT_EQ(form->OpenPictureDialog1.initial_dir, QDir::currentPath());
  EXPECT_EQ(form->SavePictureDialog1.initial_dir, QDir::currentPath());
  EXPECT_EQ(form->cb_lut_style->ItemIndex(), 2);
  EXPECT_EQ(form->cb_lut_style->currentText(), "Puls");
  EXPECT_EQ(form->sh_datamax->Color(), MakeColor(255, 128, 128));
  // The first paint created the context and drew at least one frame, which
  // built the noise textures that start-up asked for.
  EXPECT_GE(form->diag.frames_drawn, 1);
  EXPECT_FALSE(form->state.frame.noise_dirty);
}

TEST(FormStart, MeshFileOnTheCommandLineSkipsTheDialog) {
  TScriptedDialogs dialogs;
  TForm1 form({"flowskin", "/data/bunny.ply"}, &dialogs);
  EXPECT_EQ(dialogs.Count("open"), 0);
  EXPECT_EQ(form.MeshPath(), "/data/bunny.ply");
}

TEST(FormStart, MeshChosenInTheDialogIsKept) {
  TScriptedDialogs dialogs;
  dialogs.file_answers.push_back(QString("/data/torus.ply"));
  TForm1 form({"flowskin"}, &dialogs);
  EXPECT_EQ(dialogs.Count("open"), 1);
  EXPECT_EQ(form.MeshPath(), "/data/torus.ply");
  // "Load mesh..." asks again; a cancel keeps the loaded path.
  form.but_load_mesh->click();
  EXPECT_EQ(dialogs.Count("open"), 2);
  EXPECT_EQ(form.MeshPath(), "/data/torus.ply");
}

TEST_F(FormTest, ClosingTheWindowReleasesRun) {
  form->sb_animate->SetDown(true);
  form->close();
  EXPECT_FALSE(form->sb_animate->Down());
}

// "Modulate": only the trio (label, edit, up-down) of the selected pulse style
// shows, at start ("Puls") and after every choice; each choice marks the noise
// for rebuilding.
TEST_F(FormTest, PulseStyleShowsOnlyItsOwnParameterTrio) {
  form->PageControl1->setCurrentIndex(1);
  TUpDown* const trios[] = {form->ud_cospow, form->ud_decay, form->ud_thalf, form->ud_saw};
  QLabel* const labels[] = {form->lab_cospow, form->lab_decay, form->lab_thalf, form->lab_saw};
  const char* captions[] = {"cos power", "exp. Decay", "Puls length", "Saw pos."};
  auto expect_only = [&](int style) {
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(captions[i]);
      EXPECT_EQ(labels[i]->text(), captions[i]);
      EXPECT_EQ(trios[i]->Label(), labels[i]);
      EXPECT_EQ(Shown(trios[i]), i == style);
      EXPECT_EQ(Shown(trios[i]->Associate()), i == style);
      EXPECT_EQ(Shown(labels[i]), i == style);
    }
  };
  expect_only(2);
  form->cb_lut_style->setFocus();
  // Arrow keys on the list, as a user chooses: 2 -> 3, 3 -> 1, 1 -> 0.
  const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Down, 1}, {Qt::Key_Up, 2}, {Qt::Key_Up, 1}};
  for (int n = 0; n < 3; ++n) {
    const int style = n == 0 ? 3 : n == 1 ? 1 : 0;
    SCOPED_TRACE(style);
    form->state.frame.noise_dirty = false;
    for (int k = 0; k < steps[n].second; ++k) QTest::keyClick(form->cb_lut_style, steps[n].first);
    ASSERT_EQ(form->cb_lut_style->ItemIndex(), style);
    EXPECT_TRUE(form->state.frame.noise_dirty);
    expect_only(style);
  }
  form->cb_lut_style->SetItemIndex(-1);  // no style: all four hidden
  form->cb_lut_styleChange(form->cb_lut_style);
  expect_only(-1);
}

// Window creation runs its steps in order: folders, pulse style, noise,
// colour-map end and picture folders are set when the mesh dialog opens; the
// pulse-style visibility comes after it.
TEST(FormStart, MeshDialogOpensAfterTheDefaultsAndBeforeThePulseStyleVisibility) {
  TScriptedDialogs dialogs;
  TForm1* form = nullptr;
  struct AtOpen {
    bool seen = false;
    QString open_dir, picture_dir, save_dir;
    int style = -1;
    bool noise_dirty = false;
    int32_t datamax = 0;
    bool cospow_hidden = true;
  } at;
  // The window is still in its constructor: find it among the top-level widgets.
  dialogs.on_call = [&](const std::string& call) {
    if (call != "open" || at.seen) return;
    at.seen = true;
    at.open_dir = dialogs.file_dialogs_shown.back().initial_dir;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* f = qobject_cast<TForm1*>(w)) form = f;
    if (!form) return;
    at.picture_dir = form->OpenPictureDialog1.initial_dir;
    at.save_dir = form->SavePictureDialog1.initial_dir;
    at.style = form->cb_lut_style->ItemIndex();
    at.noise_dirty = form->state.frame.noise_dirty;
    at.datamax = form->sh_datamax->Color();
    at.cospow_hidden = form->ud_cospow->isHidden();
  };
  TForm1 created({"flowskin"}, &dialogs);
  ASSERT_TRUE(at.seen);
  ASSERT_EQ(form, &created);
  EXPECT_EQ(at.open_dir, QDir::currentPath());
  EXPECT_EQ(at.picture_dir, QDir::currentPath());
  EXPECT_EQ(at.save_dir, QDir::currentPath());
  EXPECT_EQ(at.style, 2);
  EXPECT_TRUE(at.noise_dirty);
  EXPECT_EQ(at.datamax, MakeColor(255, 128, 128));
  EXPECT_FALSE(at.cospow_hidden);  // step 7 has not run yet
  EXPECT_TRUE(created.ud_cospow->isHidden());
  EXPECT_FALSE(created.ud_thalf->isHidden());
  EXPECT_FALSE(created.GLPanel1->ContextReady());  // no context during window creation
}

// At the default size every caption is whole: each tab's name, every check
// box, radio button, button and label of every tab, and the counts with a
// load's note (a simulation file with its arrays, so the file rows show).
TEST_F(FormTest, EveryCaptionIsWholeAtTheDefaultSize) {
  LoadThroughDialog(*form, dialogs, ExamplePath("motorbike_wss.vtp"));
  QTabBar* tabs = form->PageControl1->tabBar();
  for (int i = 0; i < form->PageControl1->count(); ++i) {
    SCOPED_TRACE(form->PageControl1->tabText(i).toStdString());
    EXPECT_LE(tabs->tabRect(i).right(), tabs->width());
    EXPECT_GE(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)));
    form->PageControl1->setCurrentIndex(i);
    QTest::qWait(10);
    QWidget* page = form->PageControl1->currentWidget();
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
      if (b->isVisible() && !b->text().isEmpty()) {
        // A check box or radio button needs its indicator too; a push button its text.
        const bool push = qobject_cast<QPushButton*>(b) != nullptr;
        EXPECT_GE(b->width(), push ? b->fontMetrics().horizontalAdvance(b->text()) + 4 : b->sizeHint().width())
            << b->objectName().toStdString() << " " << b->text().toStdString();
        EXPECT_LE(b->mapTo(page, QPoint(b->width(), 0)).x(), page->width()) << b->text().toStdString();
      }
    for (QLabel* l : page->findChildren<QLabel*>())
      if (l->isVisible() && !l->text().isEmpty()) {
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
      }
  }
  form->repaint();
  QTest::qWait(10);
  EXPECT_NE(form->lab_load->text().indexOf("faces turned outward"), -1);
  for (QLabel* l : {form->lab_ntri, form->lab_load})
    EXPECT_FALSE(static_cast<TElidedLabel*>(l)->Elided()) << l->text().toStdString();
}

// "Window" width and height typed with Enter: the drawing area takes the size
// when the window then fits the screens' room for windows, and is held to
// that room otherwise (a drawing area of the typed size took gigabytes).
TEST_F(FormTest, TypedDrawingAreaSizesAreHeldToTheScreen) {
  const QSize room = form->screen()->availableVirtualGeometry().size();
  const struct {
    const char *w, *h;
    bool fits;  // the typed size is taken as it stands
  } cases[] = {
      {"301", "300", true},      {"2147483647", "376", false}, {"663", "32767", false},
      {"99999", "99999", false}, {"420", "333", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.w) + " x " + c.h);
    TypeInto(form->ed_winw, c.w);
    TypeInto(form->ed_winh, c.h);
    QTest::keyClick(form->ed_winh, Qt::Key_Return);
    EXPECT_LE(form->width(), room.width());
    EXPECT_LE(form->height(), room.height());
    // The edits follow the drawing area once it has its size.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return form->ed_winw->Text() == QString::number(form->GLPanel1->Width()) &&
                 form->ed_winh->Text() == QString::number(form->GLPanel1->Height());
        },
        3000));
    if (c.fits) {
      EXPECT_EQ(form->GLPanel1->Width(), QString(c.w).toInt());
      EXPECT_EQ(form->GLPanel1->Height(), QString(c.h).toInt());
    } else {
      EXPECT_LT(form->GLPanel1->Width(), room.width() + 1);
      EXPECT_LT(form->GLPanel1->Height(), room.height() + 1);
    }
  }
}
