// What an export of a result list is asked to do: the list kind, the rows as
// the list view holds them, and the choices of the export wizard. The names and
// texts here are shared by the desktop wizard and the command-line tool so both
// offer the same layouts and defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trawlonix {

// The list numbers the main window passes to the export.
enum class TExportKind { kLinks = 0, kEMails = 1, kBrokenLinks = 2 };

// One row of a result list: its column texts in column order and whether the
// row is selected in its view. Columns: links "URL", "参考文本", "第一次出现",
// "测试结果"; e-mails "电邮地址", "参考文本", "第一次出现"; broken links "URL",
// "错误信息", "第一次出现". Missing columns count as empty.
struct TExportRow {
  std::vector<std::string> Columns;
  bool Selected = false;
};

enum class TExportFormat { kText = 0, kHTML = 1 };
// Text form: which fields make a line.
enum class TExportFields { kLink = 0, kText = 1, kLinkText = 2, kTextLink = 3 };
// Text form: the separator between two fields.
enum class TExportSeparator { kSemicolon = 0, kComma = 1, kBlank = 2 };

struct TExportOptions {
  bool SelectedOnly = false;  // export only the selected rows
  TExportFormat Format = TExportFormat::kHTML;
  // Text form
  TExportFields Fields = TExportFields::kLinkText;
  TExportSeparator Separator = TExportSeparator::kSemicolon;
  bool Quotes = true;
  // HTML form
  std::string Heading;  // written trimmed; empty gives the plain title
  int Layout = 10;      // index into ExportLayoutNames(kind)
  std::string Background = "#FFFFFF";
  std::string Highlight = "#C0C0C0";
};

// The wizard's heading field takes at most this many characters.
constexpr std::size_t kExportHeadingMaxLength = 200;

// The wizard's starting choices for a list kind.
TExportOptions DefaultExportOptions(TExportKind kind);

// "收集的链接", "收集的电邮地址" or "错误链接": the list's name in messages.
std::string ExportListName(TExportKind kind);
// The wizard caption, e.g. "导出收集的链接...".
std::string ExportCaption(TExportKind kind);
// The names of the HTML layouts offered for the kind, in layout-number order:
// fourteen for collected links, twelve for the other two lists.
std::vector<std::string> ExportLayoutNames(TExportKind kind);
// The captions of the four field choices of the text form, by TExportFields.
std::array<std::string, 4> ExportFieldCaptions(TExportKind kind);

// The results the link check writes into "测试结果": the pass text, and the
// prefix of a failure (followed by the status and reason).
inline constexpr char kCheckPassedText[] = "通过";
inline constexpr char kCheckFailedPrefix[] = "坏的: ";
// Whether a "测试结果" text is a failed check (an HTML export sets it bold).
bool IsFailedCheckResult(const std::string& result);

// "#RRGGBB" with upper-case hexadecimal digits.
std::string FormatExportColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Checks options against the kind: a layout the kind offers, colours of the
// form "#RRGGBB", enumerations in range. Returns an empty string when they are
// usable, otherwise a short description of the first problem (for the
// command-line tool; the wizard cannot produce bad options).
std::string CheckExportOptions(TExportKind kind, const TExportOptions& options);

}  // namespace trawlonix
