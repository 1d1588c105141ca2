// Reading RTF as rich edit controls, WordPad and LibreOffice write it, with
// its code pages, and hostile RTF.
#include "RichTextTestSupport.h"

#include "content/RtfReader.h"

#include <gtest/gtest.h>

#include <string>

using namespace richtext_test;

namespace {

struct ExpectedRun
{
    const char* text;  // UTF-8
    const char* face;
    int height;  // twips
    uint32_t effects;  // bold, italic, underline, strike-out bits
    int color;         // COLORREF, or -1 for the automatic colour
    int backColor;     // COLORREF, or -1 for none
};

struct ExpectedParagraph
{
    const char* startsWith;
    int alignment;
};

struct FixtureCase
{
    const char* file;
    const char* text;  // the plain text, paragraphs separated by "\r"
    std::vector<ExpectedRun> runs;
    std::vector<ExpectedParagraph> paragraphs;
};

class RtfFromOtherPrograms : public ::testing::TestWithParam<FixtureCase>
{
};

TEST_P(RtfFromOtherPrograms, LoadsTextFontsSizesColoursEffectsAndAlignment)
{
    const FixtureCase& c = GetParam();
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Fixture(c.file))) << control.StreamError().toStdString();
    EXPECT_EQ(control.Text(), QString::fromUtf8(c.text));
    for (const ExpectedRun& run : c.runs) {
        SCOPED_TRACE(run.text);
        const QString text = QString::fromUtf8(run.text);
        ASSERT_GE(control.FindText(text), 0);
        const CCharFormat format = FormatOf(control, text);
        EXPECT_EQ(format.mask, kCfmAll) << "the run has one format";
        EXPECT_EQ(format.face, QString::fromUtf8(run.face));
        EXPECT_EQ(format.height, run.height);
        EXPECT_EQ(format.effects & (kCfeBold | kCfeItalic | kCfeUnderline | kCfeStrikeOut), run.effects);
        if (run.color < 0) {
            EXPECT_TRUE(format.effects & kCfeAutoColor);
        } else {
            EXPECT_FALSE(format.effects & kCfeAutoColor);
            EXPECT_EQ(format.textColor, static_cast<ColorRef>(run.color));
        }
        if (run.backColor < 0) {
            EXPECT_TRUE(format.effects & kCfeAutoBackColor);
        } else {
            EXPECT_FALSE(format.effects & kCfeAutoBackColor);
            EXPECT_EQ(format.backColor, static_cast<ColorRef>(run.backColor));
        }
    }
    for (const ExpectedParagraph& paragraph : c.paragraphs) {
        SCOPED_TRACE(paragraph.startsWith);
        const int at = control.FindText(QString::fromUtf8(paragraph.startsWith));
        ASSERT_GE(at, 0);
        EXPECT_EQ(ParaFormatAt(control, at).alignment, paragraph.alignment);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RtfFromOtherPrograms,
    ::testing::Values(
        FixtureCase{"richedit.rtf",
                    "Hello world\r\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 Times",
                    {{"Hello", "Arial", 560, kCfeBold, 0xFFFFFF, -1},
                     {"world", "Arial", 560, kCfeBold | kCfeItalic, 0x0000FF, -1},
                     // "Arial CYR" with \*\fname Arial, bytes in code page 1251
                     {"\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82", "Arial", 400, 0, 0xFFFFFF, -1},
                     {"Times", "Times New Roman", 400, kCfeUnderline, 0xFFFFFF, -1}},
                    {{"Hello", kAlignCenter}, {"\xd0\x9f", kAlignLeft}}},
        FixtureCase{"wordpad.rtf",
                    "Right aligned\rBlue strike\rCaf\xc3\xa9 \xe2\x82\xac",
                    {{"Right", "Arial", 220, kCfeUnderline, -1, -1},
                     {"aligned", "Arial", 220, 0, -1, -1},
                     {"Blue strike", "Arial", 220, kCfeStrikeOut, 0xBB4D00, -1},
                     {"Caf\xc3\xa9 \xe2\x82\xac", "Calibri", 220, 0, -1, -1}},
                    {{"Right", kAlignRight}, {"Blue", kAlignLeft}}},
        FixtureCase{"libreoffice.rtf",
                    "Centred title\rPurple italic and \xd0\x94\xd0\xb0.",
                    {{"Centred title", "Liberation Sans", 480, kCfeBold, -1, -1},
                     {"Purple italic", "Liberation Serif", 240, kCfeItalic, 0x800080, -1},
                     {"and \xd0\x94\xd0\xb0.", "Liberation Serif", 240, 0, -1, 0xFFFFFF}},
                    {{"Centred", kAlignCenter}, {"Purple", kAlignLeft}}}));

