// The whole control surface, control by control: name, kind, caption (or the
// label of its row), range, step, default, visibility at start and which handler
// each event reaches. Every event a control kind can raise is triggered; events
// without a handler in the table must reach none.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "colorconversion/colorconversion.h"
#include "support/control_table.h"
#include "support/form_fixture.h"

namespace {

// The row a control sits in: its ancestor directly inside a group box, the
// message panel, or the window.
QWidget* RowOf(QWidget* w) {
  while (w->parentWidget() && !qobject_cast<QGroupBox*>(w->parentWidget()) &&
         w->parentWidget()->objectName() != "panel_message")
    w = w->parentWidget();
  return w;
}

bool RowHasCaption(QWidget* w, const QString& caption) {
  QWidget* row = RowOf(w);
  for (QLabel* l : row->findChildren<QLabel*>())
    if (l->text() == caption) return true;
  for (QAbstractButton* b : row->findChildren<QAbstractButton*>())
    if (b != w && b->text() == caption) return true;
  return false;
}

class ControlTableTest : public FormTest {
 protected:
  struct Call {
    std::string handler;
    QObject* sender;
  };
  std::vector<Call> log;

  void Record() {
    form->diag.on_event = [this](const char* handler, QObject* sender) {
      log.push_back({handler, sender});
      if (std::string(handler) == "sb_animateClick") form->sb_animate->SetDown(false);  // one pass of Run
    };
  }
  void Silent() { form->diag.on_event = nullptr; }

  // The handler the first call from `source` reached, "" for none.
  std::string FirstFrom(QObject* source) const {
    for (const Call& c : log)
      if (c.sender == source) return c.handler;
    return "";
  }

