// Blocks of a multiblock file chosen on the command line: by name, before the
// file is read. The solver's own export of the wall patches alone is the
// picture the walls chosen from the whole case must give.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/batch_process.h"

namespace {

QString Corpus(const QString& file) { return QString(FLOWSKIN_TESTS_DIR) + "/formats/corpus/" + file; }

const char* const kWalls = "boundary/ground,boundary/obstacle1,boundary/obstacle2,boundary/obstacle3";

}  // namespace

TEST(BatchBlocks, BlocksSetByNameDrawThemAloneAndAnUnknownNameFailsNamingIt) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString all = Corpus("foam/VTK/blocks_300.vtm"), walls = Corpus("foam/walls/blocks_300.vtm");
  struct TCase {
    QString picture;
    QStringList args;
    const char* error;  // in the message of a run that fails; nullptr for one that succeeds
  };
  const TCase cases[] = {
      {"all", {all}, nullptr},
      {"walls_exported", {walls}, nullptr},
      {"walls_by_name", {all, "--set", QString("lw_blocks=") + kWalls}, nullptr},
      {"walls_by_caption", {all, "--set", QString("General/Blocks=") + kWalls}, nullptr},
      {"unknown", {all, "--set", "lw_blocks=boundary/ground,boundary/lowerWall"}, "\"boundary/lowerWall\""},
      {"none", {all, "--set", "lw_blocks="}, "No block is chosen"},
      {"other_file", {Example("sphere.ply"), "--set", "lw_blocks=boundary/ground"}, "the file has no blocks"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.picture.toStdString());
    const QString out = dir.filePath(c.picture + ".png");
    const TRun r = RunFlowskin(c.args + QStringList{"--size", "128x96", "--warmup", "2", "-o", out});
    if (c.error) {
      EXPECT_EQ(r.status, 1);
      EXPECT_TRUE(r.err.contains(c.error)) << r.err.toStdString();
      EXPECT_FALSE(QFile::exists(out));
    } else {
      EXPECT_EQ(r.status, 0) << r.err.toStdString();
    }
  }
  const auto picture = [&](const char* name) { return Bytes(dir.filePath(QString(name) + ".png")); };
  ASSERT_FALSE(picture("walls_exported").isEmpty());
  EXPECT_EQ(picture("walls_by_name"), picture("walls_exported"));
  EXPECT_EQ(picture("walls_by_caption"), picture("walls_exported"));
  EXPECT_NE(picture("walls_by_name"), picture("all"));
  // The listing shows the list among the mesh input controls.
  const TRun list = RunFlowskin({"--list"});
  EXPECT_TRUE(list.out.contains("lw_blocks")) << list.out.toStdString();
}
