#include "parsers/flashparser.h"
#include "parsers/messagecap.h"

#include <cstdint>
#include <cstdio>

namespace trawlonix {

namespace {

constexpr unsigned kTagEnd = 0;
constexpr unsigned kTagDefineButton = 7;
constexpr unsigned kTagDoAction = 12;
constexpr unsigned kTagDefineButton2 = 34;

constexpr unsigned kActionGetURL = 0x83;
constexpr unsigned kActionPush = 0x96;

// Thrown inside the parser only: a read would pass the current limit. `reached`
// is where that read would have ended.
struct ReadPastLimit {
  uint64_t reached;
};

// Little-endian reader with a bit reader for RECT and MATRIX fields. Reads are
// confined to the data and to an optional limit (the end of the tag being
// examined), so that a lying length can neither read out of bounds nor make
// one tag's parse run over the rest of the movie.
class MovieReader {
 public:
  explicit MovieReader(std::string_view data) : data_(data), limit_(data.size()) {}

  uint64_t Pos() const { return pos_; }
  uint64_t Size() const { return data_.size(); }
  uint64_t Limit() const { return limit_; }
  void Seek(uint64_t pos) { pos_ = pos; }
  void SetLimit(uint64_t limit) { limit_ = limit < data_.size() ? limit : data_.size(); }
  void ClearLimit() { limit_ = data_.size(); }

  uint32_t U8() { return ReadLE(1); }
  uint32_t U16() { return ReadLE(2); }
  uint32_t U32() { return ReadLE(4); }

  std::string_view Bytes(uint64_t n) {
    Need(n);
    std::string_view out =
        data_.substr(static_cast<std::size_t>(pos_), static_cast<std::size_t>(n));
    pos_ += n;
    return out;
  }

  void ResetBits() { bitCount_ = 0; }

  // `n` bits (0 to 32), most significant bit of each byte first.
  uint32_t Bits(unsigned n) {
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) {
      if (bitCount_ == 0) {
        bitByte_ = U8();
        bitCount_ = 8;
      }
      --bitCount_;
      v = (v << 1) | ((bitByte_ >> bitCount_) & 1u);
    }
    return static_cast<uint32_t>(v);
  }

 private:
  void Need(uint64_t n) {
    if (pos_ > limit_ || limit_ - pos_ < n) throw ReadPastLimit{pos_ + n};
  }

  uint32_t ReadLE(unsigned n) {
    Need(n);
    uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i) {
      v |= static_cast<uint32_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
    }
    pos_ += n;
    return v;
  }

  std::string_view data_;
  uint64_t pos_ = 0;
  uint64_t limit_;
  uint32_t bitByte_ = 0;
  unsigned bitCount_ = 0;
};

// Text up to the first zero byte, or all of it when there is none.
std::string ZeroTerminated(std::string_view bytes) {
  const std::size_t nul = bytes.find('\0');
  return std::string(nul == std::string_view::npos ? bytes : bytes.substr(0, nul));
}

void SkipMatrix(MovieReader& in) {
  in.ResetBits();
  if (in.Bits(1)) {  // scale
    const unsigned n = in.Bits(5);
    in.Bits(n);
    in.Bits(n);
  }
  if (in.Bits(1)) {  // rotate
    const unsigned n = in.Bits(5);
    in.Bits(n);
    in.Bits(n);
  }
  const unsigned n = in.Bits(5);  // translate
  in.Bits(n);
  in.Bits(n);
  in.ResetBits();
}

class TagWalker {
 public:
  TagWalker(MovieReader& in, const TFlashParser& owner) : in_(in), owner_(owner) {}

  void ActionList() {
    for (;;) {
      const unsigned code = in_.U8();
      if (code == 0) return;
      if (code < 0x80) continue;
      const uint32_t length = in_.U16();
      if (code == kActionGetURL) {
        // URL first, then the target frame, which is not a link.
        Report(ZeroTerminated(in_.Bytes(length)));
      } else if (code == kActionPush) {
        const std::string_view data = in_.Bytes(length);
        // Only the first value counts, and only when it is a string (type 0).
        if (!data.empty() && data[0] == 0) Report(ZeroTerminated(data.substr(1)));
      } else {
        in_.Seek(in_.Pos() + length);
      }
    }
  }

  void DefineButton() {
    in_.U16();  // button id
    for (;;) {
      const unsigned flags = in_.U8();
      if (flags == 0) break;
      in_.U16();  // character id
      in_.U16();  // depth
      SkipMatrix(in_);
    }
    ActionList();
  }

