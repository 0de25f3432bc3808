#include "cli/cli_util.h"

#include <unistd.h>

#include <charconv>

#include "settings/Settings.h"

namespace trawlonix::cli {

ParsedArgs ParseOptions(const std::vector<std::string>& args,
                        const std::vector<OptionSpec>& specs) {
  ParsedArgs out;
  auto fail = [&](std::string text) {
    out.error = std::move(text);
    return out;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      for (++i; i < args.size(); ++i)
        out.positionals.push_back(args[i]);
      break;
    }
    if (a.size() > 2 && a[0] == '-' && a[1] == '-') {
      const auto eq = a.find('=');
      const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      const OptionSpec* spec = nullptr;
      for (const auto& s : specs) {
        if (name == s.longName) spec = &s;
      }
      if (spec == nullptr) return fail("unrecognized option '--" + name + "'");
      ParsedOption opt{spec->id, {}, "--" + name};
      if (spec->hasArg) {
        if (eq != std::string::npos) {
          opt.value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
          opt.value = args[++i];
        } else {
          return fail("option '--" + name + "' requires an argument");
        }
      } else if (eq != std::string::npos) {
        return fail("option '--" + name + "' doesn't allow an argument");
      }
      out.options.push_back(std::move(opt));
      continue;
    }
    if (a.size() > 1 && a[0] == '-') {
      for (std::size_t k = 1; k < a.size(); ++k) {
        const OptionSpec* spec = nullptr;
        for (const auto& s : specs) {
          if (s.shortName != 0 && s.shortName == a[k]) spec = &s;
        }
        if (spec == nullptr) return fail(std::string("invalid option -- '") + a[k] + "'");
        ParsedOption opt{spec->id, {}, std::string("-") + a[k]};
        if (spec->hasArg) {
          if (k + 1 < a.size()) {
            opt.value = a.substr(k + 1);
          } else if (i + 1 < args.size()) {
            opt.value = args[++i];
          } else {
            return fail(std::string("option requires an argument -- '") + a[k] + "'");
          }
          out.options.push_back(std::move(opt));
          break;
        }
        out.options.push_back(std::move(opt));
      }
      continue;
    }
    out.positionals.push_back(a);
  }
  return out;
}

void Out(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
void Err(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

int Fail(int code, std::string_view text) {
  Err(std::string(kProgram) + ": " + std::string(text) + "\n");
  return code;
}

int UsageError(std::string_view command, std::string_view text) {
  std::string hint = std::string(kProgram);
  if (!command.empty()) hint += " " + std::string(command);
  Err(std::string(kProgram) + ": " + std::string(text) + "\nTry '" + hint +
      " --help' for more information.\n");
  return kExitUsage;
}

std::string MessageLines(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c == '\r') c = '\n';
  }
  return s;
}

std::optional<long long> ParseNumber(std::string_view text, long long lo, long long hi) {
  long long v = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  if (v < lo || v > hi) return std::nullopt;
  return v;
}

std::string TakeTlsOptions(std::vector<std::string>& args, TOptions& options) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      kept.insert(kept.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (a == "--no-check-certificate") {
      options.CheckCertificate = false;
    } else if (a == "--ca-certificate" || a.rfind("--ca-certificate=", 0) == 0) {
      std::string file;
      if (a.size() > 16) {
        file = a.substr(17);
      } else if (i + 1 < args.size()) {
        file = args[++i];
      } else {
        return "option '--ca-certificate' requires an argument";
      }
      if (file.empty() || ::access(file.c_str(), R_OK) != 0)
        return "cannot read the CA certificate file '" + file + "'";
      options.CACertificate = file;
    } else {
      kept.push_back(a);
    }
  }
  args.swap(kept);
  return {};
}

}  // namespace trawlonix::cli
