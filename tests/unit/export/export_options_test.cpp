#include "engine/export/ExportOptions.h"

#include <gtest/gtest.h>

namespace trawlonix {
namespace {

TEST(ExportOptions, DefaultsAreTheWizardsForEveryKind) {
  for (TExportKind kind : {TExportKind::kLinks, TExportKind::kEMails, TExportKind::kBrokenLinks}) {
    const TExportOptions o = DefaultExportOptions(kind);
    EXPECT_FALSE(o.SelectedOnly);
    EXPECT_EQ(o.Format, TExportFormat::kHTML);
    EXPECT_EQ(o.Fields, TExportFields::kLinkText);
    EXPECT_EQ(o.Separator, TExportSeparator::kSemicolon);
    EXPECT_TRUE(o.Quotes);
    EXPECT_EQ(o.Heading, "");
    EXPECT_EQ(o.Layout, 10);
    EXPECT_EQ(o.Background, "#FFFFFF");
    EXPECT_EQ(o.Highlight, "#C0C0C0");
    EXPECT_EQ(CheckExportOptions(kind, o), "");
  }
}

TEST(ExportOptions, LayoutListsByKind) {
  const auto& links = ExportLayoutNames(TExportKind::kLinks);
  const auto& mails = ExportLayoutNames(TExportKind::kEMails);
  const auto& broken = ExportLayoutNames(TExportKind::kBrokenLinks);
  ASSERT_EQ(links.size(), 14u);
  ASSERT_EQ(mails.size(), 12u);
  ASSERT_EQ(broken.size(), 12u);
  EXPECT_EQ(links[13], "突出显示的区块(参考，文本，文本结果，链接)");
  EXPECT_EQ(mails[6], "列出文本和电邮地址(小)");
  EXPECT_EQ(mails[11], "突出显示的区块(电邮地址，文本)");
  for (std::size_t i = 0; i < 12; ++i)
    EXPECT_EQ(broken[i], links[i]);
  EXPECT_EQ(ExportFieldCaptions(TExportKind::kEMails)[3], "文本和电邮");
  EXPECT_EQ(ExportFieldCaptions(TExportKind::kBrokenLinks)[0], "只要链接");
  EXPECT_EQ(ExportListName(TExportKind::kBrokenLinks), "错误链接");
  EXPECT_EQ(ExportCaption(TExportKind::kEMails), "导出收集的电邮地址...");
}

TEST(ExportOptions, ColourFormat) {
  EXPECT_EQ(FormatExportColour(255, 255, 255), "#FFFFFF");
  EXPECT_EQ(FormatExportColour(0xC0, 0x0A, 0x01), "#C00A01");
}

struct CheckCase {
  TExportKind kind;
  int layout;
  std::string background;
  std::string highlight;
  bool ok;
};

class ExportOptionsCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ExportOptionsCheck, AcceptsOnlyWhatTheKindOffers) {
  const CheckCase& c = GetParam();
  TExportOptions o;
  o.Layout = c.layout;
  o.Background = c.background;
  o.Highlight = c.highlight;
  EXPECT_EQ(CheckExportOptions(c.kind, o).empty(), c.ok) << c.layout;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportOptionsCheck,
    ::testing::Values(CheckCase{TExportKind::kLinks, 13, "#FFFFFF", "#c0c0c0", true},
                      CheckCase{TExportKind::kLinks, 14, "#FFFFFF", "#C0C0C0", false},
                      CheckCase{TExportKind::kLinks, -1, "#FFFFFF", "#C0C0C0", false},
                      CheckCase{TExportKind::kEMails, 11, "#FFFFFF", "#C0C0C0", true},
                      CheckCase{TExportKind::kEMails, 12, "#FFFFFF", "#C0C0C0", false},
                      CheckCase{TExportKind::kBrokenLinks, 13, "#FFFFFF", "#C0C0C0", false},
                      CheckCase{TExportKind::kLinks, 0, "#FFF", "#C0C0C0", false},
                      CheckCase{TExportKind::kLinks, 0, "#FFFFFF", "\"><x>", false},
                      CheckCase{TExportKind::kLinks, 0, "FFFFFF0", "#C0C0C0", false}));

}  // namespace
}  // namespace trawlonix
