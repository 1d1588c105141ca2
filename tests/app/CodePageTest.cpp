// Code pages of 8-bit text: the ANSI code page rule and the iconv conversions.
#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "app/CodePage.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(CodePage, AnsiCodePageOfALanguage)
{
    struct Case
    {
        const char* language;
        int codePage;
    };
    const Case cases[] = {
        {"ru_RU", 1251}, {"uk", 1251},   {"sr-Latn", 1251}, {"pl_PL", 1250}, {"sq", 1250},  {"el_GR", 1253},
        {"tr", 1254},    {"he_IL", 1255}, {"fa", 1256},     {"lt", 1257},    {"vi", 1258},  {"de_DE", 1252},
        {"en_US", 1252}, {"C", 1252},    {"", 1252},        {"rus", 1252},
    };
    for (const Case& c : cases)
        EXPECT_EQ(codepage::CodePageForLanguage(QLatin1String(c.language)), c.codePage) << c.language;
}

TEST(CodePage, CharsetsOfFonts)
{
    EXPECT_EQ(codepage::CodePageForCharset(0, 1251), 1251) << "ANSI means the document's code page";
    EXPECT_EQ(codepage::CodePageForCharset(1, 1250), 1250);
    EXPECT_EQ(codepage::CodePageForCharset(204, 1252), 1251);
    EXPECT_EQ(codepage::CodePageForCharset(238, 1252), 1250);
    EXPECT_EQ(codepage::CodePageForCharset(128, 1252), 932);
    EXPECT_EQ(codepage::CodePageForCharset(77, 1252), 10000);
    EXPECT_EQ(codepage::CodePageForCharset(99, 1257), 1257) << "unknown sets fall back to the document's";
}

TEST(CodePage, DecodesAndEncodes)
{
    CCodePageConverter cyrillic(1251);
    EXPECT_EQ(cyrillic.Decode(QByteArray("\xcf\xf0\xe8 ok")), QString::fromUtf8("\xd0\x9f\xd1\x80\xd0\xb8 ok"));
    EXPECT_EQ(cyrillic.EncodeChar(U'\x0416'), QByteArray("\xc6"));
    EXPECT_TRUE(cyrillic.EncodeChar(U'\x00e9').isEmpty()) << "not in the code page";
    EXPECT_EQ(cyrillic.EncodeChar(U'A'), QByteArray("A"));

    CCodePageConverter japanese(932);
    EXPECT_EQ(japanese.Decode(QByteArray("\x82\xa0")), QString::fromUtf8("\xe3\x81\x82"));
    // A lead byte cut off at the end, and bytes the code page does not have.
    EXPECT_EQ(japanese.Decode(QByteArray("a\x82")), QString::fromUtf8("a\xef\xbf\xbd"));
    CCodePageConverter western(1252);
    EXPECT_EQ(western.Decode(QByteArray("\x81x")), QString::fromUtf8("\xef\xbf\xbdx"));

    CCodePageConverter unknown(12345);
    EXPECT_EQ(unknown.Decode(QByteArray("caf\xe9")), QString::fromUtf8("caf\xc3\xa9")) << "read as Windows-1252";
    EXPECT_EQ(unknown.CodePage(), 1252);
    EXPECT_EQ(unknown.EncodeChar(U'\x00e9'), QByteArray("\xe9"));
    CCodePageConverter cyrillicOnly(1251);
    EXPECT_TRUE(cyrillicOnly.EncodeChar(U'\x00e9').isEmpty()) << "a character the code page lacks";
}

}  // namespace
