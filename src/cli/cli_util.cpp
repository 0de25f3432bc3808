#include "cli/cli_util.h"

#include <unistd.h>

#include <charconv>

#include "base/Translate.h"
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
      if (spec == nullptr)
        return fail(TrArgs(translate("Cli", "无法识别的选项 '%1'"), {"--" + name}));
      ParsedOption opt{spec->id, {}, "--" + name};
      if (spec->hasArg) {
        if (eq != std::string::npos) {
          opt.value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
          opt.value = args[++i];
        } else {
          return fail(TrArgs(translate("Cli", "选项 '%1' 需要一个参数"), {"--" + name}));
        }
      } else if (eq != std::string::npos) {
        return fail(TrArgs(translate("Cli", "选项 '%1' 不接受参数"), {"--" + name}));
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
        if (spec == nullptr)
          return fail(TrArgs(translate("Cli", "无效的选项 -- '%1'"), {std::string(1, a[k])}));
        ParsedOption opt{spec->id, {}, std::string("-") + a[k]};
        if (spec->hasArg) {
          if (k + 1 < a.size()) {
            opt.value = a.substr(k + 1);
          } else if (i + 1 < args.size()) {
            opt.value = args[++i];
          } else {
            return fail(
                TrArgs(translate("Cli", "选项需要一个参数 -- '%1'"), {std::string(1, a[k])}));
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
  Err(std::string(kProgram) + ": " + std::string(text) + "\n" +
      TrArgs(translate("Cli", "请用 '%1 --help' 查看更多信息。"), {hint}) + "\n");
  return kExitUsage;
}

std::string MessageLines(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c == '\r') c = '\n';
  }
  return s;
}

std::string InvalidValue(const ParsedOption& option) {
  return TrArgs(translate("Cli", "'%1' 不是 %2 的有效值"), {option.value, option.spelled});
}
std::string MissingProjectFile() {
  return translate("Cli", "缺少方案文件");
}
std::string MissingStartUrl() {
  return translate("Cli", "缺少起始 URL");
}
std::string TooManyArguments() {
  return translate("Cli", "参数太多");
}
std::string CannotRead(const std::string& file) {
  return TrArgs(translate("Cli", "不能读取 '%1'"), {file});
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
        return TrArgs(translate("Cli", "选项 '%1' 需要一个参数"), {"--ca-certificate"});
      }
      if (file.empty() || ::access(file.c_str(), R_OK) != 0)
        return TrArgs(translate("Cli", "不能读取 CA 证书文件 '%1'"), {file});
      options.CACertificate = file;
    } else {
      kept.push_back(a);
    }
  }
  args.swap(kept);
  return {};
}

}  // namespace trawlonix::cli
