#include "model/ProjectSetup.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/Text.h"
#include "url/urlparser.h"
#include "url/urlscheme.h"

namespace trawlonix {

namespace {

constexpr std::size_t kMaxNameBytes = 128;
constexpr std::size_t kMaxUserBytes = 128;

std::string WithText(const char* format, std::string_view value) {
  std::string s = TrText("ProjectSetup", format);
  const auto at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, value);
  return s;
}

bool IsDecimal(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string Cut(std::string_view s, std::size_t n) {
  return std::string(s.substr(0, n));
}

}  // namespace

std::string TrimText(std::string_view s) {
  return std::string(text::Trim(s));
}

std::string PrepareUrlText(std::string_view trimmed) {
  std::string text(trimmed);
  if (text.find("://") == std::string::npos) text.insert(0, "http://");
  const std::size_t rest = text.find("://") + 3;
  bool slash = false;
  for (std::size_t i = rest; i < text.size(); ++i) {
    if (text[i] == '\\') text[i] = '/';
    if (text[i] == '/') slash = true;
  }
  if (!slash) text.push_back('/');
  return text;
}

std::string ProposeProjectName(std::string_view host) {
  std::string name(host);
  if (!name.empty() && name.front() == '[') {
    // An IPv6 literal: the colons would not do in a file name.
    for (char& c : name)
      if (c == ':') c = '_';
    return name;
  }
  std::size_t dots = 0;
  for (char c : name)
    dots += c == '.' ? 1 : 0;
  if (dots >= 2) {
    const std::size_t last = name.rfind('.');
    const std::string_view tail = std::string_view(name).substr(last + 1);
    bool numeric = true;
    for (char c : tail)
      numeric = numeric && c >= '0' && c <= '9';
    if (!numeric) name.erase(last);
  }
  if (text::StartsWithNoCase(name, "www.")) {
    name.erase(0, 4);
  } else {
    for (char& c : name) {
      if (c == '.') c = '_';
    }
  }
  return name;
}

TStartUrlChange NormaliseStartUrl(std::string_view urlField, std::string_view nameField) {
  TStartUrlChange change;
  change.projectName = std::string(nameField);
  const std::string trimmed = TrimText(urlField);
  if (trimmed.empty()) return change;

  TURL url;
  ParseURL(PrepareUrlText(trimmed), true, url);
  if (!url.User.empty() || !url.Password.empty()) {
    change.messages.push_back(
        {TSetupMessageKind::Information, TrText("ProjectSetup", setup_text::kCredentialsMoved)});
    change.credentialsMoved = true;
    change.username = Cut(url.User, kMaxUserBytes);
    change.password = Cut(url.Password, kMaxUserBytes);
    url.User.clear();
    url.Password.clear();
  }
  if (!url.Port.empty() && !IsDecimal(url.Port)) {
    change.messages.push_back(
        {TSetupMessageKind::Error, WithText(setup_text::kBadPortName, url.Port)});
    change.badPort = true;
    url.Port.clear();
  } else if (!url.Port.empty() &&
             (url.Port.size() > 5 || std::stoul(url.Port) < 1 || std::stoul(url.Port) > 65535)) {
    change.messages.push_back(
        {TSetupMessageKind::Error, WithText(setup_text::kPortOutOfRange, url.Port)});
    change.badPort = true;
    url.Port.clear();
  }
  if (TrimText(nameField).empty() && !url.Host.empty()) {
    change.projectName = ProposeProjectName(url.Host);
  }
  change.url = ComposeURL(url);
  return change;
}

void ApplyCredentials(const TStartUrlChange& change, TrawlonixDefinition& def) {
  if (!change.credentialsMoved) return;
  def.Username = change.username;
  def.Password = change.password;
  def.UsePwd = true;
}

TSetupReport SetupGeneral(TrawlonixDefinition& def, std::string& urlField, std::string& nameField) {
  TSetupReport report;
  bool badPort = false;
  auto exitField = [&] {
    TStartUrlChange change = NormaliseStartUrl(urlField, nameField);
    badPort = badPort || change.badPort;
    if (!TrimText(urlField).empty()) urlField = change.url;
    nameField = change.projectName;
    ApplyCredentials(change, def);
    for (auto& m : change.messages)
      report.messages.push_back(std::move(m));
  };
  auto leave = [&] {
    def.StartingUrl = TrimText(urlField);
    def.ProjectName = Cut(TrimText(nameField), kMaxNameBytes);
  };
  auto fail = [&](const char* text) {
    report.ok = false;
    report.messages.push_back({TSetupMessageKind::Error, TrText("ProjectSetup", text)});
    return report;
  };

  exitField();
  leave();
  if (def.StartingUrl.empty()) return fail(setup_text::kNoStartPage);
  if (badPort) {  // refused, not run on a port the user did not ask for
    report.ok = false;
    return report;
  }
  exitField();  // the check runs the normalisation once more, as the wizard does
  leave();
  if (def.ProjectName.empty()) return fail(setup_text::kNoProjectName);
  const auto scheme = def.StartingUrl.find("://");
  if (scheme == std::string::npos ||
      !IsWebProtocol(text::Lower(std::string_view(def.StartingUrl).substr(0, scheme)))) {
    return fail(setup_text::kOnlyWebAddress);
  }
  TURL start;
  ParseURL(def.StartingUrl, def.StrictUrl, start);
  if (start.Host.empty()) return fail(setup_text::kNoHost);
  return report;
}

std::string NormaliseLocalPath(std::string_view text) {
  std::string path = TrimText(text);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

std::optional<TSetupMessage> CheckLocalPath(std::string_view localPath) {
  if (localPath.empty())
    return TSetupMessage{TSetupMessageKind::Error,
                         TrText("ProjectSetup", setup_text::kNoLocalPath)};
  // "Can be made the current directory": a directory we may enter.
  const std::string path(localPath);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(path.c_str(), X_OK) != 0) {
    return TSetupMessage{TSetupMessageKind::Error,
                         TrText("ProjectSetup", setup_text::kLocalPathMissing)};
  }
  return std::nullopt;
}

TPrefixChange NormaliseListPrefix(std::string_view text) {
  TPrefixChange change;
  const std::string trimmed = TrimText(text);
  if (trimmed.empty()) return change;
  TURL url;
  ParseURL(PrepareUrlText(trimmed), false, url);
  url.Protocol = "http";
  url.User.clear();
  url.Password.clear();
  if (!url.Port.empty() && !IsDecimal(url.Port)) {
    change.messages.push_back({TSetupMessageKind::Error, WithText(setup_text::kBadPort, url.Port)});
    url.Port.clear();
  }
  if (!url.FileName.empty()) {
    change.messages.push_back(
        {TSetupMessageKind::Information, TrText("ProjectSetup", setup_text::kNoFileName)});
    url.FileName.clear();
    url.Ext.clear();
  }
  change.url = ComposeURL(url);
  return change;
}

TSetupReport CheckListEntry(std::string_view text, std::string& normalised) {
  TSetupReport report;
  TPrefixChange change = NormaliseListPrefix(text);
  report.messages = std::move(change.messages);
  normalised = std::move(change.url);
  if (normalised.empty()) {
    report.ok = false;
    report.messages.push_back(
        {TSetupMessageKind::Error, TrText("ProjectSetup", setup_text::kNoUrl)});
  }
  return report;
}

std::optional<TSetupMessage> CheckPrefixList(const TStringList& list, bool positive) {
  if (!list.empty()) return std::nullopt;
  return TSetupMessage{TSetupMessageKind::Error,
                       TrText("ProjectSetup", positive ? setup_text::kPositiveListEmpty
                                                       : setup_text::kNegativeListEmpty)};
}

int NextWizardPage(int page, const TrawlonixDefinition& def) {
  switch (page) {
    case 0:
    case 1:
    case 3:
    case 4:
      return page + 1;
    case 2:
      return def.actSaveFiles ? 3 : 4;
    case 5:
      return UsesPositiveList(def) ? 6 : UsesNegativeList(def) ? 7 : 8;
    case 6:
      return UsesNegativeList(def) ? 7 : 8;
    default:
      return 8;
  }
}

int PreviousWizardPage(int page, const TrawlonixDefinition& def) {
  switch (page) {
    case 4:
      return def.actSaveFiles ? 3 : 2;
    case 7:
      return UsesPositiveList(def) ? 6 : 5;
    case 8:
      return UsesNegativeList(def) ? 7 : UsesPositiveList(def) ? 6 : 5;
    default:
      return page > 0 ? page - 1 : 0;
  }
}

TSetupReport ValidateNewProject(TrawlonixDefinition& def) {
  std::string urlField = def.StartingUrl;
  std::string nameField = def.ProjectName.str();
  TSetupReport report = SetupGeneral(def, urlField, nameField);
  if (!report.ok) return report;
  auto fail = [&](TSetupMessage m) {
    report.ok = false;
    report.messages.push_back(std::move(m));
    return report;
  };
  if (def.actSaveFiles) {
    def.LocalPath = NormaliseLocalPath(def.LocalPath.str());
    if (auto m = CheckLocalPath(def.LocalPath.str())) return fail(*m);
  }
  struct ListCheck {
    bool used;
    TStringList* list;
    bool positive;
  };
  for (const ListCheck& c : {ListCheck{UsesPositiveList(def), def.Positivlist.get(), true},
                             ListCheck{UsesNegativeList(def), def.Negativlist.get(), false}}) {
    if (!c.used || c.list == nullptr) continue;
    TStringList normalised;
    for (const std::string& entry : *c.list) {
      std::string url;
      TSetupReport entryReport = CheckListEntry(entry, url);
      for (auto& m : entryReport.messages)
        report.messages.push_back(std::move(m));
      if (!entryReport.ok) {
        report.ok = false;
        return report;
      }
      normalised.push_back(std::move(url));
    }
    *c.list = std::move(normalised);
    if (auto m = CheckPrefixList(*c.list, c.positive)) return fail(*m);
  }
  return report;
}

}  // namespace trawlonix
