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
#include "polite/ProgressLine.h"
#include "url/urlparser.h"

namespace trawlonix::cli {

namespace {

enum { kHelp, kJson, kShowPassword };

// What info prints for a password unless --show-password is given.
const char kMaskedPassword[] = "********";

const char kUsage[] =
    QT_TRANSLATE_NOOP("Cli",
                      "用法: trawlonix-cli info [--json] [--show-password] 方案.txp\n"
                      "\n"
                      "显示方案文件中保存的方案设置和爬行状态。\n"
                      "\n"
                      "  --json      显示一个 JSON 对象 (字符串是文件中的字节；不是 UTF-8 的字节\n"
                      "              显示为 \\u00XX)\n"
                      "  --show-password  显示网站密码 (否则被遮盖)\n"
                      "  -h, --help  显示本帮助\n");

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

// One "label: value" line, the values lined up (labels counted in columns).
std::string Line(const std::string& label, std::string_view value) {
  std::string s = label + ":";
  s.append(std::max<std::size_t>(22, TerminalColumns(s) + 1) - TerminalColumns(s), ' ');
  return s + std::string(value) + "\n";
}

std::string YesNo(bool b) {
  return b ? translate("Cli", "是") : translate("Cli", "否");
}

std::string ListText(const TStringListRef& list) {
  if (!list || list->empty()) return translate("Cli", "(空)");
  std::string s;
  for (const auto& e : *list)
    s += (s.empty() ? "" : " ") + e;
  return s;
}

std::string Num(long long n) {
  return std::to_string(n);
}

std::string Text(const std::string& file, const TOpenResult& r, const TrawlonixDefinition& d,
                 const TSpiderList& spider, const TCGIRedirectList& redirects, bool showPassword) {
  const CrawlState st = StateOf(spider);
  std::string s;
  s += Line(translate("Cli", "方案文件"),
            TrArgs(translate("Cli", "%1 (版本 %2)"), {file, VersionText(r.version)}));
  s += Line(translate("Cli", "起始 URL"), d.StartingUrl);
  s += Line(translate("Cli", "方案名称"), d.ProjectName.str());
  s += Line(translate("Cli", "层数限制"),
            TrArgs(translate("Cli", "%1，最大层数 %2"), {YesNo(d.LevelLimit), Num(d.MaxLevel)}));
  s += Line(translate("Cli", "使用密码"), YesNo(d.UsePwd));
  s += Line(translate("Cli", "用户名"), d.Username.str());
  s += Line(translate("Cli", "密码"),
            d.Password.empty() || showPassword ? d.Password.str() : kMaskedPassword);
  s += Line(translate("Cli", "保存文件"), YesNo(d.actSaveFiles));
  s += Line(translate("Cli", "收集电邮地址"), YesNo(d.actEMails));
  s += Line(translate("Cli", "列出错误链接"), YesNo(d.actBLinks));
  s += Line(translate("Cli", "收集链接"),
            TrArgs(translate("Cli", "%1，选项 %2"), {YesNo(d.actCollect), Num(d.actColOpt)}));
  s += Line(translate("Cli", "本地目录"), d.LocalPath.str());
  s += Line(translate("Cli", "改写本地链接"), YesNo(d.ChgLocLink));
  s += Line(translate("Cli", "改写外部链接"), YesNo(d.ChgExtLink));
  s += Line(translate("Cli", "改写 JavaScript 中的链接"), YesNo(d.ChgJScriptLink));
  s += Line(
      translate("Cli", "限制"),
      TrArgs(translate("Cli", "超文本文档 %1，内嵌图像 %2，嵌入的对象 %3，其他引用 %4"),
             {Num(d.LimitHtDocs), Num(d.LimitIlImages), Num(d.LimitEmbeded), Num(d.LimitLinked)}));
  s += Line(translate("Cli", "肯定列表"), ListText(d.Positivlist));
  s += Line(translate("Cli", "否定列表"), ListText(d.Negativlist));
  s += Line(translate("Cli", "重命名的扩展名"), ListText(d.HTMLRenList));
  s += Line(translate("Cli", "只重命名脚本调用"), YesNo(d.OnlyRenameSkriptURL));
  s += Line(translate("Cli", "严格 URL"), YesNo(d.StrictUrl));
  s += Line(translate("Cli", "爬行列表"),
            TrArgs(translate("Cli", "%1 个条目，%2 个已获取，%3 个错误，%4 个等待"),
                   {Num(st.entries), Num(st.fetched), Num(st.broken), Num(st.pending)}));
  s += Line(translate("Cli", "重定向列表"),
            TrArgs(translate("Cli", "%1 个条目"), {Num(redirects.Count())}));
  s += Line(translate("Cli", "可继续"), YesNo(r.resume));
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
      Out(TrText("Cli", kUsage));
      return kExitOk;
    }
    json = json || o.id == kJson;
    showPassword = showPassword || o.id == kShowPassword;
  }
  if (p.positionals.size() != 1) {
    return UsageError("info", p.positionals.empty() ? MissingProjectFile() : TooManyArguments());
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
