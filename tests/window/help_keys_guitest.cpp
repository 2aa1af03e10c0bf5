// The window explains itself: a tooltip on every control of every tab (with
// the up-downs' real ranges), a help page that names every key and tab, and
// keyboard shortcuts that do what their buttons do.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "window/control_tips.h"
#include "window/program_info.h"

namespace {

// The widgets a user operates: every control kind of the window.
bool IsControl(const QWidget* w) {
  return dynamic_cast<const TButton*>(w) || dynamic_cast<const TSpeedButton*>(w) || dynamic_cast<const TCheckBox*>(w) ||
         dynamic_cast<const TRadioButton*>(w) || dynamic_cast<const TUpDown*>(w) || dynamic_cast<const TEdit*>(w) ||
         dynamic_cast<const TComboBox*>(w) || dynamic_cast<const TTrackBar*>(w) ||
         dynamic_cast<const TColorSwatch*>(w) || dynamic_cast<const TPaintBox*>(w);
}

QString Describe(const QWidget* w) {
  const auto* b = dynamic_cast<const QAbstractButton*>(w);
  return w->objectName() + (b ? " \"" + b->text() + "\"" : QString());
}

}  // namespace

TEST_F(FormTest, EveryControlOfEveryTabHasATooltipAndUpDownsShowTheirRange) {
  // Tab caption and the least number of controls it holds, so that a walk
  // that finds nothing cannot pass.
  const struct {
    const char* tab;
    int at_least;
  } tabs[] = {{"General", 40}, {"Texture", 35}, {"Flow", 40}, {"Data", 35}, {"Shade", 40}};
  QTabWidget* pages = form->PageControl1;
  ASSERT_EQ(pages->count(), int(std::size(tabs)));
  for (int i = 0; i < pages->count(); ++i) {
    SCOPED_TRACE(tabs[i].tab);
    ASSERT_EQ(pages->tabText(i), tabs[i].tab);
    int controls = 0;
    for (QWidget* w : pages->widget(i)->findChildren<QWidget*>()) {
      if (!IsControl(w)) continue;
      ++controls;
      EXPECT_FALSE(w->toolTip().trimmed().isEmpty()) << Describe(w).toStdString() << " has no tooltip";
      const auto* ud = dynamic_cast<const TUpDown*>(w);
      if (!ud) continue;
      const QString range = QString("Range %1..%2").arg(ud->Min()).arg(ud->Max());
      EXPECT_TRUE(w->toolTip().contains(range)) << Describe(w).toStdString() << ": " << w->toolTip().toStdString();
      EXPECT_EQ(ud->Associate()->toolTip(), w->toolTip()) << Describe(w).toStdString();
      if (ud->Label()) {
        EXPECT_EQ(ud->Label()->toolTip(), w->toolTip()) << Describe(w).toStdString();
      }
    }
    EXPECT_GE(controls, tabs[i].at_least);
  }
  // Outside the tabs: "Run", "X" and "?".
  for (QWidget* w : {static_cast<QWidget*>(form->sb_animate), static_cast<QWidget*>(form->Button15),
                     static_cast<QWidget*>(form->but_help)})
    EXPECT_FALSE(w->toolTip().isEmpty()) << Describe(w).toStdString();
  // Every entry of the table names a control that exists.
  EXPECT_EQ(ApplyControlTips(form.get()), QStringList());
}

