// Remembered values: what one window saves on closing, the next restores;
// "--defaults" (restore off) and windows without a store ignore them; the
// "Defaults" button brings every control back. Every store here is a file in
// a temporary folder, never the user's own settings.
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "colorconversion/colorconversion.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

// One window with a store, shown and closed as a user would.
std::unique_ptr<TForm1> OpenWindow(TScriptedDialogs& dialogs, QSettings& store, bool restore) {
  auto form = std::make_unique<TForm1>(QStringList{"flowskin", ExamplePath("sphere.ply")}, &dialogs, nullptr,
                                       TSettingsLink{&store, restore});
  form->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  return form;
}

// Changes of every kind of remembered control: (name, value after the change).
struct TChange {
  const char* name;
  QString value;
};

std::vector<TChange> ChangeControls(TForm1& form) {
  form.cb_subdiv->SetChecked(true);
  form.cbshline->SetChecked(true);
  form.rbpz->SetChecked(true);
  form.ud_scale->SetPosition(40);
  form.ud_lr_light->SetPosition(-35);
  form.cb_lut_style->SetItemIndex(3);
  form.but_bc2->SetColor(MakeColor(10, 200, 30));
  form.ednframe->SetText("12");
  form.ed_dtime->SetText("0.25");
  return {{"cb_subdiv", "1"},    {"cbshline", "1"},
          {"rbpz", "1"},         {"rbvelocity", "0"},
          {"ud_scale", "40"},    {"ud_lr_light", "-35"},
          {"cb_lut_style", "3"}, {"but_bc2", QString::number(MakeColor(10, 200, 30))},
          {"ednframe", "12"},    {"ed_dtime", "0.25"}};
}

}  // namespace

TEST(Settings, ValuesGeometryAndFoldersComeBackInANewWindowButNotWithDefaults) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkdir("meshes"));
  QSettings store(dir.filePath("flowskin.ini"), QSettings::IniFormat);
  TScriptedDialogs dialogs;
  std::vector<TChange> changes;
  TControlValues defaults;
  {
    auto first = OpenWindow(dialogs, store, true);
    defaults = ReadControlValues(*first);
    changes = ChangeControls(*first);
    first->setGeometry(40, 50, 700, 600);
    first->SavePictureDialog1.initial_dir = dir.filePath("meshes");
    first->close();
  }
  for (const bool restore : {true, false}) {
    auto next = OpenWindow(dialogs, store, restore);
    const TControlValues now = ReadControlValues(*next);
    for (const TChange& c : changes)
      EXPECT_EQ(now.value(c.name), restore ? c.value : defaults.value(c.name)) << c.name << " restore " << restore;
    EXPECT_EQ(next->size() == QSize(700, 600), restore);
    // (the mesh dialog's folder is the folder of the mesh read at start)
    EXPECT_EQ(next->SavePictureDialog1.initial_dir == dir.filePath("meshes"), restore);
    // What the restored controls drive: subdivision applied to the mesh read
    // at start, the time step, the pulse style's parameters shown.
    EXPECT_EQ(next->state.mesh.face_count, restore ? 4 * 8192 : 8192);
    EXPECT_EQ(next->state.view.time_step, restore ? 0.25 : 0.0);
    EXPECT_EQ(next->ud_saw->isVisibleTo(next->PageControl1->widget(1)), restore);
    next->close();  // with --defaults the window still saves what it shows
  }
  EXPECT_EQ(store.value("controls/ud_scale").toString(), defaults.value("ud_scale"));
}

TEST(Settings, ValuesAControlCannotTakeAreSkipped) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings store(dir.filePath("flowskin.ini"), QSettings::IniFormat);
  const std::pair<const char*, const char*> bad[] = {
      {"controls/ud_scale", "5000"},  {"controls/ud_rotate", "fast"},
      {"controls/cb_lut_style", "9"}, {"controls/cbshline", "yes"},
      {"controls/ednframe", "many"},  {"controls/sh_background", "-4"},
      {"controls/eddmin", "3"},       {"folders/save_picture", "/no/such/folder"},
  };
  for (const auto& [key, value] : bad) store.setValue(key, value);
  store.setValue("controls/ud_alpha_text", "33");  // one good value among them
  TScriptedDialogs dialogs;
  TForm1 plain(QStringList{"flowskin", ExamplePath("sphere.ply")}, &dialogs);
  const TControlValues defaults = ReadControlValues(plain);
  auto form = OpenWindow(dialogs, store, true);
  TControlValues now = ReadControlValues(*form);
  EXPECT_EQ(now.value("ud_alpha_text"), "33");
  now["ud_alpha_text"] = defaults.value("ud_alpha_text");
  EXPECT_EQ(now, defaults);
  EXPECT_EQ(form->SavePictureDialog1.initial_dir, QDir::currentPath());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(Settings, WindowsWithoutAStoreReadAndWriteNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings store(dir.filePath("flowskin.ini"), QSettings::IniFormat);
  store.setValue("controls/ud_scale", "40");
  store.sync();
  TScriptedDialogs dialogs;
  TForm1 form(QStringList{}, &dialogs);
  EXPECT_EQ(QString::number(form.ud_scale->Position()), form.control_defaults.value("ud_scale"));
  form.ud_scale->SetPosition(60);
  form.close();
  store.sync();
  EXPECT_EQ(store.allKeys(), QStringList{"controls/ud_scale"});
  EXPECT_EQ(store.value("controls/ud_scale").toString(), "40");
}

TEST_F(FormTest, DefaultsPutsEveryControlBackAfterPresetsAndChanges) {
  LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
  const int32_t vertices = form->state.mesh.vertex_count;
  const TControlValues defaults = ReadControlValues(*form);
  ASSERT_EQ(defaults, form->control_defaults);
  // The specified defaults of a few controls of each kind.
  const std::pair<const char*, QString> specified[] = {
      {"cb_lut_style", "2"},   {"sh_datamax", QString::number(MakeColor(255, 128, 128))},
      {"ud_foc_length", "50"}, {"ud_lr_light", "10"},
      {"rbvelocity", "1"},     {"cbshfill", "1"},
      {"ednframe", "64"},      {"ed_dtime", "0"},
  };
  for (const auto& [name, value] : specified) EXPECT_EQ(defaults.value(name), value) << name;
  form->Button11->Click();  // "Dirty"
  form->but_rainbow->Click();
  ChangeControls(*form);
  ASSERT_NE(ReadControlValues(*form), defaults);
  const int64_t requests = form->diag.redraw_requests;
  form->but_defaults->Click();
  EXPECT_EQ(ReadControlValues(*form), defaults);
  EXPECT_EQ(form->diag.redraw_requests - requests, 1);
  EXPECT_EQ(form->state.view.time_step, 0.0);
  EXPECT_TRUE(form->ud_thalf->isVisibleTo(form->PageControl1->widget(1)));  // "Puls" shows its length
  EXPECT_FALSE(form->ud_saw->isVisibleTo(form->PageControl1->widget(1)));
  EXPECT_EQ(form->state.mesh.vertex_count, vertices);  // the mesh stays
}
