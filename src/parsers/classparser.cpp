#include "parsers/classparser.h"
#include "parsers/messagecap.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/Translate.h"

namespace trawlonix {

namespace {

// Big-endian reader over the received bytes. A read that would pass the end
// fails and leaves the position where it was.
class BigEndianReader {
 public:
  explicit BigEndianReader(std::string_view data) : data_(data) {}

  bool U1(uint32_t& v) { return ReadN(1, v); }
  bool U2(uint32_t& v) { return ReadN(2, v); }
  bool U4(uint32_t& v) { return ReadN(4, v); }

  bool Bytes(std::size_t n, std::string_view& out) {
    if (data_.size() - pos_ < n) return false;
    out = data_.substr(pos_, n);
    pos_ += n;
    return true;
  }

 private:
  bool ReadN(std::size_t n, uint32_t& v) {
    if (data_.size() - pos_ < n) return false;
    v = 0;
    for (std::size_t i = 0; i < n; ++i) {
      v = (v << 8) | static_cast<unsigned char>(data_[pos_ + i]);
    }
    pos_ += n;
    return true;
  }

  std::string_view data_;
  std::size_t pos_ = 0;
};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The class file's modified UTF-8 gives 16-bit units; these are turned into
// the program's own byte encoding (UTF-8). Surrogate pairs are joined, a lone
// surrogate becomes "?". A sequence cut short by the end of the constant ends
// the text there.
std::string DecodeModifiedUtf8(std::string_view bytes) {
  std::vector<uint16_t> units;
  units.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned b = static_cast<unsigned char>(bytes[i]);
    std::size_t need;
    uint32_t unit;
    if (b < 0x80) {
      need = 0;
      unit = b;
    } else if ((b & 0xE0) == 0xC0) {
      need = 1;
      unit = b & 0x1F;
    } else {
      need = 2;
      unit = b & 0x0F;
    }
    if (bytes.size() - i - 1 < need) break;
    for (std::size_t k = 1; k <= need; ++k) {
      unit = (unit << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    units.push_back(static_cast<uint16_t>(unit));
    i += need + 1;
  }

  std::string out;
  out.reserve(units.size());
  for (std::size_t k = 0; k < units.size(); ++k) {
    const uint32_t u = units[k];
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
        units[k + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[k + 1] - 0xDC00));
      ++k;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += '?';
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace

bool TJavaClassParser::Parse(std::string_view data) {
  TMessageCap message(OnMessage);
  BigEndianReader in(data);

  // Header.
  uint32_t magic = 0;
  if (!in.U4(magic)) {
    message(translate("ClassParser", "读取文件标识时出错"));
    return true;
  }
  if (magic != 0xCAFEBABEu) {
    message(translate("ClassParser", "错误的文件标识"));
    return true;
  }
  uint32_t minorVersion = 0, majorVersion = 0;
  if (!in.U2(minorVersion) || !in.U2(majorVersion)) {
    message(translate("ClassParser", "读取版本号码时出错"));
    return true;
  }
  char buf[64];
  message(TrArgs(translate("ClassParser", "Java 版本: %1.%2"),
                 {std::to_string(majorVersion), std::to_string(minorVersion)}));

  // Constant pool. Indices below are counted from 0 (the file counts from 1).
  uint32_t count = 0;
  if (!in.U2(count)) {
    message(translate("ClassParser", "读取 ConstantPool 的大小设定时出错。"));
    return true;
  }
  std::snprintf(buf, sizeof buf, "ConstantPoolCount = %u", static_cast<unsigned>(count));
  message(buf);

  std::unordered_map<uint32_t, std::string> texts;         // index -> decoded Utf8
  std::vector<std::pair<uint32_t, uint32_t>> classConsts;  // (index, name index)
  std::set<uint32_t> referenced;                           // file indices (from 1)

  bool poolOk = true;
  const uint32_t entries = count == 0 ? 0 : count - 1;
  for (uint32_t index = 0; index < entries && poolOk;) {
    uint32_t tag = 0, a = 0, b = 0;
    std::string_view bytes;
    if (!in.U1(tag)) {
      poolOk = false;
      break;
    }
    uint32_t advance = 1;
    switch (tag) {
      case 1:  // Utf8
        poolOk = in.U2(a) && in.Bytes(a, bytes);
        if (poolOk) texts[index] = DecodeModifiedUtf8(bytes);
        break;
      case 3:  // Integer
      case 4:  // Float
        poolOk = in.U4(a);
        break;
      case 5:  // Long
      case 6:  // Double: both take two pool slots
        poolOk = in.U4(a) && in.U4(b);
        advance = 2;
        break;
      case 7:  // Class
        poolOk = in.U2(a);
        if (poolOk) classConsts.emplace_back(index, a);
        break;
      case 8:  // String
        poolOk = in.U2(a);
        break;
      case 9:   // Fieldref
      case 10:  // Methodref
      case 11:  // InterfaceMethodref
        poolOk = in.U2(a) && in.U2(b);
        if (poolOk) referenced.insert(a);
        break;
      case 12:  // NameAndType
        poolOk = in.U2(a) && in.U2(b);
        break;
      default:  // unknown (also newer) constant kinds: the pool cannot be walked on
        poolOk = false;
        break;
    }
    index += advance;
  }
  if (!poolOk) return true;

  // Reporting, in pool order.
  for (const auto& [index, nameIndex] : classConsts) {
    if (referenced.count(index + 1) == 0 || nameIndex == 0) continue;
    auto it = texts.find(nameIndex - 1);
    if (it == texts.end() || it->second.empty()) continue;
    try {
      if (OnClassRef) OnClassRef(it->second);
    } catch (...) {
      // A failure in the owner's handling of one class must not stop the others.
    }
  }
  return true;
}

}  // namespace trawlonix
