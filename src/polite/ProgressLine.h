// The progress line of the command-line tool: files done of files queued,
// bytes, files per second, elapsed time and percentage, fitted to the width
// of the terminal. Pure functions; the console host measures the terminal,
// draws the line and clears it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Translate.h"

namespace trawlonix {

// The texts of the progress line (printf formats, one per field).
inline constexpr const char* kProgressFilesText = QT_TRANSLATE_NOOP("Cli", "已完成 %lld/%lld 文件");
inline constexpr const char* kProgressRateText = QT_TRANSLATE_NOOP("Cli", "%s 文件/秒");
inline constexpr const char* kProgressSeparator = " · ";

struct TProgressFigures {
  std::int64_t FilesDone = 0;
  std::int64_t FilesQueued = 0;  // every file known so far, done ones included
  std::int64_t Bytes = 0;
  double ElapsedSeconds = 0;
  bool Finished = false;
};

// "0 B", "512 B", "1.2 KB", "35 MB", "1.0 GB" (binary units, three digits at most).
std::string FormatByteSize(std::int64_t bytes);

// "0:03", "12:05", "1:02:03" (whole seconds, rounded down).
std::string FormatElapsed(double seconds);

// Percentage done: 100 only once the run has finished (a run that is still
// going never shows 100, whatever the counts say).
int ProgressPercent(const TProgressFigures& figures);

// Columns a UTF-8 text takes on a terminal, counted so as never to come out
// short: ASCII takes one column, every other character two (CJK characters
// do; ambiguous ones such as "·" may, depending on the terminal).
std::size_t TerminalColumns(std::string_view utf8);

// The progress line, at most `width` columns wide, e.g.
// "已完成 12/40 文件 · 1.2 MB · 35 文件/秒 · 0:03 · 30%". When it does not
// fit, the rate goes first, then the elapsed time, the bytes and the
// percentage; the file counts stay longest. Callers pass the terminal's
// columns minus one, so the cursor never wraps onto a new line.
std::string FormatProgressLine(const TProgressFigures& figures, std::size_t width);

}  // namespace trawlonix
