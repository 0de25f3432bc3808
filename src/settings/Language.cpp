#include "settings/Language.h"

#include <QTranslator>
#include <cstdlib>
#include <memory>

#include "base/Translate.h"

// The catalog resource is compiled into this library (see CMakeLists.txt).
static void InitCatalogResource() {
  Q_INIT_RESOURCE(trawlonix_i18n);
}

namespace trawlonix {
namespace {

UiLanguage g_current = UiLanguage::Chinese;
std::unique_ptr<QTranslator> g_translator;

std::string HookTranslate(const char* context, const char* text) {
  return QCoreApplication::translate(context, text).toStdString();
}

}  // namespace

std::optional<UiLanguage> ParseLanguage(std::string_view name) {
  const QString n =
      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).trimmed().toLower();
  if (n == QLatin1String("zh")) return UiLanguage::Chinese;
  if (n == QLatin1String("en")) return UiLanguage::English;
  return std::nullopt;
}

UiLanguage LanguageFromLocale() {
  // The first variable that is set and not empty decides, as for gettext.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') continue;
    return std::string_view(v).substr(0, 2) == "zh" ? UiLanguage::Chinese : UiLanguage::English;
  }
  return UiLanguage::English;
}

UiLanguage ChooseLanguage(std::string_view argument, std::string_view setting) {
  if (auto a = ParseLanguage(argument)) return *a;
  if (auto s = ParseLanguage(setting)) return *s;
  return LanguageFromLocale();
}

void InstallLanguage(UiLanguage lang) {
  InitCatalogResource();
  if (g_translator) {
    QCoreApplication::removeTranslator(g_translator.get());
    g_translator.reset();
  }
  g_current = lang;
  if (lang == UiLanguage::Chinese) {
    SetTranslateHook(nullptr);
    return;
  }
  auto t = std::make_unique<QTranslator>();
  if (t->load(QStringLiteral(":/i18n/trawlonix_en.qm"))) {
    QCoreApplication::installTranslator(t.get());
    g_translator = std::move(t);
  }
  SetTranslateHook(&HookTranslate);
}

UiLanguage CurrentLanguage() {
  return g_current;
}

std::string TakeLanguageArgument(std::vector<std::string>& args) {
  for (auto it = args.begin(); it != args.end() && *it != "--"; ++it) {
    if (it->rfind("--lang=", 0) == 0) {
      std::string value = it->substr(7);
      args.erase(it);
      return value;
    }
    if (*it == "--lang") {
      auto next = args.erase(it);
      if (next == args.end()) return "-";
      std::string value = *next;
      args.erase(next);
      return value;
    }
  }
  return {};
}

const char* LanguageCode(UiLanguage lang) {
  return lang == UiLanguage::English ? "en" : "zh";
}

}  // namespace trawlonix
