// Checks the header of an uncompressed Flash movie, walks its tags and reports
// every URL the movie's action code loads (GetURL) or pushes as a string, so
// that the crawl can follow links made from inside movies. The data is only
// read, never changed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace trawlonix {

class TFlashParser {
 public:
  // Every GetURL target URL and every string pushed as the first value of a
  // Push action. Never called with an empty text.
  std::function<void(const std::string& url)> OnURL;
  // Header information and inconsistencies (English), for the log. Never
  // called with an empty text.
  std::function<void(const std::string& text)> OnMessage;

  // Parses `data` (the whole movie as received). Header problems become
  // messages and return true. Returns false when the movie ends before its End
  // tag (a truncated movie, or a tag whose length runs past the end); the
  // strings reported up to that point stand. Nothing is thrown for bad input.
  bool Parse(std::string_view data);
};

}  // namespace trawlonix
