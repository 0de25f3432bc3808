// trawlonix-cli info: the record and crawl state stored in a project file.
#include <algorithm>
#include <string>

#include "base/Translate.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "model/SpiderList.h"
#include "model/projectfile.h"
#include "model/tx_types.h"
#include "url/urlparser.h"

namespace trawlonix::cli {

namespace {

enum { kHelp, kJson, kShowPassword };

// What info prints for a password unless --show-password is given.
const char kMaskedPassword[] = "********";

const char* const kUsage =
    "Usage: trawlonix-cli info [--json] [--show-password] PROJECT.txp\n\n"
    "Show the project settings and the crawl state stored in a project file.\n\n"
    "  --json      print one JSON object (strings are the file's bytes; bytes that\n"
    "              are not UTF-8 appear as \\u00XX)\n"
    "  --show-password  print the site password (masked otherwise)\n"
    "  -h, --help  show this help\n";

struct CrawlState {
  std::int32_t entries = 0, fetched = 0, broken = 0, pending = 0;
};

CrawlState StateOf(const TSpiderList& spider) {
  CrawlState s;
  s.entries = spider.Count();
  for (std::int32_t i = 0; i < s.entries; ++i) {
    const AGetEntry& e = spider[i];
    if (e.Fetched) ++s.fetched;
    if (e.Broken) ++s.broken;
    // What a continued run would still fetch: entries read from a file have
    // no failures, and fetched ones count as done.
    if (!e.Fetched && !e.Broken) ++s.pending;
  }
  return s;
}

std::string VersionText(std::uint16_t v) {
  return std::to_string(v >> 8) + "." + std::to_string(v & 0xFF);
}

void ListJson(JsonWriter& j, const char* key, const TStringListRef& list) {
  j.Key(key).BeginArray();
  if (list) {
    for (const auto& s : *list)
      j.String(s);
  }
  j.EndArray();
}

std::string Json(const TOpenResult& r, const TrawlonixDefinition& d, const TSpiderList& spider,
                 const TCGIRedirectList& redirects, bool showPassword) {
  JsonWriter j;
  j.BeginObject();
  j.Key("version").String(VersionText(r.version));
  j.Key("resume").Bool(r.resume);
  j.Key("StartingUrl").String(d.StartingUrl);
  j.Key("ProjectName").String(d.ProjectName.str());
  j.Key("LevelLimit").Bool(d.LevelLimit);
  j.Key("MaxLevel").Number(d.MaxLevel);
  j.Key("UsePwd").Bool(d.UsePwd);
  j.Key("Username").String(d.Username.str());
  j.Key("Password")
      .String(d.Password.empty() || showPassword ? d.Password.str() : std::string(kMaskedPassword));
  j.Key("actSaveFiles").Bool(d.actSaveFiles);
  j.Key("actEMails").Bool(d.actEMails);
  j.Key("actBLinks").Bool(d.actBLinks);
  j.Key("actCollect").Bool(d.actCollect);
  j.Key("actColOpt").Number(d.actColOpt);
  j.Key("LocalPath").String(d.LocalPath.str());
  j.Key("ChgLocLink").Bool(d.ChgLocLink);
  j.Key("ChgExtLink").Bool(d.ChgExtLink);
  j.Key("ChgJScriptLink").Bool(d.ChgJScriptLink);
  j.Key("LimitHtDocs").Number(d.LimitHtDocs);
  j.Key("LimitIlImages").Number(d.LimitIlImages);
  j.Key("LimitEmbeded").Number(d.LimitEmbeded);
  j.Key("LimitLinked").Number(d.LimitLinked);
  ListJson(j, "Positivlist", d.Positivlist);
  ListJson(j, "Negativlist", d.Negativlist);
  ListJson(j, "HTMLRenList", d.HTMLRenList);
  j.Key("OnlyRenameSkriptURL").Bool(d.OnlyRenameSkriptURL);
  j.Key("StrictUrl").Bool(d.StrictUrl);
  j.Key("spider").BeginArray();
  for (std::int32_t i = 0; i < spider.Count(); ++i) {
    const AGetEntry& e = spider[i];
    j.BeginObject();
    j.Key("url").String(ComposeURL(e.URL));
    j.Key("Fetched").Bool(e.Fetched);
    j.Key("Level").Number(e.Level);
    j.Key("Broken").Bool(e.Broken);
    j.Key("Referrer").Number(e.Referrer);
    j.EndObject();
  }
  j.EndArray();
  j.Key("redirects").BeginArray();
  for (std::int32_t i = 0; i < redirects.Count(); ++i) {
    j.BeginObject();
    j.Key("url").String(ComposeURL(redirects[i]));
    j.Key("Number").Number(redirects[i].Number);
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  return j.str();
}

std::string Line(const char* label, std::string_view value) {
  std::string s = label;
  s += ":";
  s.resize(std::max<std::size_t>(s.size() + 1, 22), ' ');
  return s + std::string(value) + "\n";
}

std::string YesNo(bool b) {
  return b ? "yes" : "no";
}

std::string ListText(const TStringListRef& list) {
  if (!list || list->empty()) return "(empty)";
  std::string s;
  for (const auto& e : *list)
    s += (s.empty() ? "" : " ") + e;
  return s;
}

std::string Text(const std::string& file, const TOpenResult& r, const TrawlonixDefinition& d,
                 const TSpiderList& spider, const TCGIRedirectList& redirects, bool showPassword) {
  const CrawlState st = StateOf(spider);
  std::string s;
  s += Line("Project file", file + " (version " + VersionText(r.version) + ")");
  s += Line("StartingUrl", d.StartingUrl);
  s += Line("ProjectName", d.ProjectName.str());
  s += Line("LevelLimit", YesNo(d.LevelLimit) + ", MaxLevel " + std::to_string(d.MaxLevel));
  s += Line("UsePwd", YesNo(d.UsePwd));
  s += Line("Username", d.Username.str());
  s += Line("Password", d.Password.empty() || showPassword ? d.Password.str() : kMaskedPassword);
  s += Line("actSaveFiles", YesNo(d.actSaveFiles));
  s += Line("actEMails", YesNo(d.actEMails));
  s += Line("actBLinks", YesNo(d.actBLinks));
  s += Line("actCollect", YesNo(d.actCollect) + ", actColOpt " + std::to_string(d.actColOpt));
  s += Line("LocalPath", d.LocalPath.str());
  s += Line("ChgLocLink", YesNo(d.ChgLocLink));
  s += Line("ChgExtLink", YesNo(d.ChgExtLink));
  s += Line("ChgJScriptLink", YesNo(d.ChgJScriptLink));
  s += Line("Limits", "LimitHtDocs " + std::to_string(d.LimitHtDocs) + ", LimitIlImages " +
                          std::to_string(d.LimitIlImages) + ", LimitEmbeded " +
                          std::to_string(d.LimitEmbeded) + ", LimitLinked " +
                          std::to_string(d.LimitLinked));
  s += Line("Positivlist", ListText(d.Positivlist));
  s += Line("Negativlist", ListText(d.Negativlist));
  s += Line("HTMLRenList", ListText(d.HTMLRenList));
  s += Line("OnlyRenameSkriptURL", YesNo(d.OnlyRenameSkriptURL));
  s += Line("StrictUrl", YesNo(d.StrictUrl));
  s += Line("Spider list", std::to_string(st.entries) + " entries, " + std::to_string(st.fetched) +
                               " fetched, " + std::to_string(st.broken) + " broken, " +
                               std::to_string(st.pending) + " pending");
  s += Line("Redirect list", std::to_string(redirects.Count()) + " entries");
  s += Line("Resume", YesNo(r.resume));
  // The model's resume note speaks of the window's Start button; here the
  // command that resumes is named instead.
  if (r.resume) {
    s += MessageLines(translate("Cli",
                                "方案中包含有再继续的信息。用 \"trawlonix-cli run --continue\" "
                                "可以再继续被中断了的过程。")) +
         "\n";
  }
  return s;
}

}  // namespace

int RunInfo(const Args& args) {
  const ParsedArgs p = ParseOptions(args, {{"help", 'h', false, kHelp},
                                           {"json", 0, false, kJson},
                                           {"show-password", 0, false, kShowPassword}});
  if (!p.error.empty()) return UsageError("info", p.error);
  bool json = false;
  bool showPassword = false;
  for (const auto& o : p.options) {
    if (o.id == kHelp) {
      Out(kUsage);
      return kExitOk;
    }
    json = json || o.id == kJson;
    showPassword = showPassword || o.id == kShowPassword;
  }
  if (p.positionals.size() != 1) {
    return UsageError("info",
                      p.positionals.empty() ? "missing project file" : "too many arguments");
  }
  const std::string& file = p.positionals.front();
  TrawlonixDefinition def;
  TSpiderList spider;
  TCGIRedirectList redirects;
  const TOpenResult r = OpenProject(file, def, spider, redirects);
  if (!r.ok) {
    Err(MessageLines(r.message) + "\n");
    return kExitFailure;
  }
  Out(json ? Json(r, def, spider, redirects, showPassword)
           : Text(file, r, def, spider, redirects, showPassword));
  return kExitOk;
}

}  // namespace trawlonix::cli
