#include "batch/batch_controls.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QTabWidget>
#include <algorithm>

#include "colorconversion/colorconversion.h"
#include "window/form1.h"

namespace {

// The controls of kind T below root. The control classes carry no meta-object
// of their own, so the toolkit's typed child search would also return plain
// widgets of their base class; every child is tested with dynamic_cast instead.
template <typename T>
std::vector<T*> ControlsOf(const QObject* root) {
  std::vector<T*> out;
  for (QWidget* w : root->findChildren<QWidget*>())
    if (auto* c = dynamic_cast<T*>(w)) out.push_back(c);
  return out;
}

// The tab page caption that holds w; empty outside the tabs.
QString TabOf(const TForm1& form, const QWidget* w) {
  for (int i = 0; i < form.PageControl1->count(); ++i)
    if (form.PageControl1->widget(i)->isAncestorOf(w)) return form.PageControl1->tabText(i);
  return QString();
}

// The text of the last label before w in its row, or (with levels 2) before
// the pair or row holding w.
QString LabelBefore(const QWidget* w, int levels = 2) {
  for (int level = 0; level < levels && w && w->parentWidget(); ++level, w = w->parentWidget()) {
    const QLayout* row = w->parentWidget()->layout();
    const int at = row ? row->indexOf(w) : -1;
    if (at < 0) continue;
    for (int i = at - 1; i >= 0; --i)
      if (const auto* l = qobject_cast<const QLabel*>(row->itemAt(i)->widget())) return l->text();
  }
  return QString();
}

QString Stripped(QString caption) {
  caption = caption.trimmed();
  if (caption.endsWith(':')) caption.chop(1);
  return caption.remove('&').trimmed();
}

QString ColourText(int32_t colour) {
  const TRGBInt c = SplitColor(colour);
  return QString::asprintf("#%02x%02x%02x", c.red, c.green, c.blue);
}

// "#rrggbb" or "r,g,b" (each 0..255).
bool ParseColour(const QString& text, int32_t& colour) {
  bool ok = false;
  if (text.startsWith('#') && text.size() == 7) {
    const int v = text.mid(1).toInt(&ok, 16);
    colour = MakeColor((v >> 16) & 255, (v >> 8) & 255, v & 255);
    return ok;
  }
  const QStringList parts = text.split(',');
  if (parts.size() != 3) return false;
  int rgb[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    rgb[i] = parts[i].trimmed().toInt(&ok);
    if (!ok || rgb[i] < 0 || rgb[i] > 255) return false;
  }
  colour = MakeColor(rgb[0], rgb[1], rgb[2]);
  return true;
}

bool ParseBool(const QString& text, bool& value) {
  const QString t = text.trimmed().toLower();
  const bool on = t == "1" || t == "true" || t == "on" || t == "yes";
  const bool off = t == "0" || t == "false" || t == "off" || t == "no";
  value = on;
  return on || off;
}

// Types `text` into the edit as a user would and presses Enter.
void TypeAndEnter(TEdit* edit, const QString& text) {
  edit->QLineEdit::setText(text);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(edit, &press);
  QApplication::sendEvent(edit, &release);
}

// Whether an up-down of the form owns edit e.
bool OwnedByUpDown(const TForm1& form, const TEdit* e) {
  for (const TUpDown* ud : ControlsOf<TUpDown>(&form))
    if (ud->Associate() == e) return true;
  return false;
}

// The block names of a --set of the "Blocks" list: separated by commas,
// blanks around each left out; none for an empty value.
std::vector<std::string> BlockNames(const QString& value) {
  std::vector<std::string> names;
  if (value.trimmed().isEmpty()) return names;
  for (const QString& name : value.split(',')) names.push_back(name.trimmed().toStdString());
  return names;
}

QString ValuesOf(QWidget* w) {
  if (dynamic_cast<TCheckList*>(w)) return "block names of the file, separated by commas";
  if (qobject_cast<QCheckBox*>(w) && !qobject_cast<QRadioButton*>(w)) return "0 or 1";
  if (qobject_cast<QRadioButton*>(w)) return "1 (selects it)";
  if (auto* ud = dynamic_cast<TUpDown*>(w)) return QString("%1..%2").arg(ud->Min()).arg(ud->Max());
  if (auto* tb = dynamic_cast<TTrackBar*>(w)) return QString("%1..%2").arg(tb->minimum()).arg(tb->maximum());
  if (dynamic_cast<TColorSwatch*>(w)) return "#rrggbb or r,g,b";
  if (auto* cb = dynamic_cast<TComboBox*>(w)) {
    // The array lists are filled by the file loaded.
    if (cb->objectName() == "cb_flow_array") return "a vector array of the file, by name or number";
    if (cb->objectName() == "cb_file_array") return "a scalar of the file or \"NAME magnitude\", by name or number";
    QStringList items;
    for (int i = 0; i < cb->count(); ++i) items << QString("%1 %2").arg(i).arg(cb->itemText(i));
    return items.join(", ");
  }
  return "text, as typed and entered";
}

QString CurrentValue(QWidget* w) {
  if (auto* c = qobject_cast<QAbstractButton*>(w)) return c->isChecked() ? "1" : "0";
  if (auto* ud = dynamic_cast<TUpDown*>(w)) return QString::number(ud->Position());
  if (auto* tb = dynamic_cast<TTrackBar*>(w)) return QString::number(tb->Position());
  if (auto* sw = dynamic_cast<TColorSwatch*>(w)) return ColourText(sw->Color());
  if (auto* cb = dynamic_cast<TComboBox*>(w))
    return cb->ItemIndex() < 0 ? QString("none") : QString("%1 (%2)").arg(cb->ItemIndex()).arg(cb->currentText());
  if (auto* e = dynamic_cast<TEdit*>(w)) return "'" + e->Text() + "'";
  if (auto* list = dynamic_cast<TCheckList*>(w))
    return list->count() == 0 ? QString("none (no multiblock file)") : "'" + list->CheckedKeys().join(',') + "'";
  return QString();
}

bool SetRange(int lo, int hi, const QString& value, int& v, const QString& name, QString& error) {
  bool ok = false;
  v = value.trimmed().toInt(&ok);
  if (!ok)
    error = QString("%1 takes a whole number, not '%2'").arg(name, value);
  else if (v < lo || v > hi)
    error = QString("%1 = %2 is out of its range %3..%4").arg(name, value).arg(lo).arg(hi);
  return ok && v >= lo && v <= hi;
}

}  // namespace

