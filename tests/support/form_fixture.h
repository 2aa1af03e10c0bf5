#pragma once
// Builds the real main window with scripted dialogs, shows it and waits until
// the GL panel has its context, so that redraws draw frames.
#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTest>
#include <memory>

#include "glpanel/glpanel.h"
#include "support/scripted_dialogs.h"
#include "window/form1.h"

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm1>(QStringList{}, &dialogs);
    // Frames only when a test draws them: the window's own frames after a
    // change would make the frames a test counts, and the noise they show,
    // depend on timing. The tests of those frames turn them on.
    form->settle_after_changes = false;
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->ContextReady(); }, 3000));
    QTest::qWait(20);
  }
  void TearDown() override { form.reset(); }

  // Replaces the whole text of an edit by typing it, as a user would.
  static void TypeInto(TEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

  // Lets the frames the window draws after a change (when on) run out, so
  // that a test counting frames counts only its own.
  void Settle() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->SettleFramesOwed() == 0; }, 10000));
  }

  // Whether w shows when its tab is the current one (controls outside the tabs:
  // whether it shows in the window).
  bool Shown(const QWidget* w) const {
    QTabWidget* pages = form->PageControl1;
    for (int i = 0; i < pages->count(); ++i)
      if (pages->widget(i)->isAncestorOf(w)) return w->isVisibleTo(pages->widget(i));
    return w->isVisibleTo(form.get());
  }

  TScriptedDialogs dialogs;
  std::unique_ptr<TForm1> form;
};
