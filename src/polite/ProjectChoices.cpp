#include "polite/ProjectChoices.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace trawlonix {
namespace {

constexpr const char* kRobots = "robots";
constexpr const char* kWait = "wait";
constexpr const char* kRandomWait = "random-wait";
constexpr const char* kLimitRate = "limit-rate";
constexpr const char* kMaxPerServer = "max-per-server";
constexpr const char* kAcceptUrl = "accept-url";
constexpr const char* kRejectUrl = "reject-url";
constexpr const char* kAcceptName = "accept-name";
constexpr const char* kRejectName = "reject-name";
constexpr const char* kMaxFileSize = "max-file-size";
constexpr const char* kQuota = "quota";

std::string JoinLines(const std::vector<std::string>& list) {
  std::string out;
  for (const auto& item : list) {
    if (!out.empty()) out += '\n';
    out += item;
  }
  return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out.push_back(line);
  return out;
}

template <typename T>
void ReadNumber(const TExtras& extras, const char* key, T& value) {
  auto it = extras.find(key);
  if (it == extras.end()) return;
  const std::string& s = it->second;
  T parsed{};
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
  if (ec == std::errc() && end == s.data() + s.size() && parsed >= 0) value = parsed;
}

void ReadBool(const TExtras& extras, const char* key, bool& value) {
  auto it = extras.find(key);
  if (it != extras.end() && (it->second == "0" || it->second == "1")) value = it->second == "1";
}

void ReadList(const TExtras& extras, const char* key, std::vector<std::string>& list) {
  auto it = extras.find(key);
  if (it != extras.end()) list = SplitLines(it->second);
}

std::string FormatSeconds(double seconds) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, seconds);
  return ec == std::errc() ? std::string(buffer, end) : "0";
}

}  // namespace

void StoreChoices(const TProjectChoices& c, TExtras& extras) {
  extras[kRobots] = c.ObeyRobots ? "1" : "0";
  extras[kWait] = FormatSeconds(c.WaitSeconds);
  extras[kRandomWait] = c.RandomWait ? "1" : "0";
  extras[kLimitRate] = std::to_string(c.LimitRate);
  extras[kMaxPerServer] = std::to_string(c.MaxPerServer);
  extras[kAcceptUrl] = JoinLines(c.Patterns.AcceptUrl);
  extras[kRejectUrl] = JoinLines(c.Patterns.RejectUrl);
  extras[kAcceptName] = JoinLines(c.Patterns.AcceptName);
  extras[kRejectName] = JoinLines(c.Patterns.RejectName);
  extras[kMaxFileSize] = std::to_string(c.Sizes.MaxFileBytes);
  extras[kQuota] = std::to_string(c.Sizes.MaxTotalBytes);
}

TProjectChoices LoadChoices(const TExtras& extras) {
  TProjectChoices c;
  ReadBool(extras, kRobots, c.ObeyRobots);
  ReadNumber(extras, kWait, c.WaitSeconds);
  ReadBool(extras, kRandomWait, c.RandomWait);
  ReadNumber(extras, kLimitRate, c.LimitRate);
  ReadNumber(extras, kMaxPerServer, c.MaxPerServer);
  ReadList(extras, kAcceptUrl, c.Patterns.AcceptUrl);
  ReadList(extras, kRejectUrl, c.Patterns.RejectUrl);
  ReadList(extras, kAcceptName, c.Patterns.AcceptName);
  ReadList(extras, kRejectName, c.Patterns.RejectName);
  ReadNumber(extras, kMaxFileSize, c.Sizes.MaxFileBytes);
  ReadNumber(extras, kQuota, c.Sizes.MaxTotalBytes);
  return c;
}

}  // namespace trawlonix
