// Result lists: the duplicate test of each list, the rows written, and which
// rows take the next anchor text.
#include <gtest/gtest.h>

#include "engine/ResultLists.h"

namespace trawlonix {
namespace {

struct Offer {
  TResultLists::ListId list;
  const char* text;
  bool added;
};

TEST(ResultLists, DuplicateTestsInOfferOrder) {
  using L = TResultLists;
  const Offer offers[] = {
      {L::kEMails, "Info@site.org", true},
      {L::kEMails, "Info@site.org", false},  // the very same address again
      {L::kEMails, "info@site.org", false},  // the row, lower-cased
      {L::kEMails, "INFO@site.org", true},   // compared as given
      {L::kEMails, "INFO@site.org", false},
      {L::kEMails, "me@site.org", true},
      {L::kEMails, "Me@site.org", true},
      {L::kLinks, "http://far/A.html", true},
      {L::kLinks, "http://far/a.html", true},  // links: exactly
      {L::kLinks, "http://far/A.html", false},
      {L::kBroken, "http://h/x.html", true},
      {L::kBroken, "http://h/X.html", true},
      {L::kBroken, "http://h/x.html", false},
  };
  TResultLists r;
  for (const auto& o : offers) {
    bool added = false;
    switch (o.list) {
      case L::kEMails:
        added = r.OfferEMail(o.text, "http://h/").has_value();
        break;
      case L::kLinks:
        added = r.OfferCollectedLink(o.text, "http://h/").has_value();
        break;
      case L::kBroken:
        added = r.OfferBrokenLink(o.text, "404 Not Found", "http://h/").has_value();
        break;
    }
    EXPECT_EQ(added, o.added) << o.list << " " << o.text;
  }
  EXPECT_EQ(r.Rows(L::kEMails).size(), 4u);
  // The same holds after the rows were edited and the index rebuilt.
  r.MutableRows(L::kEMails);
  EXPECT_FALSE(r.OfferEMail("Info@site.org", "p"));
  EXPECT_FALSE(r.OfferEMail("me@site.org", "p"));
  EXPECT_TRUE(r.OfferEMail("New@site.org", "p"));
}

TEST(ResultLists, RowsAsWritten) {
  TResultLists r;
  r.OfferCollectedLink("ftp://far/f.txt", "http://h/p.html");
  r.OfferEMail("a@b.org", "http://h/q.html");
  r.OfferBrokenLink("http://h/gone.html", "404 Not Found", "http://h/r.html");
  const TResultRow& link = r.Rows(TResultLists::kLinks)[0];
  EXPECT_EQ(link.Text, "ftp://far/f.txt");
  EXPECT_EQ(link.Reference, "<\?\?\?>");
  EXPECT_EQ(link.FirstOccurrence, "http://h/p.html");
  EXPECT_EQ(link.TestResult, "- 未检查 -");
  const TResultRow& mail = r.Rows(TResultLists::kEMails)[0];
  EXPECT_EQ(mail.Reference, "<\?\?\?>");
  EXPECT_EQ(mail.FirstOccurrence, "http://h/q.html");
  EXPECT_EQ(mail.TestResult, "");
  const TResultRow& broken = r.Rows(TResultLists::kBroken)[0];
  EXPECT_EQ(broken.Reference, "404 Not Found");
  EXPECT_EQ(broken.FirstOccurrence, "http://h/r.html");
}

// Which rows the anchor text lands in after a sequence of offers: the last
// row added to each of the links and e-mail lists since the last forget.
TEST(ResultLists, WaitingRowSequences) {
  using L = TResultLists;
  struct Step {
    char op;  // 'l' link, 'm' e-mail, 'b' broken, 'f' forget, 'e' edit links
    const char* text;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::pair<L::ListId, std::size_t>> changed;
  } cases[] = {
      {"one link", {{'l', "http://a/1"}}, {{L::kLinks, 0}}},
      {"the later link", {{'l', "http://a/1"}, {'l', "http://a/2"}}, {{L::kLinks, 1}}},
      {"link and address",
       {{'l', "http://a/1"}, {'m', "x@y.org"}},
       {{L::kLinks, 0}, {L::kEMails, 0}}},
      {"address and link",
       {{'m', "x@y.org"}, {'l', "http://a/1"}},
       {{L::kLinks, 0}, {L::kEMails, 0}}},
      {"duplicate keeps the row",
       {{'l', "http://a/1"}, {'l', "http://a/2"}, {'l', "http://a/1"}},
       {{L::kLinks, 1}}},
      {"broken rows never wait", {{'l', "http://a/1"}, {'b', "http://a/x"}}, {{L::kLinks, 0}}},
      {"broken only", {{'b', "http://a/x"}}, {}},
      {"forgotten", {{'l', "http://a/1"}, {'f', ""}}, {}},
      {"duplicate after forget", {{'l', "http://a/1"}, {'f', ""}, {'l', "http://a/1"}}, {}},
      {"address after forget",
       {{'l', "http://a/1"}, {'f', ""}, {'m', "x@y.org"}},
       {{L::kEMails, 0}}},
      {"other list edited", {{'m', "x@y.org"}, {'e', ""}}, {{L::kEMails, 0}}},
      {"list edited", {{'l', "http://a/1"}, {'e', ""}}, {}},
  };
  for (const auto& c : cases) {
    TResultLists r;
    for (const auto& s : c.steps) {
      switch (s.op) {
        case 'l':
          r.OfferCollectedLink(s.text, "p");
          break;
        case 'm':
          r.OfferEMail(s.text, "p");
          break;
        case 'b':
          r.OfferBrokenLink(s.text, "404", "p");
          break;
        case 'f':
          r.ForgetLastRow();
          break;
        case 'e':
          r.MutableRows(TResultLists::kLinks);
          break;
      }
    }
    std::vector<std::pair<L::ListId, std::size_t>> changed;
    for (const auto& ref : r.SetLastRowReference("Anchor")) {
      changed.emplace_back(ref.list, ref.row);
      EXPECT_EQ(r.Rows(ref.list)[ref.row].Reference, "Anchor") << c.name;
    }
    EXPECT_EQ(changed, c.changed) << c.name;
    EXPECT_TRUE(r.SetLastRowReference("Again").empty()) << c.name;  // taken once
  }
}

TEST(ResultLists, DuplicateRulesPerList) {
  TResultLists r;
  EXPECT_TRUE(r.OfferCollectedLink("http://a/X", "p"));
  EXPECT_FALSE(r.OfferCollectedLink("http://a/X", "q"));
  EXPECT_TRUE(r.OfferCollectedLink("http://a/x", "p"));  // exact comparison
  EXPECT_TRUE(r.OfferEMail("me@a.org", "p"));
  EXPECT_FALSE(r.OfferEMail("me@a.org", "p"));
  // Rows are compared lower-cased with the new address as given.
  EXPECT_TRUE(r.OfferEMail("Me@a.org", "p"));
  EXPECT_FALSE(r.OfferEMail("me@a.org", "p"));
  EXPECT_TRUE(r.OfferBrokenLink("http://a/b", "404 Not Found", "p"));
  EXPECT_FALSE(r.OfferBrokenLink("http://a/b", "500", "p"));
}

TEST(ResultLists, WaitingRowsTakeTheAnchorTextOnce) {
  TResultLists r;
  r.OfferCollectedLink("http://a/1", "p");
  r.OfferEMail("x@y.org", "p");
  EXPECT_FALSE(r.OfferCollectedLink("http://a/1", "p"));  // duplicate keeps the waiting row
  EXPECT_EQ(r.SetLastRowReference("Mail us").size(), 2u);
  EXPECT_EQ(r.Rows(TResultLists::kEMails)[0].Reference, "Mail us");
  EXPECT_EQ(r.Rows(TResultLists::kLinks)[0].Reference, "Mail us");
  EXPECT_TRUE(r.SetLastRowReference("later").empty());
  r.OfferBrokenLink("http://a/b", "404", "p");  // broken links never wait for a text
  EXPECT_TRUE(r.SetLastRowReference("text").empty());
}

TEST(ResultLists, EditedRowsAreReindexed) {
  TResultLists r;
  r.OfferCollectedLink("http://a/1", "p");
  r.MutableRows(TResultLists::kLinks).clear();
  EXPECT_TRUE(r.OfferCollectedLink("http://a/1", "p"));
}

}  // namespace
}  // namespace trawlonix
