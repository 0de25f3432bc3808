// Content dispatch: which handler reads a received document, and the parser
// callbacks that judge and rewrite what they find in it.
#include <cctype>

#include "engine/TrawlonixThread.h"
#include "model/SpiderTools.h"
#include "url/urlscheme.h"

namespace trawlonix {

namespace {

std::string LowerTrim(std::string_view s) {
  std::string_view t = TrimBlanks(s);
  std::string out(t);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct TextLines {
  const char* start;
  const char* end;
};
constexpr TextLines kHtmlLines{"启动标签解析器...", "标签解析器完成。"};
constexpr TextLines kScriptLines{"启动 JavaScript 解析器...", "JavaScript 解析器完成。"};
constexpr TextLines kStyleLines{"启动 CSS 解析器...", "CSS 解析器完成。"};

}  // namespace

void TTrawlonixThread::Dispatch(int slot, const std::string& data, const std::string& contentType,
                                TOutput* out) {
  CurrentSlot = slot;
  const std::string p = SlotPrefix(slot);
  const std::string c = LowerTrim(contentType).substr(0, 9);
  const std::string e = LowerTrim(CurrentURL.Ext);

  auto saveCopy = [&](const char* errorText) {
    if (!out) return;
    if (out->Commit(data))
      Log(p + "保存文件");
    else
      Log(errorText + out->Name());
  };
  auto runText = [&](const TextLines& lines, TParseMode mode) {
    Log(p + lines.start);
    batch_.Push(HostOp::kBeginUpdate);
    rewriteBuf_.clear();
    textParser_.Parse(data, out ? &rewriteBuf_ : nullptr, mode);
    batch_.Push(HostOp::kEndUpdate);
    if (out) {
      if (!out->Commit(rewriteBuf_)) Log("！错误: 不能写入到文件 " + out->Name());
      Log(p + "保存文件");
    }
    Log(p + lines.end);
  };

  if (c == "text/html" || e == "htc") {
    runText(kHtmlLines, pmHTML);
  } else if (e == "class") {
    Log(p + "启动 JAVA(tm)-VM 类解析器...");
    if (!classParser_.Parse(data)) Log(p + "！！错误！！ 类解析器失败: 未料到的文件结尾");
    saveCopy("！错误: 不能写入到文件 ");
    Log(p + "JAVA(tm)-VM 类解析器完成。");
  } else if (e == "swf") {
    Log(p + "启动 Macromedia(C) FLASH(tm) 解析器...");
    if (!flashParser_.Parse(data)) Log(p + "！！错误！！ FLASH(tm)-解析器失败: 未料到的文件结尾");
    saveCopy("！错误: 不能创建文件 ");
    Log(p + "Macromedia(C) FLASH(tm) 解析器完成。");
  } else if (e == "js") {
    // Strings in a script name files relative to the page that runs it.
    if (const AGetEntry* cur = S.SpiderList->GetEntry(CurrentIndex)) {
      if (const AGetEntry* ref = S.SpiderList->GetEntry(cur->Referrer)) CurrentURL = ref->URL;
    }
    runText(kScriptLines, pmScript);
  } else if (e == "css") {
    // A style sheet's url() references are relative to the sheet itself, so
    // the sheet's own URL stays the current document.
    runText(kStyleLines, pmStyle);
  } else {
    Log(p + "不是文本或者 html 文档。");
    saveCopy("！错误: 不能写入到文件 ");
  }
}

void TTrawlonixThread::SetBase(const std::string& text) {
  TURL parsed;
  if (ParseURL(text, false, parsed)) {
    std::string proto = parsed.Protocol;
    for (char& ch : proto)
      ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (proto == "HTTP") {
      BaseURL = ResolveURL(CurrentURL, parsed);
      BaseSet = true;
      return;
    }
  }
  BaseSet = false;
}

void TTrawlonixThread::RewriteAdmitted(std::string& text, TURL u, const std::string& fragment) {
  // Without local rewriting the link stays as found.
  if (!S.Definition.ChgLocLink) return;
  const TNamingOptions opt = NamingOptionsFor(u);
  std::optional<std::string> local = LocalLinkText(CurrentURL, u, opt);
  // A target whose local name would be refused is never stored; the link
  // then keeps pointing at the original.
  text = local ? *local + fragment : ComposeURL(u) + fragment;
}

void TTrawlonixThread::ScanScriptCode(std::string& code) {
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

void TTrawlonixThread::JudgeScriptString(std::string& text) {
  if (text.size() <= 1) return;
  if (text.find_first_of(" ()<>[]") != std::string::npos) return;
  if (text.find_first_of("./") == std::string::npos) return;
  if (text[0] == '.' && text.compare(0, 2, "..") != 0) return;
  if (text.back() == '.') return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text, true, u, fragment)) return;
  if (u.Ext.empty()) return;
  // Only web addresses can be fetched; a string naming another scheme would
  // only become a broken link.
  if (!IsWebProtocol(u.Protocol)) return;
  const bool admitted = JudgeHttp(u, LimitFor(8, u), false, true, IconRule::Script);
  if (admitted && S.Definition.ChgJScriptLink) RewriteAdmitted(text, u, fragment);
}

void TTrawlonixThread::JudgeFlashLink(const std::string& text) {
  if (text.size() <= 1 || text.find(' ') != std::string::npos) return;
  if (text.find_first_of("/.") == std::string::npos) return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text, S.Definition.StrictUrl, u, fragment)) return;
  if (u.Protocol == "mailto") {
    OfferEMail(u.User + "@" + u.Host);
  } else if (u.Protocol == "javascript") {
    const std::size_t colon = text.find(':');
    std::string code = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    ScanScriptCode(code);
  } else if (IsWebProtocol(u.Protocol)) {
    JudgeHttp(u, LimitFor(8, u), false, true, IconRule::Html);
  }
}

void TTrawlonixThread::JudgeClassLink(const std::string& text) {
  if (text.compare(0, 5, "java/") == 0 || text.compare(0, 6, "javax/") == 0) return;
  TURL u;
  std::string fragment;
  if (!ResolveLink(text + ".class", false, u, fragment)) return;
  // A class name is a package path; one that carries a scheme of its own is
  // no class and would only be requested from the wrong place.
  if (!IsWebProtocol(u.Protocol)) return;
  const int op = AddLinkTreeItem(RelativeLink(CurrentURL.Path, u.Path, u.FileName));
  const bool isNew = AddEntry(u, CurrentIndex, op, CurrentLevel + 1);
  if (op >= 0) SetLinkIcon(op, (!isNew && IsHypertext(u)) ? 18 : FileIcon(u));
}

}  // namespace trawlonix
