#include "engine/LogFile.h"

namespace trawlonix {

bool TLogFile::Create(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void TLogFile::WriteLine(const std::string& line) {
  if (!file_) return;
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
}

void TLogFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace trawlonix
