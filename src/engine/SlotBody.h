// Where the body of a slot's fetch goes. Documents read for links stay in the
// fetch object's memory up to the parse limit; anything else, a document
// over that limit, and bodies beyond the run's memory budget are written to
// the stored copy's file as they arrive (or to a scratch file, or nowhere).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/FileOutput.h"
#include "net/HttpObject.h"

namespace trawlonix {

class TSlotBody final : public TBodySink {
 public:
  // Bodies of all slots together held in memory before the next one that
  // grows goes to its file.
  static constexpr std::int64_t kMemoryBudget = 32ll * 1024 * 1024;

  // Before a fetch: nothing written, the last file removed.
  void Reset();

  bool Append(std::string_view data) override;
  bool Truncate(std::int64_t size) override;
  std::string FailText() const override;

  TOutput out;            // the stored copy, a scratch file, or closed (bytes dropped)
  std::string display;    // the local name for log lines
  bool unparsed = false;  // over the parse limit: stored as it came
  bool scratch = false;   // `out` is a scratch file (read back, never stored)
  bool writeFailed = false;
};

}  // namespace trawlonix
