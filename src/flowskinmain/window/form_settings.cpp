#include "window/form_settings.h"

#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QTabWidget>
#include <algorithm>

#include "window/form1.h"

namespace {

// Controls whose values follow the loaded mesh or the window, never remembered.
// The file-array controls are remembered by array name instead (file_memory);
// the data's unit goes with the data, as its range does.
const QStringList kNotRemembered = {
    "cb_usr_flow",       "eddmin",        "eddmax",        "ed_time",         "tb_time",
    "ed_winw",           "ed_winh",       "cb_flow_array", "cb_flow_reverse", "cb_flow_tangential",
    "cb_flow_normalise", "cb_file_array", "ed_data_unit"};

template <typename T>
std::vector<T*> ControlsOf(const QWidget* root) {
  std::vector<T*> out;
  for (QWidget* w : root->findChildren<QWidget*>())
    if (auto* c = dynamic_cast<T*>(w); c && !kNotRemembered.contains(w->objectName())) out.push_back(c);
  return out;
}

// Edits that an up-down owns show its position and are remembered through it.
std::vector<TEdit*> PlainEdits(const TForm1& form) {
  std::vector<TEdit*> out;
  const std::vector<TUpDown*> updowns = ControlsOf<TUpDown>(form.PageControl1);
  for (TEdit* e : ControlsOf<TEdit>(form.PageControl1))
    if (std::none_of(updowns.begin(), updowns.end(), [e](const TUpDown* u) { return u->Associate() == e; }))
      out.push_back(e);
  return out;
}

bool ToInt(const QString& text, int& value) {
  bool ok = false;
  value = text.toInt(&ok);
  return ok;
}

}  // namespace

TControlValues ReadControlValues(const TForm1& form) {
  TControlValues v;
  const QWidget* root = form.PageControl1;
  for (const TCheckBox* c : ControlsOf<TCheckBox>(root)) v[c->objectName()] = c->Checked() ? "1" : "0";
  for (const TRadioButton* r : ControlsOf<TRadioButton>(root)) v[r->objectName()] = r->Checked() ? "1" : "0";
  for (const TUpDown* u : ControlsOf<TUpDown>(root)) v[u->objectName()] = QString::number(u->Position());
  for (const TComboBox* c : ControlsOf<TComboBox>(root)) v[c->objectName()] = QString::number(c->ItemIndex());
  for (const TColorSwatch* s : ControlsOf<TColorSwatch>(root)) v[s->objectName()] = QString::number(s->Color());
  for (const TEdit* e : PlainEdits(form)) v[e->objectName()] = e->Text();
  return v;
}

int WriteControlValues(TForm1& form, const TControlValues& values) {
  const QWidget* root = form.PageControl1;
  int written = 0, n = 0;
  auto value_of = [&](const QWidget* w, QString& text) {
    const auto it = values.find(w->objectName());
    if (it == values.end()) return false;
    text = it.value();
    return true;
  };
  QString text;
  for (TCheckBox* c : ControlsOf<TCheckBox>(root))
    if (value_of(c, text) && (text == "0" || text == "1")) c->SetChecked(text == "1"), ++written;
  for (TRadioButton* r : ControlsOf<TRadioButton>(root))
    if (value_of(r, text) && text == "1") r->SetChecked(true), ++written;
  for (TUpDown* u : ControlsOf<TUpDown>(root))
    if (value_of(u, text) && ToInt(text, n) && n >= u->Min() && n <= u->Max()) u->SetPosition(n), ++written;
  for (TComboBox* c : ControlsOf<TComboBox>(root))
    if (value_of(c, text) && ToInt(text, n) && n >= 0 && n < c->count()) c->SetItemIndex(n), ++written;
  for (TColorSwatch* s : ControlsOf<TColorSwatch>(root))
    if (value_of(s, text) && ToInt(text, n) && n >= 0 && n <= 0xFFFFFF) s->SetColor(n), ++written;
  // Every plain edit holds a number.
  for (TEdit* e : PlainEdits(form)) {
    bool number = false;
    if (value_of(e, text)) QLocale::c().toDouble(text.trimmed(), &number);
    if (number) e->SetText(text), ++written;
  }
  return written;
}

void SaveSettings(const TForm1& form, QSettings& store) {
  store.remove("controls");
  store.beginGroup("controls");
  const TControlValues values = ReadControlValues(form);
  for (auto it = values.begin(); it != values.end(); ++it) store.setValue(it.key(), it.value());
  store.endGroup();
  store.remove("file_arrays");
  store.beginGroup("file_arrays");
  store.setValue("flow_array", QString::fromStdString(form.file_memory.flow_array));
  store.setValue("file_array", QString::fromStdString(form.file_memory.file_scalar));
  for (const auto& [name, options] : form.file_memory.options)
    store.setValue("options/" + QString::fromStdString(name).toUtf8().toPercentEncoding(),
                   QString::fromStdString(FlowOptionsText(options)));
  store.endGroup();
  store.setValue("window/geometry", form.saveGeometry());
  store.setValue("folders/mesh", form.OpenDialog1.initial_dir);
  store.setValue("folders/open_picture", form.OpenPictureDialog1.initial_dir);
  store.setValue("folders/save_picture", form.SavePictureDialog1.initial_dir);
  store.sync();
}

void RestoreSettings(TForm1& form, QSettings& store) {
  TControlValues values;
  store.beginGroup("controls");
  for (const QString& key : store.childKeys()) values[key] = store.value(key).toString();
  store.endGroup();
  ++form.state.frame.redraw_suspended;
  WriteControlValues(form, values);
  --form.state.frame.redraw_suspended;
  // "dt" takes effect on Enter: the time step follows the restored text.
  bool ok = false;
  const double dt = QLocale::c().toDouble(form.ed_dtime->Text().trimmed(), &ok);
  if (ok) form.state.view.time_step = dt;
  store.beginGroup("file_arrays");
  form.file_memory.flow_array = store.value("flow_array").toString().toStdString();
  form.file_memory.file_scalar = store.value("file_array").toString().toStdString();
  store.beginGroup("options");
  for (const QString& key : store.childKeys()) {
    TFlowOptions o;
    if (ParseFlowOptions(store.value(key).toString().toStdString(), o))
      form.file_memory.options[QString::fromUtf8(QByteArray::fromPercentEncoding(key.toUtf8())).toStdString()] = o;
  }
  store.endGroup();
  store.endGroup();
  const QByteArray geometry = store.value("window/geometry").toByteArray();
  if (!geometry.isEmpty()) form.restoreGeometry(geometry);
  const std::pair<const char*, TFileDialogState*> folders[] = {{"folders/mesh", &form.OpenDialog1},
                                                               {"folders/open_picture", &form.OpenPictureDialog1},
                                                               {"folders/save_picture", &form.SavePictureDialog1}};
  for (const auto& [key, dialog] : folders) {
    const QString folder = store.value(key).toString();
    if (!folder.isEmpty() && QDir(folder).exists()) dialog->initial_dir = folder;
  }
}
