#pragma once
// Remaining control kinds:
//  - TComboBox: a drop-down list; OnChange on a user selection only; SetItemIndex
//    raises nothing (-1 selects nothing).
//  - TTrackBar: a horizontal slider; OnChange on every position change.
//  - TPaintBox: a drawing surface; OnPaint runs on every paint with Canvas() valid.
//  - TCheckList: a list of items with check boxes, each known by a key of its
//    own beside the text shown; SetItems raises nothing, OnChange runs (from
//    the event loop, once for ticks changed together) when the user ticks or
//    clears an item.
#include <QComboBox>
#include <QListWidget>
#include <QSlider>
#include <QWidget>

#include "window/controls/control_events.h"

class QPainter;

class TComboBox : public QComboBox {
 public:
  TComboBox(const QString& name, const QStringList& items, QWidget* parent = nullptr);
  int ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int i);
  // True when the item shown is wider than the list's field (shown cut).
  bool CurrentTextCut() const;
  TNotifyEvent OnChange;

 protected:
  bool event(QEvent* e) override;
};

class TTrackBar : public QSlider {
 public:
  TTrackBar(const QString& name, int min, int max, int frequency, int position, QWidget* parent = nullptr);
  int Position() const { return value(); }
  void SetPosition(int p) { setValue(p); }
  TNotifyEvent OnChange;
};

class TPaintBox : public QWidget {
 public:
  TPaintBox(const QString& name, QWidget* parent = nullptr);
  // The painter of the paint in progress; null outside OnPaint.
  QPainter* Canvas() const { return canvas_; }
  TNotifyEvent OnPaint;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QPainter* canvas_ = nullptr;
};

class TCheckList : public QListWidget {
 public:
  TCheckList(const QString& name, QWidget* parent = nullptr);
  // Fills the list anew: keys[i] shown as texts[i], ticked when checked[i].
  // An empty list is disabled.
  void SetItems(const QStringList& keys, const QStringList& texts, const QList<bool>& checked);
  // The keys of the ticked items, in list order.
  QStringList CheckedKeys() const;
  TNotifyEvent OnChange;

 private:
  bool filling_ = false;
  bool change_posted_ = false;
};
