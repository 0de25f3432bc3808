// The sidecar file beside a project file (same name, extension ".txs"): what
// the project file's fixed layout cannot hold. Today the three result lists
// (collected links, e-mail addresses, broken links) with their reference
// texts, first occurrences, check results and selection, and per-project
// extras as name/value pairs. A project without a sidecar opens as before;
// the project file's own bytes never change meaning.
//
// The file is UTF-8 text, one record per line, fields separated by tabs with
// "\\", "\t", "\n" and "\r" escaped; lines of an unknown kind are skipped, so
// a later version may add records. Saved like the project file: a temporary
// file beside the target, synced, renamed over it.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/Translate.h"

namespace trawlonix {

struct TResultRow {
  std::string Text;       // URL or e-mail address
  std::string Reference;  // reference text, or error text for a broken link
  std::string FirstOccurrence;
  std::string TestResult;  // collected links only
  bool Selected = false;   // marked by a link check or by the user
  bool operator==(const TResultRow&) const = default;
};

struct TSidecar {
  std::array<std::vector<TResultRow>, 3> Lists;  // links, e-mail addresses, broken links
  std::map<std::string, std::string> Extras;
  bool operator==(const TSidecar&) const = default;
};

// "dir/p.txp" -> "dir/p.txs"; a name without ".txp" gets ".txs" appended.
std::string SidecarPathFor(const std::string& projectFile);
// Where the window's checkpoints of "dir/p.txp" go: "dir/p.recovery.txp"
// (its sidecar is then "dir/p.recovery.txs").
std::string RecoveryPathFor(const std::string& projectFile);

std::string EncodeSidecar(const TSidecar& sidecar);
// False when `bytes` is not a sidecar (wrong first line); `out` is then left empty.
bool DecodeSidecar(std::string_view bytes, TSidecar& out);

struct TSidecarResult {
  bool ok = false;
  bool missing = false;  // load: there is no sidecar (ok stays true)
  std::string message;   // error text when !ok
};
TSidecarResult LoadSidecar(const std::string& file, TSidecar& out);
// `secret`: the project holds a password, so the file is readable by its
// owner only (mode 0600). A failed save leaves the previous file as it was.
TSidecarResult SaveSidecar(const std::string& file, const TSidecar& sidecar, bool secret);

namespace sidecar_text {
inline constexpr const char* kCannotRead =
    QT_TRANSLATE_NOOP("Sidecar", "结果列表文件 %s 不能被读取。");
inline constexpr const char* kNotASidecar =
    QT_TRANSLATE_NOOP("Sidecar", "文件 %s 不是 Trawlonix 结果列表文件。");
inline constexpr const char* kCannotWrite =
    QT_TRANSLATE_NOOP("Sidecar", "结果列表文件 %s 不能被保存。");
}  // namespace sidecar_text

}  // namespace trawlonix
