// The batch command line, run as a user runs it: frames written under the
// naming rule, the same pictures from the same command, and every bad command
// line refused with its message, a non-zero status and no file written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "advection/image_map.h"

namespace {

struct TRun {
  int status = -1;
  QString out, err;
};

TRun RunFlowskin(const QStringList& args) {
  QProcess p;
  p.start(FLOWSKIN_EXE, args);
  TRun r;
  if (!p.waitForFinished(120000)) return r;
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

QString Example(const char* name) { return QString(FLOWSKIN_EXAMPLES_DIR) + "/" + name; }

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An OFF file whose last face lines are zero bytes, kept among the import
// regressions, written as cut.off into `dir`.
QString CutOff(const QTemporaryDir& dir) {
  const QString path = dir.filePath("cut.off");
  QFile out(path);
  if (out.open(QIODevice::WriteOnly))
    out.write(Bytes(QString(FLOWSKIN_FUZZ_DIR) + "/import_regressions/off_faces_cut_by_zero_bytes.case").mid(4));
  return path;
}

}  // namespace

TEST(BatchRun, ShortRunWritesNumberedFramesAndTheSameCommandTheSameBytes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* run : {"a", "b"}) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(run));
    const TRun r = RunFlowskin({Example("torus_flow.ply"), "--size", "96x64", "--set", "ud_rotate=20", "--warmup", "3",
                                "--frames", "3", "--output", dir.filePath(QString(run) + "/f.png")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("frame 3 of 3")) << r.out.toStdString();
  }
  for (const char* n : {"001", "002", "003"}) {
    const QString a = dir.filePath(QString("a/f%1.png").arg(n)), b = dir.filePath(QString("b/f%1.png").arg(n));
    EXPECT_EQ(QImage(a).size(), QSize(96, 64)) << n;
    EXPECT_FALSE(Bytes(a).isEmpty());
    EXPECT_EQ(Bytes(a), Bytes(b)) << n;
  }
  EXPECT_NE(Bytes(dir.filePath("a/f001.png")), Bytes(dir.filePath("a/f003.png")));  // the view turns
  EXPECT_EQ(QDir(dir.filePath("a")).entryList(QDir::Files).size(), 3);
  // One frame to a bitmap: exactly the name given, 24 bits per pixel.
  const QString still = dir.filePath("still.bmp");
  ASSERT_EQ(RunFlowskin({Example("sphere.ply"), "-o", still}).status, 0);
  const QByteArray bmp = Bytes(still);
  TBitmapHeader h;
  ASSERT_TRUE(IsBitmap24(reinterpret_cast<const uint8_t*>(bmp.constData()), size_t(bmp.size())));
  ASSERT_TRUE(ReadBitmapHeader(reinterpret_cast<const uint8_t*>(bmp.constData()), size_t(bmp.size()), h));
  EXPECT_EQ(h.width, 512);
  EXPECT_EQ(h.height, 512);
}

TEST(BatchRun, BadCommandLinesAreRefusedAndWriteNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString out = dir.filePath("f.png"), torus = Example("torus.ply");
  QTemporaryDir input_dir;
  struct Case {
    QStringList args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{torus, "--frobnicate", "-o", out}, 2, "unknown option '--frobnicate'"},
      {{torus, "--frames", "many", "-o", out}, 2, "option --frames needs a whole number of at least 1, not 'many'"},
      {{torus, "-o", dir.filePath("f.jpg")}, 2, "must end in .png or .bmp"},
      {{torus, "--set", "ud_vz", "-o", out}, 2, "option --set needs NAME=VALUE"},
      {{torus, "--set", "ud_nothing=3", "-o", out}, 1, "unknown control 'ud_nothing'"},
      {{torus, "--preset", "Shiny", "-o", out}, 1, "unknown preset 'Shiny'"},
      {{torus, "--set", "ud_vz=500", "-o", out}, 1, "ud_vz = 500 is out of its range -100..100"},
      {{torus, "--set", "ud_vz=-2.5", "-o", out}, 1, "ud_vz takes a whole number, not '-2.5'"},
      {{torus, "--set", "Flow/Linear=3", "-o", out}, 1, "'Flow/Linear' is ambiguous: it names ud_vx, ud_vy, ud_vz"},
      {{torus, "--set", "rbpy=0", "-o", out}, 1, "rbpy is a radio button"},
      {{torus, "--set", "eddmin=low", "-o", out}, 1, "eddmin: 'low' is not a valid floating point value"},
      {{dir.filePath("none.ply"), "-o", out}, 1, "cannot load"},
      // The import library crashes on this file: the worker ends, the command reports it.
      {{CutOff(input_dir), "-o", out},
       1,
       "Cannot load \"cut.off\": the import library failed on this file (it crashed)"},
      {{torus, "-o", dir.filePath("no/such/folder/f.png")}, 1, "does not exist"},
  };
  for (const Case& c : cases) {
    const TRun r = RunFlowskin(c.args);
    EXPECT_EQ(r.status, c.status) << c.message << "\n" << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.message)) << c.message << "\n" << r.err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << c.message;
  }
}

TEST(BatchRun, HelpAndListTellWhatCanBeSet) {
  const TRun help = RunFlowskin({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.contains("Usage: flowskin MESH.ply [OPTIONS]"));
  const TRun list = RunFlowskin({"--list"});
  EXPECT_EQ(list.status, 0);
  for (const char* entry : {"Contour flow XY", "F. Pencil", "ud_vz", "-100..100", "\"Alpha shade\"", "cb_lut_style"})
    EXPECT_TRUE(list.out.contains(entry)) << entry;
}
