#include "window/controls/control_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

TElidedLabel::TElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);  // its text's width where there is room
}

QSize TElidedLabel::minimumSizeHint() const { return QSize(1, QLabel::minimumSizeHint().height()); }

void TElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
  elided_ = shown != text();
  painter.setFont(font());
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(area, static_cast<int>(alignment()), shown);
}

bool TElidedLabel::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && toolTip().isEmpty()) {
    if (elided_)
      QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
    else
      QToolTip::hideText();
    return true;
  }
  return QLabel::event(e);
}
