// The plain-text log file of a run: one log line per text line.
#pragma once

#include <cstdio>
#include <string>

namespace trawlonix {

class TLogFile {
 public:
  TLogFile() = default;
  ~TLogFile() { Close(); }
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  // Creates (or overwrites) the file; false when it cannot be created.
  bool Create(const std::string& path);
  // AppendLogFile on: opens the file for appending (creating it when
  // missing); when it already holds lines, a separator line naming
  // `startTime` comes first, so that the runs of one project stay apart.
  bool Append(const std::string& path, const std::string& startTime);
  // The separator line written before an appended run.
  static std::string SeparatorLine(const std::string& startTime);
  bool IsOpen() const { return file_ != nullptr; }
  void WriteLine(const std::string& line);
  void Close();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace trawlonix
