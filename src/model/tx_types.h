// The project settings record and its enumerations. The project-file routines
// that store and read it live in projectfile.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {

// A string of at most N bytes: assigning a longer text keeps its first N bytes.
template <std::size_t N>
class ShortString {
 public:
  static constexpr std::size_t kMax = N;
  ShortString() = default;
  ShortString(std::string_view s) { assign(s); }  // NOLINT: implicit like a string
  ShortString& operator=(std::string_view s) {
    assign(s);
    return *this;
  }
  void assign(std::string_view s) { value_.assign(s.substr(0, N)); }
  const std::string& str() const { return value_; }
  operator const std::string&() const { return value_; }  // NOLINT
  bool empty() const { return value_.empty(); }
  std::size_t size() const { return value_.size(); }
  const char* c_str() const { return value_.c_str(); }
  bool operator==(const ShortString&) const = default;
  bool operator==(std::string_view s) const { return value_ == s; }

 private:
  std::string value_;
};

enum TLimitMode : std::uint8_t {
  lmStartDirOnly = 0,
  lmStartDirAndBelow = 1,
  lmThisServer = 2,
  lmPositiveListOnly = 3,
  lmNotInNegativeList = 4,
  lmThisServerNotNegative = 5,
  lmPositiveNotNegative = 6,
  lmUnlimited = 7,
  lmNeverDownload = 8,
};

enum TCollectOption : std::uint8_t {
  coLinksToOtherServers = 0,
  coUnprocessedLinks = 1,
  coAllLinks = 2,
};

using TStringList = std::vector<std::string>;
using TStringListRef = std::shared_ptr<TStringList>;

// The project settings record. A copy shares the three list objects with the
// record it was copied from; the other fields of a copy are independent.
struct TrawlonixDefinition {
  std::string StartingUrl;
  ShortString<128> ProjectName;
  bool LevelLimit = false;
  std::uint16_t MaxLevel = 5;
  bool UsePwd = false;
  ShortString<128> Username;
  ShortString<128> Password;
  bool actSaveFiles = true;
  bool actEMails = true;
  bool actBLinks = true;
  bool actCollect = false;
  TCollectOption actColOpt = coLinksToOtherServers;
  ShortString<255> LocalPath;
  bool ChgLocLink = true;
  bool ChgExtLink = true;
  bool ChgJScriptLink = true;
  TLimitMode LimitHtDocs = lmStartDirAndBelow;
  TLimitMode LimitIlImages = lmThisServer;
  TLimitMode LimitEmbeded = lmThisServer;
  TLimitMode LimitLinked = lmThisServer;
  TStringListRef Positivlist = std::make_shared<TStringList>();
  TStringListRef Negativlist = std::make_shared<TStringList>();
  TStringListRef HTMLRenList = std::make_shared<TStringList>(TStringList{"dll"});
  bool OnlyRenameSkriptURL = true;
  bool StrictUrl = false;
  bool Modified = false;  // not stored; not touched by ResetDefinition
};

// Brings the record to its defaults; clears the three lists in place (they stay
// shared) and puts "dll" into HTMLRenList.
void ResetDefinition(TrawlonixDefinition& def);
bool UsesPositiveList(const TrawlonixDefinition& def);  // any limit 3 or 6
bool UsesNegativeList(const TrawlonixDefinition& def);  // any limit 4, 5 or 6

}  // namespace trawlonix
