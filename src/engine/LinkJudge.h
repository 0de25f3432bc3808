// TLinkJudge: everything the crawl decides about the links of one document,
// in plain C++. It reads a received document (HTML, script, style sheet,
// class file, Flash movie), judges every link found in it (admission and
// limits, collection, link-tree items), enters admitted links into the spider
// list, rewrites the links of the stored copy and chooses local file names.
// What the user should see is written as host operations into the batch it
// was given; the crawl worker hands that batch to its host.
//
// One judge belongs to one run; it is used from one thread only.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/HostBatch.h"
#include "model/SpiderList.h"
#include "model/SpiderTools.h"
#include "model/tx_types.h"
#include "parsers/classparser.h"
#include "parsers/flashparser.h"
#include "parsers/htmlparser.h"
#include "polite/Patterns.h"
#include "url/urlparser.h"

namespace trawlonix {

// What a judge works from: the project record and the run's settings.
struct TJudgeSetup {
  TSpiderList* SpiderList = nullptr;
  TCGIRedirectList* RedirectList = nullptr;
  TrawlonixDefinition Definition;
  std::string LocalDir;  // ends with "/"
  // The settings read while judging, as they were when the run started.
  std::string IndexFileName = "index.html";
  TStringList HypertextExtensions;  // lower case, without the dot
  bool ShowLinkStructure = false;
  // Links into the usual crawler traps (a path segment repeated over and
  // over, very deep paths, ever longer URLs) are refused.
  bool TrapRules = true;
  // The spider list never grows beyond this many entries; a document whose
  // links find no room ends the run (EntryCapReached).
  std::int32_t MaxEntries = 1000000;
  bool LogAddedLinks = true;  // log "added new link" for every new entry
  // Wildcard patterns on the URL and the file name, besides the limit modes.
  TPatternRules Patterns;
};

// The document whose links are judged.
struct TJudgeDocument {
  std::int32_t Index = -1;  // spider-list index
  TURL URL;
  std::int32_t Level = 0;
  // The generated page of a relocation answer, read as HTML.
  bool Relocation = false;
};

// Which reader a received document goes to.
enum class TContentReader { Html, Script, Style, JavaClass, Flash, Other };
// The reader for a document with extension `ext` served as `contentType`.
TContentReader ContentReaderFor(const std::string& ext, const std::string& contentType);

class TLinkJudge {
 public:
  TLinkJudge(const TJudgeSetup& setup, HostBatch& batch);
  TLinkJudge(const TLinkJudge&) = delete;
  TLinkJudge& operator=(const TLinkJudge&) = delete;

  const TJudgeSetup& Setup() const { return s_; }
  const TURL& StartURL() const { return startURL_; }

  // Whether a link with `linkHost`/`linkPath` is fetched under limit `mode`
  // for a run that started at `startHost`/`startPath`.
  static bool IsAdmitted(int mode, const std::string& startHost, const std::string& startPath,
                         const TrawlonixDefinition& def, const std::string& linkPath,
                         const std::string& linkHost);
  // The same for URLs: "this server" and the start-directory rules compare
  // host and port (ServerPort).
  static bool IsAdmitted(int mode, const TURL& start, const TrawlonixDefinition& def,
                         const TURL& link);

  // Enters the start URL as entry 0 (a new run).
  void AddStartEntry();
  // A new document begins: entry `index` of the spider list, or `doc` as
  // given. Its BASE is forgotten and so is the last added result row.
  void BeginDocument(std::int32_t index);
  void BeginDocument(const TJudgeDocument& doc);
  const TJudgeDocument& Document() const { return doc_; }
  // The current document is the generated page of a relocation answer.
  void MarkRelocation() { doc_.Relocation = true; }
  bool HasBase() const { return baseSet_; }

  // The reader for a document of the current URL and `contentType`.
  TContentReader ReaderFor(const std::string& contentType) const;
  // Reads the current document with `reader`, judging every link found.
  // `rewritten` (when given) receives the copy to store for the text
  // readers. False when a class file or movie ended before its end.
  bool Read(TContentReader reader, const std::string& data, std::string* rewritten);

  // The link sources; each judges one link found in the current document.
  // An HTML link and a script string are rewritten in place.
  void JudgeLink(std::string& text, TLinkKind kind);
  void ScanScriptCode(std::string& code);
  void JudgeScriptString(std::string& text);
  void JudgeFlashLink(const std::string& text);
  void JudgeClassLink(const std::string& text);
  void SetBase(const std::string& text);
  // The text of an anchor ended: it goes to the rows the anchor's link added.
  void AnchorText(const std::string& text);

  // The local file name of a URL as saving uses it (index name, numbering of
  // queries, ".html" renaming), through the confining rules: empty when the
  // name would leave the mirror. `display` receives the name for log lines
  // even when it is refused.
  std::string LocalNameFor(const TURL& url, std::string* display = nullptr);
  bool IsHypertext(const TURL& url) const;

