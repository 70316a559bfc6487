#include "platform/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>
#include <memory>

namespace lenzora::platform {
namespace {

struct Translations {
    Language language = Language::Chinese;
    // The program's own texts in English; none for Chinese, the texts' own language.
    std::unique_ptr<QTranslator> program;
    // Qt's texts (dialogs, standard buttons) in Chinese; Qt speaks English by itself.
    std::unique_ptr<QTranslator> toolkit;
};

Translations& current() {
    static Translations translations;
    return translations;
}

// The translation file, or none when it cannot be read: the texts then stay as written.
std::unique_ptr<QTranslator> loaded(const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder)) return nullptr;
    return translator;
}

void install(const std::unique_ptr<QTranslator>& translator) {
    if (translator && QCoreApplication::instance() != nullptr)
        QCoreApplication::installTranslator(translator.get());
}

}  // namespace

Language chooseLanguage(const QLocale& desktop, std::string_view override) {
    if (override == "zh") return Language::Chinese;
    if (override == "en") return Language::English;
    const QLocale::Language language = desktop.language();
    return language == QLocale::Chinese || language == QLocale::C ? Language::Chinese
                                                                  : Language::English;
}

Language desktopLanguage() {
    return chooseLanguage(QLocale::system(), qgetenv("LENZORA_LANG").toStdString());
}

void useLanguage(Language language) {
    Translations& t = current();
    // Removing them from the application object is left to their destructors.
    t.program.reset();
    t.toolkit.reset();
    t.language = language;
    if (language == Language::English) {
        t.program = loaded(QStringLiteral("lenzora_en"), QStringLiteral(":/i18n"));
    } else if (QCoreApplication::instance() != nullptr) {
        t.toolkit = loaded(QStringLiteral("qtbase_zh_CN"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    install(t.program);
    install(t.toolkit);
}

Language interfaceLanguage() { return current().language; }

std::string translate(const char* context, const char* source) {
    const Translations& t = current();
    if (t.program) {
        const QString text = t.program->translate(context, source);
        if (!text.isEmpty()) return text.toStdString();
    }
    return source;
}

// Byte by byte, in one pass: a file name need not be UTF-8, and a value that holds "%2" is
// not filled in again.
std::string fillIn(const std::string& pattern, std::initializer_list<std::string> values) {
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            text += *(values.begin() + index);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace lenzora::platform
