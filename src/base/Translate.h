// The translation hook of the code built without Qt (url, model, parsers,
// export writers, the plain-C++ parts of the engine and the network layer).
//
// Texts are written in Chinese, the program's source language, and marked so
// that lupdate extracts them into translations/*.ts:
//   translate("Context", "text")               looked up where it is written
//   QT_TRANSLATE_NOOP("Context", "text")       marks a constant; look it up
//                                              later with TrText("Context", k)
// The Qt layer installs the hook at start-up (settings/Language.h), which
// hands every lookup to QCoreApplication::translate. Without a hook (tests of
// the plain layers, a Chinese interface) every text stays as written.
// Values go into a text through %1..%9 (TrArgs), never by concatenating
// translated fragments, since word order differs between languages.
#pragma once

#include <atomic>
#include <initializer_list>
#include <string>
#include <string_view>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace trawlonix {

// Returns the translation of `text` in `context`, or `text` itself.
using TranslateHook = std::string (*)(const char* context, const char* text);

inline std::atomic<TranslateHook>& TranslateHookSlot() {
  static std::atomic<TranslateHook> hook{nullptr};
  return hook;
}

inline void SetTranslateHook(TranslateHook hook) {
  TranslateHookSlot().store(hook);
}

// The extracted form: both arguments must be string literals.
inline std::string translate(const char* context, const char* text) {
  TranslateHook hook = TranslateHookSlot().load();
  return hook ? hook(context, text) : std::string(text);
}

// The lookup of a text marked elsewhere with QT_TRANSLATE_NOOP.
inline std::string TrText(const char* context, const char* text) {
  return translate(context, text);
}

// Replaces %1..%9 in one pass by the values, so that a value holding "%2" is
// not expanded again; a place without a value stays as it is.
std::string TrArgs(std::string_view text, std::initializer_list<std::string_view> values);

}  // namespace trawlonix