bool TBatchDialogs::PickColor(int32_t, int32_t& chosen) {
  if (!next_color) return false;
  chosen = *next_color;
  next_color.reset();
  return true;
}

bool TBatchDialogs::OpenPicture(const TFileDialogState&, QString& path) {
  if (!next_picture) return false;
  path = *next_picture;
  next_picture.reset();
  return true;
}

std::vector<TBatchControl> SettableControls(TForm1& form) {
  std::vector<TBatchControl> out;
  for (QWidget* w : form.PageControl1->findChildren<QWidget*>()) {
    const bool settable = dynamic_cast<TCheckBox*>(w) || dynamic_cast<TRadioButton*>(w) || dynamic_cast<TUpDown*>(w) ||
                          dynamic_cast<TColorSwatch*>(w) || dynamic_cast<TComboBox*>(w) ||
                          dynamic_cast<TTrackBar*>(w) || w == form.lw_blocks ||
                          (dynamic_cast<TEdit*>(w) && !OwnedByUpDown(form, static_cast<TEdit*>(w)));
    if (!settable || w->objectName().isEmpty()) continue;
    QString caption;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
      caption = b->text();
    else if (auto* ud = dynamic_cast<TUpDown*>(w); ud && ud->Label())
      caption = ud->Label()->text();
    else
      caption = LabelBefore(w);
    out.push_back({w, w->objectName(), TabOf(form, w), Stripped(caption), ValuesOf(w)});
  }
  auto tab_index = [&](const TBatchControl& c) {
    for (int i = 0; i < form.PageControl1->count(); ++i)
      if (form.PageControl1->tabText(i) == c.tab) return i;
    return form.PageControl1->count();
  };
  std::stable_sort(out.begin(), out.end(), [&](const auto& a, const auto& b) { return tab_index(a) < tab_index(b); });
  return out;
}

std::vector<TBatchControl> PresetButtons(TForm1& form) {
  std::vector<TBatchControl> out;
  auto* group = form.findChild<QGroupBox*>("gb_presets");
  if (!group) return out;
  for (TButton* b : ControlsOf<TButton>(group)) {
    const QString row = Stripped(LabelBefore(b, 1));
    const QString caption = Stripped(b->text());
    out.push_back({b, row.isEmpty() ? caption : row + " " + caption, TabOf(form, b), b->objectName(), "preset"});
  }
  return out;
}

std::vector<TBatchControl> TabButtons(TForm1& form) {
  std::vector<TBatchControl> out;
  const auto* presets = form.findChild<QGroupBox*>("gb_presets");
  for (TButton* b : ControlsOf<TButton>(form.PageControl1))
    if (!presets || !presets->isAncestorOf(b))
      out.push_back({b, b->objectName(), TabOf(form, b), Stripped(b->text()), "button"});
  return out;
}

