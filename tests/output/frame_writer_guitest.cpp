// The frame writer's run of files is all or nothing: every frame under its
// own name after Finish, and after a failure or an abandoned run no file of
// the run, while older files of the same names stay as they were.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "output/frame_writer.h"

namespace {

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Everything(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

TEST(FrameWriter, ARunIsWrittenWholeOrLeavesNothing) {
  enum class End { Finish, Abandon };
  struct Case {
    const char* what;
    std::vector<const char*> names;  // relative to the folder; "no/..." cannot be written
    End end;
    bool ok;
    QStringList left;  // files in the folder afterwards ("f001.png" existed before with "old")
  };
  const Case cases[] = {
      {"all written", {"f001.png", "f002.bmp", "f003.png"}, End::Finish, true, {"f001.png", "f002.bmp", "f003.png"}},
      {"third fails", {"f001.png", "f002.png", "no/f003.png", "f004.png"}, End::Finish, false, {"f001.png"}},
      {"abandoned", {"f001.png", "f002.png"}, End::Abandon, true, {"f001.png"}},
  };
  QImage picture(8, 4, QImage::Format_BGR888);
  picture.fill(Qt::darkCyan);
  for (const Case& c : cases) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile old(dir.filePath("f001.png"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    QString error;
    bool ok = true;
    {
      TFrameWriter writer(1);
      for (const char* name : c.names) writer.Push(picture, dir.filePath(name));
      if (c.end == End::Finish) ok = writer.Finish(error);
    }
    EXPECT_EQ(ok, c.ok) << c.what << ": " << error.toStdString();
    if (!c.ok) {
      EXPECT_TRUE(error.startsWith("Cannot write " + dir.filePath("no/f003.png") + ": ")) << error.toStdString();
    }
    EXPECT_EQ(Everything(dir.path()), c.left) << c.what;
    const bool replaced = c.ok && c.end == End::Finish;
    EXPECT_EQ(Bytes(dir.filePath("f001.png")) == "old", !replaced) << c.what;
    if (replaced) {
      EXPECT_EQ(QImage(dir.filePath("f002.bmp")).size(), QSize(8, 4));
      EXPECT_EQ(QImage(dir.filePath("f003.png")).pixelColor(7, 3), QColor(Qt::darkCyan));
      // Each file holds the format its name gives, whatever name it was staged under.
      EXPECT_TRUE(Bytes(dir.filePath("f001.png")).startsWith("\x89PNG\r\n\x1a\n"));
      EXPECT_TRUE(Bytes(dir.filePath("f002.bmp")).startsWith("BM"));
    }
  }
}
