#include "window/controls/control_lists.h"

#include <QPainter>

TComboBox::TComboBox(const QString& name, const QStringList& items, QWidget* parent) : QComboBox(parent) {
  setObjectName(name);
  addItems(items);
  setCurrentIndex(-1);
  connect(this, &QComboBox::activated, this, [this](int) {
    if (OnChange) OnChange(this);
  });
}

void TComboBox::SetItemIndex(int i) {
  const bool blocked = blockSignals(true);
  setCurrentIndex(i);
  blockSignals(blocked);
}

TTrackBar::TTrackBar(const QString& name, int min, int max, int frequency, int position, QWidget* parent)
    : QSlider(Qt::Horizontal, parent) {
  setObjectName(name);
  setRange(min, max);
  setTickInterval(frequency);
  setTickPosition(QSlider::TicksBelow);
  setValue(position);
  connect(this, &QSlider::valueChanged, this, [this](int) {
    if (OnChange) OnChange(this);
  });
}

TPaintBox::TPaintBox(const QString& name, QWidget* parent) : QWidget(parent) { setObjectName(name); }

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  canvas_ = &p;
  if (OnPaint) OnPaint(this);
  canvas_ = nullptr;
}
