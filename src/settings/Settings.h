// The application settings: the per-user options that hold for every project.
//
// `TOptions` is the one value holder the program reads them from. The window
// (options dialog), the crawl engine and trawlonix-cli all use it. Values live
// in the settings store (platform/SettingsStore.h), every value as a string,
// in the groups "Options" and "HTMLRec".
//
// Threading: load and save only from the owner's thread while no crawl runs;
// a running crawl worker only reads the fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trawlonix {

class SettingsStore;

// One row of the hypertext-extension recognition list. Rows 0..9 of
// TOptions::HTMLRecRows are the built-in rows; user rows follow.
struct THTMLRecRow {
  std::string Ext;          // lower case, without the dot; may be empty in a user row
  std::string Description;  // shown beside the extension
  bool Checked = true;

  // The text the settings dialog shows: " ." + Ext + "\t" + Description.
  std::string RowText() const;
};

struct TOptions {
  static constexpr int kBuiltInRows = 10;
  static constexpr std::int32_t kRunsCeiling = 2147483640;  // 0x7FFFFFF8
  // The most fetches a run or link check makes at once (its fetch slots).
  static constexpr int kMaxThreads = 64;
  static constexpr const char* kDefaultUserAgent = "Morvek Trawlonix 2.7 b6";

  // Group "Options", in load and save order.
  std::string IndexFileName = "index.html";
  int MaxThreads = 10;  // 1..kMaxThreads
  bool ReferingPage = true;
  bool LogFile = true;
  bool AppendLogFile = true;
  int LogLines = 50;  // 10..500
  bool ShowLinkStructure = false;
  int TimeOut = 240;  // seconds, 1..240
  std::string DefaultLocalPath;
  std::string DefaultProjectPath;
  int ErrorCount = 4;  // 1..64
  bool RetryAll = false;
  bool UseProxy = false;
  std::string ProxyServer;
  int ProxyPort = 80;  // not clamped; the HTTP client takes it as 16 bits (ProxyPort16)
  std::string ProxyUsername;
  std::string ProxyPassword;  // plain in memory, scrambled in the store
  // Seconds between the checkpoints of a running crawl (0: none), 0..3600.
  int CheckpointSeconds = 30;
  // PEM file of CA certificates trusted for https besides the system store.
  std::string CACertificate;
  // https certificates are checked; off only when the user turns it off.
  bool CheckCertificate = true;
  // Requests in the HTTP/1.0 form (one connection each, nothing compressed)
  // for servers that cannot take HTTP/1.1.
  bool Http10 = false;
  // The most entries a project's spider list holds; a run that finds more
  // ends there (100..2,000,000,000).
  int MaxEntries = 1000000;
  // Links into crawler traps (a path segment repeated over and over, more
  // than 32 segments, a URL over 2,048 bytes) are refused.
  bool TrapRules = true;
  // The User-Agent line of every request (empty: the program's own name).
  std::string UserAgent = kDefaultUserAgent;
  std::string Language;  // interface language: "en", "zh", or empty for the locale's
  // Documents read for links (HTML, scripts, style sheets, class files,
  // movies) are held in memory up to this many MB; a larger one is stored
  // as it came, unread. 1..2047.
  int ParseLimitMB = 64;
  // A body arriving slower than this many bytes per second on average (over
  // a minute) is ended and tried again like a time-out; 0: no floor.
  int MinTransferRate = 512;

  // Group "HTMLRec": ten built-in rows, then the user rows.
  std::vector<THTMLRecRow> HTMLRecRows = BuiltInRows();
  // Lower-case extensions without dots of every row with a non-empty
  // extension (check marks are not consulted). Rebuilt by every load and save.
  std::vector<std::string> HTMLRecList = BuiltInExtensions();

  // Reads every value (defaults for missing or non-numeric values), rebuilds
  // HTMLRecList, clamps. The store-less overloads use SettingsStore's default
  // location (env var TRAWLONIX_SETTINGS, else $XDG_CONFIG_HOME/Morvek/Trawlonix.conf).
  void LoadSettings(SettingsStore& store);
  void LoadSettings();
  // Trims IndexFileName and ProxyServer, clamps, writes every value except
  // "Runs", rebuilds HTMLRecList. Returns false when the store could not be written.
  bool SaveSettings(SettingsStore& store);
  bool SaveSettings();
  void ClampSettings();
  // Back to the ten built-in rows, all checked.
  void FillSystemItems();
  void RebuildHTMLRecList();

  // True when `ext`, trimmed and lower-cased, is in HTMLRecList.
  bool IsHTMLRecExtension(std::string_view ext) const;

  // Reads "Runs" (default 0), writes it back increased by one unless it is
  // already kRunsCeiling or more, returns the value read.
  static std::int32_t CountStart(SettingsStore& store);
  static std::int32_t CountStart();

  std::uint16_t ProxyPort16() const { return static_cast<std::uint16_t>(ProxyPort); }

  // Access by stored value name ("MaxThreads", "Systemitem_3", "EXT_Count",
  // "EXT_ext_2", ...; an optional "Options/" or "HTMLRec/" prefix is accepted),
  // with the value in its stored string form (flags "0"/"1", the password in
  // plain form). SetByName returns false for an unknown name or a value the
  // store would not read back as meant (a non-integer for a number or flag);
  // the caller clamps by saving. "Runs" is not held here (see CountStart).
  std::optional<std::string> GetByName(std::string_view name) const;
  bool SetByName(std::string_view name, std::string_view value);
  // Every value as (group/name, stored string) in store order.
  std::vector<std::pair<std::string, std::string>> ListValues() const;

  static std::vector<THTMLRecRow> BuiltInRows();
  static std::vector<std::string> BuiltInExtensions();
};

// The reversible scrambling of the proxy password: upper-case hex pairs, two
// characters per byte; an empty password gives an empty string. Unscrambling
// ignores an odd trailing character and stops at the first pair that is not hex.
std::string ScramblePassword(std::string_view plain);
std::string UnscramblePassword(std::string_view stored);

// The settings' own reading of stored numbers: an optional sign and decimal
// digits within 32 bits, surrounding blanks allowed; anything else is nullopt.
std::optional<std::int32_t> ParseStoredInt(std::string_view text);

}  // namespace trawlonix