TEST(RtfReader, ParagraphIndentsSpacingAndLineSpacing)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(QByteArray(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
        "\\pard\\li720\\fi-360\\ri300\\sb120\\sa240\\sl360\\slmult1 one\\par"
        "\\sl-400\\slmult0 two\\par"
        "\\pard\\sl300\\slmult0 three\\par}")));
    struct Case
    {
        const char* word;
        int startIndent, offset, rightIndent, before, after, rule, spacing;
    };
    const Case cases[] = {
        // \li is the indent of the following lines, \fi the first line's relative to it.
        {"one", 360, 360, 300, 120, 240, kSpacingMultiple, 30},
        {"two", 360, 360, 300, 120, 240, kSpacingExactly, 400},  // paragraph properties carry on until \pard
        {"three", 0, 0, 0, 0, 0, kSpacingAtLeast, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const CParaFormat format = ParaFormatAt(control, control.FindText(QLatin1String(c.word)));
        EXPECT_EQ(format.startIndent, c.startIndent);
        EXPECT_EQ(format.offset, c.offset);
        EXPECT_EQ(format.rightIndent, c.rightIndent);
        EXPECT_EQ(format.spaceBefore, c.before);
        EXPECT_EQ(format.spaceAfter, c.after);
        EXPECT_EQ(format.lineSpacingRule, c.rule);
        EXPECT_EQ(format.lineSpacing, c.spacing);
    }
}

struct TextCase
{
    const char* name;
    std::string rtf;
    const char* text;  // UTF-8
};

