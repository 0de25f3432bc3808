// Shell-style wildcard patterns for choosing what a crawl fetches: one
// matcher (also used by the robots.txt rules) and the four pattern lists of
// a project (accept/reject on the whole URL, accept/reject on the file name).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {

struct TWildcardOptions {
  bool QuestionIsAny = true;  // "?" matches one byte; false: "?" is a literal (robots.txt)
  bool IgnoreCase = false;    // ASCII letters only; other bytes compare as they are
  bool PrefixOnly = false;    // the pattern need only match a prefix of the text
};

// True when `pattern` matches all of `text` (or a prefix of it with
// PrefixOnly). "*" matches any run of bytes, "?" one byte; there are no
// escapes or character classes. Linear in pattern and text when "?" is no
// wildcard; with "?" wildcards, greedy with one back-up point per star, so
// the cost stays within |pattern| x |text| steps whatever the input.
bool WildcardMatch(std::string_view pattern, std::string_view text,
                   const TWildcardOptions& options = {});

// The last path segment of a URL: the bytes after the last "/" of the part
// before "?" or "#" (empty for a directory address such as "http://h/a/").
std::string_view FileNameOfUrl(std::string_view url);

enum class TPatternVerdict {
  Admitted,
  RejectedUrl,      // a reject-URL pattern matched
  RejectedName,     // a reject-name pattern matched
  NotAcceptedUrl,   // accept-URL patterns exist and none matched
  NotAcceptedName,  // accept-name patterns exist and none matched
};

// The pattern lists of a project. URL patterns compare case-sensitively
// (servers tell "/A" from "/a"); name patterns ignore ASCII case, since
// "*.gif" is meant to catch "LOGO.GIF" as well. Reject wins over accept; an
// empty accept list accepts everything.
struct TPatternRules {
  std::vector<std::string> AcceptUrl;
  std::vector<std::string> RejectUrl;
  std::vector<std::string> AcceptName;
  std::vector<std::string> RejectName;

  bool Empty() const;
  TPatternVerdict Judge(std::string_view url, std::string_view fileName) const;
  bool Admits(std::string_view url, std::string_view fileName) const {
    return Judge(url, fileName) == TPatternVerdict::Admitted;
  }
  bool operator==(const TPatternRules&) const = default;
};

}  // namespace trawlonix
