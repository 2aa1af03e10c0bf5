#include "loading/block_choice.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "formats/read_failure.h"

namespace {

// How many block names a refusal lists at most.
constexpr size_t kNamesListed = 12;

// "the file's blocks are a, b, c" (at most kNamesListed, then "..."), or
// "the file has no blocks".
std::string KnownBlocks(const std::vector<TBlockInfo>& blocks) {
  if (blocks.empty()) return "the file has no blocks";
  std::string text = "the file's blocks are ";
  for (size_t i = 0; i < blocks.size() && i < kNamesListed; ++i) text += (i ? ", " : "") + blocks[i].name;
  if (blocks.size() > kNamesListed) text += ", ...";
  return text;
}

}  // namespace

bool ChooseBlocks(std::vector<TBlockInfo>& parts, const TBlockChoice& choice, std::string& reason) {
  if (!choice) {
    const bool any_surface = std::any_of(parts.begin(), parts.end(), [](const TBlockInfo& p) { return !p.volume; });
    for (TBlockInfo& p : parts) p.taken = !any_surface || !p.volume;
    return true;
  }
  if (choice->empty()) return Refuse(reason, "No block is chosen: a load takes at least one block");
  std::set<std::string> names;
  for (const TBlockInfo& p : parts) names.insert(p.name);
  for (const std::string& name : *choice)
    if (name.empty() || !names.count(name))
      return Refuse(reason, "No block is named \"" + name + "\" (" + KnownBlocks(NamedBlocks(parts)) + ")");
  const std::set<std::string> chosen(choice->begin(), choice->end());
  for (TBlockInfo& p : parts) p.taken = chosen.count(p.name) > 0;
  return true;
}

std::vector<TBlockInfo> NamedBlocks(const std::vector<TBlockInfo>& parts) {
  std::vector<TBlockInfo> blocks;
  std::unordered_map<std::string, size_t> at;
  for (const TBlockInfo& p : parts) {
    if (p.name.empty()) continue;
    const auto [it, fresh] = at.try_emplace(p.name, blocks.size());
    if (fresh) {
      blocks.push_back(p);
      continue;
    }
    TBlockInfo& b = blocks[it->second];
    b.volume = b.volume && p.volume;
    b.taken = b.taken || p.taken;
  }
  return blocks;
}
