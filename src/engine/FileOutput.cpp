#include "engine/FileOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace trawlonix {

TOutput::~TOutput() {
  Discard();
}

bool TOutput::Create(const std::string& name) {
  Discard();
  name_ = name;
  committed_ = false;
  // A new file is written in place (and removed when writing fails). A copy
  // stored by an earlier run (or anything else by that name, a link
  // included) is replaced through a file beside it that is renamed over it,
  // so that a failed or cut write never destroys it.
  temp_ = name;
  fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ >= 0 || errno != EEXIST) return fd_ >= 0;
  struct stat st {};
  if (::lstat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return false;  // the name is taken by a directory
  temp_ = name + ".trawlonix-part";
  fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ >= 0;
}

bool TOutput::Commit(std::string_view data) {
  if (fd_ < 0) return false;
  // One write for the whole document where the kernel takes it.
  bool ok = true;
  while (ok && !data.empty()) {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) data.remove_prefix(static_cast<std::size_t>(n));
  }
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  if (ok && temp_ != name_) ok = std::rename(temp_.c_str(), name_.c_str()) == 0;
  if (!ok) std::remove(temp_.c_str());
  committed_ = ok;
  return ok;
}

void TOutput::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  std::remove(temp_.c_str());
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
