#include "cli/json.h"

#include <cstdio>

namespace trawlonix::cli {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when the byte there does
// not start one (overlong forms, surrogates and values above U+10FFFF are
// invalid).
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  std::size_t n;
  unsigned lo = 0x80;
  unsigned hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  }
  return n;
}

void AppendEscape(std::string& out, unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
  out += buf;
}

}  // namespace

std::string JsonString(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out.push_back('"');
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      switch (c) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
          } else {
            out.push_back(static_cast<char>(c));
          }
      }
      ++i;
      continue;
    }
    const std::size_t n = Utf8Length(s, i);
    if (n == 0) {
      AppendEscape(out, c);
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  out.push_back('"');
  return out;
}

void JsonWriter::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_) out_ += ",";
  if (!indent_.empty()) out_ += "\n" + indent_;
  first_ = false;
}

void JsonWriter::Open(char c) {
  Separate();
  out_.push_back(c);
  indent_ += "  ";
  first_ = true;
}

void JsonWriter::Close(char c) {
  indent_.resize(indent_.size() - 2);
  if (!first_) out_ += "\n" + indent_;
  out_.push_back(c);
  first_ = false;
  if (indent_.empty()) out_ += "\n";
}

JsonWriter& JsonWriter::BeginObject() {
  Open('{');
  return *this;
}
JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}
JsonWriter& JsonWriter::BeginArray() {
  Open('[');
  return *this;
}
JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  Separate();
  out_ += JsonString(key) + ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view bytes) {
  Separate();
  out_ += JsonString(bytes);
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t n) {
  Separate();
  out_ += std::to_string(n);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool b) {
  Separate();
  out_ += b ? "true" : "false";
  return *this;
}

}  // namespace trawlonix::cli
