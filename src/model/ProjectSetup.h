// What the new-project wizard does with the user's input, without any window:
// the normalisation of the start URL and of prefix-list entries, the project
// name proposed from the host, the page order, and the checks with their
// message texts. The desktop wizard and trawlonix-cli call the same code.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Translate.h"
#include "model/tx_types.h"

namespace trawlonix {

enum class TSetupMessageKind { Information, Error };

struct TSetupMessage {
  TSetupMessageKind kind;
  std::string text;
  bool operator==(const TSetupMessage&) const = default;
};

namespace setup_text {
inline constexpr const char* kCredentialsMoved = QT_TRANSLATE_NOOP(
    "ProjectSetup", "请不要在这里指定用户名或者密码。\r您的输入将被复制到第二页(用户数据)。");
inline constexpr const char* kBadPortName =
    QT_TRANSLATE_NOOP("ProjectSetup", "所指定的端口名称 %s 无效！");
inline constexpr const char* kPortOutOfRange =
    QT_TRANSLATE_NOOP("ProjectSetup", "所指定的端口 %s 无效：端口必须在 1 到 65535 之间！");
inline constexpr const char* kNoStartPage =
    QT_TRANSLATE_NOOP("ProjectSetup", "请指定一个起始页面！");
inline constexpr const char* kNoProjectName =
    QT_TRANSLATE_NOOP("ProjectSetup", "请指定一个方案名称！");
inline constexpr const char* kOnlyHttp =
    QT_TRANSLATE_NOOP("ProjectSetup", "只支持 HTML 日志文件！");
inline constexpr const char* kNoLocalPath =
    QT_TRANSLATE_NOOP("ProjectSetup", "请指定一个本地路径！");
inline constexpr const char* kLocalPathMissing =
    QT_TRANSLATE_NOOP("ProjectSetup", "指定的本地路径不存在！");
inline constexpr const char* kPositiveListEmpty =
    QT_TRANSLATE_NOOP("ProjectSetup", "正列表不允许是空的！");
inline constexpr const char* kNegativeListEmpty =
    QT_TRANSLATE_NOOP("ProjectSetup", "负列表不允许是空的！");
inline constexpr const char* kBadPort = QT_TRANSLATE_NOOP("ProjectSetup", "所指定的端口 %s 无效！");
inline constexpr const char* kNoFileName = QT_TRANSLATE_NOOP(
    "ProjectSetup", "在这里您只能指定主机和目录，不能指定文件名！\r将会自动更正。");
inline constexpr const char* kNoUrl = QT_TRANSLATE_NOOP("ProjectSetup", "请指定一个 URL！");
// The start URL must be an http or https address with a host.
inline constexpr const char* kOnlyWebAddress =
    QT_TRANSLATE_NOOP("ProjectSetup", "只支持 HTTP 和 HTTPS 地址！");
inline constexpr const char* kNoHost = QT_TRANSLATE_NOOP("ProjectSetup", "地址中缺少主机名！");
}  // namespace setup_text

// Removes leading and trailing characters up to and including the blank.
std::string TrimText(std::string_view s);

// "http://" in front when there is no "://"; behind the first "://" every "\"
// becomes "/", and a "/" is appended when none follows the host.
std::string PrepareUrlText(std::string_view trimmed);

// The project name the wizard proposes for a host: the top-level domain goes
// (unless numeric, as in an address), then a leading "www." goes or every dot
// becomes "_".
std::string ProposeProjectName(std::string_view host);

// The start-URL field on exit. `url` is what the field shows afterwards (empty
// for a blank input); `projectName` is the name field afterwards (the
// proposal when it was blank and the URL has a host).
struct TStartUrlChange {
  std::string url;
  std::string projectName;
  bool credentialsMoved = false;
  std::string username;  // cut to 128 bytes
  std::string password;  // cut to 128 bytes
  bool badPort = false;  // the port is not a number from 1 to 65535
  std::vector<TSetupMessage> messages;
};
TStartUrlChange NormaliseStartUrl(std::string_view urlField, std::string_view nameField);

// Moves the user data of a change into the record (Username, Password, UsePwd).
void ApplyCredentials(const TStartUrlChange& change, TrawlonixDefinition& def);

struct TSetupReport {
  bool ok = true;
  std::vector<TSetupMessage> messages;  // informations, then at most one error
};

// Page 0 as the wizard runs it on a forward move: the field's exit
// normalisation, the leave step (StartingUrl, ProjectName cut to 128) and the
// checks. `urlField` and `nameField` are updated as the window would show them.
TSetupReport SetupGeneral(TrawlonixDefinition& def, std::string& urlField, std::string& nameField);

// The local-path field on exit: trimmed, "\" to "/", one trailing "/" removed.
std::string NormaliseLocalPath(std::string_view text);
// Page 3's check; nullopt when the path names an existing directory.
std::optional<TSetupMessage> CheckLocalPath(std::string_view localPath);

// A prefix-list entry on exit of its field (and on OK): `url` is empty for a
// blank input; on OK an empty result is the error kNoUrl (see CheckListEntry).
struct TPrefixChange {
  std::string url;
  std::vector<TSetupMessage> messages;
};
TPrefixChange NormaliseListPrefix(std::string_view text);
// The list-entry dialog's OK: normalisation, then an empty result is an error.
TSetupReport CheckListEntry(std::string_view text, std::string& normalised);
// Pages 6 and 7: an empty list is refused.
std::optional<TSetupMessage> CheckPrefixList(const TStringList& list, bool positive);

// Page order of the wizard (indices 0..8), forward and back.
int NextWizardPage(int page, const TrawlonixDefinition& def);
int PreviousWizardPage(int page, const TrawlonixDefinition& def);

// Every check the wizard makes on its way to the last page, for a record
// built without the wizard: page 0 (with the normalisation), page 3 when
// files are saved, and the prefix lists that the limits use. List entries are
// normalised in place. The first error ends the checks.
TSetupReport ValidateNewProject(TrawlonixDefinition& def);

}  // namespace trawlonix
