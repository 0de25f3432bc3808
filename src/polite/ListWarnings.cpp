#include "polite/ListWarnings.h"

#include <algorithm>

#include "base/Translate.h"

namespace trawlonix {
namespace {

// The modes that read each list (positive-list only, not in the negative
// list, this server not negative, positive not negative).
bool Reads(const TListUse& use, std::initializer_list<int> modes) {
  return std::any_of(use.Modes.begin(), use.Modes.end(), [&](int m) {
    return std::find(modes.begin(), modes.end(), m) != modes.end();
  });
}

bool HasWildcard(const std::string& entry) {
  return entry.find_first_of("*?") != std::string::npos;
}

}  // namespace

std::vector<TListWarning> JudgeListEntries(const TListUse& use) {
  std::vector<TListWarning> out;
  const bool positiveRead = Reads(use, {3, 6});
  const bool negativeRead = Reads(use, {4, 5, 6});
  for (const std::string& e : use.Positive) {
    if (!positiveRead)
      out.push_back(
          {TListWarningKind::PositiveUnused, e,
           TrArgs(translate("Lists", "正面列表中的 %1 没有作用: 没有一个限制模式使用正面列表。"),
                  {e})});
  }
  for (const std::string& e : use.Negative) {
    if (!negativeRead)
      out.push_back(
          {TListWarningKind::NegativeUnused, e,
           TrArgs(translate("Lists", "负面列表中的 %1 没有作用: 没有一个限制模式使用负面列表。"),
                  {e})});
  }
  if (positiveRead && use.Positive.empty())
    out.push_back(
        {TListWarningKind::PositiveEmpty,
         {},
         translate(
             "Lists",
             "一个限制模式只允许正面列表中的地址，但正面列表是空的: 这些链接都不会被获取。")});
  for (const auto* list : {&use.Positive, &use.Negative}) {
    for (const std::string& e : *list) {
      if (HasWildcard(e))
        out.push_back({TListWarningKind::Wildcard, e,
                       TrArgs(translate("Lists",
                                        "列表项 %1 含有通配符，但列表项是地址前缀: * 和 ? "
                                        "只按字面比较。请使用文件名或 URL 模式。"),
                              {e})});
    }
  }
  return out;
}

}  // namespace trawlonix
