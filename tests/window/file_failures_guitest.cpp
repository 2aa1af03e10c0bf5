// Every load or save that fails in the window ends in one warning that names
// the file and says why in words, the system's own for a full disk.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "support/batch_process.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QFile f(dir.filePath(name));
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return QString();
  return f.fileName();
}

// A tmpfs of `kib` KiB mounted on `path` for the object's lifetime; only root
// can make one, others find it unavailable.
class TSmallDisk {
 public:
  TSmallDisk(const QString& path, int kib) : path_(path) {
    const QByteArray options = "size=" + QByteArray::number(kib) + "k";
    mounted_ = geteuid() == 0 && mount("tmpfs", path.toLocal8Bit().constData(), "tmpfs", 0, options.constData()) == 0;
  }
  ~TSmallDisk() {
    if (mounted_) umount2(path_.toLocal8Bit().constData(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }

 private:
  QString path_;
  bool mounted_ = false;
};

}  // namespace

class FileFailuresTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
    ASSERT_TRUE(dialogs.messages.empty());
  }
  // The one warning of the last operation; its text.
  QString OnlyWarning() {
    EXPECT_EQ(dialogs.Count("warning"), 1);
    EXPECT_EQ(dialogs.Count("message"), 0);
    const QString text = dialogs.messages.empty() ? QString() : dialogs.messages.back();
    dialogs.messages.clear();
    dialogs.calls.clear();
    return text;
  }
  QTemporaryDir dir;
};

TEST_F(FileFailuresTest, RefusedMeshFilesGiveAWarningNamingTheFileAndKeepTheMesh) {
  QByteArray noise(4096, 0);
  QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  const QByteArray wrong_index =
      "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
      "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 99\n";
  struct Case {
    QString path;
    const char* reason;  // null: any reason in words
  };
  const Case cases[] = {
      {WriteBytes(dir, "noise.ply", noise), nullptr},
      {WriteBytes(dir, "empty.ply", QByteArray()), nullptr},
      {WriteBytes(dir, "index.ply", wrong_index), "refers to vertex 99"},
      {dir.filePath("gone.ply"), "File not found"},
  };
  for (const Case& c : cases) {
    LoadThroughDialog(*form, dialogs, c.path);
    const QString text = OnlyWarning();
    const QString named = "Cannot load \"" + QFileInfo(c.path).fileName() + "\": ";
    EXPECT_TRUE(text.startsWith(named)) << text.toStdString();
    EXPECT_GT(text.size(), named.size() + 8) << text.toStdString();
    if (c.reason) {
      EXPECT_TRUE(text.contains(c.reason)) << text.toStdString();
    }
    EXPECT_EQ(form->state.mesh.vertex_count, 4098) << text.toStdString();
  }
}

TEST_F(FileFailuresTest, AFullDiskIsReportedInTheSystemsWords) {
  form->RequestRedraw();
  // /dev/full takes nothing: every write fails as on a full disk.
  dialogs.file_answers.push_back("/dev/full");
  form->but_save_pic->Click();
  EXPECT_EQ(OnlyWarning(), "Cannot write /dev/full: No space left on device");

  // A write the system takes only in part (a file-size limit of 64 KiB for this
  // process) is finished or reported with the system's reason, never "Unknown
  // error", and the partial file is removed.
  struct sigaction ignore = {}, saved = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &saved);
  rlimit limit{}, old{};
  getrlimit(RLIMIT_FSIZE, &old);
  limit = old;
  limit.rlim_cur = 64 * 1024;
  setrlimit(RLIMIT_FSIZE, &limit);
  dialogs.file_answers.push_back(dir.filePath("big.bmp"));
  form->but_save_pic->Click();  // 512 x 512 x 3 bytes
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &saved, nullptr);
  EXPECT_EQ(OnlyWarning(), "Cannot write " + dir.filePath("big.bmp") + ": File too large");
  EXPECT_FALSE(QFile::exists(dir.filePath("big.bmp")));
}

TEST_F(FileFailuresTest, SaveSeqOnADiskThatFillsUpStopsWithTheSystemsWords) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("small"));
  const TSmallDisk disk(dir.filePath("small"), 2000);  // room for two frames of 768 KiB
  if (!disk.Mounted()) GTEST_SKIP() << "a small tmpfs needs root";
  const QString base = dir.filePath("small/run");
  QFile earlier(base + "001.bmp");  // a picture of an earlier run
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("old") == 3);
  earlier.close();
  dialogs.file_answers.push_back(base);
  TypeInto(form->ednframe, "5");
  form->butsaveseq->Click();
  EXPECT_EQ(OnlyWarning(), "Cannot write " + base + "003.bmp: No space left on device");
  // All or nothing: no frame of the run is left, and the earlier picture stays.
  EXPECT_EQ(QDir(dir.filePath("small")).entryList(QDir::Files | QDir::Hidden), (QStringList{"run001.bmp"}));
  EXPECT_EQ(Bytes(base + "001.bmp"), "old");
}
