// Which entries of a project's address lists (the positive and negative
// prefix lists) do nothing under its limit modes, so that the command line
// and the properties dialog can say so before a run surprises the user.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace trawlonix {

struct TListUse {
  // The limit modes of hypertext, inline images, embedded objects and other
  // links (0..8, as in the project record).
  std::array<int, 4> Modes{};
  std::vector<std::string> Positive;
  std::vector<std::string> Negative;
};

enum class TListWarningKind {
  PositiveUnused,  // an entry of the positive list, and no mode reads that list
  NegativeUnused,  // an entry of the negative list, and no mode reads that list
  PositiveEmpty,   // a mode admits only the positive list's prefixes, and it is empty
  Wildcard,        // an entry holds "*" or "?", but entries are prefixes, not patterns
};

struct TListWarning {
  TListWarningKind Kind;
  std::string Entry;  // the entry concerned (empty for PositiveEmpty)
  std::string Text;   // the warning, translated
};

std::vector<TListWarning> JudgeListEntries(const TListUse& use);

}  // namespace trawlonix
