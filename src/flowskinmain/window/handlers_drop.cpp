// Mesh files dropped on the window: on the drawing area or anywhere else.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "formats/mesh_files.h"
#include "window/form1.h"

// The one local file of `mime` when it is a mesh file; empty for anything
// else (no files, several, remote ones, other kinds of file).
QString TForm1::DroppedMeshPath(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return QString();
  const QUrl url = mime->urls().front();
  if (!url.isLocalFile()) return QString();
  const QString path = url.toLocalFile();
  return IsMeshFileName(path.toStdString()) ? path : QString();
}

// A drag over the window is taken only when it carries one mesh file.
bool TForm1::FormDragOver(QObject*, const QMimeData* mime) { return !DroppedMeshPath(mime).isEmpty(); }

// A dropped mesh file is loaded as "Load mesh..." loads the file chosen in its
// dialog: errors in a message box and the shown mesh kept.
void TForm1::FormDragDrop(QObject*, const QMimeData* mime) {
  const QString path = DroppedMeshPath(mime);
  if (path.isEmpty()) return;
  mesh_path_ = path;
  LoadMeshFile(path);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { event->setAccepted(FormDragOver(this, event->mimeData())); }

void TForm1::dragMoveEvent(QDragMoveEvent* event) { event->setAccepted(FormDragOver(this, event->mimeData())); }

void TForm1::dropEvent(QDropEvent* event) {
  event->setAccepted(FormDragOver(this, event->mimeData()));
  if (event->isAccepted()) FormDragDrop(this, event->mimeData());
}
