// What trawlonix-cli prints at its output levels, on a terminal (a
// pseudo-terminal of 80 columns) and into a pipe.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "CrawlFixture.h"

extern char** environ;

namespace trawlonix::test {
namespace {

class CliOutput : public CrawlFixture {
 protected:
  // Runs trawlonix-cli with standard output and error on a pseudo-terminal of
  // 80 columns; `out` holds what the terminal received, its line ends as the
  // program wrote them.
  CliResult CliOnTerminal(const std::vector<std::string>& args) {
    CliResult r;
    int master = -1;
    int slave = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    termios mode{};
    cfmakeraw(&mode);  // no "\n" -> "\r\n" on the way
    if (::openpty(&master, &slave, nullptr, &mode, &size) != 0) return r;
    // Everything the child needs is made before the fork.
    std::vector<std::string> strings = {TX_BINARY_DIR "/src/cli/trawlonix-cli"};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : strings)
      argv.push_back(s.data());
    argv.push_back(nullptr);
    std::string settingsVar = "TRAWLONIX_SETTINGS=" + settings_;
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "TRAWLONIX_SETTINGS=", 19) != 0) envp.push_back(*e);
    envp.push_back(settingsVar.data());
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setsid();
      ::dup2(slave, 1);
      ::dup2(slave, 2);
      ::close(master);
      ::close(slave);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(slave);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buf[4096];
    for (;;) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 1000) == 0) {
        if (std::chrono::steady_clock::now() > deadline) break;
        continue;
      }
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;  // EIO once the child and its terminal are gone
      r.out.append(buf, static_cast<std::size_t>(n));
    }
    ::kill(pid, SIGKILL);  // harmless when it ended
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(master);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
};

// The progress lines among what a terminal received: the pieces between
// carriage returns and line feeds that hold the file counts.
std::vector<std::string> ProgressLines(const std::string& out) {
  std::vector<std::string> lines;
  std::string piece;
  for (std::size_t i = 0; i <= out.size(); ++i) {
    if (i == out.size() || out[i] == '\r' || out[i] == '\n') {
      if (piece.rfind("\x1b[K", 0) == 0) piece.erase(0, 3);
      if (piece.find("已完成 ") != std::string::npos) lines.push_back(piece);
      piece.clear();
    } else {
      piece += out[i];
    }
  }
  return lines;
}

// Terminal columns, counted high: every character beyond ASCII as two.
std::size_t Columns(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    n += c < 0x80 ? 1 : c >= 0xC0 ? 2 : 0;
  return n;
}

TEST_F(CliOutput, LevelsOnATerminalAndInAPipe) {
  WriteSite({{"index.html", "<A HREF=\"a.html\">a</A><A HREF=\"gone.html\">g</A>"},
             {"a.html", "<A HREF=\"b.html\">b</A>"},
             {"b.html", "b"}});
  ASSERT_TRUE(StartServer());
  const std::string project = MakeProject(Base() + "index.html");
  const std::string logFile = Path("extra.log");
  struct Case {
    const char* name;
    std::vector<std::string> options;
    bool terminal;
    bool progress;  // a progress line, ending at 100%
    bool failures;  // one line per failure, naming its URL
    bool verbose;   // the whole log, with every link added
  } cases[] = {
      {"default on a terminal", {}, true, true, true, false},
      {"default into a pipe", {}, false, false, true, false},
      {"quiet on a terminal", {"-q"}, true, false, false, false},
      {"quiet into a pipe", {"--quiet"}, false, false, false, false},
      {"verbose with a log file", {"-v", "--log-file", logFile}, false, false, false, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--lang", "zh", "run", project, "--restart", "--ignore-robots"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliResult r = c.terminal ? CliOnTerminal(args) : Cli(args);
    ASSERT_EQ(r.code, 0) << c.name << "\n" << r.out << r.err;
    EXPECT_EQ(Count(r.out, "状态: 已结束\n"), 1) << c.name;
    const auto progress = ProgressLines(r.out);
    EXPECT_EQ(!progress.empty(), c.progress) << c.name << "\n" << r.out;
    if (!c.terminal) {
      EXPECT_EQ(r.out.find('\r'), std::string::npos) << c.name;
    }
    for (const std::string& line : progress)
      EXPECT_LE(Columns(line), 79u) << c.name << ": " << line;
    if (c.progress) {
      const std::string& last = progress.back();
      EXPECT_NE(last.find("已完成 4/4 文件"), std::string::npos) << last;
      EXPECT_EQ(last.substr(last.size() - 4), "100%") << last;
    }
    EXPECT_EQ(Count(r.out, Base() + "gone.html: 已中断，有错误: 404"), c.failures ? 1 : 0)
        << c.name << "\n"
        << r.out;
    EXPECT_EQ(Count(r.out, "已中断，有错误: 404"), c.failures || c.verbose ? 1 : 0) << c.name;
    EXPECT_EQ(Count(r.out, "] GET "), c.verbose ? 4 : 0) << c.name;
    // The project's own log holds the line of every added link only with -v.
    const std::string log = Read(Path("mirror/p.log"));
    EXPECT_NE(log.find("] GET " + Base() + "b.html"), std::string::npos) << c.name;
    EXPECT_EQ(Count(log, "添加新的链接: "), c.verbose ? 4 : 0) << c.name;
  }
  const std::string extra = Read(logFile);
  EXPECT_EQ(Count(extra, "添加新的链接: "), 4) << extra;
  EXPECT_EQ(Count(extra, "] GET "), 4) << extra;
}

}  // namespace
}  // namespace trawlonix::test
