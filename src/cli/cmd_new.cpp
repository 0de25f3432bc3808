// trawlonix-cli new: a project file from a start URL and options, checked as
// the new-project wizard checks its pages.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/Text.h"
#include "base/Translate.h"
#include "cli/PoliteOptions.h"
#include "cli/cli_util.h"
#include "cli/commands.h"
#include "model/ProjectSetup.h"
#include "model/SpiderList.h"
#include "model/projectfile.h"
#include "model/sidecar.h"
#include "model/tx_types.h"
#include "settings/Settings.h"

namespace trawlonix::cli {

namespace {

const char kPasswordPrompt[] = QT_TRANSLATE_NOOP("Cli", "密码: ");
const char kPasswordNotRead[] = QT_TRANSLATE_NOOP("Cli", "没有读到密码。");

// Reads one line from the terminal (standard input when there is none)
// with echo off; nullopt when nothing could be read.
std::optional<std::string> AskPassword(const char* prompt) {
  int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  const bool own = fd >= 0;
  if (!own) fd = 0;
  termios saved{};
  const bool tty = ::tcgetattr(fd, &saved) == 0;
  if (tty) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  Err(prompt);
  std::string line;
  char c = 0;
  bool any = false;
  while (::read(fd, &c, 1) == 1) {
    any = true;
    if (c == '\n') break;
    line += c;
  }
  if (tty) ::tcsetattr(fd, TCSAFLUSH, &saved);
  Err("\n");
  if (own) ::close(fd);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (!any) return std::nullopt;
  return line;
}

enum {
  kHelp,
  kDir,
  kName,
  kOutput,
  kForce,
  kLevelLimit,
  kNoLevelLimit,
  kMaxLevel,
  kLimitHtDocs,
  kLimitImages,
  kLimitEmbedded,
  kLimitLinked,
  kPositive,
  kNegative,
  kSaveFiles,
  kNoSaveFiles,
  kEmails,
  kNoEmails,
  kBrokenLinks,
  kNoBrokenLinks,
  kCollect,
  kNoCollect,
  kRewriteLocal,
  kNoRewriteLocal,
  kRewriteExternal,
  kNoRewriteExternal,
  kRewriteScripts,
  kNoRewriteScripts,
  kUser,
  kPassword,
  kAskPassword,
  kStrictUrl,
  kNoStrictUrl,
  kRenameExt,
  kNoRenameExt,
  kRenameAlways,
  kRenameScriptsOnly,
};

const std::vector<OptionSpec> kSpecs = {
    {"help", 'h', false, kHelp},
    {"dir", 'd', true, kDir},
    {"name", 'n', true, kName},
    {"output", 'o', true, kOutput},
    {"force", 'f', false, kForce},
    {"level-limit", 'l', true, kLevelLimit},
    {"no-level-limit", 0, false, kNoLevelLimit},
    {"max-level", 0, true, kMaxLevel},
    {"limit-htdocs", 0, true, kLimitHtDocs},
    {"limit-images", 0, true, kLimitImages},
    {"limit-embedded", 0, true, kLimitEmbedded},
    {"limit-linked", 0, true, kLimitLinked},
    {"positive", 'p', true, kPositive},
    {"negative", 'x', true, kNegative},
    {"save-files", 0, false, kSaveFiles},
    {"no-save-files", 0, false, kNoSaveFiles},
    {"emails", 0, false, kEmails},
    {"no-emails", 0, false, kNoEmails},
    {"broken-links", 0, false, kBrokenLinks},
    {"no-broken-links", 0, false, kNoBrokenLinks},
    {"collect", 0, true, kCollect},
    {"no-collect", 0, false, kNoCollect},
    {"rewrite-local", 0, false, kRewriteLocal},
    {"no-rewrite-local", 0, false, kNoRewriteLocal},
    {"rewrite-external", 0, false, kRewriteExternal},
    {"no-rewrite-external", 0, false, kNoRewriteExternal},
    {"rewrite-scripts", 0, false, kRewriteScripts},
    {"no-rewrite-scripts", 0, false, kNoRewriteScripts},
    {"user", 'u', true, kUser},
    {"password", 0, true, kPassword},
    {"ask-password", 0, false, kAskPassword},
    {"strict-url", 0, false, kStrictUrl},
    {"no-strict-url", 0, false, kNoStrictUrl},
    {"rename-ext", 0, true, kRenameExt},
    {"no-rename-ext", 0, false, kNoRenameExt},
    {"rename-always", 0, false, kRenameAlways},
    {"rename-scripts-only", 0, false, kRenameScriptsOnly},
};

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Cli",
    "用法: trawlonix-cli new URL [--dir 目录] [--name 名称] [选项] -o 方案.txp\n"
    "\n"
    "为起始 URL 创建一个方案文件。URL 和选项像新方案向导那样被检查；向导的信息\n"
    "照原样显示。\n"
    "\n"
    "  -o, --output 文件          要写入的方案文件 (必需)\n"
    "  -f, --force                文件已存在时替换它\n"
    "  -d, --dir 目录             镜像的本地目录 (默认: 设置 DefaultLocalPath)；\n"
    "                             必须已存在\n"
    "  -n, --name 名称            方案名称 (默认: 根据主机名建议)\n"
    "  -u, --user 用户            网站的用户名 (打开 UsePwd)\n"
    "      --password 密码        网站的密码 (打开 UsePwd)；没有它时，如果设置了\n"
    "                             环境变量 TRAWLONIX_PASSWORD，就取它的值\n"
    "      --ask-password         在终端上询问密码 (不回显)\n"
    "\n"
    "动作:\n"
    "      --[no-]save-files      保存获取的文件 (默认: 打开)\n"
    "      --[no-]emails          收集电邮地址 (默认: 打开)\n"
    "      --[no-]broken-links    列出错误链接 (默认: 打开)\n"
    "      --collect 哪些         收集链接: other-servers, unprocessed 或 all\n"
    "                             (或 0..2)；--no-collect 关闭它 (默认)\n"
    "\n"
    "保存的文件中的链接:\n"
    "      --[no-]rewrite-local     指向已获取页面的绝对链接改为相对链接 (打开)\n"
    "      --[no-]rewrite-scripts   JavaScript 中也改 (打开；不保存在文件中)\n"
    "      --[no-]rewrite-external  指向没有获取的页面的链接改为绝对链接 (打开)\n"
    "\n"
    "限制 (MODE 是数字 0..8 或名称):\n"
    "  -l, --level-limit N        把链接深度限制为 N 层 (0..30)；\n"
    "                             --no-level-limit 关闭它 (默认)\n"
    "      --max-level N          设置层数限制但不打开它 (默认 5)\n"
    "      --limit-htdocs MODE    超文本文档 (默认: start-dir-and-below；\n"
    "                             这里不允许 'never')\n"
    "      --limit-images MODE    内嵌图像 (默认: this-server)\n"
    "      --limit-embedded MODE  嵌入的对象 (默认: this-server)\n"
    "      --limit-linked MODE    其他引用 (默认: this-server)\n"
    "  -p, --positive 前缀        把一个 URL 前缀加入肯定列表 (可重复)\n"
    "  -x, --negative 前缀        把一个 URL 前缀加入否定列表 (可重复)\n"
    "    模式: 0 start-dir, 1 start-dir-and-below, 2 this-server, 3 positive-list,\n"
    "          4 not-negative-list, 5 this-server-not-negative,\n"
    "          6 positive-not-negative, 7 unlimited, 8 never\n"
    "\n"
    "文件名:\n"
    "      --[no-]strict-url      最后一个不含点的路径段是文件，保存时加上\n"
    "                             \".html\" (默认)；用 --no-strict-url 时是缺少\n"
    "                             斜杠的目录\n"
    "      --rename-ext 扩展名    给有这个扩展名的文件加上 \".html\"\n"
    "                             (可重复；替换默认列表 \"dll\")\n"
    "      --no-rename-ext        清空列表\n"
    "      --rename-always        URL 中没有 \"?\" 时也重命名\n"
    "      --rename-scripts-only  只重命名脚本调用 (默认)\n"
    "\n"
    "  -h, --help                 显示本帮助\n");

const char* const kModeNames[] = {"start-dir",
                                  "start-dir-and-below",
                                  "this-server",
                                  "positive-list",
                                  "not-negative-list",
                                  "this-server-not-negative",
                                  "positive-not-negative",
                                  "unlimited",
                                  "never"};
const char* const kModeEnumNames[] = {
    "lmStartDirOnly",        "lmStartDirAndBelow",  "lmThisServer",
    "lmPositiveListOnly",    "lmNotInNegativeList", "lmThisServerNotNegative",
    "lmPositiveNotNegative", "lmUnlimited",         "lmNeverDownload"};
const char* const kCollectNames[] = {"other-servers", "unprocessed", "all"};
const char* const kCollectEnumNames[] = {"coLinksToOtherServers", "coUnprocessedLinks",
                                         "coAllLinks"};

using text::Lower;

// A number in [0, count) or one of the names (case-insensitive).
std::optional<int> Choice(const std::string& text, const char* const* names,
                          const char* const* enumNames, int count) {
  if (auto n = ParseNumber(text, 0, count - 1)) return static_cast<int>(*n);
  const std::string t = Lower(text);
  for (int i = 0; i < count; ++i) {
    if (t == names[i] || t == Lower(enumNames[i])) return i;
  }
  return std::nullopt;
}

// Two of the wizard's notes speak of its fields and pages; the command line
// says what it did instead.
std::string CommandLineText(const std::string& text) {
  if (text == TrText("ProjectSetup", setup_text::kCredentialsMoved))
    return translate("Cli",
                     "起始 URL 中的用户名和密码被用作网站的用户名和密码 (如同 --user 和 "
                     "--password)，不保存在 URL 中。");
  if (text == TrText("ProjectSetup", setup_text::kNoFileName))
    return translate("Cli", "列表条目只能指定主机和目录，不能指定文件名；文件名已被去掉。");
  return text;
}

void ShowMessages(const std::vector<TSetupMessage>& messages) {
  for (const auto& m : messages)
    Err(MessageLines(CommandLineText(m.text)) + "\n");
}

}  // namespace

