// The control classes on their own: the modified flag of edits, up-down
// positions, and which writes raise events.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <memory>

#include "window/controls/control_buttons.h"
#include "window/controls/control_lists.h"
#include "window/controls/control_swatch.h"
#include "window/controls/control_updown.h"
#include "window/dialogs.h"

namespace {

struct Pair {
  TEdit* edit = new TEdit("ed");
  std::unique_ptr<TUpDown> ud;
  int changes = 0;
  std::vector<bool> modified_at_change;
  Pair(int min, int max, int pos, int inc = 1) {
    ud = std::make_unique<TUpDown>("ud", edit, min, max, pos, inc);
    edit->setParent(ud.get());
    edit->OnChange = [this](QObject*) {
      ++changes;
      modified_at_change.push_back(edit->Modified());
    };
  }
  // Replaces the text in one user edit, as a paste does.
  void Type(const QString& text) {
    edit->selectAll();
    edit->insert(text);
  }
};

}  // namespace

TEST(UpDown, TypedWholeNumberInRangeBecomesThePosition) {
  Pair p(-100, 100, 10);
  p.Type("-42");
  EXPECT_EQ(p.ud->Position(), -42);
  EXPECT_TRUE(p.edit->Modified());
  ASSERT_FALSE(p.modified_at_change.empty());
  EXPECT_TRUE(p.modified_at_change.back());
}

TEST(UpDown, TypedTextOutOfRangeOrNotAWholeNumberKeepsThePosition) {
  Pair p(1, 1000, 25);
  for (const char* text : {"1001", "0", "abc", "2.5", "", "-"}) {
    p.Type(text);
    EXPECT_EQ(p.ud->Position(), 25) << text;
  }
  EXPECT_EQ(p.edit->Text(), "-");  // the text itself stays as typed
}

TEST(UpDown, ArrowsStepClampAndWriteTheEditAsTheProgram) {
  Pair p(-90, 90, 85, 5);
  std::vector<TUDBtnType> clicks;
  p.ud->OnClick = [&](QObject*, TUDBtnType b) { clicks.push_back(b); };
  p.edit->SetModified(true);
  p.ud->Click(TUDBtnType::Next);
  EXPECT_EQ(p.ud->Position(), 90);
  EXPECT_EQ(p.edit->Text(), "90");
  EXPECT_FALSE(p.edit->Modified());
  ASSERT_EQ(p.changes, 1);
  EXPECT_FALSE(p.modified_at_change[0]);
  p.ud->Click(TUDBtnType::Next);  // clamped at the maximum: no text change
  EXPECT_EQ(p.ud->Position(), 90);
  EXPECT_EQ(p.changes, 1);
  p.ud->Click(TUDBtnType::Prev);
  EXPECT_EQ(p.ud->Position(), 85);
  EXPECT_EQ(clicks.size(), 3u);
  EXPECT_EQ(clicks[2], TUDBtnType::Prev);
}

TEST(UpDown, PositionIsASigned16BitValue) {
  Pair p(-100000, 100000, 0);
  EXPECT_EQ(p.ud->Min(), -32768);
  EXPECT_EQ(p.ud->Max(), 32767);
  p.ud->SetPosition(40000);
  EXPECT_EQ(p.ud->Position(), 32767);
  p.Type("40000");
  EXPECT_EQ(p.ud->Position(), 32767);
  p.Type("-32768");
  EXPECT_EQ(p.ud->Position(), -32768);
}

TEST(Edit, ProgramWriteClearsTheFlagAndKeysReportVirtualCodes) {
  TEdit edit("e");
  std::vector<int> down, up;
  edit.OnKeyDown = [&](QObject*, int& k, TShiftState) { down.push_back(k); };
  edit.OnKeyUp = [&](QObject*, int& k, TShiftState) { up.push_back(k); };
  QTest::keyClicks(&edit, "a1");
  EXPECT_TRUE(edit.Modified());
  edit.SetText("x");
  EXPECT_FALSE(edit.Modified());
  QTest::keyClick(&edit, Qt::Key_Return);
  QTest::keyClick(&edit, Qt::Key_Enter);
  EXPECT_EQ(down, (std::vector<int>{'A', '1', 13, 13}));
  EXPECT_EQ(up, down);
}

