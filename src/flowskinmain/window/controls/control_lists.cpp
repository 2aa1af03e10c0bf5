#include "window/controls/control_lists.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolTip>

TComboBox::TComboBox(const QString& name, const QStringList& items, QWidget* parent) : QComboBox(parent) {
  setObjectName(name);
  // A long item (an array's name) never widens its row: the list takes the
  // width its row gives, the shown item is cut with "…", and its whole name
  // leads the tooltip (event()).
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(4);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
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

bool TComboBox::CurrentTextCut() const {
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  return fontMetrics().horizontalAdvance(currentText()) > field.width();
}

bool TComboBox::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && CurrentTextCut()) {
    const QString tip = toolTip().isEmpty() ? currentText() : currentText() + "\n\n" + toolTip();
    QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), tip, this);
    return true;
  }
  return QComboBox::event(e);
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

TCheckList::TCheckList(const QString& name, QWidget* parent) : QListWidget(parent) {
  setObjectName(name);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEnabled(false);
  // The handler runs once the tick's own notification is over (it may fill
  // the list anew, deleting the item being ticked); ticks changed before then
  // make one notification.
  connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem*) {
    if (filling_ || change_posted_) return;
    change_posted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          change_posted_ = false;
          if (OnChange) OnChange(this);
        },
        Qt::QueuedConnection);
  });
}

void TCheckList::SetItems(const QStringList& keys, const QStringList& texts, const QList<bool>& checked) {
  filling_ = true;
  clear();
  for (qsizetype i = 0; i < keys.size(); ++i) {
    auto* item = new QListWidgetItem(texts.value(i, keys[i]), this);
    item->setData(Qt::UserRole, keys[i]);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(checked.value(i) ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = false;
  setEnabled(count() > 0);
}

QStringList TCheckList::CheckedKeys() const {
  QStringList keys;
  for (int i = 0; i < count(); ++i)
    if (item(i)->checkState() == Qt::Checked) keys << item(i)->data(Qt::UserRole).toString();
  return keys;
}
