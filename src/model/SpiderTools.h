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

// Whether `ext` (trimmed, any case) names a file type the program knows:
// a row of TX_Ext_Info or an entry of `htmlRecExtensions`. A string in
// script code is taken for a file name only then: "1.2em", "div.body" or
// "x.config.Item.rst" are words of the code, not links of the site.
bool IsKnownFileExtension(std::string_view ext, const TStringList* htmlRecExtensions = nullptr);

// A file name without a dot ("/about", "/blog/first-post"): today's sites
// serve pages under such names. Its local file gets ".html" appended, so that
// it opens as a page and never takes the name of the directory that holds
// the pages below it ("/docs" is stored as docs.html, "/docs/intro" as
// docs/intro.html, "/docs/" as docs/index.html).
bool IsExtensionlessName(const TURL& url);

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

// The directory of url's server in the mirror. The start server (`start`,
// or every server when `start` is null) keeps the plain host directory, as
// mirrors have always been laid out; any other server with a port of its own
// (ServerPort), or on the start host but another port, gets "host:port", so
// that two servers never share a folder.
std::string ServerDir(const TURL& url, const TURL* start);

// A name component as it may be stored: control bytes (0x00-0x1F, 0x7F and
// the C1 range), bytes that are no valid UTF-8, and the characters that
// reorder or hide text (U+200E/F, U+202A-U+202E, U+2066-U+2069, U+2028/9)
// become "%XX", one escape per byte. Everything else stays.
std::string EscapeUnsafeNameBytes(std::string_view component);

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
  // The run's start server (see ServerDir); null: every server is named by
  // its host alone.
  const TURL* StartServer = nullptr;
  // Worked into the finished name when another URL of the project already
  // holds it (NumberedName of the whole name).
  std::optional<std::int32_t> CollisionNumber;
};

// The local file of `url`: localDir + ServerDir + decoded Path + decoded
// FileName (or IndexFileName), numbered and renamed as `opt` says, and with
// ".html" appended to a name without a dot (IsExtensionlessName). Decoding
// never makes a separator: an escaped "/" stays written as the escape.
// Empty and "." segments are left out, unsafe bytes of every segment are
// escaped (EscapeUnsafeNameBytes). nullopt when the host is unsafe, a
// segment is "..", or the file name is empty, "." or "..", so the name can
// never leave localDir/ServerDir. A Path that does not begin with "/" is
// taken as beginning with one.
std::optional<std::string> LocalFileName(std::string_view localDir, const TURL& url,
                                         const TNamingOptions& opt);

// The text that replaces an admitted link to `target` inside the stored copy
// of `current`: the relative link from current's directory to the local
// file that LocalFileName gives for `target` under the same options, without
// fragment. nullopt when that local file would be refused. Every segment is
// the stored name escaped so that a browser decodes it to exactly that name
// ("%" itself, blanks, controls, "?", "#", quotes and non-ASCII bytes become
// "%XX"); text whose first segment holds ":" starts with "./".
std::optional<std::string> LocalLinkText(const TURL& current, const TURL& target,
                                         const TNamingOptions& opt);

// Creates every directory between localDir and the file `fileName` (a name
// LocalFileName made below localDir). False when the chain does not exist
// afterwards or the name does not lie below localDir.
bool ForceParentDirs(std::string_view localDir, std::string_view fileName);

// Creates localDir, localDir/host and every segment of `decodedPath` below
// it. Refuses (creates nothing, returns false) what LocalFileName refuses.
// Other failures are left to the creation of the file; the result tells
// whether the whole chain exists.
bool ForceLocalDirs(std::string_view localDir, std::string_view host, std::string_view decodedPath);

// Modification time (seconds since 1970) of localDir + Host + decoded Path +
// decoded FileName, 0 when that is no readable regular file or the name is
// refused. No index-file name, numbering or renaming is applied (a name
// without a dot still gets the ".html" it is stored with).
std::int64_t LocalFileDate(std::string_view localDir, const TURL& url);
// The same for a name already built (for instance by LocalFileName).
std::int64_t LocalFileDate(const std::string& fileName);

}  // namespace trawlonix
