// The project file (*.txp): header, project record, spider list and redirect
// list, in the layouts that versions up to 2.7 wrote. The writer always writes
// version 2.7; the reader takes every older layout and refuses newer files.
//
// The section routines work on a TxpReader / TxpWriter and throw TxpStreamError
// when a read or write fails; they catch nothing. OpenProject and SaveProject
// are the complete open and save sequences both hosts run: they catch every
// failure and return the message text to show, and never leave a file open.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/Translate.h"
#include "model/SpiderList.h"
#include "model/tx_types.h"

namespace trawlonix {

class TxpStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Receives the progress texts ("正在读取再继续信息...        42% 已完成", ...).
// Optional everywhere: an empty function is not called.
using TProgressFn = std::function<void(const std::string&)>;

// Reads a project file from a file descriptor it owns or from memory. Every
// read is bounded by what the source holds, so a damaged length or count can
// never make the reader allocate more than the file's size.
class TxpReader {
 public:
  // Memory source; `data` must outlive the reader.
  explicit TxpReader(std::string_view data);
  // Opens a regular file; nullptr when it cannot be opened or is not a file.
  static std::unique_ptr<TxpReader> OpenFile(const std::string& path);
  ~TxpReader();
  TxpReader(const TxpReader&) = delete;
  TxpReader& operator=(const TxpReader&) = delete;

  // Up to n bytes; fewer only at the end of the source. Throws on an I/O error.
  std::size_t ReadSome(void* dst, std::size_t n);
  void ReadExact(void* dst, std::size_t n);  // throws when fewer than n bytes remain
  std::uint8_t ReadByte();
  // Bytes up to the next 0 byte, which is consumed; throws at the end of the
  // source (a Text without its terminator).
  std::string ReadText();
  void Seek(std::uint64_t pos);
  std::uint64_t Position() const { return bufStart_ + bufPos_; }
  std::uint64_t Size() const { return size_; }

 private:
  TxpReader(int fd, std::uint64_t size);
  bool Fill();  // false at the end of the source

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string own_;             // buffer of a file source
  std::string_view buf_;        // current window
  std::uint64_t bufStart_ = 0;  // file position of buf_[0]
  std::size_t bufPos_ = 0;
};

// Output of the writer. Implementations throw TxpStreamError on failure.
class TxpWriter {
 public:
  virtual ~TxpWriter() = default;
  virtual void Write(const void* data, std::size_t n) = 0;
  virtual void SeekStart() = 0;
  // Pushes everything written to its final place (for a file: written and
  // synced to the device).
  virtual void Finish() = 0;
};

// A buffered writer on a file descriptor it does not own.
class TxpFileWriter : public TxpWriter {
 public:
  explicit TxpFileWriter(int fd);
  void Write(const void* data, std::size_t n) override;
  void SeekStart() override;
  void Finish() override;  // flush + fsync