class RtfText : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(RtfText, Decodes)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    const TextCase& c = GetParam();
    ASSERT_TRUE(control.StreamIn(c.rtf.data(), c.rtf.size()));
    EXPECT_EQ(control.Text(), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    CodePagesAndEscapes, RtfText,
    ::testing::Values(
        TextCase{"AnsiCodePage1251", "{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'e0}", "\xd0\x94\xd0\xb0"},
        TextCase{"NoCodePageUsesControls", "{\\rtf1\\ansi \\'e9t\\'e9}", "\xc3\xa9t\xc3\xa9"},
        TextCase{"FontCharsetGreek",
                 "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset161 Arial Greek;}}\\f0 \\'e1\\'e2}",
                 "\xce\xb1\xce\xb2"},
        TextCase{"FontCodePage", "{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg1250 Arial;}}\\f0 \\'9a}", "\xc5\xa1"},
        TextCase{"ShiftJisDoubleByte",
                 "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}\\f0 \\'82\\'a0\\'83A}",
                 "\xe3\x81\x82\xe3\x82\xa2"},
        TextCase{"UnicodeWithFallback", "{\\rtf1\\ansi \\u1044?\\u1072\\'3f!}", "\xd0\x94\xd0\xb0!"},
        TextCase{"UnicodeSkipZero", "{\\rtf1\\ansi\\uc0 \\u1044\\u1072 x}", "\xd0\x94\xd0\xb0x"},
        TextCase{"UnicodeSkipTwo", "{\\rtf1\\ansi\\uc2 \\u8364\\'80\\'80x}", "\xe2\x82\xac" "x"},
        TextCase{"SkipStopsAtGroup", "{\\rtf1\\ansi\\uc3 {\\u8364?}x}", "\xe2\x82\xac" "x"},
        TextCase{"UnicodeNegative", "{\\rtf1\\ansi \\u-4064?}", "\xef\x80\xa0"},
        TextCase{"SurrogatePair", "{\\rtf1\\ansi \\u-10179?\\u-8704?}", "\xf0\x9f\x98\x80"},
        TextCase{"LoneSurrogate", "{\\rtf1\\ansi \\u-10179?x}", "\xef\xbf\xbdx"},
        TextCase{"Symbols", "{\\rtf1\\ansi a\\~b\\{\\}\\\\\\emdash\\lquote\\tab c}",
                 "a\xc2\xa0" "b{}\\\xe2\x80\x94\xe2\x80\x98\tc"},
        TextCase{"LineBreak", "{\\rtf1\\ansi a\\line b}", "a\vb"},
        TextCase{"IgnorableAndSkippedDestinations",
                 "{\\rtf1\\ansi{\\*\\unknown x}{\\info{\\title t}}{\\pict\\bin3 }}{}a{\\*\\fldinst y}}", "a"},
        TextCase{"FieldResult", "{\\rtf1\\ansi{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}}", "link"},
        TextCase{"HiddenText", "{\\rtf1\\ansi a{\\v hidden}b}", "ab"},
        TextCase{"TrailingParIsTheLastParagraphMark", "{\\rtf1\\ansi a\\par b\\par}", "a\rb"},
        TextCase{"EmptyParagraphKept", "{\\rtf1\\ansi a\\par\\par}", "a\r"},
        TextCase{"TableCellsAndRows", "{\\rtf1\\ansi\\trowd a\\cell b\\cell\\row c}", "a\tb\t\rc"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Hostile, RtfText,
    ::testing::Values(
        TextCase{"MissingClosingBraces", "{\\rtf1\\ansi {\\b bold {\\i more", "bold more"},
        TextCase{"ExtraClosingBraces", "{\\rtf1\\ansi a}}}b}", "a"},
        TextCase{"DeepNesting", "{\\rtf1 a" + std::string(200000, '{') + "x" + std::string(200000, '}') + "b}", "ab"},
        // \uc saturates and is held to 16 fallback characters.
        TextCase{"HugeNumbers",
                 "{\\rtf1\\ansi\\fs99999999999999999999 \\li-99999999999 \\uc99999999999 \\u99999999999 "
                 "abcdefghijklmnopqrstuvwxyz}",
                 "qrstuvwxyz"},
        TextCase{"TruncatedUnicode", "{\\rtf1\\ansi a\\u", "a"},
        TextCase{"TruncatedHex", "{\\rtf1\\ansi a\\'4", "a"},
        TextCase{"HexWithoutDigits", "{\\rtf1\\ansi a\\'zz}", "azz"},
        TextCase{"HexControlCharacters", "{\\rtf1\\ansi a\\'12\\'00b\\'09c}", "ab\tc"},
        TextCase{"HugeBinaryLength", "{\\rtf1\\ansi a\\bin999999999999 xyz}", "a"},
        TextCase{"MegabytesOfOneControlWord", "{\\rtf1\\ansi a\\" + std::string(4 << 20, 'b') + " c}", "ac"},
        TextCase{"MegabytesOfDigits", "{\\rtf1\\ansi a\\fs" + std::string(2 << 20, '9') + " c}", "ac"},
        TextCase{"ControlCharacters", std::string("{\\rtf1\\ansi a\x01\x00\x1f" "b\\u0?\\u7?c}", 27), "abc"},
        TextCase{"ManyFonts", [] {
                     std::string rtf = "{\\rtf1{\\fonttbl";
                     for (int i = 0; i < 20000; ++i)
                         rtf += "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}";
                     return rtf + "}\\f19999 z}";
                 }(),
                 "z"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(RtfReader, DataThatIsNotRtfFailsAndLeavesTheControlEmpty)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(QByteArray("{\\rtf1 old}")));
    for (const QByteArray& data : {QByteArray(), QByteArray("plain text"), QByteArray("{\\rt"), QByteArray("{x}")}) {
        EXPECT_FALSE(control.StreamIn(data));
        EXPECT_FALSE(control.StreamError().isEmpty());
        EXPECT_EQ(control.TextLength(), 0);
        // The empty control types in the default format again.
        EXPECT_EQ(control.GetSelectionCharFormat().face, QStringLiteral("Arial"));
        EXPECT_EQ(control.GetSelectionCharFormat().height, 560);
    }
}

TEST(RtfReader, TextBeyondTheLimitsIsCut)
{
    struct Case
    {
        const char* unit;  // repeated
        int count;
        int maxLength;
    };
    const Case cases[] = {
        {"x", CRtfReader::kMaxTextLength + 1000, CRtfReader::kMaxTextLength},
        {"\\par ", CRtfReader::kMaxPieces + 1000, CRtfReader::kMaxPieces},
        {"\\b x\\b0 y", CRtfReader::kMaxPieces, CRtfReader::kMaxPieces},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        std::string rtf = "{\\rtf1\\ansi ";
        for (int i = 0; i < c.count; ++i)
            rtf += c.unit;
        CRichEditExCtrl control(kMulti, 1252, 96.0);
        ASSERT_TRUE(control.StreamIn(rtf.data(), rtf.size()));
        EXPECT_LE(control.TextLength(), c.maxLength);
        EXPECT_GT(control.TextLength(), c.maxLength - 10);
        EXPECT_TRUE(control.StreamError().contains(QStringLiteral("cut")));
    }
}

TEST(RtfReader, SingleLineControlJoinsParagraphsWithSpaces)
{
    CRichEditExCtrl control(kSingle, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(QByteArray("{\\rtf1\\ansi one\\par two\\line three\\par}")));
    EXPECT_EQ(control.Text(), QStringLiteral("one two three"));
}

TEST(RtfReader, EmptyParagraphKeepsTheHeightOfItsMark)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(QByteArray("{\\rtf1\\ansi\\fs20 a\\par\\fs80\\par\\fs20 b\\par}")));
    control.SetSelection(2, 2);
    EXPECT_EQ(control.GetSelectionCharFormat().height, 800);
}

}  // namespace
