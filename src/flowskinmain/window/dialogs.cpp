#include "window/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

QString QtFilterOf(const QString& pipe_filter) {
  const QStringList parts = pipe_filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    // File names on this platform are case-sensitive: "*.PLY" also lists "x.ply".
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      for (const QString& q : {p.trimmed(), p.trimmed().toLower()})
        if (!patterns.contains(q)) patterns << q;
    }
    // A description that already ends in "(...)" has it replaced by the patterns.
    QString description = parts[i].trimmed();
    if (description.endsWith(')') && description.contains('('))
      description = description.left(description.lastIndexOf('(')).trimmed();
    out << description + " (" + patterns.join(' ') + ")";
  }
  return out.join(";;");
}

static QString StartPath(const TFileDialogState& d) {
  if (d.file_name.isEmpty()) return d.initial_dir;
  return QDir(d.initial_dir).filePath(d.file_name);
}

bool TQtDialogs::OpenFile(const TFileDialogState& dialog, QString& path) {
  const QString p = QFileDialog::getOpenFileName(parent_, "Open", StartPath(dialog), QtFilterOf(dialog.filter));
  if (p.isEmpty()) return false;
  path = p;
  return true;
}

bool TQtDialogs::PickColor(int32_t color, int32_t& chosen) {
  const QColor initial(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  const QColor c = QColorDialog::getColor(initial, parent_, "Color");
  if (!c.isValid()) return false;
  chosen = c.red() + 256 * c.green() + 65536 * c.blue();
  return true;
}

bool TQtDialogs::OpenPicture(const TFileDialogState& dialog, QString& path) {
  const QString filter = dialog.filter.isEmpty() ? "Bitmaps (*.bmp)|*.bmp|All files|*.*" : dialog.filter;
  const QString p = QFileDialog::getOpenFileName(parent_, "Open picture", StartPath(dialog), QtFilterOf(filter));
  if (p.isEmpty()) return false;
  path = p;
  return true;
}

bool TQtDialogs::SavePicture(const TFileDialogState& dialog, QString& path) {
  const QString filter = dialog.filter.isEmpty() ? "Bitmaps (*.bmp)|*.bmp|All files|*.*" : dialog.filter;
  const QString p = QFileDialog::getSaveFileName(parent_, "Save picture", StartPath(dialog), QtFilterOf(filter));
  if (p.isEmpty()) return false;
  path = p;
  return true;
}

void TQtDialogs::ShowMessage(const QString& text) {
  QMessageBox::information(parent_, QApplication::applicationName(), text);
}

void TQtDialogs::ShowWarning(const QString& text) {
  QMessageBox::warning(parent_, QApplication::applicationName(), text);
}