TEST_F(FormTest, HelpPageNamesEveryShortcutAndEveryTabAndTheReadme) {
  QMenu* menu = form->but_help->menu();
  ASSERT_NE(menu, nullptr);
  QAction* help = menu->findChild<QAction*>("act_help");
  ASSERT_NE(help, nullptr);
  help->trigger();
  ASSERT_NE(form->HelpWindow, nullptr);
  EXPECT_TRUE(form->HelpWindow->isVisible());
  EXPECT_FALSE(form->HelpWindow->isModal());
  const QString page = form->HelpWindow->findChild<QTextBrowser*>("help_text")->toPlainText();
  const QList<QShortcut*> keys = form->findChildren<QShortcut*>();
  ASSERT_GE(keys.size(), 7);
  for (QShortcut* k : keys) {
    const QString text = k->key().toString(QKeySequence::NativeText);
    EXPECT_TRUE(page.contains(text)) << "the help page does not name " << text.toStdString();
  }
  for (int i = 0; i < form->PageControl1->count(); ++i)
    EXPECT_TRUE(page.contains(form->PageControl1->tabText(i))) << form->PageControl1->tabText(i).toStdString();
  // The controls of simulation files, movies and starting from the defaults are named as the window names them.
  const std::vector<QAbstractButton*> named = {form->cb_flow_reverse, form->cb_flow_tangential, form->cb_flow_normalise,
                                               form->rbfile, form->rbvelocity};
  for (QAbstractButton* b : named) EXPECT_TRUE(page.contains(b->text())) << b->text().toStdString();
  for (const char* words : {"Flow array", ".vtu", ".mp4", "--defaults"}) EXPECT_TRUE(page.contains(words)) << words;
  // Where the README is: its path when it lies beside the program's folder, else where to look.
  EXPECT_TRUE(page.contains("README")) << page.toStdString();
}

TEST_F(FormTest, AboutNamesTheVersionAndTheLibraries) {
  form->but_help->menu()->findChild<QAction*>("act_about")->trigger();
  ASSERT_NE(form->AboutWindow, nullptr);
  EXPECT_TRUE(form->AboutWindow->isVisible());
  const QString text = form->AboutWindow->findChild<QLabel*>("about_text")->text();
  for (const QString& part : {ProgramVersion(), QString("Qt ") + qVersion(), QString("Assimp "), QString("OpenGL ")})
    EXPECT_TRUE(text.contains(part)) << part.toStdString() << " missing in: " << text.toStdString();
}

