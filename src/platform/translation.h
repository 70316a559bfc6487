#pragma once
// The interface language and the program's translations. The program's texts are written in
// Chinese; the English interface is their translation, built into the program. When the
// interface is Chinese, Qt's own dialogs and buttons speak Chinese through Qt's translation
// of itself.

#include <QtGlobal>  // QT_TRANSLATE_NOOP, which marks texts kept as constants
#include <initializer_list>
#include <string>
#include <string_view>

class QLocale;

namespace lenzora::platform {

enum class Language { Chinese, English };

// The language a desktop locale and a LENZORA_LANG value choose: "zh" or "en" decide alone;
// otherwise Chinese for Chinese locales and for C and POSIX, English for every other one.
Language chooseLanguage(const QLocale& desktop, std::string_view override);
// The choice for this process: QLocale::system() and LENZORA_LANG.
Language desktopLanguage();

// Makes `language` the interface language: loads its translations, and installs them in the
// application object when one has been made.
void useLanguage(Language language);
Language interfaceLanguage();

// `source`, one of the program's texts, in the interface language; `context` is the one the
// text is listed under in the translation.
std::string translate(const char* context, const char* source);

// `pattern` with %1, %2 ... replaced by `values` in turn.
std::string fillIn(const std::string& pattern, std::initializer_list<std::string> values);

}  // namespace lenzora::platform
