// Fuzzes the project-file reader over arbitrary bytes in memory. Whatever it
// reads successfully is written back in the current layout and read again:
// the record and both lists must come back the same (the writer stores the
// prefix lists only while a limit mode uses them), the second reading must
// end exactly where the written bytes end, and writing what was read the
// second time must give the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/SpiderList.h"
#include "model/projectfile.h"

using namespace trawlonix;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

struct Project {
  TProjectHeader header;
  TrawlonixDefinition def;
  TSpiderList spider;
  TCGIRedirectList redirects;
  std::uint64_t end = 0;  // reader position after the last section
};

void CheckProgress(const std::string& text) {
  Check(!text.empty() && text.size() < 128);
}

// The open sequence without the file: false where opening would fail.
bool Read(std::string_view data, Project& p) {
  TxpReader in(data);
  p.header = ReadProjectHeader(in);
  if (!p.header.valid) return false;
  const int layout = RecordLayoutFor(p.header.Version());
  if (layout == 0) return false;
  try {
    ReadDefinition(p.def, in, layout);
    ReadSpiderList(p.spider, in, CheckProgress, UrlTextsFor(p.header.Version()));
    if (layout >= 2) ReadRedirectList(p.redirects, in, CheckProgress);
  } catch (const TxpStreamError&) {
    return false;
  }
  p.end = in.Position();
  Check(p.end <= data.size());
  return true;
}

std::string Write(const Project& p) {
  TxpStringWriter out;
  WriteProjectHeader(out, p.header.resume);
  WriteDefinition(p.def, out);
  WriteSpiderList(p.spider, out, CheckProgress);
  WriteRedirectList(p.redirects, out, CheckProgress);
  out.Finish();
  return out.Data();
}

void CheckSameRecord(const TrawlonixDefinition& a, const TrawlonixDefinition& b) {
  Check(a.StartingUrl == b.StartingUrl);
  Check(a.ProjectName == b.ProjectName);
  Check(a.LevelLimit == b.LevelLimit && a.MaxLevel == b.MaxLevel && a.UsePwd == b.UsePwd);
  Check(a.Username == b.Username && a.Password == b.Password);
  Check(a.actSaveFiles == b.actSaveFiles && a.actEMails == b.actEMails);
  Check(a.actBLinks == b.actBLinks && a.actCollect == b.actCollect);
  Check(a.actColOpt == b.actColOpt);
  Check(a.LocalPath == b.LocalPath);
  Check(a.ChgLocLink == b.ChgLocLink && a.ChgExtLink == b.ChgExtLink);
  Check(a.ChgJScriptLink == b.ChgJScriptLink);
  Check(a.LimitHtDocs == b.LimitHtDocs && a.LimitIlImages == b.LimitIlImages);
  Check(a.LimitEmbeded == b.LimitEmbeded && a.LimitLinked == b.LimitLinked);
  const TStringList none;
  Check(*b.Positivlist == (UsesPositiveList(a) ? *a.Positivlist : none));
  Check(*b.Negativlist == (UsesNegativeList(a) ? *a.Negativlist : none));
  Check(*a.HTMLRenList == *b.HTMLRenList);
  Check(a.OnlyRenameSkriptURL == b.OnlyRenameSkriptURL && a.StrictUrl == b.StrictUrl);
}

void CheckSameLists(const Project& a, const Project& b) {
  Check(a.spider.Count() == b.spider.Count());
  for (std::int32_t i = 0; i < a.spider.Count(); ++i) {
    const AGetEntry& x = a.spider[i];
    const AGetEntry& y = b.spider[i];
    Check(x.URL == y.URL);  // all nine texts, Ext included
    Check(x.Fetched == y.Fetched && x.Level == y.Level && x.Broken == y.Broken &&
          x.Referrer == y.Referrer);
    Check(y.Failures == 0 && !y.InProgress && !y.FetchedThisRun);
  }
  Check(a.redirects.Count() == b.redirects.Count());
  for (std::int32_t i = 0; i < a.redirects.Count(); ++i) {
    const TURL& x = a.redirects[i];
    const TURL& y = b.redirects[i];
    Check(x == y && a.redirects[i].Number == b.redirects[i].Number);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Project first;
  if (!Read(input, first)) return 0;

  const std::string written = Write(first);
  Project second;
  Check(Read(written, second));
  Check(second.end == written.size());
  Check(second.header.Version() == kTxpMajor * 256 + kTxpMinor);
  Check(second.header.resume == first.header.resume);
  CheckSameRecord(first.def, second.def);
  CheckSameLists(first, second);

  Check(Write(second) == written);
  return 0;
}
