// Link admission: which found links are fetched, collected, shown in the link
// tree and how their text is rewritten.
#include <cctype>

#include "engine/TrawlonixThread.h"
#include "model/SpiderTools.h"
#include "url/urlscheme.h"

namespace trawlonix {

namespace {

bool SameHost(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

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
    if (SameHost(u.Host, linkHost) && StartsWith(linkPath, u.Path)) return true;
  }
  return false;
}

}  // namespace

bool TTrawlonixThread::IsAdmitted(int mode, const std::string& startHost,
                                  const std::string& startPath, const TrawlonixDefinition& def,
                                  const std::string& linkPath, const std::string& linkHost) {
  switch (mode) {
    case lmStartDirOnly:
      return SameHost(linkHost, startHost) && linkPath == startPath;
    case lmStartDirAndBelow:
      return SameHost(linkHost, startHost) && StartsWith(linkPath, startPath);
    case lmThisServer:
      return SameHost(linkHost, startHost);
    case lmPositiveListOnly:
      return ListMatches(def.Positivlist.get(), linkPath, linkHost);
    case lmNotInNegativeList:
      return !ListMatches(def.Negativlist.get(), linkPath, linkHost);
    case lmThisServerNotNegative:
      return SameHost(linkHost, startHost) &&
             !ListMatches(def.Negativlist.get(), linkPath, linkHost);
    case lmPositiveNotNegative:
      return ListMatches(def.Positivlist.get(), linkPath, linkHost) &&
             !ListMatches(def.Negativlist.get(), linkPath, linkHost);
    case lmUnlimited:
      return true;
    default:  // lmNeverDownload, and anything a damaged project file holds
      return false;
  }
}

int TTrawlonixThread::LimitFor(int kind, const TURL& u) const {
  const TrawlonixDefinition& d = S.Definition;
  const int byExt = (IsHypertext(u) || u.FileName.empty()) ? d.LimitHtDocs : d.LimitLinked;
  if (kind == lkImage) return d.LimitIlImages;
  if (kind == lkHyperlink || kind == lkFrame) return byExt;
  if (kind == lkApplet || kind == lkEmbedded) return d.LimitEmbeded;
  if (kind >= lkMapArea && kind <= 8) return byExt;
  return lmStartDirAndBelow;
}

int TTrawlonixThread::FileIcon(const TURL& url) const {
  return static_cast<int>(FileTypeOf(url, &S.Options.HTMLRecList)) + 1;
}

void TTrawlonixThread::OfferCollected(const TURL& u) {
  if (!S.Definition.actCollect) return;
  HostOp& op = batch_.Push(HostOp::kOfferLink);
  op.s1 = ComposeURL(u);
  op.s2 = ComposeURL(CurrentURL);
}

void TTrawlonixThread::OfferEMail(const std::string& address) {
  if (!S.Definition.actEMails) return;
  HostOp& op = batch_.Push(HostOp::kOfferEMail);
  op.s1 = address;
  op.s2 = ComposeURL(CurrentURL);
}

int TTrawlonixThread::AddLinkTreeItem(const std::string& text) {
  if (!S.Options.ShowLinkStructure) return -1;
  TItemHandle parent = 0;
  if (CurrentIndex >= 1) {
    if (const AGetEntry* e = S.SpiderList->GetEntry(CurrentIndex)) parent = e->LinkItem;
  }
  HostOp& op = batch_.Push(HostOp::kAddLinkItem);
  op.item = parent;
  op.s1 = text;
  op.num = -1;
  return static_cast<int>(batch_.ops.size()) - 1;
}

void TTrawlonixThread::SetLinkIcon(int op, int icon) {
  if (op >= 0 && op < static_cast<int>(batch_.ops.size()))
    batch_.ops[static_cast<std::size_t>(op)].num = icon;
}

bool TTrawlonixThread::AddEntry(const TURL& url, std::int32_t referrer, int linkOp,
                                std::int32_t level) {
  if (!S.SpiderList->AddURL(url, referrer, level)) return false;
  const std::int32_t index = S.SpiderList->Count() - 1;
  Log("     => ++ 添加新的链接: " + ComposeURL(url));
  HostOp& dir = batch_.Push(HostOp::kAddDirItem);
  dir.target = index;
  dir.urlIndex = static_cast<std::int32_t>(batch_.urls.size());
  batch_.urls.push_back(url);
  if (linkOp >= 0 && linkOp < static_cast<int>(batch_.ops.size()))
    batch_.ops[static_cast<std::size_t>(linkOp)].target = index;
  ++Counters[TCounters::kQueued];
  if (IsHypertext(url)) ++Counters[TCounters::kQueuedHt];
  ReportCounters();
  return true;
}

bool TTrawlonixThread::ResolveLink(const std::string& raw, bool strict, TURL& u,
                                   std::string& fragment) const {
  TURL parsed;
  if (!ParseURL(NormalizeLink(raw), strict, parsed, fragment)) return false;
  if (BaseSet) parsed = ResolveURL(BaseURL, parsed);
  u = ResolveURL(CurrentURL, parsed);
  if (u.Path.empty()) u.Path = "/";
  return true;
}

bool TTrawlonixThread::JudgeHttp(const TURL& u, int mode, bool levelLimit, bool collect,
                                 IconRule icons) {
  const TrawlonixDefinition& d = S.Definition;
  bool admitted = IsAdmitted(mode, StartURL.Host, StartURL.Path, d, u.Path, u.Host);
  const bool ht = IsHypertext(u);
  if (admitted && levelLimit && d.LevelLimit && (ht || u.Ext.empty())) {
    admitted = CurrentLevel + 1 <= static_cast<std::int32_t>(d.MaxLevel) && CurrentLevel + 1 <= 30;
  }
  if (collect && d.actCollect) {
    bool take = false;
    switch (d.actColOpt) {
      case coLinksToOtherServers:
        take = !IsAdmitted(lmThisServer, StartURL.Host, StartURL.Path, d, u.Path, u.Host);
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
      AddLinkTreeItem(admitted ? RelativeLink(CurrentURL.Path, u.Path, u.FileName) : ComposeURL(u));
  bool isNew = false;
  if (admitted) isNew = AddEntry(u, CurrentIndex, op, CurrentLevel + 1);
  if (op >= 0) {
    int icon = FileIcon(u);
    if (icons == IconRule::Html) {
      if (!admitted)
        icon = 17;
      else if (!isNew && ht)
        icon = 18;
    } else if (!isNew && ht) {
      icon = 18;
    }
    SetLinkIcon(op, icon);
  }
  return admitted;
}

void TTrawlonixThread::JudgeLink(std::string& text, TLinkKind kind) {
  if (text.empty() || text[0] == '#') return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text, S.Definition.StrictUrl, u, fragment)) return;

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
    const int opt = S.Definition.actColOpt;
    if (opt == coLinksToOtherServers || opt == coAllLinks) OfferCollected(u);
    return;
  }
  const bool collectKind =
      kind == lkHyperlink || kind == lkFrame || kind == lkMapArea || kind == lkRefresh;
  const bool admitted = JudgeHttp(u, LimitFor(kind, u), true, collectKind, IconRule::Html);
  if (admitted)
    RewriteAdmitted(text, u, fragment);
  else if (S.Definition.ChgExtLink)
    text = ComposeURL(u) + fragment;
}

}  // namespace trawlonix
