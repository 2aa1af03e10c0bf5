// Movie files as the encoder writes them: odd sizes padded, the same frames
// giving the same bytes, and every failure (folder missing or not writable, a
// frame of another size) reported with the file's name, leaving no file under
// that name and no temporary file beside it. The frames read back and a write
// that fails part-way are tested through the batch command and the window.
#include "output/movie_encoder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/fp_traps.h"

namespace {

// Frame k: a colour ramp with a light square moving 2 pixels per frame.
QImage TestFrame(int w, int h, int k) {
  QImage f(w, h, QImage::Format_BGR888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool square = x >= 2 * k % w && x < 2 * k % w + 12 && y >= h / 3 && y < h / 3 + 12;
      f.setPixelColor(x, y, square ? QColor(250, 250, 240) : QColor(40 + 2 * x % 200, 30 + 3 * y % 200, 90 + k));
    }
  return f;
}

// Incompressible frames: bytes of a fixed linear congruential sequence.
QImage NoiseFrame(int w, int h, uint32_t& seed) {
  QImage f(w, h, QImage::Format_BGR888);
  for (int y = 0; y < h; ++y) {
    uchar* row = f.scanLine(y);
    for (int i = 0; i < 3 * w; ++i) row[i] = uchar((seed = seed * 1664525u + 1013904223u) >> 24);
  }
  return f;
}

// Encodes `frames` with default settings unless given; the codec libraries'
// own arithmetic runs without the floating-point traps of this binary.
bool Encode(const QString& path, const std::vector<QImage>& frames, QString& error,
            const TMovieSettings& settings = TMovieSettings()) {
  FpTrapsOff traps;
  TMovieEncoder encoder;
  if (!encoder.Open(path, frames.at(0).width(), frames.at(0).height(), settings, error)) return false;
  for (const QImage& f : frames)
    if (!encoder.AddFrame(f, error)) return false;
  return encoder.Close(error);
}

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(MovieEncoder, NamesSettingsAndPadding) {
  struct Case {
    const char* name;
    TMovieKind kind;
  };
  for (const Case& c :
       {Case{"a.mp4", TMovieKind::Mp4}, Case{"b.MP4", TMovieKind::Mp4}, Case{"c.webm", TMovieKind::WebM},
        Case{"d.png", TMovieKind::None}, Case{"mp4", TMovieKind::None}, Case{"e.mp4.bmp", TMovieKind::None}})
    EXPECT_EQ(MovieKindOf(c.name), c.kind) << c.name;
  struct Crf {
    TMovieKind kind;
    int32_t quality, crf;
  };
  for (const Crf& c : {Crf{TMovieKind::Mp4, 0, 51}, Crf{TMovieKind::Mp4, 100, 0}, Crf{TMovieKind::Mp4, 60, 20},
                       Crf{TMovieKind::WebM, 60, 25}, Crf{TMovieKind::WebM, 0, 63}, Crf{TMovieKind::WebM, 150, 0},
                       Crf{TMovieKind::Mp4, -5, 51}})
    EXPECT_EQ(MovieCrf(c.kind, c.quality), c.crf) << c.quality;
  // Odd sides grow by one, the new column and row repeating their neighbours.
  const QImage odd = TestFrame(7, 5, 3), padded = PaddedToEven(odd);
  ASSERT_EQ(padded.size(), QSize(8, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(padded.pixel(x, y), odd.pixel(std::min(x, 6), std::min(y, 4))) << x << "," << y;
  EXPECT_EQ(PaddedToEven(TestFrame(8, 6, 0)).size(), QSize(8, 6));
}

TEST(MovieEncoder, TheSameFramesGiveTheSameBytes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Small pictures are where the encoder's choices depended on memory it had not written.
  for (const QSize size : {QSize(64, 64), QSize(96, 64), QSize(66, 66)}) {
    std::vector<QImage> frames;
    uint32_t seed = 7;
    for (int k = 0; k < 30; ++k)
      frames.push_back(k % 10 == 0 ? NoiseFrame(size.width(), size.height(), seed)
                                   : TestFrame(size.width(), size.height(), k));
    for (const char* ending : {".mp4", ".webm"}) {
      QString error;
      const QString a = dir.filePath(QString("a") + ending), b = dir.filePath(QString("b") + ending);
      ASSERT_TRUE(Encode(a, frames, error)) << error.toStdString();
      ASSERT_TRUE(Encode(b, frames, error)) << error.toStdString();
      EXPECT_FALSE(Bytes(a).isEmpty());
      EXPECT_TRUE(Bytes(a) == Bytes(b)) << ending << " " << size.width() << "x" << size.height();
      // A lower quality gives a smaller file: the setting reaches the encoder.
      const QString c = dir.filePath(QString("c") + ending);
      ASSERT_TRUE(Encode(c, frames, error, TMovieSettings{25, 20})) << error.toStdString();
      EXPECT_LT(Bytes(c).size(), Bytes(a).size()) << ending;
    }
  }
}

TEST(MovieEncoder, FailuresAreReportedAndLeaveNoFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const std::vector<QImage> frames{TestFrame(32, 32, 0), TestFrame(32, 32, 1)};
  struct Case {
    QString path;
    const char* reason;
  };
  // The system's own folder of kernel objects takes no new files, not even from the superuser.
  for (const Case& c :
       {Case{dir.filePath("none/m.mp4"), "No such file or directory"},
        Case{dir.filePath("plain/m.webm"), "Not a directory"}, Case{"/sys/flowskin_test.mp4", "Permission denied"},
        Case{dir.filePath("m.avi"), "a movie name ends in .mp4 or .webm"}}) {
    QString error;
    EXPECT_FALSE(Encode(c.path, frames, error)) << c.path.toStdString();
    EXPECT_EQ(error, QString("Cannot write %1: %2").arg(c.path, c.reason));
    EXPECT_FALSE(QFile::exists(c.path));
  }
  // A frame of another size ends the movie.
  {
    FpTrapsOff traps;
    TMovieEncoder encoder;
    QString error;
    const QString path = dir.filePath("sizes.mp4");
    ASSERT_TRUE(encoder.Open(path, 32, 32, TMovieSettings(), error));
    EXPECT_FALSE(encoder.AddFrame(TestFrame(30, 32, 0), error));
    EXPECT_EQ(error, QString("Cannot write %1: a frame of 30 x 32 pixels in a movie of 32 x 32").arg(path));
    EXPECT_FALSE(encoder.IsOpen());
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plain"});
}
