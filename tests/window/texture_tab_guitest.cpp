// The "Texture" tab on the real window: noise rebuilt by the next frame after
// a pulse or colour change, the pulse plot, "Flash", "Lock texture" and
// "* 2" / "* 0.5".
#include <QImage>

#include "colorconversion/colorconversion.h"
#include "support/form_fixture.h"

TEST_F(FormTest, PulseAndColourChangesRebuildTheNoiseInTheNextFrame) {
  const int64_t frames = form->diag.frames_drawn;
  form->state.noise.noise_phase = 17;
  TypeInto(form->ed_thalf, "20");  // a pulse parameter: noise marked, no frame of its own
  EXPECT_TRUE(form->state.frame.noise_dirty);
  EXPECT_EQ(form->diag.frames_drawn, frames);
  const uint32_t before = form->state.noise.random_state;
  form->GLPanel1->Redraw();
  EXPECT_FALSE(form->state.frame.noise_dirty);
  EXPECT_NE(form->state.noise.random_state, before);  // a new phase field was drawn
  EXPECT_EQ(form->state.noise.pulse_table[51], 255);  // "Puls" 20: 51.2 entries lit
  EXPECT_EQ(form->state.noise.pulse_table[52], 0);
  EXPECT_EQ(form->state.noise.noise_phase, 1);  // restarted at 0, then one injection

  // A confirmed noise colour is taken, rebuilt and drawn at once; a cancelled
  // pick changes nothing.
  dialogs.color_answers = {MakeColor(255, 0, 0), std::nullopt};
  for (int i = 0; i < 2; ++i) form->but_bc2->OnMouseDown(form->but_bc2, TMouseButton::Right, {}, 1, 1);
  EXPECT_EQ(dialogs.colors_shown, (std::vector<int32_t>{MakeColor(255, 255, 255), MakeColor(255, 0, 0)}));
  EXPECT_EQ(form->but_bc2->Color(), MakeColor(255, 0, 0));
  EXPECT_FALSE(form->state.frame.noise_dirty);
}

TEST_F(FormTest, PulsePlotShowsTwoPeriodsOfTheTableInRed) {
  form->cb_lut_style->SetItemIndex(3);  // "Saw tooth" at position 0: 255 falling to 0
  form->cb_lut_styleChange(form->cb_lut_style);
  form->GLPanel1->Redraw();
  form->PageControl1->setCurrentIndex(1);
  QTest::qWait(20);
  const QImage img = form->pb_puls_lut->grab().toImage();
  ASSERT_EQ(img.width(), 200);
  EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::black));    // outline
  EXPECT_EQ(img.pixelColor(100, 5), QColor(Qt::white));  // box
  EXPECT_EQ(img.pixelColor(10, 30), QColor(Qt::black));  // vertical axis
  // Value 255 at i = 0 and i = 256 (top of the plot area), 0 just before each.
  auto red = [&](int x, int y) { return img.pixelColor(x, y) == QColor(255, 0, 0); };
  EXPECT_TRUE(red(11, 10) || red(11, 11));
  EXPECT_TRUE(red(100, 10) || red(100, 11) || red(101, 10));
  EXPECT_TRUE(red(60, 30) || red(60, 31) || red(61, 30));  // half way down the first fall
}

TEST_F(FormTest, FlashLockAndDeltaTButtons) {
  // Flash: two clicks before a frame injects noise cancel each other; the
  // frame a click requests spends the flash at once while "Texture" is on.
  form->cbshtexture->SetChecked(false);
  form->but_col_flash->Click();
  EXPECT_TRUE(form->state.noise.noise_flash);
  form->but_col_flash->Click();
  EXPECT_FALSE(form->state.noise.noise_flash);
  form->but_col_flash->Click();
  form->cbshtexture->SetChecked(true);  // this frame injects: the flash is used up
  EXPECT_FALSE(form->state.noise.noise_flash);

  // Lock texture: two frames, so locking and unlocking finish at once.
  const int64_t frames = form->diag.frames_drawn;
  form->cb_tex_lock->SetChecked(true);
  EXPECT_EQ(form->diag.frames_drawn, frames + 2);
  EXPECT_EQ(form->state.frame.tex_lock_state, 1);
  form->cb_tex_lock->SetChecked(false);
  EXPECT_EQ(form->state.frame.tex_lock_state, 0);

  struct Case {
    TButton* button;
    int from, to;
  };
  const Case cases[] = {{form->but_div2, 25, 12},
                        {form->but_div2, 1, 1},
                        {form->but_times2, 10, 20},
                        {form->but_times2, 60, 100},
                        {form->but_div2, 100, 50}};
  for (const Case& c : cases) {
    form->ud_flow_scale->SetPosition(c.from);
    const int64_t f = form->diag.frames_drawn;
    c.button->Click();
    EXPECT_EQ(form->ud_flow_scale->Position(), c.to) << c.from;
    EXPECT_EQ(form->Edit9->Text(), QString::number(c.to));
    EXPECT_EQ(form->diag.frames_drawn, f + 1);
  }
}
