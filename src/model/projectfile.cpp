#include "model/projectfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace trawlonix {

namespace {

constexpr unsigned char kMagic[4] = {0x5D, 0x2F, 0x5C, 0x40};
constexpr std::string_view kSignature = "Trawlonix Project File";
static_assert(4 + 22 + 3 == kTxpHeaderSize);
constexpr std::size_t kReadChunk = 64 * 1024;

constexpr char kSpiderMark = 'a';
constexpr char kRedirectMark = 'b';
constexpr char kEndMark = 'Z';

constexpr const char* kWriteSpiderText =
    QT_TRANSLATE_NOOP("ProjectFile", "正在写入再继续信息...        %d%% 已完成");
constexpr const char* kReadSpiderText =
    QT_TRANSLATE_NOOP("ProjectFile", "正在读取再继续信息...        %d%% 已完成");
constexpr const char* kWriteRedirectText =
    QT_TRANSLATE_NOOP("ProjectFile", "正在写入转向信息...        %d%% 已完成");
constexpr const char* kReadRedirectText =
    QT_TRANSLATE_NOOP("ProjectFile", "正在读取转向信息...        %d%% 已完成");

[[noreturn]] void Fail(const char* what) {
  throw TxpStreamError(what);
}

[[noreturn]] void FailErrno(const char* what) {
  throw TxpStreamError(std::string(what) + ": " + std::strerror(errno));
}

// ---- primitive encodings -------------------------------------------------

void PutByte(TxpWriter& out, std::uint8_t b) {
  out.Write(&b, 1);
}
void PutBool(TxpWriter& out, bool b) {
  PutByte(out, b ? 1 : 0);
}

void PutWord(TxpWriter& out, std::uint16_t w) {
  const unsigned char b[2] = {static_cast<unsigned char>(w & 0xFF),
                              static_cast<unsigned char>(w >> 8)};
  out.Write(b, 2);
}

void PutInt32(TxpWriter& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  const unsigned char b[4] = {
      static_cast<unsigned char>(u & 0xFF), static_cast<unsigned char>((u >> 8) & 0xFF),
      static_cast<unsigned char>((u >> 16) & 0xFF), static_cast<unsigned char>(u >> 24)};
  out.Write(b, 4);
}

// A Text ends at its first 0 byte, so a string holding one is cut there:
// writing it whole would put the rest of the file out of step.
std::string_view TextPart(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

void PutText(TxpWriter& out, std::string_view s) {
  s = TextPart(s);
  if (!s.empty()) out.Write(s.data(), s.size());
  PutByte(out, 0);
}

// Entries are never empty: an empty one would read back as the end mark and
// shift every following field.
void PutTextList(TxpWriter& out, const TStringList* list) {
  if (list != nullptr) {
    for (const auto& s : *list) {
      if (!TextPart(s).empty()) PutText(out, s);
    }
  }
  PutByte(out, 0);
}

bool GetBool(TxpReader& in) {
  return in.ReadByte() == 1;
}

std::uint16_t GetWord(TxpReader& in) {
  unsigned char b[2];
  in.ReadExact(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int32_t GetInt32(TxpReader& in) {
  unsigned char b[4];
  in.ReadExact(b, 4);
  const std::uint32_t u =
      static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
      (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return static_cast<std::int32_t>(u);
}

void GetTextList(TxpReader& in, TStringList& list) {
  for (;;) {
    std::string s = in.ReadText();
    if (s.empty()) return;
    list.push_back(std::move(s));
  }
}

void PutURL(TxpWriter& out, const TURL& u) {
  for (const std::string* f : {&u.Protocol, &u.User, &u.Password, &u.Host, &u.Port, &u.Path,
                               &u.FileName, &u.Query, &u.Ext}) {
    PutText(out, *f);
  }
}

void GetURL(TxpReader& in, TURL& u, int urlTexts) {
  u.Protocol = in.ReadText();
  u.User = in.ReadText();
  u.Password = in.ReadText();
  u.Host = in.ReadText();
  u.Port = in.ReadText();
  u.Path = in.ReadText();
  u.FileName = in.ReadText();
  if (urlTexts >= 9) u.Query = in.ReadText();
  u.Ext = in.ReadText();
}

// Delivers a progress text when its percentage changed since the last one.
class Progress {
 public:
  Progress(const TProgressFn& fn, const char* format)
      : fn_(fn), format_(TrText("ProjectFile", format)) {}
  void Report(std::uint64_t part, std::uint64_t whole) {
    if (!fn_) return;
    int pct = 100;
    if (whole > 0) {
      const std::uint64_t rounded = (200 * part + whole) / (2 * whole);
      pct = rounded > 100 ? 100 : static_cast<int>(rounded);
    }
    if (pct == last_) return;
    last_ = pct;
    char text[128];
    std::snprintf(text, sizeof text, format_.c_str(), pct);
    fn_(text);
  }

 private:
  const TProgressFn& fn_;
  std::string format_;
  int last_ = -1;
};

void Say(const TProgressFn& fn, const char* text) {
  if (fn) fn(TrText("ProjectFile", text));
}

std::string WithFileName(const char* text, const std::string& fileName) {
  std::string s = TrText("ProjectFile", text);
  const auto at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, fileName);
  return s;
}

}  // namespace

// ---- TxpReader ---------------------------------------------------------------

TxpReader::TxpReader(std::string_view data) : size_(data.size()), buf_(data) {}

TxpReader::TxpReader(int fd, std::uint64_t size) : fd_(fd), size_(size) {
  own_.resize(kReadChunk);
}

std::unique_ptr<TxpReader> TxpReader::OpenFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  // Regular files never block; the flag only kept a FIFO from hanging the open.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return std::unique_ptr<TxpReader>(new TxpReader(fd, static_cast<std::uint64_t>(st.st_size)));
}

TxpReader::~TxpReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool TxpReader::Fill() {
  if (fd_ < 0) return false;
  bufStart_ += buf_.size();
  bufPos_ = 0;
  buf_ = {};
  ssize_t r;
  do {
    r = ::read(fd_, own_.data(), own_.size());
  } while (r < 0 && errno == EINTR);
  if (r < 0) FailErrno("read");
  if (r == 0) return false;
  buf_ = std::string_view(own_.data(), static_cast<std::size_t>(r));
  return true;
}

std::size_t TxpReader::ReadSome(void* dst, std::size_t n) {
  auto* out = static_cast<char*>(dst);
  std::size_t got = 0;
  while (got < n) {
    if (bufPos_ == buf_.size() && !Fill()) break;
    const std::size_t take = std::min(n - got, buf_.size() - bufPos_);
    std::memcpy(out + got, buf_.data() + bufPos_, take);
    bufPos_ += take;
    got += take;
  }
  return got;
}

void TxpReader::ReadExact(void* dst, std::size_t n) {
  if (ReadSome(dst, n) != n) Fail("unexpected end of file");
}

std::uint8_t TxpReader::ReadByte() {
  if (bufPos_ == buf_.size() && !Fill()) Fail("unexpected end of file");
  return static_cast<std::uint8_t>(buf_[bufPos_++]);
}

std::string TxpReader::ReadText() {
  std::string s;
  for (;;) {
    if (bufPos_ == buf_.size() && !Fill()) Fail("text without terminator");
    const char* start = buf_.data() + bufPos_;
    const std::size_t avail = buf_.size() - bufPos_;
    const void* zero = std::memchr(start, 0, avail);
    if (zero != nullptr) {
      const auto len = static_cast<std::size_t>(static_cast<const char*>(zero) - start);
      s.append(start, len);
      bufPos_ += len + 1;
      return s;
    }
    s.append(start, avail);
    bufPos_ += avail;
  }
}

void TxpReader::Seek(std::uint64_t pos) {
  if (fd_ < 0) {
    bufPos_ = static_cast<std::size_t>(std::min<std::uint64_t>(pos, buf_.size()));
    return;
  }
  if (::lseek(fd_, static_cast<off_t>(pos), SEEK_SET) < 0) FailErrno("seek");
  bufStart_ = pos;
  bufPos_ = 0;
  buf_ = {};
}

// ---- writers -------------------------------------------------------------------

TxpFileWriter::TxpFileWriter(int fd) : fd_(fd) {
  buf_.reserve(kReadChunk);
}

void TxpFileWriter::Write(const void* data, std::size_t n) {
  buf_.append(static_cast<const char*>(data), n);
  if (buf_.size() >= kReadChunk) Flush();
}

void TxpFileWriter::Flush() {
  std::size_t done = 0;
  while (done < buf_.size()) {
    const ssize_t w = ::write(fd_, buf_.data() + done, buf_.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      FailErrno("write");
    }
    done += static_cast<std::size_t>(w);
  }
  buf_.clear();
}

void TxpFileWriter::SeekStart() {
  Flush();
  if (::lseek(fd_, 0, SEEK_SET) < 0) FailErrno("seek");
}

void TxpFileWriter::Finish() {
  Flush();
  if (::fsync(fd_) != 0) FailErrno("fsync");
}

void TxpStringWriter::Write(const void* data, std::size_t n) {
  const auto* p = static_cast<const char*>(data);
  const std::size_t overlap = std::min(n, data_.size() - pos_);
  data_.replace(pos_, overlap, p, n);
  pos_ += n;
}

// ---- versions and layouts ---------------------------------------------------------

int RecordLayoutFor(std::uint16_t version) {
  if (version <= 0x0105) return 1;
  if (version <= 0x0205) return 2;
  if (version <= 0x0207) return 3;
  return 0;
}

int UrlTextsFor(std::uint16_t version) {
  return version <= 0x0105 ? 8 : 9;
}

TLimitMode TranslateLimit(std::uint8_t stored, int layout) {
  // Layout 1 knew five modes, layout 2 added the two list modes, layout 3 the
  // two combined modes before "no limit". Unknown bytes read as mode 1.
  static constexpr TLimitMode kLayout1[] = {lmStartDirOnly, lmStartDirAndBelow, lmThisServer,
                                            lmUnlimited, lmNeverDownload};
  static constexpr TLimitMode kLayout2[] = {lmStartDirOnly,     lmStartDirAndBelow,  lmThisServer,
                                            lmPositiveListOnly, lmNotInNegativeList, lmUnlimited,
                                            lmNeverDownload};
  if (layout == 1) return stored < 5 ? kLayout1[stored] : lmStartDirAndBelow;
  if (layout == 2) return stored < 7 ? kLayout2[stored] : lmStartDirAndBelow;
  return stored <= lmNeverDownload ? static_cast<TLimitMode>(stored) : lmStartDirAndBelow;
}

// ---- sections -----------------------------------------------------------------

void WriteProjectHeader(TxpWriter& out, bool resume) {
  out.SeekStart();
  out.Write(kMagic, sizeof kMagic);
  out.Write(kSignature.data(), kSignature.size());
  PutByte(out, kTxpMajor);
  PutByte(out, kTxpMinor);
  PutByte(out, resume ? 1 : 0);
}

TProjectHeader ReadProjectHeader(TxpReader& in) {
  TProjectHeader h;
  in.Seek(0);
  unsigned char b[kTxpHeaderSize];
  if (in.ReadSome(b, sizeof b) != sizeof b) return h;
  if (std::memcmp(b, kMagic, sizeof kMagic) != 0) return h;
  if (std::memcmp(b + 4, kSignature.data(), kSignature.size()) != 0) return h;
  h.valid = true;
  h.major = b[26];
  h.minor = b[27];
  h.resume = b[28] == 1;
  return h;
}

void WriteDefinition(const TrawlonixDefinition& def, TxpWriter& out) {
  PutText(out, def.StartingUrl);
  PutText(out, def.ProjectName.str());
  PutBool(out, def.LevelLimit);
  PutWord(out, def.MaxLevel);
  PutBool(out, def.UsePwd);
  PutText(out, def.Username.str());
  PutText(out, def.Password.str());
  PutBool(out, def.actSaveFiles);
  PutBool(out, def.actEMails);
  PutBool(out, def.actBLinks);
  PutBool(out, def.actCollect);
  PutByte(out, def.actColOpt);
  PutText(out, def.LocalPath.str());
  PutBool(out, def.ChgLocLink);
  PutBool(out, def.ChgExtLink);
  PutByte(out, def.LimitHtDocs);
  PutByte(out, def.LimitIlImages);
  PutByte(out, def.LimitEmbeded);
  PutByte(out, def.LimitLinked);
  PutTextList(out, UsesPositiveList(def) ? def.Positivlist.get() : nullptr);
  PutTextList(out, UsesNegativeList(def) ? def.Negativlist.get() : nullptr);
  PutBool(out, def.OnlyRenameSkriptURL);
  PutTextList(out, def.HTMLRenList.get());
  PutBool(out, def.StrictUrl);
}

void ReadDefinition(TrawlonixDefinition& def, TxpReader& in, int layout) {
  // A record whose lists were never created still reads: the reader needs
  // somewhere to put the entries.
  for (TStringListRef* list : {&def.Positivlist, &def.Negativlist, &def.HTMLRenList}) {
    if (!*list) *list = std::make_shared<TStringList>();
  }
  ResetDefinition(def);
  def.StartingUrl = in.ReadText();
  def.ProjectName = in.ReadText();
  def.LevelLimit = GetBool(in);
  def.MaxLevel = GetWord(in);
  def.UsePwd = GetBool(in);
  def.Username = in.ReadText();
  def.Password = in.ReadText();
  def.actSaveFiles = GetBool(in);
  def.actEMails = GetBool(in);
  def.actBLinks = GetBool(in);
  def.actCollect = GetBool(in);
  def.actColOpt = static_cast<TCollectOption>(in.ReadByte());
  def.LocalPath = in.ReadText();
  def.ChgLocLink = GetBool(in);
  def.ChgExtLink = GetBool(in);
  def.LimitHtDocs = TranslateLimit(in.ReadByte(), layout);
  def.LimitIlImages = TranslateLimit(in.ReadByte(), layout);
  def.LimitEmbeded = TranslateLimit(in.ReadByte(), layout);
  def.LimitLinked = TranslateLimit(in.ReadByte(), layout);
  if (layout >= 2) {
    GetTextList(in, *def.Positivlist);
    GetTextList(in, *def.Negativlist);
  }
  if (layout >= 3) {
    def.OnlyRenameSkriptURL = GetBool(in);
    def.HTMLRenList->clear();
    GetTextList(in, *def.HTMLRenList);
    def.StrictUrl = GetBool(in);
  } else {
    // Layouts without the field were always crawled with names without a
    // dot taken as directories; they go on so, and keep their stored names.
    def.StrictUrl = false;
  }
}

void WriteSpiderList(const TSpiderList& list, TxpWriter& out, const TProgressFn& progress) {
  Progress report(progress, kWriteSpiderText);
  const std::int32_t n = list.Count();
  for (std::int32_t i = 0; i < n; ++i) {
    const AGetEntry& e = list[i];
    PutByte(out, kSpiderMark);
    PutBool(out, e.Fetched);
    PutInt32(out, e.Level);
    PutURL(out, e.URL);
    PutBool(out, e.Broken);
    PutInt32(out, e.Referrer);
    report.Report(static_cast<std::uint64_t>(i) + 1, static_cast<std::uint64_t>(n));
  }
  PutByte(out, kEndMark);
}

void ReadSpiderList(TSpiderList& list, TxpReader& in, const TProgressFn& progress, int urlTexts) {
  Progress report(progress, kReadSpiderText);
  list.Clear();
  TURL url;
  while (in.ReadByte() == kSpiderMark) {
    const bool fetched = GetBool(in);
    const std::int32_t level = GetInt32(in);
    GetURL(in, url, urlTexts);
    const bool broken = GetBool(in);
    const std::int32_t referrer = GetInt32(in);
    list.AppendLoaded(url, fetched, level, broken, referrer);
    // The position after the next mark is what the percentage counts; the
    // mark itself is consumed by the loop condition.
    report.Report(in.Position() + 2, in.Size());
  }
}

void WriteRedirectList(const TCGIRedirectList& list, TxpWriter& out, const TProgressFn& progress) {
  Progress report(progress, kWriteRedirectText);
  const std::int32_t n = list.Count();
  for (std::int32_t i = 0; i < n; ++i) {
    const ACGIRedirectEntry& e = list[i];
    PutByte(out, kRedirectMark);
    PutInt32(out, e.Number);
    PutURL(out, e);
    report.Report(static_cast<std::uint64_t>(i) + 1, static_cast<std::uint64_t>(n));
  }
  PutByte(out, kEndMark);
}

void ReadRedirectList(TCGIRedirectList& list, TxpReader& in, const TProgressFn& progress) {
  Progress report(progress, kReadRedirectText);
  list.Clear();
  TURL url;
  while (in.ReadByte() == kRedirectMark) {
    const std::int32_t number = GetInt32(in);
    GetURL(in, url, 9);
    list.AppendLoaded(url, number);
    report.Report(in.Position() + 2, in.Size());
  }
}

std::string LocalRootOf(std::string_view localPath) {
  std::string root(localPath);
  for (char& c : root) {
    if (c == '\\') c = '/';
  }
  if (!root.empty() && root.back() != '/') root.push_back('/');
  return root;
}

// ---- open and save --------------------------------------------------------------

TOpenResult OpenProject(const std::string& fileName, TrawlonixDefinition& def, TSpiderList& spider,
                        TCGIRedirectList& redirects, const TProgressFn& progress) {
  TOpenResult r;
  def.Modified = false;
  Say(progress, txp_text::kLoading);

  // The reader owns the descriptor, so every return below closes the file.
  std::unique_ptr<TxpReader> in = TxpReader::OpenFile(fileName);
  if (!in) {
    r.message = TrText("ProjectFile", txp_text::kReadError);
    return r;
  }
  TProjectHeader header;
  try {
    header = ReadProjectHeader(*in);
  } catch (const std::exception&) {
    r.message = TrText("ProjectFile", txp_text::kReadError);
    return r;
  }
  if (!header.valid) {
    r.message = TrText("ProjectFile", txp_text::kNotProject);
    return r;
  }
  r.version = header.Version();
  const int layout = RecordLayoutFor(r.version);
  if (layout == 0) {
    r.message = TrText("ProjectFile", txp_text::kNewerVersion);
    return r;
  }

  r.discarded = true;
  spider.Clear();
  redirects.Clear();
  spider.MaxErrors = 5;
  try {
    ReadDefinition(def, *in, layout);
    ReadSpiderList(spider, *in, progress, UrlTextsFor(r.version));
    if (layout >= 2) ReadRedirectList(redirects, *in, progress);
  } catch (const std::exception&) {  // stream errors, and bad_alloc on a huge damaged file
    r.message = TrText("ProjectFile", txp_text::kReadError);
    return r;
  }
  r.ok = true;
  r.resume = header.resume;
  if (r.resume) r.info = TrText("ProjectFile", txp_text::kResumeInfo);
  r.localRoot = LocalRootOf(def.LocalPath.str());
  return r;
}

namespace {

std::atomic<unsigned> g_tempCounter{0};

// The file a save replaces: a symbolic link stays a link and its target is
// replaced, as writing through the link would have done.
std::string ResolveTarget(const std::string& fileName) {
  struct stat st {};
  if (::lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(fileName.c_str(), nullptr)) {
      std::string s = real;
      std::free(real);
      return s;
    }
  }
  return fileName;
}

void SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename is done; some file systems refuse this
  ::close(fd);
}

}  // namespace

