// Link admission: which found links are fetched, collected, shown in the link
// tree and how their text is rewritten.
#include "base/Text.h"
#include "base/Translate.h"
#include "engine/LinkJudge.h"
#include "url/urlscheme.h"

namespace trawlonix {

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Some entry of `list` has the link's host and a path that is a prefix of
// the link's path.
bool ListMatches(const TStringList* list, const std::string& linkPath,
                 const std::string& linkHost) {
  if (!list) return false;
  for (const std::string& item : *list) {
    TURL u;
    if (!ParseURL(item, false, u)) continue;
    if (text::EqualsNoCase(u.Host, linkHost) && StartsWith(linkPath, u.Path)) return true;
  }
  return false;
}

}  // namespace

bool TLinkJudge::IsAdmitted(int mode, const std::string& startHost, const std::string& startPath,
                            const TrawlonixDefinition& def, const std::string& linkPath,
                            const std::string& linkHost) {
  const bool sameHost = text::EqualsNoCase(linkHost, startHost);
  switch (mode) {
    case lmStartDirOnly:
      return sameHost && linkPath == startPath;
    case lmStartDirAndBelow:
      return sameHost && StartsWith(linkPath, startPath);
    case lmThisServer:
      return sameHost;
    case lmPositiveListOnly:
      return ListMatches(def.Positivlist.get(), linkPath, linkHost);
    case lmNotInNegativeList:
      return !ListMatches(def.Negativlist.get(), linkPath, linkHost);
    case lmThisServerNotNegative:
      return sameHost && !ListMatches(def.Negativlist.get(), linkPath, linkHost);
    case lmPositiveNotNegative:
      return ListMatches(def.Positivlist.get(), linkPath, linkHost) &&
             !ListMatches(def.Negativlist.get(), linkPath, linkHost);
    case lmUnlimited:
      return true;
    default:  // lmNeverDownload, and anything a damaged project file holds
      return false;
  }
}

int TLinkJudge::LimitFor(int kind, const TURL& u) const {
  const TrawlonixDefinition& d = s_.Definition;
  const int byExt = (IsHypertext(u) || u.FileName.empty()) ? d.LimitHtDocs : d.LimitLinked;
  if (kind == lkImage) return d.LimitIlImages;
  if (kind == lkHyperlink || kind == lkFrame) return byExt;
  if (kind == lkApplet || kind == lkEmbedded) return d.LimitEmbeded;
  if (kind >= lkMapArea && kind <= 8) return byExt;
  return lmStartDirAndBelow;
}

int TLinkJudge::FileIcon(const TURL& url) const {
  return static_cast<int>(FileTypeOf(url, &s_.HypertextExtensions)) + 1;
}

void TLinkJudge::OfferCollected(const TURL& u) {
  if (!s_.Definition.actCollect) return;
  HostOp op;
  op.kind = HostOp::kOfferLink;
  op.s1 = ComposeURL(u);
  op.s2 = ComposeURL(doc_.URL);
  PushOffer(std::move(op));
}

void TLinkJudge::OfferEMail(const std::string& address) {
  if (!s_.Definition.actEMails) return;
  HostOp op;
  op.kind = HostOp::kOfferEMail;
  op.s1 = address;
  op.s2 = ComposeURL(doc_.URL);
  PushOffer(std::move(op));
}

int TLinkJudge::AddLinkTreeItem(const std::string& text) {
  if (!s_.ShowLinkStructure) return -1;
  TItemHandle parent = 0;
  if (doc_.Index >= 1) {
    if (const AGetEntry* e = s_.SpiderList->GetEntry(doc_.Index)) parent = e->LinkItem;
  }
  HostOp& op = batch_.Push(HostOp::kAddLinkItem);
  op.item = parent;
  op.s1 = text;
  op.num = -1;
  return static_cast<int>(batch_.ops.size()) - 1;
}

void TLinkJudge::SetLinkIcon(int op, int icon) {
  if (op >= 0 && op < static_cast<int>(batch_.ops.size()))
    batch_.ops[static_cast<std::size_t>(op)].num = icon;
}

