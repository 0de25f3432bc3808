// Shared pieces of trawlonix-cli: exit codes, GNU-style option parsing and
// output helpers.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {
struct TOptions;
}

namespace trawlonix::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

inline constexpr const char* kProgram = "trawlonix-cli";
inline constexpr const char* kVersionLine = "trawlonix-cli 2.7 build 6";

struct OptionSpec {
  const char* longName;  // without "--"
  char shortName;        // 0 for none
  bool hasArg;
  int id;
};

struct ParsedOption {
  int id;
  std::string value;    // empty for a switch
  std::string spelled;  // as written, for messages
};

struct ParsedArgs {
  std::vector<ParsedOption> options;  // in command-line order
  std::vector<std::string> positionals;
  std::string error;  // non-empty on a usage error
};

// GNU style: "--name value", "--name=value", "-x value", "-xvalue", bundled
// short switches ("-ab"), options and operands in any order, "--" ends the
// options, a lone "-" is an operand.
ParsedArgs ParseOptions(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

// Writes bytes as they are.
void Out(std::string_view text);
void Err(std::string_view text);
// "trawlonix-cli: <text>" on stderr, and returns the exit code given.
int Fail(int code, std::string_view text);
// A usage error: the message and a hint to --help; returns kExitUsage.
int UsageError(std::string_view command, std::string_view text);
// A message box text of the program for a terminal: its "\r" line breaks
// become newlines.
std::string MessageLines(std::string_view text);

// Takes the certificate options of every command that fetches out of `args`
// into `options`: "--ca-certificate FILE" (or "=FILE"), a PEM file trusted
// besides the system store, and "--no-check-certificate". Returns a usage
// error text, or "" when they were fine.
std::string TakeTlsOptions(std::vector<std::string>& args, TOptions& options);

// Usage error texts shared by the commands, in the interface language.
std::string InvalidValue(const ParsedOption& option);  // "invalid value 'V' for --x"
std::string MissingProjectFile();
std::string MissingStartUrl();
std::string TooManyArguments();
std::string CannotRead(const std::string& file);

// A whole decimal number within [lo, hi].
std::optional<long long> ParseNumber(std::string_view text, long long lo, long long hi);

}  // namespace trawlonix::cli
