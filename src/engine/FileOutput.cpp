#include "engine/FileOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace trawlonix {

TOutput::~TOutput() {
  Discard();
}

bool TOutput::Create(const std::string& name) {
  Discard();
  name_ = name;
  committed_ = false;
  // A copy stored by an earlier run is replaced through a file beside it that
  // is renamed over it, so that a failed or cut write never destroys it. A
  // new file is written in place (and removed when writing fails).
  struct stat st {};
  const bool exists = ::lstat(name.c_str(), &st) == 0 || errno != ENOENT;
  if (exists && S_ISDIR(st.st_mode)) return false;  // the name is taken by a directory
  temp_ = exists ? name + ".trawlonix-part" : name;
  size_ = 0;
  file_ = std::fopen(temp_.c_str(), "w+b");
  return file_ != nullptr;
}

bool TOutput::CreateScratch() {
  Discard();
  name_.clear();
  temp_.clear();
  committed_ = false;
  size_ = 0;
  file_ = std::tmpfile();
  return file_ != nullptr;
}

bool TOutput::Append(std::string_view data) {
  if (!file_) return false;
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file_) != data.size()) return false;
  size_ += static_cast<std::int64_t>(data.size());
  return true;
}

bool TOutput::Truncate(std::int64_t size) {
  if (!file_ || size < 0 || size > size_) return false;
  if (size == size_) return true;
  if (std::fflush(file_) != 0 || ::ftruncate(::fileno(file_), size) != 0 ||
      ::fseeko(file_, size, SEEK_SET) != 0)
    return false;
  size_ = size;
  return true;
}

bool TOutput::ReadBack(std::string& into) {
  into.clear();
  if (!file_ || std::fflush(file_) != 0 || ::fseeko(file_, 0, SEEK_SET) != 0) return false;
  into.resize(static_cast<std::size_t>(size_));
  const bool ok = std::fread(into.data(), 1, into.size(), file_) == into.size();
  return ::fseeko(file_, 0, SEEK_END) == 0 && ok;
}

bool TOutput::Commit(std::string_view data) {
  if (!file_ || name_.empty()) return false;
  // A body that streamed here is committed with nothing more to write.
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), file_) == data.size();
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (ok && temp_ != name_) ok = std::rename(temp_.c_str(), name_.c_str()) == 0;
  if (!ok) std::remove(temp_.c_str());
  committed_ = ok;
  return ok;
}

void TOutput::Discard() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  if (!temp_.empty()) std::remove(temp_.c_str());
}

bool WriteShortcut(const std::string& baseName, const std::string& target) {
  std::string name = baseName + ".url";
  struct stat st {};
  for (int n = 1; ::stat(name.c_str(), &st) == 0; ++n) {
    if (n > 1000) return false;
    name = baseName + " [" + std::to_string(n) + "].url";
  }
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  const std::string text = "[InternetShortcut]\nURL=" + target + "\n";
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return (std::fclose(f) == 0) && ok;
}

}  // namespace trawlonix
