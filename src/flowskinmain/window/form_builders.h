#pragma once
// Small builders the tab files use to lay controls out in labelled rows.
#include <QString>
#include <initializer_list>
#include <vector>

#include "window/controls/control_events.h"
#include "window/controls/control_updown.h"

class TForm1;
class QBoxLayout;
class QGroupBox;
class QLabel;
class QVBoxLayout;
class QWidget;

// A group box with a vertical list of rows; `rows` receives its layout.
QGroupBox* NewGroup(const QString& name, const QString& caption, QVBoxLayout*& rows);
// A caption label; width > 0 fixes its width so labels of a group line up.
QLabel* NewLabel(const QString& caption, int width = 0, const QString& name = QString());
// An up-down with its edit box (edit_name) created together.
TUpDown* NewUpDown(const QString& ud_name, const QString& ed_name, TEdit*& edit, int min, int max, int position,
                   int increment = 1, bool horizontal = false);
// The edit and arrows of an up-down side by side.
QWidget* PairOf(TUpDown* ud);
// A row of widgets left to right, closed by a stretch; null entries are skipped.
QWidget* AddRow(QVBoxLayout* rows, std::initializer_list<QWidget*> items);
QWidget* AddRow(QVBoxLayout* rows, const std::vector<QWidget*>& items);
// A row "label  [edit][arrows]": the label becomes the up-down's label.
QWidget* AddUpDownRow(QVBoxLayout* rows, const QString& caption, TUpDown* ud, int label_width,
                      const QString& label_name = QString(), QLabel** label_out = nullptr);
// Narrows a button to its caption.
QWidget* Narrow(QWidget* button, int width);

// Event wiring. Each event of a control calls one handler of the window; the
// handler's name goes to form->diag.on_event (when set) before the handler runs,
// so that the wiring of every control can be checked by name.
TNotifyEvent Bind(TForm1* form, const char* name, void (TForm1::*handler)(QObject*));
TMouseEvent Bind(TForm1* form, const char* name,
                 void (TForm1::*handler)(QObject*, TMouseButton, TShiftState, int, int));
TKeyEvent Bind(TForm1* form, const char* name, void (TForm1::*handler)(QObject*, int&, TShiftState));
std::function<void(QObject*, TShiftState, int, int)> Bind(TForm1* form, const char* name,
                                                          void (TForm1::*handler)(QObject*, TShiftState, int, int));
// An up-down's arrow click that runs a notify handler (the up-down is the sender).
TUDClickEvent BindClick(TForm1* form, const char* name, void (TForm1::*handler)(QObject*));

// The window's handler h, bound under its own name (inside TForm1 members).
#define FORM_HANDLER(h) Bind(this, #h, &TForm1::h)
#define FORM_CLICK_HANDLER(h) BindClick(this, #h, &TForm1::h)
