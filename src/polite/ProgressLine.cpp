#include "polite/ProgressLine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "base/Translate.h"

namespace trawlonix {

namespace {

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char buf[128];
  const int n = std::snprintf(buf, sizeof buf, format, args...);
  return std::string(buf, static_cast<std::size_t>(std::clamp(n, 0, int(sizeof buf) - 1)));
}

// Cuts `text` to at most `width` columns, at a character boundary.
std::string CutToColumns(std::string_view text, std::size_t width) {
  std::size_t used = 0, i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    len = std::min(len, text.size() - i);
    const std::size_t cols = c < 0x80 ? 1 : 2;
    if (used + cols > width) break;
    used += cols;
    i += len;
  }
  return std::string(text.substr(0, i));
}

}  // namespace

std::string FormatByteSize(std::int64_t bytes) {
  static constexpr std::array<const char*, 7> kUnits = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
  if (bytes < 1024)
    return Printf("%lld B", static_cast<long long>(std::max<std::int64_t>(bytes, 0)));
  double v = static_cast<double>(bytes);
  std::size_t unit = 0;
  while (v >= 1023.5 && unit + 1 < kUnits.size()) {
    v /= 1024;
    ++unit;
  }
  return v < 9.95 ? Printf("%.1f %s", v, kUnits[unit]) : Printf("%.0f %s", v, kUnits[unit]);
}

std::string FormatElapsed(double seconds) {
  const long long s = (std::isfinite(seconds) && seconds > 0) ? static_cast<long long>(seconds) : 0;
  if (s >= 3600) return Printf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return Printf("%lld:%02lld", s / 60, s % 60);
}

int ProgressPercent(const TProgressFigures& f) {
  if (f.Finished) return 100;
  if (f.FilesQueued <= 0 || f.FilesDone <= 0) return 0;
  const double p = 100.0 * static_cast<double>(f.FilesDone) / static_cast<double>(f.FilesQueued);
  return std::clamp(static_cast<int>(p), 0, 99);
}

std::size_t TerminalColumns(std::string_view utf8) {
  std::size_t cols = 0;
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      ++cols;
    } else if (c >= 0xC0) {
      cols += 2;  // a lead byte starts one character; continuation bytes add nothing
    }
  }
  return cols;
}

std::string FormatProgressLine(const TProgressFigures& f, std::size_t width) {
  enum { kFiles, kBytes, kRate, kElapsed, kPercent, kFieldCount };
  std::array<std::string, kFieldCount> fields;
  fields[kFiles] =
      Printf(TrText("Cli", kProgressFilesText).c_str(), static_cast<long long>(f.FilesDone),
             static_cast<long long>(f.FilesQueued));
  fields[kBytes] = FormatByteSize(f.Bytes);
  if (f.ElapsedSeconds >= 1 && std::isfinite(f.ElapsedSeconds)) {
    const double rate = static_cast<double>(f.FilesDone) / f.ElapsedSeconds;
    fields[kRate] = Printf(TrText("Cli", kProgressRateText).c_str(),
                           Printf(rate < 9.95 ? "%.1f" : "%.0f", rate).c_str());
  }
  fields[kElapsed] = FormatElapsed(f.ElapsedSeconds);
  fields[kPercent] = Printf("%d%%", ProgressPercent(f));
  // Least important first.
  static constexpr std::array<int, 4> kDropOrder = {kRate, kElapsed, kBytes, kPercent};
  for (std::size_t dropped = 0;; ++dropped) {
    std::string line;
    for (const std::string& field : fields) {
      if (field.empty()) continue;
      if (!line.empty()) line += kProgressSeparator;
      line += field;
    }
    if (TerminalColumns(line) <= width) return line;
    if (dropped == kDropOrder.size()) break;
    fields[static_cast<std::size_t>(kDropOrder[dropped])].clear();
  }
  // Not even the counts fit: the bare numbers, cut if need be.
  return CutToColumns(Printf("%lld/%lld", static_cast<long long>(f.FilesDone),
                             static_cast<long long>(f.FilesQueued)),
                      width);
}

}  // namespace trawlonix
