// The batch command line, run as a user runs it: frames written under the
// naming rule, the same pictures from the same command, and every bad command
// line refused with its message, a non-zero status and no file written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "advection/image_map.h"
#include "support/batch_process.h"

namespace {

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
      {{dir.filePath("none.ply"), "-o", out}, 1, "Cannot load \"none.ply\": File not found"},
      // The import library crashes on this file: the worker ends, the command reports it.
      {{CutOff(input_dir), "-o", out},
       1,
       "Cannot load \"cut.off\": The import library failed on this file (it crashed)"},
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
  EXPECT_TRUE(help.out.contains("Usage: flowskin [FILE] [OPTIONS]"));
  for (const char* words : {"--defaults", ".vtu", "cb_flow_reverse", "cb_file_array", ".mp4"})
    EXPECT_TRUE(help.out.contains(words)) << words;
  const TRun list = RunFlowskin({"--list"});
  EXPECT_EQ(list.status, 0);
  for (const char* entry : {"Contour flow XY", "F. Pencil", "ud_vz", "-100..100", "\"Alpha shade\"", "cb_lut_style"})
    EXPECT_TRUE(list.out.contains(entry)) << entry;
}

TEST(BatchRun, VersionPrintsTheProgramAndItsLibrariesAndSucceeds) {
  // --version alone, and before or after other options: it wins like --help.
  for (const QStringList& args : {QStringList{"--version"}, QStringList{Example("sphere.ply"), "--version"},
                                  QStringList{"--version", "--frames", "3"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const TRun r = RunFlowskin(args);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(QRegularExpression("^Flowskin \\d+\\.\\d+\\.\\d+$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("Qt 6.")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("Assimp ")) << lines[2].toStdString();
  }
}

TEST(BatchRun, ARunThatFillsTheDiskLeavesNothingAndSaysWhy) {
  if (geteuid() != 0 || QProcess::execute("unshare", {"-m", "true"}) != 0) GTEST_SKIP() << "a small tmpfs needs root";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // The run sees a 2000 KiB disk of its own (room for two 768 KiB frames of
  // five); the shell lists the disk's files, hidden ones too, after the run.
  const QString script = QString(
                             "mount -t tmpfs -o size=2000k tmpfs '%1' || exit 99; "
                             "'%2' '%3' --frames 5 -o '%1/f.bmp'; s=$?; echo; echo LEFT:; ls -A '%1'; exit $s")
                             .arg(dir.path(), FLOWSKIN_EXE, Example("torus.ply"));
  QProcess p;
  p.start("unshare", {"-m", "sh", "-c", script});
  ASSERT_TRUE(p.waitForFinished(120000));
  const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
  const QString err = QString::fromLocal8Bit(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
  EXPECT_TRUE(err.contains("Cannot write " + dir.path() + "/f003.bmp: No space left on device")) << err.toStdString();
  EXPECT_TRUE(out.trimmed().endsWith("LEFT:")) << out.toStdString();  // nothing written is left
}

TEST(BatchRun, RemembersNothingAndReadsNothingTheWindowRemembered) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A remembered store that would change the picture (background, rotation).
  ASSERT_TRUE(QDir(dir.path()).mkpath("config/Flowskin"));
  const QString store = dir.filePath("config/Flowskin/Flowskin.conf");
  const QByteArray remembered = "[controls]\nsh_background=255\nud_rotate=100\ncbshline=1\n";
  QFile f(store);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(remembered) == remembered.size());
  f.close();
  ASSERT_TRUE(QDir(dir.path()).mkpath("empty"));
  QByteArray pictures[2];
  for (int k = 0; k < 2; ++k) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath(k == 0 ? "config" : "empty"));
    p.setProcessEnvironment(env);
    const QString out = dir.filePath(QString("f%1.png").arg(k));
    p.start(FLOWSKIN_EXE, {Example("torus.ply"), "--size", "64x64", "--warmup", "3", "-o", out});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    pictures[k] = Bytes(out);
  }
  EXPECT_FALSE(pictures[0].isEmpty());
  EXPECT_EQ(pictures[0], pictures[1]);
  EXPECT_EQ(Bytes(store), remembered);
  EXPECT_TRUE(QDir(dir.filePath("empty")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(BatchRun, WideAndTallFramesShowTheWholeTorusWithAMargin) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const struct {
    const char* size;
    int w, h;
  } frames[] = {{"1920x1080", 1920, 1080}, {"1080x1920", 1080, 1920}, {"400x400", 400, 400}};
  for (const auto& f : frames) {
    const QString out = dir.filePath(QString("torus_%1.png").arg(f.size));
    const TRun r = RunFlowskin({Example("torus.ply"), "--size", f.size, "--warmup", "2", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage img = QImage(out).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(img.size(), QSize(f.w, f.h));
    // Bounding box of the pixels that are not the background (192, 192, 192).
    int x0 = f.w, y0 = f.h, x1 = -1, y1 = -1;
    for (int y = 0; y < f.h; ++y)
      for (int x = 0; x < f.w; ++x) {
        const QColor c = img.pixelColor(x, y);
        if (std::abs(c.red() - 192) + std::abs(c.green() - 192) + std::abs(c.blue() - 192) <= 3) continue;
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
    // The ring (2.7 across in a view of box_size 3.88 across the shorter side)
    // is round and fills about 70 % of the shorter side, leaving a margin all round.
    const int shorter = std::min(f.w, f.h);
    const int margin = shorter / 10;
    EXPECT_GT(x0, margin) << f.size;
    EXPECT_GT(y0, margin) << f.size;
    EXPECT_LT(x1, f.w - 1 - margin) << f.size;
    EXPECT_LT(y1, f.h - 1 - margin) << f.size;
    EXPECT_NEAR(x1 - x0, y1 - y0, 0.02 * shorter) << f.size;
    EXPECT_NEAR(y1 - y0, 0.70 * shorter, 0.05 * shorter) << f.size;
  }
}

// --view: "-z" is the view a mesh opens with (Y up), "+x" the quarter turn a
// drag of 90 pixels to the right gives, byte for byte; "iso" another view.
TEST(BatchRun, ViewNamesLookAlongTheAxes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto run = [&](const QString& name, QStringList view) {
    const QString path = dir.filePath(name + ".png");
    const TRun r =
        RunFlowskin(QStringList{Example("torus_flow.ply"), "--size", "96x64", "--warmup", "2", "-o", path} + view);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    return Bytes(path);
  };
  const QByteArray plain = run("plain", {});
  EXPECT_EQ(run("mz", {"--view", "-z"}), plain);
  const QByteArray px = run("px", {"--view", "+x"});
  EXPECT_NE(px, plain);
  EXPECT_EQ(run("turned", {"--turn", "90,0"}), px);
  EXPECT_NE(run("iso", {"--view", "iso"}), plain);
}

TEST(BatchRun, ProbesPrintWhatTheStatusLineShowsUnderThePointer) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const TRun r = RunFlowskin({Example("sphere_swirl.ply"), "--size", "128x128", "--probe", "64,64", "--probe", "2,2",
                              "-o", dir.filePath("f.png")});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("\nprobe 64,64: x 0  y 0  z 1 \u00b7 Velocity 0 \u00b7 flow 0\n"))
      << r.out.toStdString();
  EXPECT_TRUE(r.out.contains("\nprobe 2,2: off the surface\n")) << r.out.toStdString();
}
