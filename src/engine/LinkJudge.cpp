// The judge's document side: the reader a document goes to, the parser
// callbacks that judge and rewrite what is found in it, BASE, and local names.
// Link admission itself is in LinkAdmission.cpp.
#include "engine/LinkJudge.h"

#include <cctype>

#include "base/Text.h"
#include "base/Translate.h"
#include "url/urlscheme.h"

namespace trawlonix {

TLinkJudge::TLinkJudge(const TJudgeSetup& setup, HostBatch& batch) : s_(setup), batch_(batch) {
  ParseURL(s_.Definition.StartingUrl, s_.Definition.StrictUrl, startURL_);
  textParser_.OnLink = [this](std::string& link, TLinkKind kind) { JudgeLink(link, kind); };
  textParser_.OnBase = [this](const std::string& href) { SetBase(href); };
  textParser_.OnLinkText = [this](const std::string& text) { AnchorText(text); };
  textParser_.OnScript = [this](std::string& code) { ScanScriptCode(code); };
  textParser_.OnScriptLink = [this](std::string& literal) { JudgeScriptString(literal); };
  classParser_.OnClassRef = [this](const std::string& name) { JudgeClassLink(name); };
  classParser_.OnMessage = [this](const std::string& text) { batch_.Log("     >JAVA> " + text); };
  flashParser_.OnURL = [this](const std::string& url) { JudgeFlashLink(url); };
  flashParser_.OnMessage = [this](const std::string& text) { batch_.Log("     >FLASH> " + text); };
}

void TLinkJudge::AddStartEntry() {
  AddEntry(startURL_, -10, -1, 0);
  batch_.Push(HostOp::kExpandDirTree);
}

void TLinkJudge::BeginDocument(std::int32_t index) {
  TJudgeDocument doc;
  doc.Index = index;
  if (const AGetEntry* e = s_.SpiderList->GetEntry(index)) {
    doc.URL = e->URL;
    doc.Level = e->Level;
  } else {
    doc.URL = doc_.URL;
    doc.Level = doc_.Level;
  }
  BeginDocument(doc);
}

void TLinkJudge::BeginDocument(const TJudgeDocument& doc) {
  ReleaseHeldOffers();
  anchorRowsWait_ = false;
  doc_ = doc;
  baseSet_ = false;
  followLinks_ = true;
  batch_.Push(HostOp::kForgetLastRow);
  hostRowsWait_ = false;
}

bool TLinkJudge::IsHypertext(const TURL& url) const {
  const std::string e = text::Lower(text::Trim(url.Ext));
  for (const std::string& x : s_.HypertextExtensions)
    if (x == e) return true;
  return false;
}

TContentReader TLinkJudge::ReaderFor(const std::string& contentType) const {
  return ContentReaderFor(doc_.URL.Ext, contentType);
}

TContentReader ContentReaderFor(const std::string& ext, const std::string& contentType) {
  const std::string c = text::Lower(text::Trim(contentType)).substr(0, 9);
  const std::string e = text::Lower(text::Trim(ext));
  if (c == "text/html" || e == "htc") return TContentReader::Html;
  if (e == "class") return TContentReader::JavaClass;
  if (e == "swf") return TContentReader::Flash;
  if (e == "js") return TContentReader::Script;
  if (e == "css") return TContentReader::Style;
  return TContentReader::Other;
}

bool TLinkJudge::Read(TContentReader reader, const std::string& data, std::string* rewritten) {
  followLinks_ = FollowsLinksOf(reader);
  if (!followLinks_)
    batch_.Log(TrArgs(translate("Engine", "     超出层级限制 (层级 %1): 不跟随此文档中的链接。"),
                      {std::to_string(doc_.Level)}));
  auto runText = [&](TParseMode mode) {
    batch_.Push(HostOp::kBeginUpdate);
    if (rewritten) rewritten->clear();
    textParser_.Parse(data, rewritten, mode);
    ReleaseHeldOffers();
    batch_.Push(HostOp::kEndUpdate);
  };
  switch (reader) {
    case TContentReader::Html:
      runText(pmHTML);
      return true;
    case TContentReader::Script:
      // Strings in a script name files relative to the page that runs it.
      if (const AGetEntry* cur = s_.SpiderList->GetEntry(doc_.Index)) {
        if (const AGetEntry* ref = s_.SpiderList->GetEntry(cur->Referrer)) doc_.URL = ref->URL;
      }
      runText(pmScript);
      return true;
    case TContentReader::Style:
      // A style sheet's url() references are relative to the sheet itself, so
      // the sheet's own URL stays the current document.
      runText(pmStyle);
      return true;
    case TContentReader::JavaClass: {
      const bool ok = classParser_.Parse(data);
      ReleaseHeldOffers();
      return ok;
    }
    case TContentReader::Flash: {
      const bool ok = flashParser_.Parse(data);
      ReleaseHeldOffers();
      return ok;
    }
    case TContentReader::Other:
      return true;
  }
  return true;
}

void TLinkJudge::AnchorText(const std::string& text) {
  // Only rows this anchor added can take its text; most anchors add none.
  if (hostRowsWait_) batch_.Push(HostOp::kSetReference).s1 = text;
  anchorRowsWait_ = false;
  ReleaseHeldOffers();
}

void TLinkJudge::PushOffer(HostOp op) {
  if (inAnchorLink_) {
    batch_.ops.push_back(std::move(op));
    hostRowsWait_ = true;
  } else if (anchorRowsWait_) {
    heldOffers_.push_back(std::move(op));
  } else {
    batch_.ops.push_back(std::move(op));
    hostRowsWait_ = true;
    ForgetWaitingRows();
  }
}

void TLinkJudge::ReleaseHeldOffers() {
  if (heldOffers_.empty()) return;
  for (HostOp& op : heldOffers_)
    batch_.ops.push_back(std::move(op));
  heldOffers_.clear();
  hostRowsWait_ = true;
  ForgetWaitingRows();
}

void TLinkJudge::ForgetWaitingRows() {
  // Sent only when the host holds rows that wait: one operation per link of
  // every page would otherwise cross to the host's thread for nothing.
  if (!hostRowsWait_) return;
  batch_.Push(HostOp::kForgetLastRow);
  hostRowsWait_ = false;
}

void TLinkJudge::SetBase(const std::string& text) {
  TURL parsed;
  if (ParseURL(text, false, parsed) && IsWebProtocol(parsed.Protocol)) {
    baseURL_ = ResolveURL(doc_.URL, parsed);
    baseSet_ = true;
    return;
  }
  baseSet_ = false;
}

TNamingOptions TLinkJudge::PlainNamingOptionsFor(const TURL& url) {
  TNamingOptions opt;
  opt.IndexFileName = s_.IndexFileName;
  if (HasScriptQuery(url)) opt.RedirectNumber = s_.RedirectList->NumberFor(url);
  opt.HTMLRenList = s_.Definition.HTMLRenList.get();
  opt.OnlyRenameSkriptURL = s_.Definition.OnlyRenameSkriptURL;
  opt.StartServer = &startURL_;
  return opt;
}

TNamingOptions TLinkJudge::NamingOptionsFor(const TURL& url) {
  TNamingOptions opt = PlainNamingOptionsFor(url);
  ClaimNames();
  const std::int32_t index = ListedIndexOf(url);
  if (index >= 0) {
    if (auto it = collisionNumbers_.find(index); it != collisionNumbers_.end())
      opt.CollisionNumber = it->second;
  } else {
    // Not listed (refused by a cap, say): the first name nobody holds,
    // claimed by nobody.
    opt.CollisionNumber = FreeCollisionNumber(url, opt, -1);
  }
  return opt;
}

namespace {

std::uint64_t NameKey(const std::string& name) {
  return std::hash<std::string>{}(name);
}

}  // namespace

std::optional<std::int32_t> TLinkJudge::FreeCollisionNumber(const TURL& url, TNamingOptions opt,
                                                            std::int32_t index) {
  const std::optional<std::string> natural = LocalFileName("", url, opt);
  if (!natural) return std::nullopt;
  const std::uint64_t key = NameKey(*natural);
  const auto owner = nameOwners_.find(key);
  if (owner == nameOwners_.end() || owner->second == index) return std::nullopt;
  // The search goes on where the last claim of this name stopped, so that a
  // site writing one name in many ways costs one step per URL; it is
  // bounded, and the last number is taken even when it is held.
  constexpr std::int32_t kMaxTries = 10000;
  std::int32_t& next = nextNumber_[key];
  const std::int32_t first = next;
  for (std::int32_t n = first; n < first + kMaxTries; ++n) {
    opt.CollisionNumber = n;
    const std::optional<std::string> name = LocalFileName("", url, opt);
    if (!name) return std::nullopt;
    const auto it = nameOwners_.find(NameKey(*name));
    if (it == nameOwners_.end() || it->second == index) {
      if (index >= 0) next = n + 1;
      return n;
    }
  }
  return first + kMaxTries;
}

void TLinkJudge::ClaimName(std::int32_t index) {
  const AGetEntry* e = s_.SpiderList->GetEntry(index);
  if (!e) return;
  TNamingOptions opt = PlainNamingOptionsFor(e->URL);
  opt.CollisionNumber = FreeCollisionNumber(e->URL, opt, index);
  const std::optional<std::string> name = LocalFileName("", e->URL, opt);
  if (!name) return;
  nameOwners_.emplace(NameKey(*name), index);
  if (opt.CollisionNumber) collisionNumbers_[index] = *opt.CollisionNumber;
}

void TLinkJudge::ClaimNames() {
  while (namedUpTo_ < s_.SpiderList->Count())
    ClaimName(namedUpTo_++);
}

bool TLinkJudge::IndexFormOf(const TURL& url, TURL& other) const {
  if (HasScriptQuery(url) || s_.IndexFileName.empty()) return false;
  other = url;
  if (url.FileName.empty()) {
    other.FileName = s_.IndexFileName;
    const std::size_t dot = other.FileName.rfind('.');
    other.Ext = dot == std::string::npos ? std::string() : other.FileName.substr(dot + 1);
    return true;
  }
  if (url.FileName != s_.IndexFileName) return false;
  other.FileName.clear();
  other.Ext.clear();
  return true;
}

std::int32_t TLinkJudge::ListedIndexOf(const TURL& url) const {
  const std::int32_t index = s_.SpiderList->IndexOf(url);
  if (index >= 0) return index;
  TURL other;
  return IndexFormOf(url, other) ? s_.SpiderList->IndexOf(other) : -1;
}

std::string TLinkJudge::LocalNameFor(const TURL& url, std::string* display) {
  const TNamingOptions opt = NamingOptionsFor(url);
  std::optional<std::string> name = LocalFileName(s_.LocalDir, url, opt);
  if (name) {
    if (display) *display = *name;
    return *name;
  }
  if (display) {
    // The name as it would have been, for the log line that refuses it.
    std::string file = url.FileName.empty() ? s_.IndexFileName : url.FileName;
    *display = s_.LocalDir + LocalHostDir(url.Host) + DecodeURLText(url.Path) + DecodeURLText(file);
  }
  return {};
}

void TLinkJudge::RewriteAdmitted(std::string& text, TURL u, const std::string& fragment) {
  // Without local rewriting the link stays as found.
  if (!s_.Definition.ChgLocLink) return;
  const TNamingOptions opt = NamingOptionsFor(u);
  std::optional<std::string> local = LocalLinkText(doc_.URL, u, opt);
  // A target whose local name would be refused is never stored; the link
  // then keeps pointing at the original.
  text = local ? *local + fragment : ComposeURL(u) + fragment;
}

void TLinkJudge::ScanScriptCode(std::string& code) {
  std::string out;
  out.reserve(code.size());
  std::size_t i = 0;
  while (i < code.size()) {
    const char ch = code[i];
    if (ch != '\'' && ch != '"') {
      out += ch;
      ++i;
      continue;
    }
    const std::size_t close = code.find(ch, i + 1);
    if (close == std::string::npos) {
      // A string still open at the end is written back unchanged.
      out.append(code, i, std::string::npos);
      break;
    }
    std::string s(TrimBlanks(std::string_view(code).substr(i + 1, close - i - 1)));
    JudgeScriptString(s);
    out += ch;
    out += s;
    out += ch;
    i = close + 1;
  }
  code.swap(out);
}

void TLinkJudge::JudgeScriptString(std::string& text) {
  if (text.size() <= 1) return;
  if (text.find_first_of(" ()<>[]") != std::string::npos) return;
  if (text.find_first_of("./") == std::string::npos) return;
  if (text[0] == '.' && text.compare(0, 2, "..") != 0) return;
  if (text.back() == '.') return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text, true, u, fragment)) return;
  if (u.Ext.empty()) return;
  if (!IsKnownFileExtension(u.Ext, &s_.HypertextExtensions)) return;
  // Only web addresses can be fetched; a string naming another scheme would
  // only become a broken link.
  if (!IsWebProtocol(u.Protocol)) return;
  const std::int32_t listed = s_.SpiderList->Count();
  const bool admitted = JudgeHttp(u, LimitFor(8, u), true, true, IconRule::Script);
  // A string of the code is a guess, not a link of the site: when it fails
  // it is logged but not listed as a broken link.
  if (s_.SpiderList->Count() > listed) {
    if (AGetEntry* e = s_.SpiderList->GetEntry(listed)) e->Guessed = true;
  }
  if (admitted && s_.Definition.ChgJScriptLink) RewriteAdmitted(text, u, fragment);
}

