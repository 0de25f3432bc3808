// A THTMLParser wired to record every callback, with an optional rewrite of
// link values. Shared by the HTML parser tests.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "parsers/htmlparser.h"

namespace trawlonix::test {

struct HtmlRecorder {
  THTMLParser parser;
  std::vector<std::pair<TLinkKind, std::string>> links;
  std::vector<std::string> bases;
  std::vector<std::string> texts;
  std::vector<std::string> scripts;
  std::vector<std::string> literals;
  // When set, applied to every OnLink, OnScript and OnScriptLink value.
  std::function<std::string(const std::string&)> rewrite;

  HtmlRecorder() {
    parser.OnLink = [this](std::string& s, TLinkKind k) {
      links.emplace_back(k, s);
      if (rewrite) s = rewrite(s);
    };
    parser.OnBase = [this](const std::string& s) { bases.push_back(s); };
    parser.OnLinkText = [this](const std::string& s) { texts.push_back(s); };
    parser.OnScript = [this](std::string& s) {
      scripts.push_back(s);
      if (rewrite) s = rewrite(s);
    };
    parser.OnScriptLink = [this](std::string& s) {
      literals.push_back(s);
      if (rewrite) s = rewrite(s);
    };
  }

  std::string Run(std::string_view input, TParseMode mode = pmHTML) {
    links.clear();
    bases.clear();
    texts.clear();
    scripts.clear();
    literals.clear();
    std::string out = "stale";
    parser.Parse(input, &out, mode);
    return out;
  }

  std::vector<std::string> LinkValues() const {
    std::vector<std::string> v;
    for (const auto& l : links)
      v.push_back(l.second);
    return v;
  }
};

// Marks a value so that a rewrite is visible in the output.
inline std::string Mark(const std::string& s) {
  return "[" + s + "]";
}

}  // namespace trawlonix::test
