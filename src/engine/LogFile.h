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
  bool IsOpen() const { return file_ != nullptr; }
  void WriteLine(const std::string& line);
  void Close();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace trawlonix
