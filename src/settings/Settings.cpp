#include "settings/Settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "base/Text.h"
#include "base/Translate.h"
#include "platform/SettingsStore.h"

namespace trawlonix {

namespace {

constexpr std::string_view kOptions = "Options";
constexpr std::string_view kHTMLRec = "HTMLRec";

struct BuiltIn {
  const char* ext;
  const char* description;
};
constexpr std::array<BuiltIn, TOptions::kBuiltInRows> kBuiltIn = {{
    {"html", QT_TRANSLATE_NOOP("Settings", "超文本文档")},
    {"htm", QT_TRANSLATE_NOOP("Settings", "超文本文档")},
    {"shtml", QT_TRANSLATE_NOOP("Settings", "超文本文档")},
    {"phtml", QT_TRANSLATE_NOOP("Settings", "PHP/FI 脚本")},
    {"php", QT_TRANSLATE_NOOP("Settings", "PHP 脚本")},
    {"php3", QT_TRANSLATE_NOOP("Settings", "PHP3 脚本")},
    {"php4", QT_TRANSLATE_NOOP("Settings", "PHP4 脚本")},
    {"cgi", "CGI-BIN"},
    {"pl", QT_TRANSLATE_NOOP("Settings", "Perl 脚本")},
    {"asp", QT_TRANSLATE_NOOP("Settings", "活动服务器页面")},
}};

std::string Trim(std::string_view s) {
  return std::string(text::Trim(s));
}

using text::Lower;

std::string IntText(long long v) {
  return std::to_string(v);
}
std::string FlagText(bool v) {
  return v ? "1" : "0";
}

// The kinds of the "Options" values, for loading, saving and access by name.
enum class Kind { Text, Int, Flag, Password };
struct Field {
  const char* name;
  Kind kind;
  std::string TOptions::*text;
  int TOptions::*number;
  bool TOptions::*flag;
};

constexpr std::array<Field, 27> kFields = {{
    {"IndexFileName", Kind::Text, &TOptions::IndexFileName, nullptr, nullptr},
    {"MaxThreads", Kind::Int, nullptr, &TOptions::MaxThreads, nullptr},
    {"ReferingPage", Kind::Flag, nullptr, nullptr, &TOptions::ReferingPage},
    {"LogFile", Kind::Flag, nullptr, nullptr, &TOptions::LogFile},
    {"AppendLogFile", Kind::Flag, nullptr, nullptr, &TOptions::AppendLogFile},
    {"LogLines", Kind::Int, nullptr, &TOptions::LogLines, nullptr},
    {"ShowLinkStructure", Kind::Flag, nullptr, nullptr, &TOptions::ShowLinkStructure},
    {"TimeOut", Kind::Int, nullptr, &TOptions::TimeOut, nullptr},
    {"DefaultLocalPath", Kind::Text, &TOptions::DefaultLocalPath, nullptr, nullptr},
    {"DefaultProjectPath", Kind::Text, &TOptions::DefaultProjectPath, nullptr, nullptr},
    {"ErrorCount", Kind::Int, nullptr, &TOptions::ErrorCount, nullptr},
    {"RetryAll", Kind::Flag, nullptr, nullptr, &TOptions::RetryAll},
    {"UseProxy", Kind::Flag, nullptr, nullptr, &TOptions::UseProxy},
    {"ProxyServer", Kind::Text, &TOptions::ProxyServer, nullptr, nullptr},
    {"ProxyPort", Kind::Int, nullptr, &TOptions::ProxyPort, nullptr},
    {"ProxyUsername", Kind::Text, &TOptions::ProxyUsername, nullptr, nullptr},
    {"ProxyPassword", Kind::Password, &TOptions::ProxyPassword, nullptr, nullptr},
    {"CheckpointSeconds", Kind::Int, nullptr, &TOptions::CheckpointSeconds, nullptr},
    {"CACertificate", Kind::Text, &TOptions::CACertificate, nullptr, nullptr},
    {"CheckCertificate", Kind::Flag, nullptr, nullptr, &TOptions::CheckCertificate},
    {"HTTP10", Kind::Flag, nullptr, nullptr, &TOptions::Http10},
    {"MaxEntries", Kind::Int, nullptr, &TOptions::MaxEntries, nullptr},
    {"TrapRules", Kind::Flag, nullptr, nullptr, &TOptions::TrapRules},
    {"Language", Kind::Text, &TOptions::Language, nullptr, nullptr},
    {"UserAgent", Kind::Text, &TOptions::UserAgent, nullptr, nullptr},
    {"ParseLimitMB", Kind::Int, nullptr, &TOptions::ParseLimitMB, nullptr},
    {"MinTransferRate", Kind::Int, nullptr, &TOptions::MinTransferRate, nullptr},
}};

std::optional<std::int32_t> ReadInt(const SettingsStore& store, std::string_view group,
                                    std::string_view name) {
  const auto v = store.Read(group, name);
  if (!v) return std::nullopt;
  return ParseStoredInt(*v);
}

int ReadIntDef(const SettingsStore& store, std::string_view group, std::string_view name, int def) {
  return ReadInt(store, group, name).value_or(def);
}

bool ReadFlag(const SettingsStore& store, std::string_view group, std::string_view name, bool def) {
  const auto v = ReadInt(store, group, name);
  return v ? *v != 0 : def;
}

// Position-dependent key stream; any byte-wise reversible transform will do,
// this one keeps equal bytes from giving equal pairs.
unsigned char KeyByte(std::size_t i) {
  return static_cast<unsigned char>(0xA7 ^ ((i * 29 + 13) & 0xFF));
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "EXT_ext_12" -> ("EXT_ext_", 12); nullopt when the name has no such number.
std::optional<int> NumberedName(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
  const auto digits = name.substr(prefix.size());
  if (digits.empty() || digits.size() > 9 || digits[0] == '0') return std::nullopt;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::size_t UserRows(const TOptions& o) {
  const auto b = static_cast<std::size_t>(TOptions::kBuiltInRows);
  return o.HTMLRecRows.size() > b ? o.HTMLRecRows.size() - b : 0;
}

}  // namespace

std::string THTMLRecRow::RowText() const {
  return " ." + Ext + "\t" + Description;
}

std::optional<std::int32_t> ParseStoredInt(std::string_view text) {
  const std::string t = Trim(text);
  std::string_view s = t;
  if (!s.empty() && s[0] == '+') {
    s.remove_prefix(1);
    if (s.empty() || s[0] == '-') return std::nullopt;
  }
  if (s.empty()) return std::nullopt;
  std::int32_t v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 10);
  if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string ScramblePassword(std::string_view plain) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(plain[i]) ^ KeyByte(i);
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0x0F]);
  }
  return out;
}