void TLinkJudge::JudgeFlashLink(const std::string& text) {
  if (text.size() <= 1 || text.find(' ') != std::string::npos) return;
  if (text.find_first_of("/.") == std::string::npos) return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text, s_.Definition.StrictUrl, u, fragment)) return;
  if (u.Protocol == "mailto") {
    OfferEMail(u.User + "@" + u.Host);
  } else if (u.Protocol == "javascript") {
    const std::size_t colon = text.find(':');
    std::string code = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    ScanScriptCode(code);
  } else if (IsWebProtocol(u.Protocol)) {
    JudgeHttp(u, LimitFor(8, u), true, true, IconRule::Html);
  }
}

void TLinkJudge::JudgeClassLink(const std::string& text) {
  if (text.compare(0, 5, "java/") == 0 || text.compare(0, 6, "javax/") == 0) return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text + ".class", false, u, fragment)) return;
  // A class name is a package path; one that carries a scheme of its own is
  // no class and would only be requested from the wrong place.
  if (!IsWebProtocol(u.Protocol)) return;
  // Only the class file's own server is asked for the classes it names, and
  // not beyond the level limit nor into a trap.
  if (!OnClassFileServer(u) || !followLinks_ || RefusedAsTrap(u)) return;
  const int op = AddLinkTreeItem(RelativeLink(doc_.URL.Path, u.Path, u.FileName));
  const bool isNew = AddEntry(u, doc_.Index, op, doc_.Level + 1);
  if (op >= 0) SetLinkIcon(op, (!isNew && IsHypertext(u)) ? 18 : FileIcon(u));
}

}  // namespace trawlonix
