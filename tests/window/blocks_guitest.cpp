// "Blocks": the blocks of a multiblock file listed by name with their ticks,
// a tick changed loading the surface of the blocks ticked, and another file
// listing its own blocks.
#include <QApplication>
#include <QListWidget>

#include "loading/mesh_loading.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

namespace {

QString Corpus(const QString& file) { return QString(FLOWSKIN_TESTS_DIR) + "/formats/corpus/" + file; }

// Each item as "[x] text" or "[ ] text", joined by "; ".
QString Rows(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i)
    rows << (list->item(i)->checkState() == Qt::Checked ? "[x] " : "[ ] ") + list->item(i)->text();
  return rows.join("; ");
}

// Ticks or clears row `i` as a click does, and lets the list's notification run.
void Tick(QListWidget* list, int i, bool on) {
  list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  QApplication::processEvents();
}

// Triangles of the file loaded alone.
int32_t TrianglesOf(const QString& file) {
  TMesh m;
  std::string error;
  EXPECT_TRUE(LoadMesh(file.toStdString(), TLoadOptions{}, m, error)) << error;
  return m.face_count;
}

}  // namespace

TEST_F(FormTest, TheBlocksListShowsTheFilesBlocksAndATickChangedLoadsTheSurfaceOfThoseTicked) {
  LoadThroughDialog(*form, dialogs, Corpus("foam/VTK/blocks_300.vtm"));
  TCheckList* list = form->lw_blocks;
  EXPECT_TRUE(list->isEnabled());
  EXPECT_EQ(Rows(list),
            "[ ] internal  (volume); [x] boundary/inlet; [x] boundary/outlet; [x] boundary/ground; [x] boundary/top; "
            "[x] boundary/sides; [x] boundary/obstacle1; [x] boundary/obstacle2; [x] boundary/obstacle3");
  const int32_t all = form->state.mesh.face_count;
  const int32_t top = TrianglesOf(Corpus("foam/VTK/blocks_300/boundary/top.vtp"));
  const int32_t sides = TrianglesOf(Corpus("foam/VTK/blocks_300/boundary/sides.vtp"));

  Tick(list, 4, false);  // the top
  EXPECT_EQ(form->state.mesh.face_count, all - top);
  Tick(list, 5, false);  // and the sides
  EXPECT_EQ(form->state.mesh.face_count, all - top - sides);
  EXPECT_EQ(form->lab_ntri->text(), QString::fromStdString(TriangleCountText(form->state.mesh)));
  const QString six =
      "boundary/inlet,boundary/outlet,boundary/ground,boundary/obstacle1,boundary/obstacle2,boundary/obstacle3";
  EXPECT_EQ(list->CheckedKeys().join(","), six);
  EXPECT_TRUE(dialogs.messages.empty());

  // Every tick cleared: the load is refused, the ticks come back and the surface stays.
  for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
  QApplication::processEvents();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].contains("No block is chosen")) << dialogs.messages[0].toStdString();
  EXPECT_EQ(list->CheckedKeys().join(","), six);
  EXPECT_EQ(form->state.mesh.face_count, all - top - sides);

  // Another file lists its own blocks with its surface blocks ticked; a file of no blocks empties the list.
  LoadThroughDialog(*form, dialogs, Corpus("vtk9/case_nested.vtm"));
  EXPECT_EQ(Rows(list),
            "[ ] internalMesh  (volume); [x] boundary/walls; [x] boundary/ends/inlet; [x] boundary/ends/outlet");
  LoadThroughDialog(*form, dialogs, ExamplePath("sphere.ply"));
  EXPECT_EQ(list->count(), 0);
  EXPECT_FALSE(list->isEnabled());
  // The first file again starts from its default blocks.
  LoadThroughDialog(*form, dialogs, Corpus("foam/VTK/blocks_300.vtm"));
  EXPECT_EQ(form->state.mesh.face_count, all);
  EXPECT_EQ(list->CheckedKeys().size(), 8);
}