const TBatchControl* FindSettable(const std::vector<TBatchControl>& controls, const QString& name, QString& error) {
  const int slash = name.indexOf('/');
  const QString tab = slash < 0 ? QString() : name.left(slash).trimmed();
  const QString caption = slash < 0 ? QString() : Stripped(name.mid(slash + 1));
  std::vector<const TBatchControl*> found;
  for (const TBatchControl& c : controls) {
    bool hit = c.name.compare(name, Qt::CaseInsensitive) == 0;
    if (auto* ud = dynamic_cast<TUpDown*>(c.widget))
      hit = hit || ud->Associate()->objectName().compare(name, Qt::CaseInsensitive) == 0;
    if (slash >= 0 && !caption.isEmpty())
      hit =
          hit || (c.tab.compare(tab, Qt::CaseInsensitive) == 0 && c.caption.compare(caption, Qt::CaseInsensitive) == 0);
    if (hit) found.push_back(&c);
  }
  if (found.size() == 1) return found[0];
  if (found.empty()) {
    error = QString("unknown control '%1' (see --list)").arg(name);
  } else {
    QStringList names;
    for (const TBatchControl* c : found) names << c->name;
    error = QString("'%1' is ambiguous: it names %2; use one of these names").arg(name, names.join(", "));
  }
  return nullptr;
}

const TBatchControl* FindPreset(const std::vector<TBatchControl>& presets, const QString& name, QString& error) {
  for (const TBatchControl& p : presets)
    if (p.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0 ||
        p.caption.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
      return &p;
  error = QString("unknown preset '%1' (see --list)").arg(name);
  return nullptr;
}

bool ApplySetting(TForm1& form, TBatchDialogs& dialogs, const TBatchControl& c, const QString& value, QString& error) {
  QWidget* w = c.widget;
  if (w == form.lw_blocks) {  // the names are checked against the file when it is read
    form.SetBlockChoice(BlockNames(value));
    return true;
  }
  if (auto* radio = dynamic_cast<TRadioButton*>(w)) {
    bool on = false;
    if (!ParseBool(value, on) || !on) {
      error = QString("%1 is a radio button: set it to 1 (set another one of its group to leave it)").arg(c.name);
      return false;
    }
    radio->SetChecked(true);
    return true;
  }
  if (auto* box = dynamic_cast<TCheckBox*>(w)) {
    bool on = false;
    if (!ParseBool(value, on))
      error = QString("%1 takes 0 or 1, not '%2'").arg(c.name, value);
    else
      box->SetChecked(on);
    return error.isEmpty();
  }
  int v = 0;
  if (auto* ud = dynamic_cast<TUpDown*>(w)) {
    if (!SetRange(ud->Min(), ud->Max(), value, v, c.name, error)) return false;
    TypeAndEnter(ud->Associate(), QString::number(v));
    return true;
  }
  if (auto* tb = dynamic_cast<TTrackBar*>(w)) {
    if (!SetRange(tb->minimum(), tb->maximum(), value, v, c.name, error)) return false;
    tb->SetPosition(v);
    return true;
  }
  if (auto* sw = dynamic_cast<TColorSwatch*>(w)) {
    int32_t colour = 0;
    if (!ParseColour(value.trimmed(), colour)) {
      error = QString("%1 takes a colour #rrggbb or r,g,b, not '%2'").arg(c.name, value);
      return false;
    }
    dialogs.next_color = colour;
    if (sw->OnMouseDown)
      sw->OnMouseDown(sw, TMouseButton::Left, TShiftState(), 0, 0);
    else
      sw->SetColor(colour);
    dialogs.next_color.reset();
    return true;
  }
  if (auto* cb = dynamic_cast<TComboBox*>(w)) {
    const QString t = value.trimmed();
    int index = cb->findText(t, Qt::MatchFixedString);
    if (index < 0) {
      bool ok = false;
      const int i = t.toInt(&ok);
      index = ok ? i : -1;
    }
    if (index < 0 || index >= cb->count()) {
      error = QString("%1 takes one of: %2; not '%3'").arg(c.name, c.values, value);
      return false;
    }
    cb->SetItemIndex(index);
    if (cb->OnChange) cb->OnChange(cb);
    return true;
  }
  if (auto* edit = dynamic_cast<TEdit*>(w)) TypeAndEnter(edit, value);
  return true;
}

QString ControlListing(TForm1& form) {
  QString out = "Presets (--preset NAME; the button's name works too):\n";
  for (const TBatchControl& p : PresetButtons(form))
    out += QString("  %1%2\n")
               .arg(p.name, -24)
               .arg(p.caption + (p.widget->isVisibleTo(p.widget->window()) ? "" : " (hidden)"));
  out += "\nButtons (--press NAME, or --press Tab/Caption):\n";
  for (const TBatchControl& b : TabButtons(form))
    out += QString("  %1 \"%2/%3\"\n").arg(b.name, -22).arg(b.tab, b.caption);
  out += "\nControls (--set NAME=VALUE, or --set Tab/Caption=VALUE):\n";
  QString tab;
  for (const TBatchControl& c : SettableControls(form)) {
    if (c.tab != tab) out += "\n" + (tab = c.tab) + "\n";
    out += QString("  %1 %2 %3 now %4\n")
               .arg(c.name, -22)
               .arg("\"" + c.caption + "\"", -28)
               .arg(c.values)
               .arg(CurrentValue(c.widget));
  }
  return out;
}
