// The "Aux" commands on the real window, and the two places that shade into
// Aux without a click: the mesh loading and a frame after a view change.
#include <algorithm>
#include <vector>

#include "form_fixture.h"
#include "form_frame_helpers.h"

namespace {

class AuxTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  }
  std::vector<double> Aux() const {
    std::vector<double> out;
    for (int i = 0; i < form->state.mesh.vertex_count; ++i) out.push_back(form->state.mesh.vertices[i].aux);
    return out;
  }
};

}  // namespace

TEST_F(AuxTest, LoadingAndViewChangesShadeIntoAux) {
  // A load shades with the light of the last frame's camera set-up: the
  // window's first load comes before any camera placed a light, so it is the
  // second load that shows the defaults: +10 turned away from the light, 0
  // facing it.
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  const std::vector<double> loaded = Aux();
  EXPECT_NEAR(*std::min_element(loaded.begin(), loaded.end()), 0, 0.05);
  EXPECT_DOUBLE_EQ(*std::max_element(loaded.begin(), loaded.end()), 10);

  TypeInto(form->ed_sh_min, "20");  // read when shading, no Enter needed
  const int64_t frames = form->diag.frames_drawn;
  form->cb_add_shade_to_data->click();  // the view counts as changed: the next frame shades
  EXPECT_EQ(form->diag.frames_drawn, frames + 1);
  const std::vector<double> shaded = Aux();
  EXPECT_DOUBLE_EQ(*std::max_element(shaded.begin(), shaded.end()), 20);
  EXPECT_FALSE(form->state.frame.view_changed);
}

TEST_F(AuxTest, AddShadeReadsBothEditsBeforeTouchingAnyVertex) {
  for (int i = 0; i < form->state.mesh.vertex_count; ++i) form->state.mesh.vertices[i].aux_base = 5;
  const std::vector<double> before = Aux();
  TypeInto(form->ed_sh_min, "3");
  TypeInto(form->ed_sh_max, "1.5x");
  form->but_add_shade->click();
  EXPECT_EQ(dialogs.messages, std::vector<QString>{"'1.5x' is not a valid floating point value"});
  EXPECT_EQ(Aux(), before);

  TypeInto(form->ed_sh_max, "1.5");
  const int64_t requests = form->diag.redraw_requests;
  form->but_add_shade->click();
  EXPECT_EQ(form->diag.redraw_requests, requests + 1);
  const std::vector<double> after = Aux();
  EXPECT_NEAR(*std::min_element(after.begin(), after.end()), 5 + 1.5, 0.05);
  EXPECT_DOUBLE_EQ(*std::max_element(after.begin(), after.end()), 5 + 3);
}
