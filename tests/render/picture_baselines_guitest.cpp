// The picture baselines: every scene of render/baselines/scenes.txt drawn by
// the program as a user runs it and compared with the picture committed
// beside it (advection/picture_compare.h says what passes and why). A scene
// that fails leaves the picture it drew and the difference picture in
// picture_baselines/ beside this test binary and names them. A change that
// alters a picture on purpose makes new baselines with
// render/baselines/make_baselines.sh in the same commit.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ostream>
#include <string>
#include <vector>

#include "output/picture_compare.h"
#include "support/batch_process.h"

namespace {

struct TScene {
  std::string name;
  QStringList args;
};

// The scene by its name in test names and messages.
void PrintTo(const TScene& s, std::ostream* os) { *os << s.name; }

const QString kBaselines = QString(FLOWSKIN_TESTS_DIR) + "/render/baselines";

// The scenes as make_baselines.sh reads them: a name and the arguments,
// split at spaces; empty lines and lines starting with # left out.
std::vector<TScene> Scenes() {
  std::vector<TScene> scenes;
  QFile file(kBaselines + "/scenes.txt");
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return scenes;
  for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
    QStringList words = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    if (words.isEmpty() || words[0].startsWith('#')) continue;
    scenes.push_back({words.takeFirst().toStdString(), words});
  }
  return scenes;
}

class PictureBaselines : public testing::TestWithParam<TScene> {};

}  // namespace

TEST(PictureBaselineScenes, AreListed) { EXPECT_GE(Scenes().size(), 4u); }

TEST_P(PictureBaselines, SceneMatchesItsBaseline) {
  const TScene& s = GetParam();
  const QString name = QString::fromStdString(s.name);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString drawn_path = dir.filePath(name + ".png");
  const TRun r = RunFlowskin(s.args + QStringList{"-o", drawn_path}, 0, FLOWSKIN_EXAMPLES_DIR);
  ASSERT_EQ(r.status, 0) << "flowskin " << s.args.join(' ').toStdString() << "\n" << r.err.toStdString();
  const QString baseline_path = kBaselines + "/" + name + ".png";
  const QImage drawn(drawn_path), baseline(baseline_path);
  ASSERT_FALSE(drawn.isNull());
  ASSERT_FALSE(baseline.isNull()) << "no baseline " << baseline_path.toStdString()
                                  << ": make it with render/baselines/make_baselines.sh";
  const TPictureVerdict v = ComparePictures(drawn, baseline);
  if (v.same) return;
  QDir kept(QCoreApplication::applicationDirPath());
  kept.mkpath("picture_baselines");
  kept.cd("picture_baselines");
  const QString kept_path = kept.filePath(name + ".png"), difference_path = kept.filePath(name + "_difference.png");
  drawn.save(kept_path);
  DifferencePicture(drawn, baseline).save(difference_path);
  ADD_FAILURE() << "scene '" << s.name << "' differs from its baseline: " << v.reason
                << "\n  drawn:      " << kept_path.toStdString() << "\n  difference: " << difference_path.toStdString()
                << " (grey: " << kDifferenceGain << " x the difference; red: over " << kPixelDifference
                << ")\n  baseline:   " << baseline_path.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scenes, PictureBaselines, testing::ValuesIn(Scenes()),
                         [](const testing::TestParamInfo<TScene>& p) { return p.param.name; });