  // Raises `event` on the control as a user would and returns the handler it
  // reached ("" for none).
  std::string Raise(const Ctl& c, QWidget* w, const std::string& event);
};

std::string ControlTableTest::Raise(const Ctl& c, QWidget* w, const std::string& event) {
  log.clear();
  QObject* source = w;
  if (c.kind == K::UpDown && event != "click") source = static_cast<TUpDown*>(w)->Associate();
  Record();
  if (event == "click") {
    if (c.kind == K::UpDown) {
      static_cast<TUpDown*>(w)->Click(TUDBtnType::Next);
    } else if (c.kind == K::Radio) {
      auto* rb = static_cast<TRadioButton*>(w);
      // Start from an unchecked state so that the click checks it.
      QRadioButton* other = nullptr;
      for (auto* sibling : w->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        if (sibling != rb) other = sibling;
      Silent();
      if (rb->Checked()) other->setChecked(true);
      log.clear();
      Record();
      rb->click();
    } else {
      static_cast<QAbstractButton*>(w)->click();
    }
  } else if (event == "change") {
    if (c.kind == K::Combo) {
      QTest::keyClick(w, Qt::Key_Down);
    } else if (c.kind == K::Track) {
      static_cast<TTrackBar*>(w)->SetPosition(10);
    } else {
      auto* edit = static_cast<TEdit*>(source);
      edit->SetText(edit->Text() == "1" ? "2" : "1");
    }
  } else if (event == "keydown") {
    QTest::keyPress(static_cast<QWidget*>(source), Qt::Key_Left);  // not Enter: the handlers act on 13 only
    Silent();
    QTest::keyRelease(static_cast<QWidget*>(source), Qt::Key_Left);
  } else if (event == "keyup") {
    Silent();
    QTest::keyPress(static_cast<QWidget*>(source), Qt::Key_Left);
    log.clear();
    Record();
    QTest::keyRelease(static_cast<QWidget*>(source), Qt::Key_Left);
  } else if (event == "mousedown") {
    QTest::mouseClick(w, Qt::RightButton);  // the scripted colour dialog cancels
  } else if (event == "paint") {
    form->PageControl1->setCurrentIndex(1);
    w->repaint();
  }
  Silent();
  return FirstFrom(source);
}

// The events a control kind can raise.
std::vector<std::string> EventsOf(K kind) {
  switch (kind) {
    case K::Button:
    case K::Check:
    case K::Radio:
    case K::Speed:
      return {"click"};
    case K::UpDown:
      return {"change", "click", "keydown", "keyup"};
    case K::Edit:
      return {"change", "keydown", "keyup"};
    case K::Swatch:
      return {"mousedown"};
    case K::Combo:
    case K::Track:
      return {"change"};
    case K::Paint:
      return {"paint"};
  }
  return {};
}

}  // namespace

TEST_F(ControlTableTest, EveryControlHasItsKindCaptionRangeDefaultAndVisibility) {
  for (const Ctl& c : ControlTable()) {
    SCOPED_TRACE(c.name);
    QWidget* w = form->findChild<QWidget*>(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Shown(w), c.shown);
    switch (c.kind) {
      case K::Button:
      case K::Speed:
        ASSERT_TRUE(c.kind == K::Button ? bool(dynamic_cast<TButton*>(w)) : bool(dynamic_cast<TSpeedButton*>(w)));
        EXPECT_EQ(static_cast<QAbstractButton*>(w)->text(), c.caption);
        break;
      case K::Check:
        ASSERT_TRUE(dynamic_cast<TCheckBox*>(w));
        EXPECT_EQ(static_cast<TCheckBox*>(w)->text(), c.caption);
        EXPECT_EQ(static_cast<TCheckBox*>(w)->Checked(), bool(c.def));
        break;
      case K::Radio:
        ASSERT_TRUE(dynamic_cast<TRadioButton*>(w));
        EXPECT_EQ(static_cast<TRadioButton*>(w)->text(), c.caption);
        EXPECT_EQ(static_cast<TRadioButton*>(w)->Checked(), bool(c.def));
        break;
      case K::UpDown: {
        auto* ud = dynamic_cast<TUpDown*>(w);
        ASSERT_TRUE(ud);
        ASSERT_NE(ud->Associate(), nullptr);
        EXPECT_EQ(ud->Associate()->objectName(), c.text);
        EXPECT_EQ(form->findChild<TEdit*>(c.text), ud->Associate());
        EXPECT_EQ(ud->Min(), c.min);
        EXPECT_EQ(ud->Max(), c.max);
        EXPECT_EQ(ud->Increment(), c.step);
        EXPECT_EQ(ud->Position(), c.def);
        EXPECT_EQ(ud->Associate()->Text(), QString::number(c.def));
        EXPECT_FALSE(ud->Associate()->Modified());
        EXPECT_EQ(Shown(ud->Associate()), c.shown);
        EXPECT_EQ(ud->Horizontal(), std::string(c.name) == "ud_lr_light");
        EXPECT_TRUE(RowHasCaption(w, c.caption));
        break;
      }
      case K::Edit:
        ASSERT_TRUE(dynamic_cast<TEdit*>(w));
        if (c.text) {
          EXPECT_EQ(static_cast<TEdit*>(w)->Text(), c.text);
        }
        EXPECT_TRUE(RowHasCaption(w, c.caption));
        break;
      case K::Swatch:
        ASSERT_TRUE(dynamic_cast<TColorSwatch*>(w));
        EXPECT_EQ(static_cast<TColorSwatch*>(w)->Color(), c.def);
        EXPECT_TRUE(RowHasCaption(w, c.caption));
        break;
      case K::Combo:
        ASSERT_TRUE(dynamic_cast<TComboBox*>(w));
        EXPECT_EQ(static_cast<TComboBox*>(w)->ItemIndex(), c.def);
        EXPECT_TRUE(RowHasCaption(w, c.caption));
        break;
      case K::Track: {
        auto* tb = dynamic_cast<TTrackBar*>(w);
        ASSERT_TRUE(tb);
        EXPECT_EQ(tb->minimum(), c.min);
        EXPECT_EQ(tb->maximum(), c.max);
        EXPECT_EQ(tb->Position(), c.def);
        break;
      }
      case K::Paint:
        ASSERT_TRUE(dynamic_cast<TPaintBox*>(w));
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(Qt::red));
        break;
    }
  }
}

TEST_F(ControlTableTest, EveryEventReachesTheHandlerOfItsNameAndNoOther) {
  for (const Ctl& c : ControlTable()) {
    QWidget* w = form->findChild<QWidget*>(c.name);
    ASSERT_NE(w, nullptr) << c.name;
    for (const std::string& event : EventsOf(c.kind)) {
      SCOPED_TRACE(std::string(c.name) + " " + event);
      std::string expected;
      for (const Ev& e : c.events)
        if (event == e.event) expected = e.handler;
      EXPECT_EQ(Raise(c, w, event), expected);
      if (form->panel_control->isHidden()) form->Button15Click(nullptr);  // after "Full window"
    }
  }
  // The table lists each of these events; nothing listed was left untriggered.
  for (const Ctl& c : ControlTable())
    for (const Ev& e : c.events) {
      const std::vector<std::string> raised = EventsOf(c.kind);
      EXPECT_NE(std::find(raised.begin(), raised.end(), e.event), raised.end()) << c.name << " " << e.event;
    }
}

