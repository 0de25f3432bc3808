#include "engine/export/ExportWriter.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "base/Translate.h"

namespace trawlonix {

const char kExportMakerAddress[] = "https://www.morvek.example/";

namespace {

const char kCrLf[] = "\r\n";
// The title of an HTML export, written for people: in the interface language.
std::string Title() {
  return translate("Export", "Morvek Trawlonix 导出");
}

// ---- the plain file output ----------------------------------------------------

class TFileExportOutput : public TExportOutput {
 public:
  ~TFileExportOutput() override {
    if (file_) std::fclose(file_);
  }
  bool Create(const std::string& path) override {
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
  }
  bool Write(std::string_view bytes) override {
    if (!file_) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  bool Close() override {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
  }
  void Discard(const std::string& path) override {
    if (file_) {
      std::fclose(file_);
      file_ = nullptr;
    }
    // Only ever delete what we wrote: a regular file, never a device the user
    // named as the target.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
  }

 private:
  std::FILE* file_ = nullptr;
};

// ---- values -------------------------------------------------------------------

std::string Column(const TExportRow& row, std::size_t i) {
  return i < row.Columns.size() ? TrimExportValue(row.Columns[i]) : std::string();
}

std::string Upper(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// True when following the URL would run script instead of loading a document.
// Browsers ignore leading blanks and control bytes and tabs or line breaks
// inside the scheme, so those are skipped the same way here.
bool HasScriptScheme(std::string_view url) {
  std::string scheme;
  std::size_t i = 0;
  while (i < url.size() && static_cast<unsigned char>(url[i]) <= 0x20)
    ++i;
  for (; i < url.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (c == '\t' || c == '\r' || c == '\n') continue;
    if (c == ':') break;
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    scheme += static_cast<char>(std::tolower(c));
  }
  if (i >= url.size()) return false;
  return scheme == "javascript" || scheme == "vbscript" || scheme == "data";
}

// The values one row contributes to an HTML group, already escaped.
struct THTMLValues {
  std::string Href;  // L as the link target
  std::string L, T, R, X, H;
};

// ---- HTML layouts ---------------------------------------------------------------

struct TLayout {
  const char* Open;  // nullptr: none
  const char* Close;
  std::vector<const char*> Lines;  // {L} {T} {R} {X} {H} {HREF} are the values
};

const char kUL[] = "  <UL>";
const char kULEnd[] = "  </UL>";
const char kTableEnd[] = "  </TABLE>";
const char kBlocks[] = "  <TABLE BORDER=0 CELLPADDING=3 CELLSPACING=5>";

const std::vector<TLayout>& Layouts() {
  static const std::vector<TLayout> layouts = {
      {nullptr, nullptr, {"   <A HREF=\"{HREF}\">{T}</A><BR>"}},
      {nullptr, nullptr, {"   <A HREF=\"{HREF}\">{L}</A><BR>"}},
      {nullptr, nullptr, {"   <A HREF=\"{HREF}\">{T}</A> <FONT SIZE=-1>{L}</FONT><BR>"}},
      {kUL, kULEnd, {"   <LI><A HREF=\"{HREF}\">{T}</A>"}},
      {kUL, kULEnd, {"   <LI><A HREF=\"{HREF}\">{L}</A>"}},
      {kUL, kULEnd, {"   <LI><A HREF=\"{HREF}\">{L}</A> <FONT SIZE=-1>{T}</FONT>"}},
      {kUL, kULEnd, {"   <LI><A HREF=\"{HREF}\">{T}</A><BR><FONT SIZE=-1>{L}</FONT>"}},
      {"  <TABLE BORDER=1>",
       kTableEnd,
       {"   <TR>", "    <TD><A HREF=\"{HREF}\">{L}</A></TD>",
        "    <TD><A HREF=\"{HREF}\">{T}</A></TD>", "   </TR>"}},
      {"  <TABLE BORDER=0>",
       kTableEnd,
       {"   <TR>", "    <TD><A HREF=\"{HREF}\">{L}</A></TD>",
        "    <TD><A HREF=\"{HREF}\">{T}</A></TD>", "   </TR>"}},
      {"  <TABLE BORDER=0>",
       kTableEnd,
       {"   <TR>", "    <TD BGCOLOR=\"{H}\"><A HREF=\"{HREF}\">{L}</A></TD>",
        "    <TD BGCOLOR=\"{H}\"><A HREF=\"{HREF}\">{T}</A></TD>", "   </TR>"}},
      {kBlocks,
       kTableEnd,
       {"   <TR>", "    <TD BGCOLOR=\"{H}\"><A HREF=\"{HREF}\">{T}</A><BR>",
        "    <FONT SIZE=-1>{L}</FONT></TD>", "   </TR>"}},
      {kBlocks,
       kTableEnd,
       {"   <TR>", "    <TD BGCOLOR=\"{H}\"><A HREF=\"{HREF}\">{L}</A><BR>",
        "    <FONT SIZE=-1>{T}</FONT></TD>", "   </TR>"}},
      {kBlocks,
       kTableEnd,
       {"   <TR>", "    <TD BGCOLOR=\"{H}\"><A HREF=\"{HREF}\">{T}</A><BR>", "    <TT>{X}</TT><BR>",
        "    <FONT SIZE=-1>{L}</FONT></TD>", "   </TR>"}},
      {kBlocks,
       kTableEnd,
       {"   <TR>", QT_TRANSLATE_NOOP("Export", "    <TD BGCOLOR=\"{H}\"><I>参考: {R}</I><BR>"),
        "    <A HREF=\"{HREF}\">{T}</A><BR>", "    <TT>{X}</TT><BR>",
        "    <FONT SIZE=-1>{L}</FONT></TD>", "   </TR>"}},
  };
  return layouts;
}

// Fills a template line in one pass, so a value that happens to contain a
// placeholder is not expanded again.
std::string Fill(std::string_view tmpl, const THTMLValues& v) {
  std::string out;
  std::size_t i = 0;
  while (i < tmpl.size()) {
    if (tmpl[i] == '{') {
      const std::size_t end = tmpl.find('}', i);
      const std::string_view name = tmpl.substr(i + 1, end - i - 1);
      if (name == "HREF")
        out += v.Href;
      else if (name == "L")
        out += v.L;
      else if (name == "T")
        out += v.T;
      else if (name == "R")
        out += v.R;
      else if (name == "X")
        out += v.X;
      else if (name == "H")
        out += v.H;
      i = end + 1;
    } else {
      out += tmpl[i++];
    }
  }
  return out;
}

bool Emit(const std::function<bool(std::string_view)>& sink, std::string line) {
  line += kCrLf;
  return sink(line);
}

}  // namespace

std::unique_ptr<TExportOutput> MakeFileExportOutput() {
  return std::make_unique<TFileExportOutput>();
}

std::string TrimExportValue(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
    --e;
  return std::string(s.substr(b, e - b));
}

std::string EscapeHTML(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string FormatExportTimestamp(std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

TExportWriter::TExportWriter(TExportKind kind, TExportOptions options)
    : kind_(kind), options_(std::move(options)) {}

TExportResult TExportWriter::Write(const std::string& path, const std::vector<TExportRow>& rows) {
  const std::string& listName = ExportListName(kind_);
  if (rows.empty())
    return {TExportStatus::kEmptyList,
            TrArgs(translate("Export", "%1列表是空的，因此不能够导出！"), {listName})};
  if (std::string problem = CheckExportOptions(kind_, options_); !problem.empty())
    return {TExportStatus::kInvalidOptions, std::move(problem)};

  std::unique_ptr<TExportOutput> owned;
  TExportOutput* out = output_;
  if (!out) {
    owned = MakeFileExportOutput();
    out = owned.get();
  }
  if (!out->Create(path))
    return {TExportStatus::kCreateFailed, translate("Export", "在创建导出文件时发生错误！")};
  const TExportResult failed{TExportStatus::kWriteFailed,
                             TrArgs(translate("Export", "在导出 %1 时发生错误！"), {listName})};
  if (!Render(rows, [out](std::string_view line) { return out->Write(line); })) {
    out->Discard(path);
    return failed;
  }
  // Bytes still buffered can be lost at close (a full disk); that is a failed
  // export as much as a failed write.
  if (!out->Close()) {
    out->Discard(path);
    return failed;
  }
  return {};
}

bool TExportWriter::Render(const std::vector<TExportRow>& rows,
                           const std::function<bool(std::string_view)>& sink) const {
  if (!CheckExportOptions(kind_, options_).empty()) return false;
  return options_.Format == TExportFormat::kText ? RenderText(rows, sink) : RenderHTML(rows, sink);
}

std::string TExportWriter::RenderToString(const std::vector<TExportRow>& rows) const {
  std::string all;
  Render(rows, [&all](std::string_view line) {
    all += line;
    return true;
  });
  return all;
}

bool TExportWriter::RenderText(const std::vector<TExportRow>& rows,
                               const std::function<bool(std::string_view)>& sink) const {
  static const char* const separators[] = {";", ",", " "};
  const std::string sep = separators[static_cast<int>(options_.Separator)];
  for (const TExportRow& row : rows) {
    if (options_.SelectedOnly && !row.Selected) continue;
    std::string link = Column(row, 0);
    std::string text = Column(row, 1);
    if (options_.Quotes) {
      link = "\"" + link + "\"";
      text = "\"" + text + "\"";
    }
    std::string line;
    switch (options_.Fields) {
      case TExportFields::kLink:
        line = link;
        break;
      case TExportFields::kText:
        line = text;
        break;
      case TExportFields::kLinkText:
        line = link + sep + text;
        break;
      case TExportFields::kTextLink:
        line = text + sep + link;
        break;
    }
    if (!Emit(sink, std::move(line))) return false;
  }
  return true;
}

bool TExportWriter::RenderHTML(const std::vector<TExportRow>& rows,
                               const std::function<bool(std::string_view)>& sink) const {
  const std::string heading = TrimExportValue(options_.Heading);
  const std::string background = Upper(options_.Background);
  const std::string highlight = Upper(options_.Highlight);
  const std::string stamp =
      timestamp_.empty() ? FormatExportTimestamp(std::time(nullptr)) : timestamp_;
  const TLayout& layout = Layouts().at(static_cast<std::size_t>(options_.Layout));

  // The page holds UTF-8 (Chinese frame texts, crawled link texts); said in
  // the head, a browser need not guess.
  std::vector<std::string> head = {"<HTML>", " <HEAD>", "  <META CHARSET=\"UTF-8\">"};
  head.push_back(heading.empty()
                     ? std::string("  <TITLE>") + Title() + "</TITLE>"
                     : std::string("  <TITLE>") + Title() + "] - [" + heading + "</TITLE>");
  head.push_back(" </HEAD>");
  head.push_back(" <BODY BGCOLOR=\"" + background + "\">");
  if (heading.empty()) {
    head.push_back(std::string("  <CENTER><FONT SIZE=+2>") + Title() + "</FONT></CENTER>");
  } else {
    head.push_back(std::string("  <CENTER><FONT SIZE=+2>") + Title() + "<BR>");
    head.push_back("  " + heading + "</FONT></CENTER>");
  }
  head.push_back("  <HR>");
  head.push_back("  <P>");
  if (layout.Open) head.push_back(layout.Open);
  for (std::string& line : head)
    if (!Emit(sink, std::move(line))) return false;

  const bool links = kind_ == TExportKind::kLinks;
  for (const TExportRow& row : rows) {
    if (options_.SelectedOnly && !row.Selected) continue;
    std::string link = Column(row, 0);
    if (kind_ == TExportKind::kEMails) link = "mailto:" + link;
    THTMLValues v;
    v.L = EscapeHTML(link);
    // A target that would run script is not worth a click; the row still
    // shows the address as text.
    v.Href = HasScriptScheme(link) ? "#" : v.L;
    v.T = EscapeHTML(Column(row, 1));
    v.H = highlight;
    if (links) {
      v.R = EscapeHTML(Column(row, 2));
      const std::string result = Column(row, 3);
      v.X = EscapeHTML(result);
      if (IsFailedCheckResult(result)) v.X = "<B>" + v.X + "</B>";
    }
    for (const char* tmpl : layout.Lines)
      if (!Emit(sink, Fill(TrText("Export", tmpl), v))) return false;
  }

  std::vector<std::string> tail;
  if (layout.Close) tail.push_back(layout.Close);
  tail.push_back("  <HR>");
  const std::string maker =
      std::string("<A HREF=\"") + kExportMakerAddress + "\">Morvek Trawlonix</A>";
  tail.push_back("  <CENTER><FONT SIZE=+1>" + TrArgs(translate("Export", "用 %1 创建"), {maker}) +
                 "</FONT><BR>");
  tail.push_back("  <FONT SIZE=-1>" + stamp + "</FONT></CENTER>");
  tail.push_back(" </BODY>");
  tail.push_back("</HTML>");
  for (std::string& line : tail)
    if (!Emit(sink, std::move(line))) return false;
  return true;
}

}  // namespace trawlonix
