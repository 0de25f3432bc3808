#include "engine/LogFile.h"

#include "base/Translate.h"

namespace trawlonix {

bool TLogFile::Create(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

bool TLogFile::Append(const std::string& path, const std::string& startTime) {
  Close();
  file_ = std::fopen(path.c_str(), "ab");
  if (!file_) return false;
  if (std::ftell(file_) > 0) WriteLine(SeparatorLine(startTime));
  return true;
}

std::string TLogFile::SeparatorLine(const std::string& startTime) {
  // One sentence with its time in place, for a later translation pass.
  return TrArgs(translate("Engine", "========== 运行开始于 %1 =========="),
                {startTime.substr(0, 100)});
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
