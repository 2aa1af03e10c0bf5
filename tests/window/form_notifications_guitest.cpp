// The shared change notifications: which control changes request a frame, the
// redraw guard, colour picks and number input of plain edits.
#include <GL/gl.h>

#include <vector>

#include "colorconversion/colorconversion.h"
#include "support/form_fixture.h"

TEST_F(FormTest, ProgramWriteToAnEditRequestsNoFrameWhileTypingDoes) {
  const int64_t requests = form->diag.redraw_requests;
  const int64_t frames = form->diag.frames_drawn;
  form->ud_scale->SetPosition(40);  // the up-down writes its edit: flag cleared
  form->Edit2->SetText("41");       // any program write
  EXPECT_FALSE(form->Edit2->Modified());
  EXPECT_EQ(form->diag.redraw_requests, requests);
  EXPECT_EQ(form->diag.frames_drawn, frames);
  EXPECT_EQ(form->ud_scale->Position(), 41);

  TypeInto(form->Edit2, "3");
  EXPECT_TRUE(form->Edit2->Modified());
  EXPECT_EQ(form->ud_scale->Position(), 3);
  EXPECT_GT(form->diag.redraw_requests, requests);
  EXPECT_GT(form->diag.frames_drawn, frames);
  EXPECT_FALSE(form->state.frame.scene_dirty);  // the frame consumed it
}

TEST_F(FormTest, TypingSevenThenFiveIntoScaleRequestsAFrameAfterEachKey) {
  std::vector<int> scale_at_request;
  const int64_t frames = form->diag.frames_drawn;
  form->Edit2->SetText("");
  form->diag.on_redraw_request = [&] { scale_at_request.push_back(form->ud_scale->Position()); };
  form->Edit2->setFocus();
  QTest::keyClick(form->Edit2, Qt::Key_7);
  QTest::keyClick(form->Edit2, Qt::Key_5);
  EXPECT_EQ(scale_at_request, (std::vector<int>{7, 75}));
  EXPECT_EQ(form->diag.frames_drawn, frames + 2);
}

TEST_F(FormTest, ArrowClickWritesTheEditWithoutARedrawUnlessTheClickIsWired) {
  const int64_t requests = form->diag.redraw_requests;
  form->ud_scale->Click(TUDBtnType::Next);  // "Scale": change event only
  EXPECT_EQ(form->ud_scale->Position(), 26);
  EXPECT_EQ(form->Edit2->Text(), "26");
  EXPECT_EQ(form->diag.redraw_requests, requests);
  form->ud_vx->Click(TUDBtnType::Prev);  // "Linear": change and click
  EXPECT_EQ(form->ud_vx->Position(), -1);
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);
}

TEST_F(FormTest, SuspendedRedrawMakesRequestRedrawANoOp) {
  form->state.frame.redraw_suspended = 1;
  form->state.frame.frame_counter = 9;
  const int64_t requests = form->diag.redraw_requests;
  const int64_t frames = form->diag.frames_drawn;
  form->RequestRedraw();
  TypeInto(form->Edit2, "12");       // a typed change
  form->cbshline->SetChecked(true);  // a program write to a check box runs its notification
  form->rbkmax->SetChecked(true);    // refresh notification
  EXPECT_EQ(form->diag.redraw_requests, requests);
  EXPECT_EQ(form->diag.frames_drawn, frames);
  EXPECT_EQ(form->state.frame.frame_counter, 9);
  // No frame, but the refresh marks the scene dirty for the next one.
  EXPECT_TRUE(form->state.frame.scene_dirty);
  form->state.frame.redraw_suspended = 0;
  form->RequestRedraw();
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);
  EXPECT_EQ(form->diag.frames_drawn, frames + 1);
  EXPECT_EQ(form->state.frame.frame_counter, 0);
}

TEST_F(FormTest, CheckBoxAndRadioNotificationsRequestFrames) {
  const int64_t requests = form->diag.redraw_requests;
  QTest::mouseClick(form->cbshline, Qt::LeftButton, {}, QPoint(6, form->cbshline->height() / 2));
  EXPECT_TRUE(form->cbshline->Checked());
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);
  form->rbkmax->SetChecked(true);  // refresh: a frame before and after the refresh
  EXPECT_EQ(form->diag.redraw_requests, requests + 3);
  form->rbkmax->SetChecked(true);  // no change, no notification
  EXPECT_EQ(form->diag.redraw_requests, requests + 3);
}