std::string UnscramblePassword(std::string_view stored) {
  std::string out;
  for (std::size_t i = 0; i + 1 < stored.size(); i += 2) {
    const int hi = HexValue(stored[i]);
    const int lo = HexValue(stored[i + 1]);
    if (hi < 0 || lo < 0) break;
    out.push_back(static_cast<char>(static_cast<unsigned char>(hi * 16 + lo) ^ KeyByte(i / 2)));
  }
  return out;
}

std::vector<THTMLRecRow> TOptions::BuiltInRows() {
  std::vector<THTMLRecRow> rows;
  rows.reserve(kBuiltIn.size());
  for (const auto& b : kBuiltIn)
    rows.push_back({b.ext, b.description, true});
  return rows;
}

std::vector<std::string> TOptions::BuiltInExtensions() {
  std::vector<std::string> exts;
  for (const auto& b : kBuiltIn)
    exts.emplace_back(b.ext);
  return exts;
}

void TOptions::FillSystemItems() {
  HTMLRecRows = BuiltInRows();
}

void TOptions::RebuildHTMLRecList() {
  HTMLRecList = BuiltInExtensions();
  for (std::size_t i = kBuiltInRows; i < HTMLRecRows.size(); ++i) {
    const std::string ext = Lower(Trim(HTMLRecRows[i].Ext));
    if (!ext.empty()) HTMLRecList.push_back(ext);
  }
}

void TOptions::ClampSettings() {
  MaxThreads = std::clamp(MaxThreads, 1, kMaxThreads);
  LogLines = std::clamp(LogLines, 10, 500);
  TimeOut = std::clamp(TimeOut, 1, 240);
  ErrorCount = std::clamp(ErrorCount, 1, 64);
  CheckpointSeconds = std::clamp(CheckpointSeconds, 0, 3600);
  MaxEntries = std::clamp(MaxEntries, 100, 2000000000);
  ParseLimitMB = std::clamp(ParseLimitMB, 1, 2047);
  MinTransferRate = std::clamp(MinTransferRate, 0, 100000000);
}

