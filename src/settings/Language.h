// The interface language of both programs and its translations.
//
// Chinese is the language the texts are written in; English comes from the
// Qt Linguist catalog translations/trawlonix_en.ts, built into the programs.
// The language is chosen, first match wins, by the `--lang en|zh` argument,
// the setting Options/Language ("en", "zh"; empty means "follow the
// locale"), and the locale (LC_ALL, LC_MESSAGES, LANG): Chinese for zh*,
// English otherwise.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trawlonix {

enum class UiLanguage { Chinese, English };

// "en"/"zh" (any case) or nullopt for anything else.
std::optional<UiLanguage> ParseLanguage(std::string_view name);
// The language the locale variables ask for.
UiLanguage LanguageFromLocale();
// The argument wins over the setting, the setting over the locale.
UiLanguage ChooseLanguage(std::string_view argument, std::string_view setting);
// Loads the catalog of `lang` (none for Chinese), installs it in the running
// QCoreApplication and the hook of the plain-C++ layers. Call again to switch.
void InstallLanguage(UiLanguage lang);
UiLanguage CurrentLanguage();
// "en" or "zh".
const char* LanguageCode(UiLanguage lang);

// Takes "--lang X" or "--lang=X" out of `args` (before any "--") and
// returns X; "" when absent, "-" when the value is missing.
std::string TakeLanguageArgument(std::vector<std::string>& args);

}  // namespace trawlonix

// The Qt layers' marked lookup (lupdate reads it as `translate`).
inline QString qtr(const char* context, const char* text) {
  return QCoreApplication::translate(context, text);
}
// The lookup of a text marked elsewhere with QT_TRANSLATE_NOOP.
inline QString QtrText(const char* context, const char* text) {
  return QCoreApplication::translate(context, text);
}