TSaveResult SaveProject(const std::string& fileName, TrawlonixDefinition& def, TSpiderList& spider,
                        const TCGIRedirectList& redirects, const TProgressFn& progress,
                        const TWriterWrapper& wrap) {
  TSaveResult r;
  def.Modified = false;
  Say(progress, txp_text::kSaving);
  r.resume = spider.NextToFetch() >= 0;

  const std::string target = ResolveTarget(fileName);
  const auto slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  // A file we may not write is not ours to replace: creating it in place
  // would have failed, and the rename below must not get round that.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    r.message = WithFileName(txp_text::kCannotCreate, fileName);
    return r;
  }

  // The project is written beside the target under a fresh name and renamed
  // over it only when every byte is on disk, so a failed save never destroys
  // the file that was there.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = dir + (slash == std::string::npos ? "/" : "") + "." + base + ".tmp" +
           std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    r.message = WithFileName(txp_text::kCannotCreate, fileName);
    return r;
  }
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    ::fchmod(fd, st.st_mode & 07777);  // keep the permissions of the file we replace
  }
  // A project that holds a password is readable by its owner only.
  if (!def.Password.empty()) ::fchmod(fd, 0600);

  bool written = false;
  try {
    std::unique_ptr<TxpWriter> out = std::make_unique<TxpFileWriter>(fd);
    if (wrap) out = wrap(std::move(out));
    WriteProjectHeader(*out, r.resume);
    WriteDefinition(def, *out);
    WriteSpiderList(spider, *out, progress);
    WriteRedirectList(redirects, *out, progress);
    out->Finish();
    written = true;
  } catch (const std::exception&) {
  }
  if (::close(fd) != 0) written = false;
  if (!written) {
    ::unlink(temp.c_str());
    r.message = TrText("ProjectFile", txp_text::kWriteError);
    return r;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    r.message = WithFileName(txp_text::kCannotCreate, fileName);
    return r;
  }
  SyncDirectory(dir);
  r.ok = true;
  return r;
}

}  // namespace trawlonix
