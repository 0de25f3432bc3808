// A small JSON writer for byte strings: valid UTF-8 passes through, every
// byte that is not part of a valid UTF-8 sequence becomes "\u00XX" (the byte's
// value), so no byte of a project file is lost or dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trawlonix::cli {

// The quoted JSON string for `bytes`.
std::string JsonString(std::string_view bytes);

// Builds one JSON document; the caller pairs Begin/End calls.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view bytes);
  JsonWriter& Number(std::int64_t n);
  JsonWriter& Bool(bool b);
  const std::string& str() const { return out_; }

 private:
  void Separate();
  void Open(char c);
  void Close(char c);
  std::string out_;
  std::string indent_;
  bool first_ = true;      // no value yet at the current level
  bool afterKey_ = false;  // the next value follows a key
};

}  // namespace trawlonix::cli