TEST_F(FormTest, TypedRefreshEditRefreshesButAProgramWriteDoesNot) {
  const int64_t requests = form->diag.redraw_requests;
  form->ud_angle->SetPosition(90);
  EXPECT_EQ(form->diag.redraw_requests, requests);
  // Three typed changes ("", "4", "45"), each a refresh of two requests; the
  // empty text keeps the previous position.
  TypeInto(form->ed_angle, "45");
  EXPECT_EQ(form->ud_angle->Position(), 45);
  EXPECT_EQ(form->diag.redraw_requests, requests + 6);
}

TEST_F(FormTest, RightClickOnASwatchOpensTheColourDialogAndCancelChangesNothing) {
  const int64_t requests = form->diag.redraw_requests;
  QTest::mouseClick(form->sh_datamin, Qt::RightButton);
  ASSERT_EQ(dialogs.Count("color"), 1);
  EXPECT_EQ(dialogs.colors_shown.back(), MakeColor(0, 255, 255));
  EXPECT_EQ(form->sh_datamin->Color(), MakeColor(0, 255, 255));
  EXPECT_EQ(form->diag.redraw_requests, requests);

  dialogs.color_answers.push_back(MakeColor(10, 20, 30));
  QTest::mouseClick(form->sh_background, Qt::MiddleButton);
  ASSERT_EQ(dialogs.Count("color"), 2);
  EXPECT_EQ(dialogs.colors_shown.back(), MakeColor(192, 192, 192));
  EXPECT_EQ(form->sh_background->Color(), MakeColor(10, 20, 30));
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);
}

TEST_F(FormTest, DrawnFrameIsClearedToTheBackgroundColour) {
  form->sh_background->SetColor(MakeColor(200, 40, 10));
  form->GLPanel1->SwapBB = false;  // keep the frame in the back buffer to read it
  form->RequestRedraw();
  unsigned char px[3] = {0, 0, 0};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(100, 100, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
  form->GLPanel1->SwapBB = true;
  EXPECT_EQ(px[0], 200);
  EXPECT_EQ(px[1], 40);
  EXPECT_EQ(px[2], 10);
}

TEST_F(FormTest, NonNumericEnterInAPlainEditShowsTheMessageAndChangesNothing) {
  form->state.view.margin = 3;
  TypeInto(form->ed_margin, "abc");
  QTest::keyClick(form->ed_margin, Qt::Key_Return);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "'abc' is not a valid integer value");
  EXPECT_EQ(form->state.view.margin, 3);
  EXPECT_EQ(form->ud_margin->Position(), 0);  // the up-down keeps its position

  const QSize before = form->size();
  TypeInto(form->ed_winw, "12x");
  QTest::keyClick(form->ed_winw, Qt::Key_Enter);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1], "'12x' is not a valid integer value");
  EXPECT_EQ(form->size(), before);

  TypeInto(form->ed_margin, "7");
  QTest::keyClick(form->ed_margin, Qt::Key_Return);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(form->state.view.margin, 7);
}

TEST_F(FormTest, FloatInputReportsTheFloatMessage) {
  form->ed_dtime->SetText("0.5x");
  double v = 1;
  EXPECT_FALSE(form->ReadFloatEdit(form->ed_dtime, v));
  EXPECT_EQ(v, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "'0.5x' is not a valid floating point value");
  form->ed_dtime->SetText("-0.25");
  EXPECT_TRUE(form->ReadFloatEdit(form->ed_dtime, v));
  EXPECT_EQ(v, -0.25);
}

TEST_F(FormTest, AddShadeOnViewChangeDrawsWithoutMarkingTheSceneDirty) {
  const int64_t requests = form->diag.redraw_requests;
  const int64_t frames = form->diag.frames_drawn;
  bool view_changed_in_frame = false;
  form->GLPanel1->OnRedraw = [&](TGLPanel* p) {
    view_changed_in_frame = form->state.frame.view_changed;
    form->GLPanel1Redraw(p);
  };
  form->cb_add_shade_to_data->SetChecked(true);
  EXPECT_TRUE(view_changed_in_frame);
  EXPECT_EQ(form->diag.frames_drawn, frames + 1);
  EXPECT_EQ(form->diag.redraw_requests, requests);  // not through RequestRedraw
}
