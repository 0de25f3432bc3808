#include "model/sidecar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/Translate.h"

namespace trawlonix {

namespace {

constexpr std::string_view kFirstLine = "Trawlonix sidecar 1";
constexpr char kListKinds[3] = {'L', 'E', 'B'};

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char n = s[++i];
    out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
  }
  return out;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    out.push_back(Unescape(line.substr(start, tab - start)));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return out;
}

std::string WithName(const char* text, const std::string& file) {
  std::string s = TrText("Sidecar", text);
  const auto at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, file);
  return s;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string DirOf(const std::string& file) {
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? "." : file.substr(0, slash + 1);
}

}  // namespace

std::string SidecarPathFor(const std::string& projectFile) {
  const std::string ext = ".txp";
  if (projectFile.size() > ext.size() &&
      projectFile.compare(projectFile.size() - ext.size(), ext.size(), ext) == 0)
    return projectFile.substr(0, projectFile.size() - ext.size()) + ".txs";
  return projectFile + ".txs";
}

std::string RecoveryPathFor(const std::string& projectFile) {
  const std::string ext = ".txp";
  if (projectFile.size() > ext.size() &&
      projectFile.compare(projectFile.size() - ext.size(), ext.size(), ext) == 0)
    return projectFile.substr(0, projectFile.size() - ext.size()) + ".recovery.txp";
  return projectFile + ".recovery.txp";
}

std::string EncodeSidecar(const TSidecar& sidecar) {
  std::string out(kFirstLine);
  out += '\n';
  for (std::size_t l = 0; l < 3; ++l) {
    for (const TResultRow& r : sidecar.Lists[l]) {
      out += kListKinds[l];
      for (const std::string* f : {&r.Text, &r.Reference, &r.FirstOccurrence, &r.TestResult})
        out += '\t' + Escape(*f);
      out += r.Selected ? "\t1\n" : "\t0\n";
    }
  }
  for (const auto& [name, value] : sidecar.Extras)
    out += "X\t" + Escape(name) + '\t' + Escape(value) + '\n';
  return out;
}

bool DecodeSidecar(std::string_view bytes, TSidecar& out) {
  out = TSidecar{};
  const std::size_t firstEnd = bytes.find('\n');
  if (bytes.substr(0, firstEnd) != kFirstLine) return false;
  std::size_t pos = firstEnd == std::string_view::npos ? bytes.size() : firstEnd + 1;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (line.size() < 2 || line[1] != '\t') continue;
    const std::vector<std::string> f = Fields(line.substr(2));
    if (line[0] == 'X' && f.size() >= 2) {
      out.Extras[f[0]] = f[1];
      continue;
    }
    for (std::size_t l = 0; l < 3; ++l) {
      if (line[0] != kListKinds[l] || f.size() < 5) continue;
      out.Lists[l].push_back({f[0], f[1], f[2], f[3], f[4] == "1"});
    }
  }
  return true;
}

TSidecarResult LoadSidecar(const std::string& file, TSidecar& out) {
  TSidecarResult r;
  out = TSidecar{};
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) {
    r.ok = r.missing = errno == ENOENT;
    if (!r.ok) r.message = WithName(sidecar_text::kCannotRead, file);
    return r;
  }
  std::string bytes;
  char buf[65536];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    bytes.append(buf, n);
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    r.message = WithName(sidecar_text::kCannotRead, file);
    return r;
  }
  if (!DecodeSidecar(bytes, out)) {
    r.message = WithName(sidecar_text::kNotASidecar, file);
    return r;
  }
  r.ok = true;
  return r;
}

TSidecarResult SaveSidecar(const std::string& file, const TSidecar& sidecar, bool secret) {
  TSidecarResult r;
  r.message = WithName(sidecar_text::kCannotWrite, file);
  const std::string temp = DirOf(file) + (file.find('/') == std::string::npos ? "/" : "") + "." +
                           file.substr(file.rfind('/') + 1) + ".tmp" + std::to_string(::getpid());
  const int fd =
      ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, secret ? 0600 : 0666);
  if (fd < 0) return r;
  // The mode is set explicitly: a temporary file left by an earlier attempt
  // keeps its own.
  if (secret) ::fchmod(fd, 0600);
  bool ok = WriteAll(fd, EncodeSidecar(sidecar)) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return r;
  }
  const int dir = ::open(DirOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);  // best effort, as for the project file
    ::close(dir);
  }
  r.ok = true;
  r.message.clear();
  return r;
}

}  // namespace trawlonix
