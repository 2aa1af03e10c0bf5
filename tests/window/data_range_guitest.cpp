// The "Min"/"Max" edits and the range commands of the "Data" tab on a loaded
// mesh: typed ranges on Enter, the four range buttons, the channel radios.
#include "data/render_state.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

class DataRangeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
    form->rbpy->SetChecked(true);  // "Y" of the unit sphere: -1 .. 1
  }
  const TRange& YRange() const { return form->state.mesh.data_range[7]; }
  void TypeRange(const QString& min, const QString& max) {
    TypeInto(form->eddmin, min);
    TypeInto(form->eddmax, max);
    QTest::keyClick(form->eddmax, Qt::Key_Return);
  }
};

}  // namespace

TEST_F(DataRangeTest, ChannelRadioSelectsTheChannelAndShowsItsRange) {
  EXPECT_EQ(form->state.frame.data_channel, 7);
  EXPECT_EQ(form->eddmin->Text(), "-1");
  EXPECT_EQ(form->eddmax->Text(), "1");
  form->rbkmin->SetChecked(true);
  EXPECT_EQ(form->state.frame.data_channel, 0);
  EXPECT_EQ(form->eddmin->Text(), "-25");  // the fixed K min range
  EXPECT_EQ(form->eddmax->Text(), "15");
  // Per-vertex values follow the channel: the north pole (0, 1, 0) is vertex 2.
  form->rbpy->SetChecked(true);
  const TVertex& pole = form->state.mesh.vertices[2];
  EXPECT_EQ(pole.pos.y, 1.0f);
  EXPECT_DOUBLE_EQ(pole.cur_value, 1.0);
  EXPECT_DOUBLE_EQ(pole.norm_value, 1.0);
}

TEST_F(DataRangeTest, TypedIncreasingPairIsStoredOnEnterOnly) {
  const auto requests = form->diag.redraw_requests;
  TypeInto(form->eddmin, "0.25");
  TypeInto(form->eddmax, "7.5E-001");
  EXPECT_DOUBLE_EQ(YRange().min, -1.0);  // nothing before Enter
  EXPECT_EQ(form->diag.redraw_requests, requests);
  QTest::keyClick(form->eddmin, Qt::Key_Return);  // Enter in either edit
  EXPECT_DOUBLE_EQ(YRange().min, 0.25);
  EXPECT_DOUBLE_EQ(YRange().max, 0.75);
  EXPECT_EQ(form->eddmax->Text(), "0.75");  // rewritten in the general format
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);
  EXPECT_DOUBLE_EQ(form->state.mesh.vertices[2].norm_value, 1.5);  // y = 1 on 0.25 .. 0.75
}

TEST_F(DataRangeTest, TypedPairThatIsNotIncreasingIsRejectedAndTheEditsRestored) {
  TypeRange("5", "3");
  EXPECT_DOUBLE_EQ(YRange().min, -1.0);
  EXPECT_DOUBLE_EQ(YRange().max, 1.0);
  EXPECT_EQ(form->eddmin->Text(), "-1");
  EXPECT_EQ(form->eddmax->Text(), "1");
  TypeRange("2", "2");
  EXPECT_DOUBLE_EQ(YRange().min, -1.0);
  EXPECT_EQ(form->eddmin->Text(), "-1");
  EXPECT_EQ(form->eddmax->Text(), "1");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DataRangeTest, TypedTextThatIsNotANumberIsReportedAndChangesNothing) {
  const auto requests = form->diag.redraw_requests;
  TypeRange("abc", "3");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages.back(), "'abc' is not a valid floating point value");
  EXPECT_DOUBLE_EQ(YRange().min, -1.0);
  EXPECT_DOUBLE_EQ(YRange().max, 1.0);
  EXPECT_EQ(form->eddmin->Text(), "abc");  // no refresh: the text stays for correction
  EXPECT_EQ(form->diag.redraw_requests, requests);
}

TEST_F(DataRangeTest, RangeButtonsShiftWidenAndNarrowTheSelectedChannel) {
  const TRange x_before = form->state.mesh.data_range[6];
  form->but_dwide->Click();  // -1 .. 1 -> -2 .. 2
  EXPECT_DOUBLE_EQ(YRange().min, -2.0);
  EXPECT_DOUBLE_EQ(YRange().max, 2.0);
  EXPECT_EQ(form->eddmin->Text(), "-2");
  form->but_dup->Click();  // + 4/8
  EXPECT_DOUBLE_EQ(YRange().min, -1.5);
  EXPECT_EQ(form->eddmax->Text(), "2.5");
  form->but_ddown->Click();
  form->but_dsmall->Click();  // back to -1 .. 1
  EXPECT_DOUBLE_EQ(YRange().min, -1.0);
  EXPECT_DOUBLE_EQ(YRange().max, 1.0);
  EXPECT_EQ(form->eddmax->Text(), "1");
  // Other channels are untouched.
  EXPECT_EQ(form->state.mesh.data_range[6].min, x_before.min);
  EXPECT_EQ(form->state.mesh.data_range[6].max, x_before.max);
}

TEST_F(DataRangeTest, ResetRecomputesEveryChannel) {
  form->but_dwide->Click();
  form->rbpx->SetChecked(true);
  form->but_dup->Click();
  form->Button5->Click();
  const TMesh& m = form->state.mesh;
  for (int c = 0; c < 10; ++c) {
    EXPECT_EQ(m.data_range[c].min, m.auto_range[c].min) << c;
    EXPECT_EQ(m.data_range[c].max, m.auto_range[c].max) << c;
  }
  EXPECT_DOUBLE_EQ(m.data_range[7].min, -1.0);
  EXPECT_EQ(form->eddmin->Text(), "-1");  // "X" of the unit sphere
}
