// Movies and views from the batch command line, run as a user runs it: the
// movie read back holds the frames the same command writes as pictures, the
// same command gives the same bytes, a write that fails part-way leaves no
// file; --turn, --zoom and --pan move the surface on the picture as asked.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "support/batch_process.h"
#include "support/movie_decoder_av.h"

namespace {

// The box of the pixels that differ from the background colour of the corner.
QRectF SurfaceBox(const QImage& picture) {
  const QImage p = picture.convertToFormat(QImage::Format_RGB888);
  const QColor bg = p.pixelColor(0, 0);
  int x0 = p.width(), y0 = p.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x) {
      const QColor c = p.pixelColor(x, y);
      if (std::abs(c.red() - bg.red()) + std::abs(c.green() - bg.green()) + std::abs(c.blue() - bg.blue()) < 24)
        continue;
      x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
  return x1 < 0 ? QRectF() : QRectF(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

}  // namespace

TEST(BatchMovie, MoviesHoldTheDrawnFramesAndTheSameCommandTheSameBytes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList common{
      Example("torus_flow.ply"), "--size", "64x64", "--set", "ud_rotate=20", "--warmup", "3", "--frames", "30"};
  ASSERT_TRUE(QDir(dir.path()).mkdir("pictures"));
  const TRun pictures = RunFlowskin(common + QStringList{"-o", dir.filePath("pictures/f.png")});
  ASSERT_EQ(pictures.status, 0) << pictures.err.toStdString();
  struct Case {
    const char* name;
    const char* codec;
  };
  for (const Case& c : {Case{"m.mp4", "h264"}, Case{"m.webm", "vp9"}}) {
    for (const char* run : {"a", "b"}) {
      const TRun r = RunFlowskin(common + QStringList{"--fps", "30", "-o", dir.filePath(QString(run) + c.name)});
      ASSERT_EQ(r.status, 0) << r.err.toStdString();
      EXPECT_TRUE(r.out.contains("wrote 30 frames")) << r.out.toStdString();
    }
    const QString path = dir.filePath(QString("a") + c.name);
    EXPECT_EQ(Bytes(path), Bytes(dir.filePath(QString("b") + c.name))) << c.name;
    TDecodedMovie movie;
    std::string error;
    ASSERT_TRUE(DecodeMovie(path.toStdString(), movie, error)) << error;
    EXPECT_EQ(movie.codec, c.codec);
    EXPECT_EQ(movie.pixel_format, "yuv420p");
    EXPECT_EQ(QSize(movie.width, movie.height), QSize(64, 64));
    EXPECT_NEAR(movie.fps, 30, 0.01);
    ASSERT_EQ(movie.frames.size(), 30u) << c.name;
    for (int k = 0; k < 30; ++k) {
      const QImage drawn(dir.filePath(QString("pictures/f%1.png").arg(k + 1, 3, 10, QChar('0'))));
      ASSERT_EQ(drawn.size(), QSize(64, 64));
      const double own = Psnr(drawn, movie.frames[k]);
      EXPECT_GT(own, 28) << c.name << " frame " << k;
      if (k < 29) {
        const QImage next(dir.filePath(QString("pictures/f%1.png").arg(k + 2, 3, 10, QChar('0'))));
        EXPECT_GT(own, Psnr(next, movie.frames[k]) + 1) << c.name << " frame " << k;
      }
    }
  }
}

// Writes beyond a file size limit fail as on a full disk: the error is
// reported, an older file of the movie's name stays as it was, and no
// temporary file is left.
TEST(BatchMovie, AMovieThatCannotBeCompletedLeavesTheOlderFileAndNoOther) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"full.mp4", "full.webm"}) {
    const QString path = dir.filePath(name);
    QFile older(path);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older movie");
    older.close();
    // The best quality of a fine-grained texture: some 60 KB, far more than the 16 KiB allowed.
    const TRun r = RunFlowskin({Example("torus_flow.ply"), "--size", "128x128", "--set", "ud_scale=2", "--quality",
                                "100", "--warmup", "10", "--frames", "30", "-o", path},
                               16);
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_TRUE(r.err.contains("Cannot write " + path + ": File too large")) << r.err.toStdString();
    EXPECT_EQ(Bytes(path), QByteArray("older movie")) << name;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{name});
    QFile::remove(path);
  }
}

TEST(BatchMovie, TurnZoomAndPanMoveTheSurfaceOnThePicture) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // The ring torus around z, seen along its axis, orthographic, on magenta.
  const QStringList common{Example("torus.ply"),   "--size", "96x96", "--set", "cb_iso=1", "--set",
                           "sh_background=#ff00ff"};
  auto box = [&](const QStringList& view, const QString& name) {
    const QString path = dir.filePath(name + ".png");
    const TRun r = RunFlowskin(common + view + QStringList{"-o", path});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    return SurfaceBox(QImage(path));
  };
  const QRectF plain = box({}, "plain");
  ASSERT_GT(plain.width(), 40);
  EXPECT_NEAR(plain.height() / plain.width(), 1, 0.05);
  struct Case {
    QStringList view;
    double aspect_lo, aspect_hi;  // height / width of the surface's box
    double width_ratio;           // against the plain view (0: not checked)
    QPointF shift;                // of the box centre, pixels
  };
  const Case cases[] = {
      // Turned a quarter about the vertical axis: the ring edge-on, standing (radii 1.35 and 0.35).
      {{"--turn", "90,0"}, 3, 4.5, 0, {0, 0}},
      // Tilted as far as the view goes: the ring edge-on, lying.
      {{"--turn", "0,90"}, 0.2, 0.34, 0, {0, 0}},
      {{"--zoom", "1.25"}, 0.95, 1.05, 1.25, {0, 0}},
      {{"--zoom", "0.5"}, 0.9, 1.1, 0.5, {0, 0}},
      {{"--pan", "10,-6"}, 0.95, 1.05, 1, {10, -6}},
      // Panned first, then zoomed out about the view centre: half the shift.
      {{"--pan", "20,0", "--zoom", "0.5"}, 0.9, 1.1, 0.5, {10, 0}},
      {{"--zoom", "0.5", "--pan", "20,0"}, 0.9, 1.1, 0.5, {20, 0}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const QString what = c.view.join(' ');
    const QRectF b = box(c.view, QString("view%1").arg(++n));
    ASSERT_FALSE(b.isEmpty()) << what.toStdString();
    const double aspect = b.height() / b.width();
    EXPECT_GE(aspect, c.aspect_lo) << what.toStdString();
    EXPECT_LE(aspect, c.aspect_hi) << what.toStdString();
    if (c.width_ratio > 0) {
      EXPECT_NEAR(b.width() / plain.width(), c.width_ratio, 0.05) << what.toStdString();
      EXPECT_NEAR(b.center().x() - plain.center().x(), c.shift.x(), 1.01) << what.toStdString();
      EXPECT_NEAR(b.center().y() - plain.center().y(), c.shift.y(), 1.01) << what.toStdString();
    }
  }
}
