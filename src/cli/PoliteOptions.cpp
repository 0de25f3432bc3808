#include "cli/PoliteOptions.h"

#include <cmath>
#include <optional>

#include "base/Text.h"
#include "cli/ConsoleHost.h"
#include "cli/cli_util.h"
#include "model/tx_types.h"
#include "polite/Limits.h"
#include "polite/ListWarnings.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

enum class Kind { Flag, Value };

struct TPoliteSpec {
  const char* longName;
  char shortName;
  Kind kind;
  bool runOnly;
};

const TPoliteSpec kSpecs[] = {
    {"ignore-robots", 0, Kind::Flag, false},  {"obey-robots", 0, Kind::Flag, false},
    {"wait", 0, Kind::Value, false},          {"random-wait", 0, Kind::Flag, false},
    {"limit-rate", 0, Kind::Value, false},    {"max-per-server", 0, Kind::Value, false},
    {"accept", 'A', Kind::Value, false},      {"reject", 'R', Kind::Value, false},
    {"accept-url", 0, Kind::Value, false},    {"reject-url", 0, Kind::Value, false},
    {"max-file-size", 0, Kind::Value, false}, {"quota", 0, Kind::Value, false},
    {"no-patterns", 0, Kind::Flag, false},    {"user-agent", 0, Kind::Value, true},
    {"load-cookies", 0, Kind::Value, true},   {"save-cookies", 0, Kind::Value, true},
};

// A name pattern without "*" or "?" is a suffix, as in other mirroring tools
// ("pdf" takes "a.pdf").
std::vector<std::string> NamePatterns(const std::string& list) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (from <= list.size()) {
    std::size_t comma = list.find(',', from);
    if (comma == std::string::npos) comma = list.size();
    std::string p(text::Trim(std::string_view(list).substr(from, comma - from)));
    if (!p.empty()) out.push_back(p.find_first_of("*?") == std::string::npos ? "*" + p : p);
    from = comma + 1;
  }
  return out;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

// Turns one option into a change of the choices; "" or an error text.
std::string Take(const std::string& name, const std::string& v, TPoliteArgs& out) {
  auto bad = [&] { return "invalid value '" + v + "' for --" + name; };
  auto& c = out.Changes;
  if (name == "ignore-robots" || name == "obey-robots") {
    const bool obey = name == "obey-robots";
    c.push_back([obey](TProjectChoices& p) { p.ObeyRobots = obey; });
  } else if (name == "wait") {
    const auto s = ParseSecondsAmount(v);
    if (!s || *s > 3600) return bad();
    c.push_back([w = *s](TProjectChoices& p) { p.WaitSeconds = w; });
  } else if (name == "random-wait") {
    c.push_back([](TProjectChoices& p) { p.RandomWait = true; });
  } else if (name == "max-per-server") {
    const auto n = ParseNumber(v, 1, 64);
    if (!n) return bad();
    c.push_back([n = static_cast<int>(*n)](TProjectChoices& p) { p.MaxPerServer = n; });
  } else if (name == "limit-rate" || name == "max-file-size" || name == "quota") {
    const auto b = ParseByteAmount(v);
    if (!b || *b <= 0) return bad();
    if (name == "limit-rate")
      c.push_back([b = *b](TProjectChoices& p) { p.LimitRate = b; });
    else if (name == "max-file-size")
      c.push_back([b = *b](TProjectChoices& p) { p.Sizes.MaxFileBytes = b; });
    else
      c.push_back([b = *b](TProjectChoices& p) { p.Sizes.MaxTotalBytes = b; });
  } else if (name == "accept" || name == "reject") {
    const auto list = NamePatterns(v);
    if (list.empty()) return bad();
    if (name == "accept")
      c.push_back([list](TProjectChoices& p) { Append(p.Patterns.AcceptName, list); });
    else
      c.push_back([list](TProjectChoices& p) { Append(p.Patterns.RejectName, list); });
  } else if (name == "accept-url" || name == "reject-url") {
    if (v.empty() || v.find('\n') != std::string::npos) return bad();
    if (name == "accept-url")
      c.push_back([v](TProjectChoices& p) { p.Patterns.AcceptUrl.push_back(v); });
    else
      c.push_back([v](TProjectChoices& p) { p.Patterns.RejectUrl.push_back(v); });
  } else if (name == "no-patterns") {
    c.push_back([](TProjectChoices& p) {
      p.Patterns = {};
      p.Sizes = {};
    });
  } else if (name == "user-agent") {
    if (v.find_first_of("\r\n") != std::string::npos) return bad();
    out.UserAgent = v;
  } else if (name == "load-cookies") {
    out.LoadCookies = v;
  } else if (name == "save-cookies") {
    out.SaveCookies = v;
  }
  return {};
}

// The option entry `arg` names and the value written into it ("--name=v", "-Av"),
// or null when it is none of ours.
const TPoliteSpec* Match(const std::string& arg, std::optional<std::string>& inlineValue) {
  for (const TPoliteSpec& s : kSpecs) {
    const std::string l = std::string("--") + s.longName;
    if (arg == l) return &s;
    if (s.kind == Kind::Value && arg.rfind(l + "=", 0) == 0) {
      inlineValue = arg.substr(l.size() + 1);
      return &s;
    }
    if (s.shortName && arg.size() >= 2 && arg[0] == '-' && arg[1] == s.shortName) {
      if (arg.size() > 2) inlineValue = arg.substr(2);
      return &s;
    }
  }
  return nullptr;
}

}  // namespace

std::string TakePoliteOptions(std::vector<std::string>& args, TPoliteArgs& out, bool runOptions) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      kept.insert(kept.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    std::optional<std::string> value;
    const TPoliteSpec* s = Match(a, value);
    if (!s) {
      kept.push_back(a);
      continue;
    }
    if (s->runOnly && !runOptions) return "--" + std::string(s->longName) + " belongs to a run";
    if (s->kind == Kind::Value && !value) {
      if (i + 1 >= args.size()) return "option '" + a + "' requires an argument";
      value = args[++i];
    }
    const std::string e = Take(s->longName, value.value_or(""), out);
    if (!e.empty()) return e;
  }
  args.swap(kept);
  return {};
}

void ApplyPoliteArgs(const TPoliteArgs& polite, TOptions& options, TConsoleRunArgs& run) {
  if (!polite.UserAgent.empty()) options.UserAgent = polite.UserAgent;
  run.LoadCookies = polite.LoadCookies;
  run.SaveCookies = polite.SaveCookies;
  if (polite.Any()) run.AdjustChoices = [polite](TProjectChoices& c) { polite.Apply(c); };
}

void WarnAboutLists(const TrawlonixDefinition& def) {
  TListUse use;
  use.Modes = {def.LimitHtDocs, def.LimitIlImages, def.LimitEmbeded, def.LimitLinked};
  use.Positive = *def.Positivlist;
  use.Negative = *def.Negativlist;
  for (const TListWarning& w : JudgeListEntries(use))
    Err(std::string(kProgram) + ": " + w.Text + "\n");
}

}  // namespace trawlonix::cli