// Each shortcut, pressed while the view has the keyboard, against a click on
// its button in a fresh window: the same outcome, and a change from before.
TEST(HelpKeys, ShortcutsInTheViewDoWhatTheirButtonsDo) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  struct TRow {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
    std::function<void(TForm1&)> click;
    std::function<void(TForm1&, TScriptedDialogs&)> prepare;
    std::function<QString(TForm1&, TScriptedDialogs&)> outcome;
  };
  const auto calls = [](TScriptedDialogs& d) {
    QString s;
    for (const auto& c : d.calls) s += QString::fromStdString(c) + " ";
    return s;
  };
  const auto panels = [](TForm1& f) {
    return QString("control %1, message %2, X %3")
        .arg(f.panel_control->isVisible())
        .arg(f.panel_message->isVisible())
        .arg(f.Button15->isVisible());
  };
  int saves = 0;
  const TRow rows[] = {
      {"Ctrl+O", Qt::Key_O, Qt::ControlModifier, [](TForm1& f) { f.but_load_mesh->Click(); },
       [](TForm1&, TScriptedDialogs& d) { d.file_answers.push_back(ExamplePath("torus.ply")); },
       [&](TForm1& f, TScriptedDialogs& d) {
         return calls(d) + QFileInfo(f.MeshPath()).fileName() + QString(" %1").arg(f.state.mesh.face_count);
       }},
      {"Ctrl+S", Qt::Key_S, Qt::ControlModifier, [](TForm1& f) { f.but_save_pic->Click(); },
       [&](TForm1&, TScriptedDialogs& d) { d.file_answers.push_back(dir.filePath(QString("s%1.png").arg(++saves))); },
       [&](TForm1& f, TScriptedDialogs& d) {
         const QImage saved(dir.filePath(QString("s%1.png").arg(saves)));
         return calls(d) + QString("%1x%2 vs panel %3x%4")
                               .arg(saved.width())
                               .arg(saved.height())
                               .arg(f.GLPanel1->Width())
                               .arg(f.GLPanel1->Height());
       }},
      {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, [](TForm1& f) { f.but_copyclipboard->Click(); },
       [](TForm1&, TScriptedDialogs&) { QApplication::clipboard()->clear(); },
       [](TForm1& f, TScriptedDialogs&) {
         const QImage copied = QApplication::clipboard()->image();
         return QString("%1x%2 vs panel %3x%4")
             .arg(copied.width())
             .arg(copied.height())
             .arg(f.GLPanel1->Width())
             .arg(f.GLPanel1->Height());
       }},
      {"F11", Qt::Key_F11, Qt::NoModifier, [](TForm1& f) { f.Button14->Click(); }, nullptr,
       [&](TForm1& f, TScriptedDialogs&) { return panels(f); }},
      {"Escape", Qt::Key_Escape, Qt::NoModifier, [](TForm1& f) { f.Button15->Click(); },
       [](TForm1& f, TScriptedDialogs&) { f.Button14->Click(); },
       [&](TForm1& f, TScriptedDialogs&) { return panels(f); }},
      {"F11 again", Qt::Key_F11, Qt::NoModifier, [](TForm1& f) { f.Button15->Click(); },
       [](TForm1& f, TScriptedDialogs&) { f.Button14->Click(); },
       [&](TForm1& f, TScriptedDialogs&) { return panels(f); }},
      {"F1", Qt::Key_F1, Qt::NoModifier,
       [](TForm1& f) { f.but_help->menu()->findChild<QAction*>("act_help")->trigger(); }, nullptr,
       [](TForm1& f, TScriptedDialogs&) {
         return QString("help shown %1").arg(f.HelpWindow && f.HelpWindow->isVisible());
       }},
      {"Space", Qt::Key_Space, Qt::NoModifier, [](TForm1& f) { f.sb_animate->click(); },
       [](TForm1& f, TScriptedDialogs&) {
         f.ud_rotate->SetPosition(10);
         QTimer::singleShot(300, &f, [&f] { f.sb_animate->click(); });  // stops the loop
       },
       [](TForm1& f, TScriptedDialogs&) {
         return QString("down %1, turned %2").arg(f.sb_animate->Down()).arg(f.state.view.rot_y > 2.0);
       }},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    QString by_key, by_button, before;
    for (int by = 0; by < 2; ++by) {
      TScriptedDialogs dialogs;
      TForm1 form(QStringList{}, &dialogs);
      form.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
      ASSERT_TRUE(QTest::qWaitFor([&] { return form.GLPanel1->ContextReady(); }, 3000));
      dialogs.calls.clear();
      form.activateWindow();
      form.GLPanel1->requestActivate();
      ASSERT_TRUE(QTest::qWaitForWindowActive(form.GLPanel1));
      if (row.prepare) row.prepare(form, dialogs);
      if (by == 0) before = row.outcome(form, dialogs);
      if (by == 0) {
        QTest::keyClick(form.GLPanel1, Qt::Key(row.key), row.mods);
        by_key = row.outcome(form, dialogs);
      } else {
        row.click(form);
        by_button = row.outcome(form, dialogs);
      }
    }
    EXPECT_EQ(by_key.toStdString(), by_button.toStdString());
    EXPECT_NE(by_key.toStdString(), before.toStdString()) << "the key changed nothing";
  }
}

TEST_F(FormTest, SpaceInAnEditBoxIsTypedAndStartsNothing) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  bool ran = false;
  QTimer::singleShot(500, form.get(), [&] {  // stops a loop the key must not have started
    if (!form->sb_animate->Down()) return;
    ran = true;
    form->sb_animate->click();
  });
  form->Edit2->setFocus();
  form->Edit2->setCursorPosition(form->Edit2->text().size());
  QTest::keyClick(form->Edit2, Qt::Key_Space);
  QTest::qWait(600);
  EXPECT_FALSE(ran);
  EXPECT_EQ(form->Edit2->text(), "25 ");
}
