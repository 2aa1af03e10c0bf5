#pragma once
// Which blocks of a multiblock file a load takes (the patches of a solver's
// output: "boundary/inlet", "internal", ...): the user's choice by name, or
// by default every block of surface cells.
#include <optional>
#include <string>
#include <vector>

// A part of a multiblock file as a load found it: the block it belongs to
// (see TMultiBlockFile; empty for files no block names), whether it is made of
// volume cells, and whether the load takes it. Parts may share a name: the
// pieces of one block.
struct TBlockInfo {
  std::string name;
  bool volume = false;
  bool taken = false;
};

// The blocks a load takes, by name; none: the default.
using TBlockChoice = std::optional<std::vector<std::string>>;

// Marks the parts a load takes. Without a choice: every surface part, or every
// part when none is a surface (a volume alone, whose boundary is shown). With
// one: the parts of the blocks it names. Fails, with the reason in words, when
// the choice names a block that no part belongs to (naming the first such
// name) or names no block at all.
bool ChooseBlocks(std::vector<TBlockInfo>& parts, const TBlockChoice& choice, std::string& reason);

// The blocks of `parts` by name, once each in the order they first appear
// (parts without a name left out): volume when all its parts are, taken when
// any is.
std::vector<TBlockInfo> NamedBlocks(const std::vector<TBlockInfo>& parts);