  void DefineButton2() {
    in_.U16();  // button id
    in_.U8();   // flags
    const uint64_t firstField = in_.Pos();
    const uint32_t firstOffset = in_.U16();
    if (firstOffset == 0) {
      // A button without actions: the rest of the tag holds nothing to examine.
      in_.Seek(in_.Limit());
      return;
    }
    // An offset that points back into what was already read would read the
    // same bytes again (and, repeated, make the walk quadratic).
    if (firstField + firstOffset < in_.Pos()) return;
    in_.Seek(firstField + firstOffset);
    for (;;) {
      const uint64_t field = in_.Pos();
      const uint32_t next = in_.U16();
      in_.U16();  // condition flags
      ActionList();
      if (next == 0 || field + next < in_.Pos()) return;
      in_.Seek(field + next);
    }
  }

 private:
  void Report(const std::string& text) const {
    if (owner_.OnURL && !text.empty()) owner_.OnURL(text);
  }

  MovieReader& in_;
  const TFlashParser& owner_;
};

}  // namespace

bool TFlashParser::Parse(std::string_view data) {
  TMessageCap message(OnMessage);
  char buf[160];
  MovieReader in(data);

  // Header.
  unsigned char sig[3];
  uint32_t version = 0, fileLength = 0;
  try {
    for (unsigned char& c : sig)
      c = static_cast<unsigned char>(in.U8());
    version = in.U8();
    fileLength = in.U32();
  } catch (const ReadPastLimit&) {
    message("error reading signature!");
    return true;
  }
  if (sig[0] != 'F' || sig[1] != 'W' || sig[2] != 'S') {
    message("invalid signature!");
    return true;
  }
  std::snprintf(buf, sizeof buf, "Version: Macromedia Flash %u", static_cast<unsigned>(version));
  message(buf);
  std::snprintf(buf, sizeof buf, "Filesize (header): %u", static_cast<unsigned>(fileLength));
  message(buf);
  if (fileLength != data.size()) message("Filesize in header does not comply with real filesize!");

  long long xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  try {
    in.ResetBits();
    const unsigned n = in.Bits(5);
    xMin = in.Bits(n);
    xMax = in.Bits(n);
    yMin = in.Bits(n);
    yMax = in.Bits(n);
    in.ResetBits();
  } catch (const ReadPastLimit&) {
    message("error reading movie-size!");
    return true;
  }
  const long long width = xMax - xMin, height = yMax - yMin;
  std::snprintf(buf, sizeof buf,
                "movie-size: width=%lld twips  height=%lld twips  (%lld x %lld Pixel)", width,
                height, width / 20, height / 20);
  message(buf);

  uint32_t rateFraction = 0, rateInteger = 0, frameCount = 0;
  try {
    rateFraction = in.U8();
    rateInteger = in.U8();
    frameCount = in.U16();
  } catch (const ReadPastLimit&) {
    message("error reading movie-length and speed!");
    return true;
  }
  std::snprintf(buf, sizeof buf, "speed: %u.%u frames per second",
                static_cast<unsigned>(rateInteger), static_cast<unsigned>(rateFraction));
  message(buf);
  std::snprintf(buf, sizeof buf, "length: %u frames", static_cast<unsigned>(frameCount));
  message(buf);

  // Tags. Every tag header moves the position forward by at least two bytes,
  // so the walk ends on any input.
  TagWalker walker(in, *this);
  for (;;) {
    unsigned code = 0;
    uint64_t length = 0;
    try {
      const uint32_t header = in.U16();
      code = header >> 6;
      length = header & 0x3F;
      if (length == 0x3F) length = in.U32();
    } catch (const ReadPastLimit&) {
      return false;  // the movie ends before its End tag
    }
    const uint64_t bodyStart = in.Pos();
    const uint64_t bodyEnd = bodyStart + length;

    if (code == kTagDoAction || code == kTagDefineButton || code == kTagDefineButton2) {
      uint64_t reached = 0;
      in.SetLimit(bodyEnd);
      try {
        if (code == kTagDoAction) {
          walker.ActionList();
        } else if (code == kTagDefineButton) {
          walker.DefineButton();
        } else {
          walker.DefineButton2();
        }
        reached = in.Pos();
      } catch (const ReadPastLimit& e) {
        in.ClearLimit();
        if (bodyEnd > data.size()) return false;  // the movie ends inside this tag
        reached = e.reached;                      // the body claims more than the tag holds
      }
      in.ClearLimit();
      if (reached != bodyEnd) {
        std::snprintf(buf, sizeof buf, "!Wrong Filepos (tag %u) %llu. Expected %llu.", code,
                      static_cast<unsigned long long>(reached),
                      static_cast<unsigned long long>(bodyEnd));
        message(buf);
      }
    }
    in.Seek(bodyEnd);
    if (code == kTagEnd) break;
  }

  if (in.Pos() < data.size()) {
    std::snprintf(buf, sizeof buf, "!! found %llu Bytes after end-of-file-tag",
                  static_cast<unsigned long long>(data.size() - in.Pos()));
    message(buf);
  }
  return true;
}

}  // namespace trawlonix
