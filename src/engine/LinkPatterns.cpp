// The project's wildcard patterns as part of link admission: they narrow
// what the limit modes admitted, never widen it.
#include "engine/LinkJudge.h"
#include "polite/Patterns.h"

namespace trawlonix {

bool TLinkJudge::PassesPatterns(const TURL& u) const {
  const TPatternRules& rules = s_.Patterns;
  if (rules.Empty()) return true;
  const TPatternVerdict verdict = rules.Judge(ComposeURL(u), u.FileName);
  if (verdict == TPatternVerdict::NotAcceptedName) return IsHypertext(u) || u.FileName.empty();
  return verdict == TPatternVerdict::Admitted;
}

}  // namespace trawlonix
