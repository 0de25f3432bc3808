#include "cli/PoliteRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>

#include "base/Translate.h"
#include "cli/ConsoleHost.h"
#include "polite/CookieJar.h"

namespace trawlonix {

namespace {

const char kCookiesNotRead[] = QT_TRANSLATE_NOOP("Cli", "Cookie 文件 %1 不能被读取。");
const char kCookiesNotWritten[] = QT_TRANSLATE_NOOP("Cli", "Cookie 文件 %1 不能被写入。");
const char kCauseQuota[] =
    QT_TRANSLATE_NOOP("Cli", "运行因为达到下载限额而结束: 没有请求新的文件。");

// Cookie files are small; a bigger one is not a cookies.txt.
constexpr std::streamsize kCookieFileMax = 16 * 1024 * 1024;

void Complain(const char* text, const std::string& file) {
  std::fprintf(stderr, "trawlonix-cli: %s\n", TrArgs(TrText("Cli", text), {file}).c_str());
}

}  // namespace

bool PreparePoliteRun(const TConsoleRunArgs& args, TConsoleHost& host, TRunControl& control) {
  TProjectChoices choices = LoadChoices(host.Results.Extras);
  if (args.AdjustChoices) {
    args.AdjustChoices(choices);
    StoreChoices(choices, host.Results.Extras);
  }
  control.Polite.Choices = choices;
  auto jar = std::make_shared<TCookieJar>();
  if (!args.LoadCookies.empty()) {
    std::ifstream in(args.LoadCookies, std::ios::binary);
    std::string text;
    if (in) {
      text.resize(static_cast<std::size_t>(kCookieFileMax) + 1);
      in.read(text.data(), kCookieFileMax + 1);
      text.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (!in.is_open() || in.bad() || text.size() > static_cast<std::size_t>(kCookieFileMax)) {
      Complain(kCookiesNotRead, args.LoadCookies);
      return false;
    }
    jar->LoadNetscape(text, static_cast<std::int64_t>(std::time(nullptr)));
  }
  control.Polite.Cookies = jar;
  return true;
}

bool FinishPoliteRun(const TConsoleRunArgs& args, const TRunControl& control) {
  if (args.SaveCookies.empty() || !control.Polite.Cookies) return true;
  const std::string text =
      control.Polite.Cookies->SaveNetscape(static_cast<std::int64_t>(std::time(nullptr)), true);
  // Cookies may hold a login: readable by their owner only.
  const int fd = ::open(args.SaveCookies.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  std::FILE* f = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
  if (fd >= 0 && !f) ::close(fd);
  bool ok = f != nullptr;
  if (f) {
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
  }
  if (!ok) Complain(kCookiesNotWritten, args.SaveCookies);
  return ok;
}

int WithLimitExit(int exitCode, const TRunControl::Outcome& outcome) {
  return exitCode == 0 && outcome.QuotaReached ? kExitLimitReached : exitCode;
}

std::string LimitCauseLine(int exitCode) {
  return exitCode == kExitLimitReached ? TrText("Cli", kCauseQuota) : std::string();
}

}  // namespace trawlonix
