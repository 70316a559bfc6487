// The interface language a desktop chooses, and the program's texts in English.

#include <gtest/gtest.h>

#include <QLocale>

#include "core/numbers.h"
#include "platform/error.h"
#include "platform/io_error.h"
#include "platform/translation.h"

namespace lenzora::platform {
namespace {

TEST(InterfaceLanguage, ChineseForChineseAndPlainLocalesEnglishForTheRest) {
    struct Case {
        const char* locale;
        const char* override;
        Language expected;
    } cases[] = {
        {"C", "", Language::Chinese},       {"POSIX", "", Language::Chinese},
        {"zh_CN", "", Language::Chinese},   {"zh_TW", "", Language::Chinese},
        {"en_US", "", Language::English},   {"de_DE", "", Language::English},
        {"ja_JP", "", Language::English},   {"en_US", "zh", Language::Chinese},
        {"C", "en", Language::English},     {"zh_CN", "en", Language::English},
        {"de_DE", "fr", Language::English},  // an unknown override is no override
        {"C", "EN", Language::Chinese},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseLanguage(QLocale(QString::fromLatin1(c.locale)), c.override), c.expected)
            << c.locale << " with LENZORA_LANG=" << c.override;
    }
}

TEST(InterfaceLanguage, FillInReplacesEachPlaceOnceAndKeepsBytes) {
    EXPECT_EQ(fillIn("'%1' is not %2", {"a", "b"}), "'a' is not b");
    EXPECT_EQ(fillIn("%2 before %1", {"a", "b"}), "b before a");
    // A value holding a place of its own is not filled in again.
    EXPECT_EQ(fillIn("Cannot open \"%1\". %2", {"100%2.jpg", "why"}),
              "Cannot open \"100%2.jpg\". why");
    // A file name that is not UTF-8 comes through byte for byte.
    EXPECT_EQ(fillIn("\"%1\"", {"\xff\xfe.bmp"}), "\"\xff\xfe.bmp\"");
    EXPECT_EQ(fillIn("%1 of %3", {"one"}), "one of %3");
    EXPECT_EQ(fillIn("100%", {"x"}), "100%");
}

// The texts of the computation code, made where they are raised, in either language.
TEST(InterfaceLanguage, ErrorsSpeakTheInterfaceLanguage) {
    auto parseError = [] {
        try {
            core::parseFloatText("abc");
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    useLanguage(Language::English);
    EXPECT_EQ(interfaceLanguage(), Language::English);
    EXPECT_EQ(parseError(), "'abc' is not a number");
    EXPECT_EQ(ioErrorText(ENOENT), "The file does not exist");
    EXPECT_EQ(translate("lenzora::interlace", "Photo%1 not select！！"),
              "Frame %1 has no picture yet.");
    // A text the translation does not know stays as written.
    EXPECT_EQ(translate("lenzora::interlace", "未知"), "未知");

    useLanguage(Language::Chinese);
    EXPECT_EQ(interfaceLanguage(), Language::Chinese);
    EXPECT_EQ(parseError(), "'abc' is not a valid floating point value");
    EXPECT_EQ(ioErrorText(ENOENT), "File not found");
}

}  // namespace
}  // namespace lenzora::platform
