#include "polite/Limits.h"

#include <cmath>

#include "polite/AsciiText.h"

namespace trawlonix {

namespace {

// "12", "1.5", ".5" at the start of `text`; advances `pos` past it.
std::optional<double> ReadNumber(std::string_view text, std::size_t& pos) {
  double value = 0, scale = 0;
  bool digits = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (ascii::IsDigit(c)) {
      digits = true;
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10;
      }
    } else if (c == '.' && scale == 0) {
      scale = 0.1;
    } else {
      break;
    }
  }
  if (!digits || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::int64_t> ParseByteAmount(std::string_view text) {
  text = ascii::Trim(text);
  std::size_t pos = 0;
  const auto number = ReadNumber(text, pos);
  if (!number) return std::nullopt;
  std::string_view unit = ascii::Trim(text.substr(pos));
  double factor = 1;
  if (!unit.empty()) {
    const char u = ascii::Lower(unit.front());
    const std::string_view units = "kmgt";
    const std::size_t index = units.find(u);
    if (index != std::string_view::npos) {
      factor = std::pow(1024.0, static_cast<double>(index + 1));
      unit.remove_prefix(1);
    }
    if (unit == "b" || unit == "B") unit.remove_prefix(1);
    if (!unit.empty()) return std::nullopt;
  }
  const double bytes = std::floor(*number * factor);
  if (!(bytes < 9.2e18)) return std::nullopt;
  return static_cast<std::int64_t>(bytes);
}

std::optional<double> ParseSecondsAmount(std::string_view text) {
  text = ascii::Trim(text);
  std::size_t pos = 0;
  const auto number = ReadNumber(text, pos);
  if (!number) return std::nullopt;
  const std::string_view unit = ascii::Trim(text.substr(pos));
  if (unit.empty() || unit == "s") return *number;
  if (unit == "m") return *number * 60;
  if (unit == "h") return *number * 3600;
  if (unit == "d") return *number * 86400;
  return std::nullopt;
}

TSizeVerdict JudgeBeforeFetch(const TSizeLimits& limits, std::int64_t runBytes) {
  return (limits.MaxTotalBytes > 0 && runBytes >= limits.MaxTotalBytes) ? TSizeVerdict::QuotaReached
                                                                        : TSizeVerdict::Fits;
}

TSizeVerdict JudgeWhileFetching(const TSizeLimits& limits, std::optional<std::int64_t> announced,
                                std::int64_t receivedSoFar) {
  if (limits.MaxFileBytes <= 0) return TSizeVerdict::Fits;
  if ((announced && *announced > limits.MaxFileBytes) || receivedSoFar > limits.MaxFileBytes)
    return TSizeVerdict::FileTooBig;
  return TSizeVerdict::Fits;
}

}  // namespace trawlonix
