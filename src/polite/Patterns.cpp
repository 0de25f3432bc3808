#include "polite/Patterns.h"

#include <algorithm>

namespace trawlonix {

namespace {

char Fold(char c, bool ignoreCase) {
  return (ignoreCase && c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameBytes(std::string_view a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i], ignoreCase) != Fold(b[i], ignoreCase)) return false;
  return true;
}

// First position at or after `from` where `needle` occurs in `text`
// (Knuth-Morris-Pratt: linear in both lengths, whatever the bytes).
std::size_t FindLinear(std::string_view text, std::string_view needle, std::size_t from,
                       bool ignoreCase) {
  if (needle.empty()) return from;
  if (needle.size() == 1 && !ignoreCase) return text.find(needle[0], from);
  thread_local std::vector<std::size_t> border;  // kept between calls: no allocation per piece
  border.assign(needle.size(), 0);
  for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
    while (k > 0 && Fold(needle[i], ignoreCase) != Fold(needle[k], ignoreCase))
      k = border[k - 1];
    if (Fold(needle[i], ignoreCase) == Fold(needle[k], ignoreCase)) ++k;
    border[i] = k;
  }
  for (std::size_t i = from, k = 0; i < text.size(); ++i) {
    while (k > 0 && Fold(text[i], ignoreCase) != Fold(needle[k], ignoreCase))
      k = border[k - 1];
    if (Fold(text[i], ignoreCase) == Fold(needle[k], ignoreCase)) ++k;
    if (k == needle.size()) return i + 1 - k;
  }
  return std::string_view::npos;
}

// Patterns whose only wildcard is "*": the literal pieces between the stars
// are found left to right, each at its first place after the one before.
// Taking the first place never loses a match, so no backing up is needed and
// the cost is linear in pattern and text (a robots.txt can hold thousands of
// hostile rules, each checked against every address).
bool MatchStarsOnly(std::string_view pattern, std::string_view text, const TWildcardOptions& o) {
  const std::size_t firstStar = pattern.find('*');
  const std::string_view head = pattern.substr(0, firstStar);
  if (!SameBytes(head, text.substr(0, std::min(head.size(), text.size())), o.IgnoreCase))
    return false;
  if (firstStar == std::string_view::npos) return o.PrefixOnly || text.size() == head.size();
  std::size_t pos = head.size();
  std::string_view rest = pattern.substr(firstStar + 1);
  // Without PrefixOnly the piece after the last star must end the text.
  std::string_view tail;
  if (!o.PrefixOnly) {
    const std::size_t lastStar = rest.rfind('*');
    tail = lastStar == std::string_view::npos ? rest : rest.substr(lastStar + 1);
    rest = lastStar == std::string_view::npos ? std::string_view() : rest.substr(0, lastStar);
  }
  while (!rest.empty()) {
    const std::size_t star = std::min(rest.find('*'), rest.size());
    const std::size_t at = FindLinear(text, rest.substr(0, star), pos, o.IgnoreCase);
    if (at == std::string_view::npos) return false;
    pos = at + star;
    rest.remove_prefix(std::min(star + 1, rest.size()));
  }
  return text.size() - pos >= tail.size() &&
         SameBytes(tail, text.substr(text.size() - tail.size()), o.IgnoreCase);
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
  if (!options.QuestionIsAny || pattern.find('?') == std::string_view::npos)
    return MatchStarsOnly(pattern, text, options);
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
