// How URLs map to the local mirror and to file types: the extension table,
// link-text normalisation, percent decoding, numbered names of script
// answers, the local file name (the one place that keeps every stored file
// inside local directory / host), the matching link text for rewritten
// pages, directory creation and the date of a stored copy.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/tx_types.h"
#include "url/urlparser.h"

namespace trawlonix {

// File-type codes; the main window shows a type with icons code and code + 1.
enum TFileType : std::int32_t {
  ftHypertext = 3,
  ftImage = 5,
  ftOther = 7,
  ftSound = 9,
  ftVideo = 11,
  ftJava = 13,
  ftFlash = 15,
  ftJavaScript = 19,
  ftStyleSheet = 21,
};

struct TExtInfo {
  const char* Ext;  // lower case, without the dot
  TFileType Code;
};

extern const std::array<TExtInfo, 32> TX_Ext_Info;

// Bytes up to and including the blank count as white space.
std::string_view TrimBlanks(std::string_view s);

// 3 for a directory URL; else the table's code for the trimmed, lower-cased
// Ext (7 when unknown), or 3 when `htmlRecExtensions` holds that extension.
TFileType FileTypeOf(const TURL& url, const TStringList* htmlRecExtensions = nullptr);

// Raw link text as found in a document -> text for ParseURL: line breaks
// dropped, trimmed, blanks as "%20", and a few entities decoded.
std::string NormalizeLink(std::string_view raw);

// Percent escapes decoded; a broken escape ("%4" at the end, "%zz") becomes
// one blank. "+" stays.
std::string DecodeURLText(std::string_view text);

// "_" and the number worked in before the extension of the part after the
// last "/": x.asp,3 -> x_3.asp; query,0 -> query_0; x.,1 -> x_1.
std::string NumberedName(std::string_view name, std::int32_t number);

// The Query, trimmed, is not empty: the URL is a script call whose answer
// gets a numbered name.
bool HasScriptQuery(const TURL& url);

// The directory name of a host in the mirror: the host as it is, except
// that the colons of an IPv6 literal ("[::1]") become "_" ("[__1]"), which
// no host name can be.
std::string LocalHostDir(std::string_view host);

// A host usable as a directory name: not empty, not "." or "..", no "/",
// "\" or NUL.
bool IsSafeHostName(std::string_view host);
// No ".." segment (segments split at "/" and "\") and no NUL byte.
bool IsSafeRelativePath(std::string_view path);

// The naming choices for one stored document or link target.
struct TNamingOptions {
  std::string IndexFileName = "index.html";  // replaces an empty FileName
  // The redirect list's NumberFor(url); set it only when HasScriptQuery(url).
  std::optional<std::int32_t> RedirectNumber;
  const TStringList* HTMLRenList = nullptr;  // extensions that get ".html" appended
  bool OnlyRenameSkriptURL = true;
};

// The local file of `url`: localDir + Host + decoded Path + decoded FileName
// (or IndexFileName), numbered and renamed as `opt` says. Everything is
// decoded and renamed first and checked last: nullopt when the host is
// unsafe or the result holds a ".." segment or a NUL byte, so the name can
// never leave localDir/Host. A Path that does not begin with "/" is taken
// as beginning with one.
std::optional<std::string> LocalFileName(std::string_view localDir, const TURL& url,
                                         const TNamingOptions& opt);

// The text that replaces an admitted link to `target` inside the stored copy
// of `current`: the relative link from current's directory to the local
// file that LocalFileName gives for `target` under the same options (index
// file, "//" and "." segments folded, numbered, ".html"), without fragment.
// nullopt when that local file would be refused. Escapes that stand for "."
// or "/" are written plainly and broken ones as "%20", so that the browser
// finds the file exactly under its decoded name; a "%" in the host is
// escaped, and text whose first segment holds ":" starts with "./".
std::optional<std::string> LocalLinkText(const TURL& current, const TURL& target,
                                         const TNamingOptions& opt);

// Creates localDir, localDir/host and every segment of `decodedPath` below
// it. Refuses (creates nothing, returns false) what LocalFileName refuses.
// Other failures are left to the creation of the file; the result tells
// whether the whole chain exists.
bool ForceLocalDirs(std::string_view localDir, std::string_view host, std::string_view decodedPath);

// Modification time (seconds since 1970) of localDir + Host + decoded Path +
// decoded FileName, 0 when that is no readable regular file or the name is
// refused. No index-file name, numbering or renaming is applied.
std::int64_t LocalFileDate(std::string_view localDir, const TURL& url);
// The same for a name already built (for instance by LocalFileName).
std::int64_t LocalFileDate(const std::string& fileName);

}  // namespace trawlonix
