// "Blocks": the blocks of a multiblock file (the patches of a solver's
// output), ticked where the surface shown takes them. Ticking or clearing one
// loads the file again from the blocks ticked; a load that fails (no block
// ticked) says why and leaves the surface and the ticks as they were.
#include "window/form1.h"

TBlockChoice TForm1::BlockChoiceFor(const QString& path) const {
  return blocks_file_.isEmpty() || blocks_file_ == path ? block_choice_ : TBlockChoice{};
}

void TForm1::SetBlockChoice(std::vector<std::string> names) {
  blocks_file_.clear();
  block_choice_ = std::move(names);
}

void TForm1::ShowBlocks(const QString& path, const TBlockChoice& choice, const std::vector<TBlockInfo>& blocks) {
  blocks_file_ = path;
  block_choice_ = choice;
  blocks_shown_ = blocks;
  QStringList keys, texts;
  QList<bool> checked;
  for (const TBlockInfo& b : blocks) {
    keys << QString::fromStdString(b.name);
    texts << keys.back() + (b.volume ? "  (volume)" : "");
    checked << b.taken;
  }
  lw_blocks->SetItems(keys, texts, checked);
}

void TForm1::lw_blocksChange(QObject*) {
  std::vector<std::string> names;
  for (const QString& key : lw_blocks->CheckedKeys()) names.push_back(key.toStdString());
  const QString file = blocks_file_;
  const TBlockChoice before = block_choice_;
  const std::vector<TBlockInfo> shown = blocks_shown_;
  block_choice_ = std::move(names);
  if (!LoadMeshFile(file)) ShowBlocks(file, before, shown);
}