  // True once a new entry found no room in the spider list (MaxEntries):
  // the current document's links were not all entered.
  bool EntryCapReached() const { return entryCapReached_; }
  // Why a link is a crawler trap; kNone when it is none (or the rules are off).
  enum class TTrap { kNone, kRepeatedSegment, kTooDeep, kTooLong };
  TTrap TrapOf(const TURL& url) const;

 private:
  // Bounds of a crawl (LinkTraps.cpp). Whether the links read from the
  // current document with `reader` are followed: a document beyond the level
  // limit is stored, but nothing found in it is entered.
  bool FollowsLinksOf(TContentReader reader) const;
  // A trap link is refused; it is logged the first time it is found.
  bool RefusedAsTrap(const TURL& url);
  // A class file's references are fetched from its own server only.
  bool OnClassFileServer(const TURL& url) const;
  // False when `url` is new and the spider list is full (remembered).
  bool RoomForEntry(const TURL& url);

  // `linkOp` is the batch index of the link-tree item recorded for this link
  // (-1: none); a new entry receives that item's handle when the batch runs.
  void JudgeLinkText(std::string& text, TLinkKind kind);
  // The project's wildcard patterns (LinkPatterns.cpp): whether a link the
  // limit modes admitted is wanted. A hypertext page that only fails the
  // accepted file names is still fetched, so that the files it links to
  // can be found.
  bool PassesPatterns(const TURL& u) const;
  bool AddEntry(const TURL& url, std::int32_t referrer, int linkOp, std::int32_t level);
  int FileIcon(const TURL& url) const;
  void OfferCollected(const TURL& u);
  void OfferEMail(const std::string& address);
  // The limit field that applies to a link of `kind` (9 and above: mode 1).
  int LimitFor(int kind, const TURL& u) const;
  // The http part shared by every link source: limit mode, optional level
  // limit, collection, link-tree item, AddEntry and icon. Returns Admitted.
  enum class IconRule { Html, Script };
  bool JudgeHttp(const TURL& u, int mode, bool levelLimit, bool collect, IconRule icons);
  // Records a link-tree item under the current document; -1 when the link
  // structure is not shown. The icon is set later by SetLinkIcon.
  int AddLinkTreeItem(const std::string& text);
  void SetLinkIcon(int op, int icon);
  // Normalises and parses a link text, resolves it against the base (when
  // set) and the current document; an empty Path becomes "/". False when the
  // text does not parse.
  bool ResolveLink(const std::string& raw, bool strict, TURL& u, std::string& fragment) const;
  void RewriteAdmitted(std::string& text, TURL u, const std::string& fragment);
  // How a stored name is made for `url`: index file name, redirect number
  // of a script URL, the project's renaming.
  TNamingOptions NamingOptionsFor(const TURL& url);
  // The options without a collision number.
  TNamingOptions PlainNamingOptionsFor(const TURL& url);
  // Two URLs never share a stored file: the entries of the spider list claim
  // their names in index order (the same order in every run of a project, so
  // a name once given stays), and an entry whose name is held by an earlier
  // one gets the first free collision number.
  void ClaimNames();
  void ClaimName(std::int32_t index);
  std::optional<std::int32_t> FreeCollisionNumber(const TURL& url, TNamingOptions opt,
                                                  std::int32_t index);
  // A directory URL and its index-file form ("/" and "/index.html") are one
  // document: the index of whichever of the two is listed, or -1.
  std::int32_t ListedIndexOf(const TURL& url) const;
  bool IndexFormOf(const TURL& url, TURL& other) const;
  // Rows offered for the link of an A HREF (or LINK) wait for its text. Rows
  // offered for any other link take no text: while an anchor's rows wait
  // they are held back, and released (with a forget) once its text came,
  // the next anchor begins or the document ends.
  void PushOffer(HostOp op);
  void ReleaseHeldOffers();
  void ForgetWaitingRows();

  TJudgeSetup s_;
  HostBatch& batch_;
  TURL startURL_;
  TJudgeDocument doc_;
  TURL baseURL_;
  bool baseSet_ = false;
  bool inAnchorLink_ = false;    // judging the link of an A HREF or LINK
  bool anchorRowsWait_ = false;  // that link's rows wait for the anchor text
  std::vector<HostOp> heldOffers_;
  bool hostRowsWait_ = false;  // rows offered to the host since its last forget
  bool followLinks_ = true;    // the current document is within the level limit
  bool entryCapReached_ = false;
  std::unordered_set<std::size_t> trapsLogged_;  // hashes of trap links logged
  THTMLParser textParser_;
  TJavaClassParser classParser_;
  TFlashParser flashParser_;
  // Stored names claimed so far (by a hash of the name below the local
  // directory) and their owners; collision numbers of the entries that got one.
  std::unordered_map<std::uint64_t, std::int32_t> nameOwners_;
  std::unordered_map<std::int32_t, std::int32_t> collisionNumbers_;
  // By natural name: the collision number the next search starts from.
  std::unordered_map<std::uint64_t, std::int32_t> nextNumber_;
  std::int32_t namedUpTo_ = 0;
};

}  // namespace trawlonix
