#include "engine/export/ExportOptions.h"

#include <cctype>

#include "base/Translate.h"

namespace trawlonix {

namespace {

template <std::size_t N>
std::vector<std::string> Translated(const char* const (&texts)[N]) {
  std::vector<std::string> out;
  for (const char* t : texts)
    out.push_back(TrText("Export", t));
  return out;
}

int Index(TExportKind kind) {
  const int i = static_cast<int>(kind);
  return i >= 0 && i <= 2 ? i : 0;
}

std::vector<std::string> LinkLayouts() {
  static const char* const names[] = {
      QT_TRANSLATE_NOOP("Export", "文本列表"),
      QT_TRANSLATE_NOOP("Export", "链接列表"),
      QT_TRANSLATE_NOOP("Export", "链接和文本列表"),
      QT_TRANSLATE_NOOP("Export", "列出文本"),
      QT_TRANSLATE_NOOP("Export", "列出链接"),
      QT_TRANSLATE_NOOP("Export", "列出链接和文本"),
      QT_TRANSLATE_NOOP("Export", "列出文本和链接(小)"),
      QT_TRANSLATE_NOOP("Export", "有 2 列带框架的表格"),
      QT_TRANSLATE_NOOP("Export", "有 2 列不带框架的表格"),
      QT_TRANSLATE_NOOP("Export", "有 2 列带突出显示的表格"),
      QT_TRANSLATE_NOOP("Export", "突出显示的区块(文本，链接)"),
      QT_TRANSLATE_NOOP("Export", "突出显示的区块(链接，文本)"),
      QT_TRANSLATE_NOOP("Export", "突出显示的区块(文本，文本结果，链接)"),
      QT_TRANSLATE_NOOP("Export", "突出显示的区块(参考，文本，文本结果，链接)"),
  };
  return Translated(names);
}

std::vector<std::string> EMailLayouts() {
  static const char* const names[] = {
      QT_TRANSLATE_NOOP("Export", "文本列表"),
      QT_TRANSLATE_NOOP("Export", "电邮地址列表"),
      QT_TRANSLATE_NOOP("Export", "电邮地址和文本列表"),
      QT_TRANSLATE_NOOP("Export", "列出文本"),
      QT_TRANSLATE_NOOP("Export", "列出电邮地址"),
      QT_TRANSLATE_NOOP("Export", "列出电邮地址和文本"),
      QT_TRANSLATE_NOOP("Export", "列出文本和电邮地址(小)"),
      QT_TRANSLATE_NOOP("Export", "有 2 列带框架的表格"),
      QT_TRANSLATE_NOOP("Export", "有 2 列不带框架的表格"),
      QT_TRANSLATE_NOOP("Export", "有 2 列带突出显示的表格"),
      QT_TRANSLATE_NOOP("Export", "突出显示的区块(文本，电邮地址)"),
      QT_TRANSLATE_NOOP("Export", "突出显示的区块(电邮地址，文本)"),
  };
  return Translated(names);
}

// Broken links have no reference or test result, so the last two layouts,
// which show them, are not offered.
std::vector<std::string> BrokenLayouts() {
  std::vector<std::string> names = LinkLayouts();
  names.resize(12);
  return names;
}

bool IsColour(const std::string& s) {
  if (s.size() != 7 || s[0] != '#') return false;
  for (std::size_t i = 1; i < s.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

}  // namespace

TExportOptions DefaultExportOptions(TExportKind) {
  // The wizard starts every kind alike: all rows, HTML, link and text, ";",
  // quotes, no heading, layout 10, white background, silver highlight.
  return TExportOptions{};
}

std::string ExportListName(TExportKind kind) {
  static const char* const names[3] = {QT_TRANSLATE_NOOP("Export", "收集的链接"),
                                       QT_TRANSLATE_NOOP("Export", "收集的电邮地址"),
                                       QT_TRANSLATE_NOOP("Export", "错误链接")};
  return TrText("Export", names[Index(kind)]);
}

std::string ExportCaption(TExportKind kind) {
  static const char* const captions[3] = {QT_TRANSLATE_NOOP("Export", "导出收集的链接..."),
                                          QT_TRANSLATE_NOOP("Export", "导出收集的电邮地址..."),
                                          QT_TRANSLATE_NOOP("Export", "导出错误链接...")};
  return TrText("Export", captions[Index(kind)]);
}

std::vector<std::string> ExportLayoutNames(TExportKind kind) {
  switch (kind) {
    case TExportKind::kEMails:
      return EMailLayouts();
    case TExportKind::kBrokenLinks:
      return BrokenLayouts();
    default:
      return LinkLayouts();
  }
}

std::array<std::string, 4> ExportFieldCaptions(TExportKind kind) {
  static const char* const links[4] = {
      QT_TRANSLATE_NOOP("Export", "只要链接"), QT_TRANSLATE_NOOP("Export", "只要文本"),
      QT_TRANSLATE_NOOP("Export", "链接和文本"), QT_TRANSLATE_NOOP("Export", "文本和链接")};
  static const char* const mails[4] = {
      QT_TRANSLATE_NOOP("Export", "只要电邮"), QT_TRANSLATE_NOOP("Export", "只要文本"),
      QT_TRANSLATE_NOOP("Export", "电邮和文本"), QT_TRANSLATE_NOOP("Export", "文本和电邮")};
  const char* const* texts = kind == TExportKind::kEMails ? mails : links;
  return {TrText("Export", texts[0]), TrText("Export", texts[1]), TrText("Export", texts[2]),
          TrText("Export", texts[3])};
}

std::string FormatExportColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s = "#";
  for (std::uint8_t b : {red, green, blue}) {
    s += digits[b >> 4];
    s += digits[b & 0x0F];
  }
  return s;
}

std::string CheckExportOptions(TExportKind kind, const TExportOptions& o) {
  const int k = static_cast<int>(kind);
  if (k < 0 || k > 2) return "unknown list kind " + std::to_string(k);
  const int format = static_cast<int>(o.Format);
  if (format < 0 || format > 1) return "unknown export format " + std::to_string(format);
  const int fields = static_cast<int>(o.Fields);
  if (fields < 0 || fields > 3) return "fields must be 0 to 3, not " + std::to_string(fields);
  const int sep = static_cast<int>(o.Separator);
  if (sep < 0 || sep > 2) return "separator must be 0 to 2, not " + std::to_string(sep);
  const int layouts = static_cast<int>(ExportLayoutNames(kind).size());
  if (o.Layout < 0 || o.Layout >= layouts)
    return "layout " + std::to_string(o.Layout) + " does not exist for this list (0 to " +
           std::to_string(layouts - 1) + ")";
  if (!IsColour(o.Background)) return "background colour must be #RRGGBB: " + o.Background;
  if (!IsColour(o.Highlight)) return "highlight colour must be #RRGGBB: " + o.Highlight;
  return {};
}

bool IsFailedCheckResult(const std::string& result) {
  return result.rfind(kCheckFailedPrefix, 0) == 0;
}

}  // namespace trawlonix
