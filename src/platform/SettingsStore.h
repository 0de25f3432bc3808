// The per-user settings store: an INI file read and written through QSettings,
// every value kept as a string under a group ("Options", "HTMLRec", ...).
//
// Location: the file named by the environment variable TRAWLONIX_SETTINGS when
// it is set and not empty, else $XDG_CONFIG_HOME/Morvek/Trawlonix.conf (with
// XDG_CONFIG_HOME defaulting to ~/.config).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace trawlonix {

class SettingsStore {
 public:
  // Opens the store at the default location.
  SettingsStore();
  // Opens the store at `path` (an INI file; created on the first write).
  explicit SettingsStore(const std::string& path);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  static std::string DefaultPath();
  const std::string& Path() const { return path_; }

  // The value's text, or nullopt when it is missing.
  std::optional<std::string> Read(std::string_view group, std::string_view name) const;
  void Write(std::string_view group, std::string_view name, std::string_view value);
  // Writes pending changes to disk; false when the file could not be written.
  bool Sync();

 private:
  struct Impl;
  std::string path_;
  std::unique_ptr<Impl> d_;
};

}  // namespace trawlonix
