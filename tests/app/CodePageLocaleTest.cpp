#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "app/CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(CodePageOfLocale, LanguageGivesWindowsCodePage)
{
    const struct {
        const char* locale;
        int codePage;
    } cases[] = {
        {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251}, {"sr@latin", 1251}, {"pl_PL.UTF-8", 1250}, {"cs", 1250},
        {"el_GR", 1253},       {"tr_TR", 1254}, {"he_IL", 1255},    {"fa_IR", 1256},       {"lt_LT", 1257},
        {"vi_VN", 1258},       {"de_DE", 1252}, {"en_US.UTF-8", 1252}, {"C", 1252},        {"", 1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(codepage::CodePageForLanguage(QString::fromLatin1(c.locale)), c.codePage) << c.locale;
}

TEST(CodePageOfLocale, SettingOverridesTheLanguage)
{
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    const char* savedLang = std::getenv("LC_ALL");
    const std::string saved = savedLang ? savedLang : "";
    setenv("LC_ALL", "ru_RU.UTF-8", 1);
    EXPECT_EQ(codepage::AnsiCodePage(), 1251);
    Write(settings::kAnsiCodePage, 1253);
    EXPECT_EQ(codepage::AnsiCodePage(), 1253);
    if (savedLang)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
    InstallSettingsStore(std::move(previous));
}

TEST(CodePageOfLocale, Converts)
{
    EXPECT_EQ(ConvertFromCodePage(1251, "\xC0\xE1\xE2", 3), QString::fromUtf16(u"Абв"));
    EXPECT_EQ(ConvertFromCodePage(1250, "\xB9\xE6", 2), QString::fromUtf16(u"ąć"));
    // An unknown code page reads as 1252.
    CCodePageConverter unknown(4711);
    EXPECT_EQ(unknown.CodePage(), 1252);
    EXPECT_EQ(unknown.Decode("caf\xE9", 4), QString::fromUtf16(u"café"));
    // Multi-byte code pages: an incomplete character at the end is marked.
    EXPECT_EQ(ConvertFromCodePage(932, "\x82\xA0\x82", 3), QString::fromUtf16(u"あ\uFFFD"));
}