TEST_F(ControlTableTest, PanelEventsReachTheirHandlers) {
  Record();
  form->GLPanel1->Redraw();
  EXPECT_EQ(FirstFrom(form->GLPanel1), "GLPanel1Redraw");
  log.clear();
  QTest::mousePress(form->GLPanel1, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseMove(form->GLPanel1, QPoint(30, 25));
  QTest::mouseRelease(form->GLPanel1, Qt::LeftButton, {}, QPoint(30, 25));
  Silent();
  std::vector<std::string> mouse;
  for (const Call& c : log)
    if (c.sender == form->GLPanel1 && c.handler.rfind("GLPanel1Mouse", 0) == 0) mouse.push_back(c.handler);
  // The toolkit may add moves of its own; press, move and release come in order.
  const auto down = std::find(mouse.begin(), mouse.end(), "GLPanel1MouseDown");
  ASSERT_NE(down, mouse.end());
  const auto move = std::find(down, mouse.end(), "GLPanel1MouseMove");
  ASSERT_NE(move, mouse.end());
  EXPECT_NE(std::find(move, mouse.end(), "GLPanel1MouseUp"), mouse.end());
}

// The first paint of the window: GL set-up once, then the resize handler and
// one frame, in that order.
TEST(ControlTableStart, FirstPaintRunsInitThenResizeThenAFrame) {
  TScriptedDialogs dialogs;
  TForm1 form({}, &dialogs);
  std::vector<std::string> calls;
  form.diag.on_event = [&](const char* handler, QObject* sender) {
    if (sender == form.GLPanel1) calls.push_back(handler);
  };
  EXPECT_FALSE(form.GLPanel1->ContextReady());
  form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.GLPanel1->ContextReady(); }, 3000));
  form.diag.on_event = nullptr;
  auto init = std::find(calls.begin(), calls.end(), "GLPanel1GLInit");
  ASSERT_NE(init, calls.end());
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "GLPanel1GLInit"), 1);
  ASSERT_GE(calls.end() - init, 3);
  EXPECT_EQ(*(init + 1), "GLPanel1Resize");
  EXPECT_EQ(*(init + 2), "GLPanel1Redraw");
  // Nothing was drawn before the context existed.
  EXPECT_EQ(std::find(calls.begin(), init, "GLPanel1Redraw"), init);
}

// Each of the ten colour-pick swatches: any button opens the dialog at the
// swatch's colour; a confirmed colour is taken and one frame is requested.
TEST_F(ControlTableTest, EachPickSwatchTakesAConfirmedColourWithAnyButton) {
  const char* swatches[] = {"sh_datamin", "sh_datamax",  "sh_flow_paint_col", "sh_ambient",       "sh_light",
                            "sh_diffuse", "sh_specular", "sh_mesh_diffuse",   "sh_mesh_specular", "sh_background"};
  const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
  int n = 0;
  for (const char* name : swatches) {
    SCOPED_TRACE(name);
    auto* sw = form->findChild<TColorSwatch*>(name);
    ASSERT_NE(sw, nullptr);
    const int32_t before = sw->Color();
    const int32_t chosen = MakeColor(10 + n, 20, 30);
    dialogs.color_answers.push_back(chosen);
    const int64_t requests = form->diag.redraw_requests;
    QTest::mouseClick(sw, buttons[n % 3]);
    ASSERT_EQ(dialogs.Count("color"), n + 1);
    EXPECT_EQ(dialogs.colors_shown.back(), before);
    EXPECT_EQ(sw->Color(), chosen);
    EXPECT_EQ(form->ColorDialog1, chosen);
    EXPECT_EQ(form->diag.redraw_requests, requests + 1);
    ++n;
  }
}

// "Left/right" is a horizontal pair: its right arrow adds 5, its left arrow
// takes 5, and each step reaches the light handler through the edit.
TEST_F(ControlTableTest, HorizontalLightUpDownStepsByFiveWithItsArrows) {
  QToolButton *left = nullptr, *right = nullptr;
  for (QToolButton* b : form->ud_lr_light->findChildren<QToolButton*>()) {
    if (b->arrowType() == Qt::LeftArrow) left = b;
    if (b->arrowType() == Qt::RightArrow) right = b;
  }
  ASSERT_TRUE(left && right);
  std::vector<std::string> handlers;
  form->diag.on_event = [&](const char* h, QObject* s) {
    if (s == form->ed_llight_lr) handlers.push_back(h);
  };
  right->click();
  EXPECT_EQ(form->ud_lr_light->Position(), 15);
  EXPECT_EQ(form->ed_llight_lr->Text(), "15");
  left->click();
  left->click();
  EXPECT_EQ(form->ud_lr_light->Position(), 5);
  form->diag.on_event = nullptr;
  EXPECT_EQ(handlers, (std::vector<std::string>(3, "ed_llight_lrChange")));
  for (int i = 0; i < 30; ++i) left->click();  // clamped at -90, no wrap
  EXPECT_EQ(form->ud_lr_light->Position(), -90);
}