void TOptions::LoadSettings(SettingsStore& store) {
  const TOptions defaults;
  for (const Field& f : kFields) {
    switch (f.kind) {
      case Kind::Text:
        this->*f.text = store.Read(kOptions, f.name).value_or(defaults.*f.text);
        break;
      case Kind::Password:
        this->*f.text = UnscramblePassword(store.Read(kOptions, f.name).value_or(""));
        break;
      case Kind::Int:
        this->*f.number = ReadIntDef(store, kOptions, f.name, defaults.*f.number);
        break;
      case Kind::Flag:
        this->*f.flag = ReadFlag(store, kOptions, f.name, defaults.*f.flag);
        break;
    }
  }

  FillSystemItems();
  for (int n = 1; n <= kBuiltInRows; ++n) {
    HTMLRecRows[n - 1].Checked = ReadFlag(store, kHTMLRec, "Systemitem_" + std::to_string(n), true);
  }
  // A hostile count must not make us allocate or loop without bound: user
  // rows beyond the last stored extension are all empty anyway, so the count
  // is capped at a figure no real list reaches.
  const int count = std::min(ReadIntDef(store, kHTMLRec, "EXT_Count", 0), 100000);
  for (int n = 1; n <= count; ++n) {
    const std::string num = std::to_string(n);
    THTMLRecRow row;
    row.Ext = Lower(Trim(store.Read(kHTMLRec, "EXT_ext_" + num).value_or("")));
    row.Description = store.Read(kHTMLRec, "EXT_inf_" + num).value_or("");
    row.Checked = ReadFlag(store, kHTMLRec, "EXT_chk_" + num, true);
    HTMLRecRows.push_back(std::move(row));
  }
  RebuildHTMLRecList();
  ClampSettings();
}

void TOptions::LoadSettings() {
  SettingsStore store;
  LoadSettings(store);
}

bool TOptions::SaveSettings(SettingsStore& store) {
  IndexFileName = Trim(IndexFileName);
  ProxyServer = Trim(ProxyServer);
  ClampSettings();
  for (const Field& f : kFields) {
    switch (f.kind) {
      case Kind::Text:
        store.Write(kOptions, f.name, this->*f.text);
        break;
      case Kind::Password:
        store.Write(kOptions, f.name, ScramblePassword(this->*f.text));
        break;
      case Kind::Int:
        store.Write(kOptions, f.name, IntText(this->*f.number));
        break;
      case Kind::Flag:
        store.Write(kOptions, f.name, FlagText(this->*f.flag));
        break;
    }
  }
  // The built-in rows can never be missing.
  const auto builtIn = BuiltInRows();
  while (HTMLRecRows.size() < builtIn.size())
    HTMLRecRows.push_back(builtIn[HTMLRecRows.size()]);
  for (int n = 1; n <= kBuiltInRows; ++n) {
    HTMLRecRows[n - 1].Ext = kBuiltIn[n - 1].ext;
    HTMLRecRows[n - 1].Description = kBuiltIn[n - 1].description;
    store.Write(kHTMLRec, "Systemitem_" + std::to_string(n), FlagText(HTMLRecRows[n - 1].Checked));
  }
  const std::size_t users = UserRows(*this);
  store.Write(kHTMLRec, "EXT_Count", IntText(static_cast<long long>(users)));
  for (std::size_t i = 0; i < users; ++i) {
    THTMLRecRow& row = HTMLRecRows[kBuiltInRows + i];
    row.Ext = Lower(Trim(row.Ext));
    const std::string num = std::to_string(i + 1);
    store.Write(kHTMLRec, "EXT_ext_" + num, row.Ext);
    store.Write(kHTMLRec, "EXT_inf_" + num, row.Description);
    store.Write(kHTMLRec, "EXT_chk_" + num, FlagText(row.Checked));
  }
  RebuildHTMLRecList();
  return store.Sync();
}

bool TOptions::SaveSettings() {
  SettingsStore store;
  return SaveSettings(store);
}

bool TOptions::IsHTMLRecExtension(std::string_view ext) const {
  const std::string e = Lower(Trim(ext));
  return std::find(HTMLRecList.begin(), HTMLRecList.end(), e) != HTMLRecList.end();
}

std::int32_t TOptions::CountStart(SettingsStore& store) {
  const std::int32_t runs = ReadIntDef(store, kOptions, "Runs", 0);
  if (runs < kRunsCeiling) {
    store.Write(kOptions, "Runs", IntText(static_cast<long long>(runs) + 1));
    store.Sync();
  }
  return runs;
}

std::int32_t TOptions::CountStart() {
  SettingsStore store;
  return CountStart(store);
}