int RunNew(const Args& givenArgs) {
  Args args = givenArgs;
  TPoliteArgs polite;
  if (const std::string e = TakePoliteOptions(args, polite, false); !e.empty())
    return UsageError("new", e);
  const ParsedArgs p = ParseOptions(args, kSpecs);
  if (!p.error.empty()) return UsageError("new", p.error);

  TrawlonixDefinition def;
  ResetDefinition(def);
  std::string output;
  std::optional<std::string> dir;
  std::string name;
  bool force = false;
  bool renameGiven = false;
  bool passwordGiven = false;
  bool askPassword = false;
  for (const ParsedOption& o : p.options) {
    const std::string& v = o.value;
    auto badValue = [&] { return UsageError("new", InvalidValue(o)); };
    switch (o.id) {
      case kHelp:
        Out(TrText("Cli", kUsage));
        Out("\n" + TrText("Cli", kPoliteOptionsHelp));
        return kExitOk;
      case kDir:
        dir = v;
        break;
      case kName:
        name = v;
        break;
      case kOutput:
        output = v;
        break;
      case kForce:
        force = true;
        break;
      case kLevelLimit:
      case kMaxLevel: {
        const auto n = ParseNumber(v, 0, 30);
        if (!n) return badValue();
        def.MaxLevel = static_cast<std::uint16_t>(*n);
        if (o.id == kLevelLimit) def.LevelLimit = true;
        break;
      }
      case kNoLevelLimit:
        def.LevelLimit = false;
        break;
      case kLimitHtDocs:
      case kLimitImages:
      case kLimitEmbedded:
      case kLimitLinked: {
        // The hypertext box offers the first eight modes only.
        const int count = o.id == kLimitHtDocs ? 8 : 9;
        const auto m = Choice(v, kModeNames, kModeEnumNames, count);
        if (!m) return badValue();
        const auto mode = static_cast<TLimitMode>(*m);
        if (o.id == kLimitHtDocs) def.LimitHtDocs = mode;
        if (o.id == kLimitImages) def.LimitIlImages = mode;
        if (o.id == kLimitEmbedded) def.LimitEmbeded = mode;
        if (o.id == kLimitLinked) def.LimitLinked = mode;
        break;
      }
      case kPositive:
        def.Positivlist->push_back(v);
        break;
      case kNegative:
        def.Negativlist->push_back(v);
        break;
      case kSaveFiles:
        def.actSaveFiles = true;
        break;
      case kNoSaveFiles:
        def.actSaveFiles = false;
        break;
      case kEmails:
        def.actEMails = true;
        break;
      case kNoEmails:
        def.actEMails = false;
        break;
      case kBrokenLinks:
        def.actBLinks = true;
        break;
      case kNoBrokenLinks:
        def.actBLinks = false;
        break;
      case kCollect: {
        const auto c = Choice(v, kCollectNames, kCollectEnumNames, 3);
        if (!c) return badValue();
        def.actCollect = true;
        def.actColOpt = static_cast<TCollectOption>(*c);
        break;
      }
      case kNoCollect:
        def.actCollect = false;
        break;
      case kRewriteLocal:
        def.ChgLocLink = true;
        break;
      case kNoRewriteLocal:
        def.ChgLocLink = false;
        break;
      case kRewriteExternal:
        def.ChgExtLink = true;
        break;
      case kNoRewriteExternal:
        def.ChgExtLink = false;
        break;
      case kRewriteScripts:
        def.ChgJScriptLink = true;
        break;
      case kNoRewriteScripts:
        def.ChgJScriptLink = false;
        break;
      case kUser:
        def.Username = v;
        def.UsePwd = true;
        break;
      case kPassword:
        def.Password = v;
        def.UsePwd = true;
        passwordGiven = true;
        break;
      case kAskPassword:
        askPassword = true;
        break;
      case kStrictUrl:
        def.StrictUrl = true;
        break;
      case kNoStrictUrl:
        def.StrictUrl = false;
        break;
      case kRenameExt: {
        if (!renameGiven) def.HTMLRenList->clear();
        renameGiven = true;
        std::string ext = Lower(TrimText(v));
        if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
        if (ext.empty()) return badValue();
        def.HTMLRenList->push_back(ext);
        break;
      }
      case kNoRenameExt:
        def.HTMLRenList->clear();
        renameGiven = true;
        break;
      case kRenameAlways:
        def.OnlyRenameSkriptURL = false;
        break;
      case kRenameScriptsOnly:
        def.OnlyRenameSkriptURL = true;
        break;
      default:
        break;
    }
  }
  if (p.positionals.empty()) return UsageError("new", MissingStartUrl());
  if (p.positionals.size() > 1) return UsageError("new", TooManyArguments());
  if (output.empty()) return UsageError("new", translate("Cli", "缺少 --output 文件"));

  if (!passwordGiven) {
    // Kept off the command line, where every user of the machine can read it.
    std::optional<std::string> secret;
    if (askPassword) {
      secret = AskPassword(TrText("Cli", kPasswordPrompt).c_str());
      if (!secret) return Fail(kExitFailure, TrText("Cli", kPasswordNotRead));
    } else if (const char* env = std::getenv("TRAWLONIX_PASSWORD"); env && *env) {
      secret = env;
    }
    if (secret) {
      def.Password = *secret;
      def.UsePwd = true;
    }
  }
  TOptions options;
  options.LoadSettings();
  def.StartingUrl = p.positionals.front();
  def.ProjectName = name;
  def.LocalPath = dir ? *dir : options.DefaultLocalPath;
  const TSetupReport report = ValidateNewProject(def);
  ShowMessages(report.messages);
  if (!report.ok) return kExitFailure;
  WarnAboutLists(def);

  struct stat st {};
  if (!force && ::stat(output.c_str(), &st) == 0) {
    return Fail(kExitFailure,
                TrArgs(translate("Cli", "'%1' 已存在 (用 --force 替换它)"), {output}));
  }
  TSpiderList spider;
  spider.MaxErrors = options.ErrorCount;
  TCGIRedirectList redirects;
  const TSaveResult saved = SaveProject(output, def, spider, redirects);
  if (!saved.ok) {
    Err(MessageLines(saved.message) + "\n");
    return kExitFailure;
  }
  if (polite.Any()) {
    // The choices the project file has no room for live beside it.
    TProjectChoices choices;
    polite.Apply(choices);
    TSidecar sidecar;
    StoreChoices(choices, sidecar.Extras);
    const TSidecarResult s = SaveSidecar(SidecarPathFor(output), sidecar, def.UsePwd);
    if (!s.ok) {
      Err(MessageLines(s.message) + "\n");
      return kExitFailure;
    }
  }
  Out(TrArgs(translate("Cli", "已创建方案 '%1'，保存在 %2"), {def.ProjectName.str(), output}) +
      "\n");
  return kExitOk;
}

}  // namespace trawlonix::cli
