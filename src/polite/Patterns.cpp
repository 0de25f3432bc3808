#include "polite/Patterns.h"

namespace trawlonix {

namespace {

char Fold(char c, bool ignoreCase) {
  return (ignoreCase && c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool AnyMatches(const std::vector<std::string>& patterns, std::string_view text,
                const TWildcardOptions& options) {
  for (const std::string& p : patterns)
    if (WildcardMatch(p, text, options)) return true;
  return false;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text,
                   const TWildcardOptions& options) {
  std::size_t p = 0, t = 0;
  std::size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
      continue;
    }
    if (options.PrefixOnly && p == pattern.size()) return true;
    if (p < pattern.size() &&
        ((options.QuestionIsAny && pattern[p] == '?') ||
         Fold(pattern[p], options.IgnoreCase) == Fold(text[t], options.IgnoreCase))) {
      ++p;
      ++t;
      continue;
    }
    // Mismatch: let the last star swallow one more byte and retry from there.
    // Earlier stars never need revisiting, which keeps the cost bounded.
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

std::string_view FileNameOfUrl(std::string_view url) {
  const std::size_t end = url.find_first_of("?#");
  if (end != std::string_view::npos) url = url.substr(0, end);
  const std::size_t slash = url.rfind('/');
  return slash == std::string_view::npos ? url : url.substr(slash + 1);
}

bool TPatternRules::Empty() const {
  return AcceptUrl.empty() && RejectUrl.empty() && AcceptName.empty() && RejectName.empty();
}

TPatternVerdict TPatternRules::Judge(std::string_view url, std::string_view fileName) const {
  const TWildcardOptions urlOptions{};
  TWildcardOptions nameOptions{};
  nameOptions.IgnoreCase = true;
  if (AnyMatches(RejectUrl, url, urlOptions)) return TPatternVerdict::RejectedUrl;
  if (AnyMatches(RejectName, fileName, nameOptions)) return TPatternVerdict::RejectedName;
  if (!AcceptUrl.empty() && !AnyMatches(AcceptUrl, url, urlOptions))
    return TPatternVerdict::NotAcceptedUrl;
  if (!AcceptName.empty() && !AnyMatches(AcceptName, fileName, nameOptions))
    return TPatternVerdict::NotAcceptedName;
  return TPatternVerdict::Admitted;
}

}  // namespace trawlonix
