#pragma once
// The program run as a user runs it from a shell, for the batch tests.
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

struct TRun {
  int status = -1;  // exit code, -1 when it crashed or did not end in time
  QString out, err;
};

// Runs the program; with file_blocks > 0 under a file size limit of that many
// KiB (writes beyond it fail as on a full disk); in `folder` when one is given.
// With no display, as on a compute node: batch runs need no window system.
inline TRun RunFlowskin(const QStringList& args, int file_blocks = 0, const QString& folder = QString()) {
  QProcess p;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"}) environment.remove(name);
  p.setProcessEnvironment(environment);
  if (!folder.isEmpty()) p.setWorkingDirectory(folder);
  if (file_blocks > 0)
    p.start("bash", QStringList{"-c", QString("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"").arg(file_blocks),
                                FLOWSKIN_EXE} +
                        args);
  else
    p.start(FLOWSKIN_EXE, args);
  TRun r;
  if (!p.waitForFinished(120000)) return r;
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

inline QString Example(const char* name) { return QString(FLOWSKIN_EXAMPLES_DIR) + "/" + name; }

inline QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