TEST(Edit, SpecialKeysHaveTheirOwnCodesAndKeysWithoutOneStillType) {
  TEdit edit("e");
  std::vector<int> down;
  edit.OnKeyDown = [&](QObject*, int& k, TShiftState) { down.push_back(k); };
  for (Qt::Key k : {Qt::Key_F1, Qt::Key_F12, Qt::Key_Shift, Qt::Key_Control, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp,
                    Qt::Key_Escape, Qt::Key_Launch0})
    QTest::keyClick(&edit, k);
  // No function key reads as a digit, Shift is not Space, Home is not Shift.
  EXPECT_EQ(down, (std::vector<int>{112, 123, 16, 17, 36, 35, 33, 27, 255}));
  // A key event without a key code (composed input) is no swallowed key: its text goes in.
  QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\u00e9"));
  QCoreApplication::sendEvent(&edit, &press);
  EXPECT_EQ(down.back(), 255);
  EXPECT_EQ(edit.Text(), QString::fromUtf8("\u00e9"));
}

TEST(Edit, HandlerCanSwallowAKey) {
  TEdit edit("e");
  edit.OnKeyDown = [](QObject*, int& k, TShiftState) {
    if (k == 'X') k = 0;
  };
  QTest::keyClicks(&edit, "axb");
  EXPECT_EQ(edit.Text(), "ab");
}

TEST(Buttons, CheckAndRadioWritesRaiseClickOnlyOnAChange) {
  TCheckBox cb("cb", "c", false);
  int clicks = 0;
  cb.OnClick = [&](QObject* s) {
    EXPECT_EQ(s, &cb);
    ++clicks;
  };
  cb.SetChecked(true);
  cb.SetChecked(true);
  cb.SetChecked(false);
  EXPECT_EQ(clicks, 2);

  QWidget group;
  TRadioButton a("a", "a", true, &group), b("b", "b", false, &group);
  int a_clicks = 0, b_clicks = 0;
  a.OnClick = [&](QObject*) { ++a_clicks; };
  b.OnClick = [&](QObject*) { ++b_clicks; };
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_EQ(b_clicks, 1);
  EXPECT_EQ(a_clicks, 0);  // being unchecked is no click
}

TEST(Buttons, SpeedButtonStaysDownUntilClickedAgain) {
  TSpeedButton sb("sb", "Run");
  std::vector<bool> down_at_click;
  sb.OnClick = [&](QObject*) { down_at_click.push_back(sb.Down()); };
  sb.click();
  EXPECT_TRUE(sb.Down());
  sb.click();
  EXPECT_FALSE(sb.Down());
  EXPECT_EQ(down_at_click, (std::vector<bool>{true, false}));
  sb.SetDown(true);  // a program write raises nothing
  EXPECT_EQ(down_at_click.size(), 2u);
}

TEST(Lists, ComboSelectionWriteIsSilentTrackBarWriteIsNot) {
  TComboBox combo("c", {"a", "b", "c"});
  EXPECT_EQ(combo.ItemIndex(), -1);
  int combo_changes = 0;
  combo.OnChange = [&](QObject*) { ++combo_changes; };
  combo.SetItemIndex(2);
  EXPECT_EQ(combo.ItemIndex(), 2);
  EXPECT_EQ(combo_changes, 0);

  TTrackBar tb("tb", 0, 100, 10, 0);
  int tb_changes = 0;
  tb.OnChange = [&](QObject*) { ++tb_changes; };
  tb.SetPosition(30);
  EXPECT_EQ(tb_changes, 1);
}

TEST(Swatch, AnyButtonRaisesMouseDownWithItsPosition) {
  TColorSwatch sw("sw", 0x0000FF);
  std::vector<TMouseButton> buttons;
  TShiftState last;
  sw.OnMouseDown = [&](QObject*, TMouseButton b, TShiftState s, int, int) {
    buttons.push_back(b);
    last = s;
  };
  sw.show();
  QTest::mouseClick(&sw, Qt::RightButton, Qt::ShiftModifier, QPoint(3, 4));
  QTest::mouseClick(&sw, Qt::LeftButton);
  QTest::mouseClick(&sw, Qt::MiddleButton, Qt::ControlModifier);
  EXPECT_EQ(buttons, (std::vector<TMouseButton>{TMouseButton::Right, TMouseButton::Left, TMouseButton::Middle}));
  EXPECT_TRUE(last.ctrl);
  EXPECT_FALSE(last.shift);
  sw.SetColor(0x123456);
  EXPECT_EQ(sw.Color(), 0x123456);
  EXPECT_EQ(buttons.size(), 3u);
}

TEST(Dialogs, PipeFilterBecomesToolkitFilterMatchingBothCases) {
  EXPECT_EQ(QtFilterOf("PLY files (*.ply)|*.PLY|All files|*.*"), "PLY files (*.PLY *.ply);;All files (*.*)");
  EXPECT_EQ(QtFilterOf("Bitmaps|*.bmp;*.BMP"), "Bitmaps (*.bmp *.BMP)");
  EXPECT_EQ(QtFilterOf(""), "");
}