std::optional<std::string> TOptions::GetByName(std::string_view name) const {
  if (name.substr(0, 8) == "Options/") name.remove_prefix(8);
  if (name.substr(0, 8) == "HTMLRec/") name.remove_prefix(8);
  for (const Field& f : kFields) {
    if (name != f.name) continue;
    switch (f.kind) {
      case Kind::Text:
      case Kind::Password:
        return this->*f.text;
      case Kind::Int:
        return IntText(this->*f.number);
      case Kind::Flag:
        return FlagText(this->*f.flag);
    }
  }
  const std::size_t users = UserRows(*this);
  if (name == "EXT_Count") return IntText(static_cast<long long>(users));
  if (auto n = NumberedName(name, "Systemitem_");
      n && *n <= kBuiltInRows && HTMLRecRows.size() >= static_cast<std::size_t>(*n)) {
    return FlagText(HTMLRecRows[*n - 1].Checked);
  }
  for (std::string_view prefix : {"EXT_ext_", "EXT_inf_", "EXT_chk_"}) {
    auto n = NumberedName(name, prefix);
    if (!n || static_cast<std::size_t>(*n) > users) continue;
    const THTMLRecRow& row = HTMLRecRows[kBuiltInRows + *n - 1];
    if (prefix == "EXT_ext_") return row.Ext;
    if (prefix == "EXT_inf_") return row.Description;
    return FlagText(row.Checked);
  }
  return std::nullopt;
}

bool TOptions::SetByName(std::string_view name, std::string_view value) {
  if (name.substr(0, 8) == "Options/") name.remove_prefix(8);
  if (name.substr(0, 8) == "HTMLRec/") name.remove_prefix(8);
  for (const Field& f : kFields) {
    if (name != f.name) continue;
    if (f.kind == Kind::Text || f.kind == Kind::Password) {
      this->*f.text = std::string(value);
      return true;
    }
    const auto v = ParseStoredInt(value);
    if (!v) return false;
    if (f.kind == Kind::Int) {
      this->*f.number = *v;
    } else {
      this->*f.flag = *v != 0;
    }
    return true;
  }
  if (HTMLRecRows.size() < static_cast<std::size_t>(kBuiltInRows)) FillSystemItems();
  const std::size_t users = UserRows(*this);
  if (name == "EXT_Count") {
    const auto v = ParseStoredInt(value);
    if (!v || *v < 0 || *v > 100000) return false;
    HTMLRecRows.resize(kBuiltInRows + static_cast<std::size_t>(*v));
    RebuildHTMLRecList();
    return true;
  }
  if (auto n = NumberedName(name, "Systemitem_"); n && *n <= kBuiltInRows) {
    const auto v = ParseStoredInt(value);
    if (!v) return false;
    HTMLRecRows[*n - 1].Checked = *v != 0;
    return true;
  }
  for (std::string_view prefix : {"EXT_ext_", "EXT_inf_", "EXT_chk_"}) {
    auto n = NumberedName(name, prefix);
    if (!n || static_cast<std::size_t>(*n) > users) continue;
    THTMLRecRow& row = HTMLRecRows[kBuiltInRows + *n - 1];
    if (prefix == "EXT_ext_") {
      row.Ext = Lower(Trim(value));
      RebuildHTMLRecList();
    } else if (prefix == "EXT_inf_") {
      row.Description = std::string(value);
    } else {
      const auto v = ParseStoredInt(value);
      if (!v) return false;
      row.Checked = *v != 0;
    }
    return true;
  }
  return false;
}

std::vector<std::pair<std::string, std::string>> TOptions::ListValues() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const Field& f : kFields) {
    out.emplace_back(std::string(kOptions) + "/" + f.name, *GetByName(f.name));
  }
  for (int n = 1; n <= kBuiltInRows; ++n) {
    const std::string name = "Systemitem_" + std::to_string(n);
    out.emplace_back(std::string(kHTMLRec) + "/" + name, *GetByName(name));
  }
  out.emplace_back(std::string(kHTMLRec) + "/EXT_Count", *GetByName("EXT_Count"));
  const std::size_t users = UserRows(*this);
  for (std::size_t i = 1; i <= users; ++i) {
    for (const char* prefix : {"EXT_ext_", "EXT_inf_", "EXT_chk_"}) {
      const std::string name = prefix + std::to_string(i);
      out.emplace_back(std::string(kHTMLRec) + "/" + name, *GetByName(name));
    }
  }
  return out;
}

}  // namespace trawlonix
