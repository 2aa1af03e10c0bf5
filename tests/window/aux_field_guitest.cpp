// Shading into Aux on the real window: from "Add shade to Aux", from a load and
// from a frame after a view change.
#include <algorithm>
#include <vector>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

std::pair<double, double> AuxExtent(const TMesh& m) {
  const auto [lo, hi] = std::minmax_element(m.vertices.begin(), m.vertices.begin() + m.vertex_count,
                                            [](const TVertex& a, const TVertex& b) { return a.aux < b.aux; });
  return {lo->aux, hi->aux};
}

}  // namespace

TEST_F(FormTest, ShadeReachesAuxFromTheButtonALoadAndAViewChange) {
  // A load shades with the light of the camera set-up, the first one too
  // (before it, frames of the empty view placed no light): the defaults give
  // +10 turned away from the light, 0 facing it.
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  TMesh& m = form->state.mesh;
  EXPECT_NEAR(AuxExtent(m).first, 0, 0.05);
  EXPECT_EQ(AuxExtent(m).second, 10);
  {
    TScriptedDialogs quiet;  // a mesh named on the command line loads before any frame
    TForm1 early({"flowskin", ExamplePath("sphere.ply")}, &quiet);
    EXPECT_NEAR(AuxExtent(early.state.mesh).first, 0, 0.05);
    EXPECT_EQ(AuxExtent(early.state.mesh).second, 10);
  }

  // Both edits are read before any vertex changes.
  for (int i = 0; i < m.vertex_count; ++i) m.vertices[i].aux_base = 5;
  TypeInto(form->ed_sh_min, "3");
  TypeInto(form->ed_sh_max, "1.5x");
  form->but_add_shade->click();
  EXPECT_EQ(dialogs.messages, std::vector<QString>{"'1.5x' is not a valid floating point value"});
  EXPECT_EQ(AuxExtent(m).second, 10);
  TypeInto(form->ed_sh_max, "1.5");
  const int64_t frames = form->diag.frames_drawn;
  form->but_add_shade->click();
  EXPECT_NEAR(AuxExtent(m).first, 5 + 1.5, 0.05);
  EXPECT_EQ(AuxExtent(m).second, 5 + 3);

  // "Add shade to Aux on view change": the view counts as changed and the
  // next frame shades before it draws.
  TypeInto(form->ed_sh_min, "20");
  form->cb_add_shade_to_data->click();
  EXPECT_EQ(AuxExtent(m).second, 5 + 20);
  EXPECT_EQ(form->diag.frames_drawn, frames + 2);
}

// With "Add shade to Aux on view change", every frame after a turn takes the
// shading step: texts that are not numbers are reported once until they are
// numbers again (each mouse move showed the message again), and every time
// the button is pressed.
TEST_F(FormTest, TheShadingStepOfTheFramesReportsBadTextsOnceUntilTheyAreNumbers) {
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  form->cb_add_shade_to_data->SetChecked(true);
  const auto turn = [&](int moves) {
    QTest::mousePress(form->GLPanel1, Qt::LeftButton, {}, QPoint(200, 200));
    for (int i = 1; i <= moves; ++i) QTest::mouseMove(form->GLPanel1, QPoint(200 + 7 * i, 200));
    QTest::mouseRelease(form->GLPanel1, Qt::LeftButton, {}, QPoint(200 + 7 * moves, 200));
  };
  const QString bad_min = "'x1' is not a valid floating point value";
  const QString bad_max = "'2,5' is not a valid floating point value";
  const struct {
    const char *min, *max;
    bool press;                     // "Add shade to Aux" after the turn
    std::vector<QString> messages;  // shown by the turn and the press
  } steps[] = {
      {"x1", "0", false, {bad_min}},   // five frames, one message
      {"x1", "0", false, {}},          // said already
      {"x1", "0", true, {bad_min}},    // the button says it again
      {"1", "2,5", false, {}},         // other texts, still no numbers: said already
      {"1", "2", false, {}},           // numbers: shaded, nothing said
      {"1", "2,5", false, {bad_max}},  // no numbers again: said once more
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string(s.min) + " " + s.max);
    TypeInto(form->ed_sh_min, s.min);
    TypeInto(form->ed_sh_max, s.max);
    dialogs.messages.clear();
    turn(5);
    if (s.press) form->but_add_shade->click();
    EXPECT_EQ(dialogs.messages, s.messages);
  }
}
