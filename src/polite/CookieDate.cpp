// Cookie dates are read the forgiving way browsers read them: the text is cut
// into tokens at delimiters, and the first token that looks like a time, a
// day, a month name and a year fills each field, whatever the order.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "polite/AsciiText.h"
#include "polite/CookieJar.h"

namespace trawlonix {

namespace {

bool IsDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) ||
         (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

// 1 to maxDigits digits at `pos`, followed by the end or a non-digit.
std::optional<int> Digits(std::string_view t, std::size_t& pos, std::size_t minDigits,
                          std::size_t maxDigits) {
  std::size_t n = 0;
  int v = 0;
  while (pos + n < t.size() && ascii::IsDigit(t[pos + n]) && n < maxDigits)
    v = v * 10 + (t[pos + n++] - '0');
  if (n < minDigits || (pos + n < t.size() && ascii::IsDigit(t[pos + n]))) return std::nullopt;
  pos += n;
  return v;
}

bool ParseTime(std::string_view t, int& h, int& m, int& s) {
  std::size_t pos = 0;
  const auto hh = Digits(t, pos, 1, 2);
  if (!hh || pos >= t.size() || t[pos++] != ':') return false;
  const auto mm = Digits(t, pos, 1, 2);
  if (!mm || pos >= t.size() || t[pos++] != ':') return false;
  const auto ss = Digits(t, pos, 1, 2);
  if (!ss) return false;
  h = *hh, m = *mm, s = *ss;
  return true;
}

int MonthOf(std::string_view t) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  if (t.size() < 3) return 0;
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (ascii::EqualNoCase(t.substr(0, 3), kMonths[i])) return static_cast<int>(i) + 1;
  return 0;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return (m == 2 && leap) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<std::int64_t> ParseCookieDate(std::string_view text) {
  int h = -1, mi = 0, s = 0, day = -1, month = 0, year = -1;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsDelimiter(static_cast<unsigned char>(text[i])))
      ++i;
    std::size_t end = i;
    while (end < text.size() && !IsDelimiter(static_cast<unsigned char>(text[end])))
      ++end;
    const std::string_view token = text.substr(i, end - i);
    i = end;
    if (token.empty()) continue;
    if (h < 0 && ParseTime(token, h, mi, s)) continue;
    std::size_t dayPos = 0, yearPos = 0;
    if (day < 0) {
      if (const auto d = Digits(token, dayPos, 1, 2)) {
        day = *d;
        continue;
      }
    }
    if (month == 0 && (month = MonthOf(token)) != 0) continue;
    if (year < 0) {
      if (const auto y = Digits(token, yearPos, 2, 4)) year = *y;
    }
  }
  if (h < 0 || day < 0 || month == 0 || year < 0) return std::nullopt;
  if (year >= 70 && year <= 99) year += 1900;
  if (year >= 0 && year <= 69) year += 2000;
  if (year < 1601 || h > 23 || mi > 59 || s > 59 || day < 1 || day > DaysInMonth(year, month))
    return std::nullopt;
  return DaysFromCivil(year, month, day) * 86400 + h * 3600 + mi * 60 + s;
}

}  // namespace trawlonix