bool TLinkJudge::AddEntry(const TURL& url, std::int32_t referrer, int linkOp, std::int32_t level) {
  if (!RoomForEntry(url)) return false;
  if (!s_.SpiderList->AddURL(url, referrer, level)) return false;
  const std::int32_t index = s_.SpiderList->Count() - 1;
  // Filled in place: with TrArgs here GCC 12 reports a false -Wrestrict in
  // ResolveLink's inlined string copies.
  std::string line = translate("Engine", "     => ++ 添加新的链接: %1");
  if (const auto at = line.find("%1"); at != std::string::npos)
    line.replace(at, 2, ComposeURL(url));
  batch_.Log(line);
  HostOp& dir = batch_.Push(HostOp::kAddDirItem);
  dir.target = index;
  dir.urlIndex = static_cast<std::int32_t>(batch_.urls.size());
  batch_.urls.push_back(url);
  if (linkOp >= 0 && linkOp < static_cast<int>(batch_.ops.size()))
    batch_.ops[static_cast<std::size_t>(linkOp)].target = index;
  ++batch_.counters[TCounters::kQueued];
  if (IsHypertext(url)) ++batch_.counters[TCounters::kQueuedHt];
  batch_.countersReported = true;
  return true;
}

bool TLinkJudge::ResolveLink(const std::string& raw, bool strict, TURL& u,
                             std::string& fragment) const {
  TURL parsed;
  if (!ParseURL(NormalizeLink(raw), strict, parsed, fragment)) return false;
  if (baseSet_) parsed = ResolveURL(baseURL_, parsed);
  u = ResolveURL(doc_.URL, parsed);
  if (u.Path.empty()) u.Path = "/";
  return true;
}

bool TLinkJudge::JudgeHttp(const TURL& u, int mode, bool levelLimit, bool collect, IconRule icons) {
  const TrawlonixDefinition& d = s_.Definition;
  const std::int32_t next = doc_.Level + 1;
  bool admitted = IsAdmitted(mode, startURL_.Host, startURL_.Path, d, u.Path, u.Host);
  if (admitted && (!followLinks_ || RefusedAsTrap(u))) admitted = false;
  const bool ht = IsHypertext(u);
  if (admitted && levelLimit && d.LevelLimit && (ht || u.Ext.empty()))
    admitted = next <= static_cast<std::int32_t>(d.MaxLevel) && next <= 30;
  if (collect && d.actCollect) {
    bool take = false;
    switch (d.actColOpt) {
      case coLinksToOtherServers:
        take = !IsAdmitted(lmThisServer, startURL_.Host, startURL_.Path, d, u.Path, u.Host);
        break;
      case coUnprocessedLinks:
        take = !admitted;
        break;
      case coAllLinks:
        take = true;
        break;
      default:  // a damaged project file: nothing is collected
        break;
    }
    if (take) OfferCollected(u);
  }
  const int op =
      AddLinkTreeItem(admitted ? RelativeLink(doc_.URL.Path, u.Path, u.FileName) : ComposeURL(u));
  const bool isNew = admitted && AddEntry(u, doc_.Index, op, next);
  if (op >= 0) {
    int icon = FileIcon(u);
    if (icons == IconRule::Html && !admitted)
      icon = 17;
    else if (!isNew && ht)
      icon = 18;
    SetLinkIcon(op, icon);
  }
  return admitted;
}

void TLinkJudge::JudgeLink(std::string& text, TLinkKind kind) {
  if (kind == lkHyperlink) {
    // A new anchor (or LINK) begins: the rows of earlier links no longer
    // wait for a text, and the rows this link adds are the ones that do.
    ReleaseHeldOffers();
    ForgetWaitingRows();
    inAnchorLink_ = true;
    anchorRowsWait_ = true;
  }
  JudgeLinkText(text, kind);
  inAnchorLink_ = false;
}

void TLinkJudge::JudgeLinkText(std::string& text, TLinkKind kind) {
  if (text.empty() || text[0] == '#') return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text, s_.Definition.StrictUrl, u, fragment)) return;

  if (u.Protocol == "mailto") OfferEMail(u.User + "@" + u.Host);
  if (u.Protocol == "javascript") {
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos) {
      std::string code = text.substr(colon + 1);
      ScanScriptCode(code);
      text = text.substr(0, colon + 1) + code;
    }
  }
  if (!IsWebProtocol(u.Protocol)) {
    const int opt = s_.Definition.actColOpt;
    if (opt == coLinksToOtherServers || opt == coAllLinks) OfferCollected(u);
    return;
  }
  const bool collectKind =
      kind == lkHyperlink || kind == lkFrame || kind == lkMapArea || kind == lkRefresh;
  const bool admitted = JudgeHttp(u, LimitFor(kind, u), true, collectKind, IconRule::Html);
  // A page links to what a script string only guessed: its failure is a
  // broken link of the site after all.
  if (admitted) {
    if (AGetEntry* e = s_.SpiderList->GetEntry(s_.SpiderList->IndexOf(u))) e->Guessed = false;
  }
  if (admitted)
    RewriteAdmitted(text, u, fragment);
  else if (s_.Definition.ChgExtLink)
    text = ComposeURL(u) + fragment;
}

}  // namespace trawlonix
