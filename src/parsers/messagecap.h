// The messages a parser reports about one file, capped: a crafted file can
// otherwise make every two bytes a message and flood the log. The first
// kShown messages pass; the rest are counted and summed up in one line when
// the parse ends.
#pragma once

#include <functional>
#include <string>

namespace trawlonix {

class TMessageCap {
 public:
  static constexpr int kShown = 20;

  explicit TMessageCap(const std::function<void(const std::string&)>& sink) : sink_(sink) {}
  TMessageCap(const TMessageCap&) = delete;
  TMessageCap& operator=(const TMessageCap&) = delete;
  // The summary goes out however the parse ended (every return path).
  ~TMessageCap() {
    if (sink_ && dropped_ > 0)
      sink_("!! " + std::to_string(dropped_) + " more messages about this file not shown");
  }

  void operator()(const std::string& text) {
    if (!sink_ || text.empty()) return;
    if (shown_ < kShown) {
      ++shown_;
      sink_(text);
    } else {
      ++dropped_;
    }
  }

 private:
  const std::function<void(const std::string&)>& sink_;
  int shown_ = 0;
  long long dropped_ = 0;
};

}  // namespace trawlonix
