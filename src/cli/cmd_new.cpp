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

const char* const kUsage =
    "Usage: trawlonix-cli new URL [--dir DIR] [--name NAME] [OPTIONS] -o PROJECT.txp\n"
    "\n"
    "Create a project file for the start URL. The URL and the options are checked\n"
    "as the new-project wizard checks them; its messages are shown as they are.\n"
    "\n"
    "  -o, --output FILE          the project file to write (required)\n"
    "  -f, --force                replace FILE when it exists\n"
    "  -d, --dir DIR              local directory of the mirror (default: the\n"
    "                             setting DefaultLocalPath); must exist\n"
    "  -n, --name NAME            project name (default: proposed from the host)\n"
    "  -u, --user USER            user name for the site (turns on UsePwd)\n"
    "      --password PASS        password for the site (turns on UsePwd); without\n"
    "                             it the environment variable TRAWLONIX_PASSWORD\n"
    "                             is taken when set\n"
    "      --ask-password         ask for the password on the terminal (no echo)\n"
    "\n"
    "Actions:\n"
    "      --[no-]save-files      save the fetched files (default: on)\n"
    "      --[no-]emails          collect e-mail addresses (default: on)\n"
    "      --[no-]broken-links    list broken links (default: on)\n"
    "      --collect WHICH        collect links: other-servers, unprocessed or all\n"
    "                             (or 0..2); --no-collect turns it off (default)\n"
    "\n"
    "Links in stored files:\n"
    "      --[no-]rewrite-local     absolute links to fetched pages become relative (on)\n"
    "      --[no-]rewrite-scripts   also inside JavaScript (on; not kept in the file)\n"
    "      --[no-]rewrite-external  links to pages not fetched become absolute (on)\n"
    "\n"
    "Limits (MODE is a number 0..8 or a name):\n"
    "  -l, --level-limit N        limit the link depth to N levels (0..30);\n"
    "                             --no-level-limit turns it off (default)\n"
    "      --max-level N          the level limit without turning it on (default 5)\n"
    "      --limit-htdocs MODE    hypertext documents (default: start-dir-and-below;\n"
    "                             'never' is not allowed here)\n"
    "      --limit-images MODE    inline images (default: this-server)\n"
    "      --limit-embedded MODE  embedded objects (default: this-server)\n"
    "      --limit-linked MODE    other references (default: this-server)\n"
    "  -p, --positive PREFIX      add a URL prefix to the positive list (repeatable)\n"
    "  -x, --negative PREFIX      add a URL prefix to the negative list (repeatable)\n"
    "    modes: 0 start-dir, 1 start-dir-and-below, 2 this-server, 3 positive-list,\n"
    "           4 not-negative-list, 5 this-server-not-negative,\n"
    "           6 positive-not-negative, 7 unlimited, 8 never\n"
    "\n"
    "File names:\n"
    "      --[no-]strict-url      a last path segment without a dot is a file,\n"
    "                             stored with \".html\" appended (default); with\n"
    "                             --no-strict-url a directory without its slash\n"
    "      --rename-ext EXT       append \".html\" to files with this extension\n"
    "                             (repeatable; replaces the default list \"dll\")\n"
    "      --no-rename-ext        empty the list\n"
    "      --rename-always        rename also when the URL has no \"?\"\n"
    "      --rename-scripts-only  rename only script calls (default)\n"
    "\n"
    "  -h, --help                 show this help\n";

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

void ShowMessages(const std::vector<TSetupMessage>& messages) {
  for (const auto& m : messages)
    Err(MessageLines(m.text) + "\n");
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
    auto badValue = [&] { return UsageError("new", "invalid value '" + v + "' for " + o.spelled); };
    switch (o.id) {
      case kHelp:
        Out(kUsage);
        Out(std::string("\n") + kPoliteOptionsHelp);
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
  if (p.positionals.empty()) return UsageError("new", "missing start URL");
  if (p.positionals.size() > 1) return UsageError("new", "too many arguments");
  if (output.empty()) return UsageError("new", "missing --output FILE");

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
    return Fail(kExitFailure, "'" + output + "' exists (use --force to replace it)");
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
  Out("Created project '" + def.ProjectName.str() + "' in " + output + "\n");
  return kExitOk;
}

}  // namespace trawlonix::cli