 private:
  void Flush();
  int fd_;
  std::string buf_;
};

// A writer into memory, for tests and for tools.
class TxpStringWriter : public TxpWriter {
 public:
  void Write(const void* data, std::size_t n) override;
  void SeekStart() override { pos_ = 0; }
  void Finish() override {}
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

inline constexpr std::uint8_t kTxpMajor = 2;
inline constexpr std::uint8_t kTxpMinor = 7;
inline constexpr std::size_t kTxpHeaderSize = 29;

struct TProjectHeader {
  bool valid = false;
  std::uint8_t major = 0;
  std::uint8_t minor = 0;
  bool resume = false;
  std::uint16_t Version() const { return static_cast<std::uint16_t>(major * 256 + minor); }
};

// Record layout of a file version: 1, 2 or 3; 0 for versions newer than 2.7.
int RecordLayoutFor(std::uint16_t version);
// Number of URL texts per spider entry in a file version: 8 up to 1.5, else 9.
int UrlTextsFor(std::uint16_t version);
// A stored limit byte as the given record layout meant it.
TLimitMode TranslateLimit(std::uint8_t stored, int layout);

void WriteProjectHeader(TxpWriter& out, bool resume);
// Valid only when 29 bytes could be read, the magic matches and the signature
// matches exactly; otherwise only `valid` (false) is meaningful.
TProjectHeader ReadProjectHeader(TxpReader& in);

void WriteDefinition(const TrawlonixDefinition& def, TxpWriter& out);  // layout 3
// ResetDefinition, then the fields of `layout` (1, 2 or 3).
void ReadDefinition(TrawlonixDefinition& def, TxpReader& in, int layout);

void WriteSpiderList(const TSpiderList& list, TxpWriter& out, const TProgressFn& progress = {});
// Empties the list, then reads entries while the mark is 'a'; `urlTexts` is 8 or 9.
void ReadSpiderList(TSpiderList& list, TxpReader& in, const TProgressFn& progress, int urlTexts);
void WriteRedirectList(const TCGIRedirectList& list, TxpWriter& out,
                       const TProgressFn& progress = {});
void ReadRedirectList(TCGIRedirectList& list, TxpReader& in, const TProgressFn& progress = {});

// The local root later crawls use: LocalPath with "\" turned into "/" and a
// "/" appended when it is not empty and does not end in one.
std::string LocalRootOf(std::string_view localPath);

// The message texts of the open and save sequences.
namespace txp_text {
inline constexpr const char* kLoading = QT_TRANSLATE_NOOP("ProjectFile", "正在加载方案...");
inline constexpr const char* kSaving = QT_TRANSLATE_NOOP("ProjectFile", "正在保存方案...");
inline constexpr const char* kReadError =
    QT_TRANSLATE_NOOP("ProjectFile", "在读取方案时发生文件错误！\r方案 没 有 打开！");
inline constexpr const char* kNotProject =
    QT_TRANSLATE_NOOP("ProjectFile", "不是一个 Trawlonix 方案文件！\r方案 没 有 打开！");
inline constexpr const char* kNewerVersion = QT_TRANSLATE_NOOP(
    "ProjectFile", "该 Trawlonix 方案是用一个更新版本的 Trawlonix 所创建的，所以不能打开！");
inline constexpr const char* kResumeInfo = QT_TRANSLATE_NOOP(
    "ProjectFile", "方案中包含有再继续的信息。您可以用 \"开始\" 按钮再继续一个被中断了的过程。");
inline constexpr const char* kCannotCreate =
    QT_TRANSLATE_NOOP("ProjectFile", "不能创建文件 %s。\r方案 没 有 保存。");
inline constexpr const char* kWriteError = QT_TRANSLATE_NOOP(
    "ProjectFile", "在保存方案时发生了写入错误！\r可能是剩余的储存空间不够了。\r方案 没 有 保存。");
}  // namespace txp_text

struct TOpenResult {
  bool ok = false;
  // True once the previously open project was discarded (the header was good
  // and the version known): the host then shows no project until `ok`.
  bool discarded = false;
  std::string message;  // error text when !ok
  bool resume = false;  // header's resume flag
  std::string info;     // the resume information text when `resume`, else empty
  std::uint16_t version = 0;
  std::string localRoot;  // LocalRootOf(def.LocalPath) on success
};

// Opens `fileName` into the three objects. Clears def.Modified first. A bad
// header or a newer version leaves the objects untouched otherwise; after
// that the lists are emptied, spider.MaxErrors becomes 5 and the file is read.
TOpenResult OpenProject(const std::string& fileName, TrawlonixDefinition& def, TSpiderList& spider,
                        TCGIRedirectList& redirects, const TProgressFn& progress = {});

struct TSaveResult {
  bool ok = false;
  std::string message;  // error text when !ok
  bool resume = false;  // the resume flag written
};

// Lets a caller wrap the file stream (tests make writes fail part-way).
using TWriterWrapper = std::function<std::unique_ptr<TxpWriter>(std::unique_ptr<TxpWriter>)>;

// Saves the project to `fileName`. Clears def.Modified. The file is written to
// a temporary file beside the target, synced, and renamed over the target
// only when everything was written; a failed save leaves an existing file
// exactly as it was and no temporary file behind.
TSaveResult SaveProject(const std::string& fileName, TrawlonixDefinition& def, TSpiderList& spider,
                        const TCGIRedirectList& redirects, const TProgressFn& progress = {},
                        const TWriterWrapper& wrap = {});

}  // namespace trawlonix
