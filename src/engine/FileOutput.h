// The worker's file output: the stored copy of one document, and the
// shortcut to the start page. Plain C++.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace trawlonix {

// The stored copy of one document: a temporary file beside the target that
// replaces the target only when every byte was written.
class TOutput {
 public:
  TOutput() = default;
  ~TOutput();
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;
  bool Create(const std::string& name);  // false: the file cannot be created
  // An unnamed scratch file that is never stored (gone when discarded).
  bool CreateScratch();
  bool IsOpen() const { return file_ != nullptr; }
  bool Committed() const { return committed_; }
  const std::string& Name() const { return name_; }
  // A body written as it arrives: appended, cut back, read back whole.
  bool Append(std::string_view data);
  bool Truncate(std::int64_t size);
  std::int64_t Size() const { return size_; }
  bool ReadBack(std::string& into);
  // Writes `data` after what was appended, closes, renames over the target.
  // False on any failure.
  bool Commit(std::string_view data);
  void Discard();  // an uncommitted temporary file is removed

 private:
  std::FILE* file_ = nullptr;
  std::string name_;
  std::string temp_;
  std::int64_t size_ = 0;
  bool committed_ = false;
};

// Writes "[InternetShortcut]" / "URL=" + target to base + ".url", or to the
// first free "base [n].url" (n up to 1000). False when nothing was written.
bool WriteShortcut(const std::string& baseName, const std::string& target);

}  // namespace trawlonix
