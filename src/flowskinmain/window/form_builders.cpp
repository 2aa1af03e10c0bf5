#include "window/form_builders.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>

#include "window/form1.h"

QGroupBox* NewGroup(const QString& name, const QString& caption, QVBoxLayout*& rows) {
  auto* g = new QGroupBox(caption);
  g->setObjectName(name);
  rows = new QVBoxLayout(g);
  rows->setContentsMargins(2, 2, 0, 3);
  rows->setSpacing(2);
  return g;
}

QLabel* NewLabel(const QString& caption, int width, const QString& name) {
  auto* l = new QLabel(caption);
  if (!name.isEmpty()) l->setObjectName(name);
  if (width > 0) l->setFixedWidth(width);
  return l;
}

TUpDown* NewUpDown(const QString& ud_name, const QString& ed_name, TEdit*& edit, int min, int max, int position,
                   int increment, bool horizontal) {
  edit = new TEdit(ed_name);
  edit->setFixedWidth(44);
  return new TUpDown(ud_name, edit, min, max, position, increment, horizontal);
}

QWidget* PairOf(TUpDown* ud) {
  auto* w = new QWidget;
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  h->setSpacing(0);
  h->addWidget(ud->Associate());
  h->addWidget(ud);
  return w;
}

QWidget* AddRow(QVBoxLayout* rows, std::initializer_list<QWidget*> items) {
  return AddRow(rows, std::vector<QWidget*>(items));
}

QWidget* AddRow(QVBoxLayout* rows, const std::vector<QWidget*>& items) {
  auto* w = new QWidget;
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  h->setSpacing(4);
  // An item that can grow (a list) takes the row's free width; otherwise the items stay left.
  bool grows = false;
  for (QWidget* item : items)
    if (item) {
      const bool expanding = (item->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag) &&
                             item->maximumWidth() > item->minimumWidth();  // not of a fixed width
      h->addWidget(item, expanding ? 1 : 0);
      grows = grows || expanding;
    }
  if (!grows) h->addStretch(1);
  rows->addWidget(w);
  return w;
}

QWidget* AddUpDownRow(QVBoxLayout* rows, const QString& caption, TUpDown* ud, int label_width,
                      const QString& label_name, QLabel** label_out) {
  QLabel* label = NewLabel(caption, label_width, label_name);
  ud->SetLabel(label);
  if (label_out) *label_out = label;
  return AddRow(rows, {label, PairOf(ud)});
}

QWidget* Narrow(QWidget* button, int width) {
  button->setFixedWidth(width);
  return button;
}

namespace {

void Report(TForm1* form, const char* name, QObject* sender) {
  if (form->diag.on_event) form->diag.on_event(name, sender);
}

}  // namespace

TNotifyEvent Bind(TForm1* form, const char* name, void (TForm1::*handler)(QObject*)) {
  return [form, name, handler](QObject* s) {
    Report(form, name, s);
    (form->*handler)(s);
  };
}

TMouseEvent Bind(TForm1* form, const char* name,
                 void (TForm1::*handler)(QObject*, TMouseButton, TShiftState, int, int)) {
  return [form, name, handler](QObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Report(form, name, s);
    (form->*handler)(s, b, sh, x, y);
  };
}

TKeyEvent Bind(TForm1* form, const char* name, void (TForm1::*handler)(QObject*, int&, TShiftState)) {
  return [form, name, handler](QObject* s, int& key, TShiftState sh) {
    Report(form, name, s);
    (form->*handler)(s, key, sh);
  };
}

std::function<void(QObject*, TShiftState, int, int)> Bind(TForm1* form, const char* name,
                                                          void (TForm1::*handler)(QObject*, TShiftState, int, int)) {
  return [form, name, handler](QObject* s, TShiftState sh, int x, int y) {
    Report(form, name, s);
    (form->*handler)(s, sh, x, y);
  };
}

TUDClickEvent BindClick(TForm1* form, const char* name, void (TForm1::*handler)(QObject*)) {
  return [form, name, handler](QObject* s, TUDBtnType) {
    Report(form, name, s);
    (form->*handler)(s);
  };
}
