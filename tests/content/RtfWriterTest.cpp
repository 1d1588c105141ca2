// Writing RTF: the dialect, determinism and the round trip.
#include "RichTextTestSupport.h"

#include <gtest/gtest.h>

using namespace richtext_test;

namespace {

// The template the text sources create for a new object: white bold Arial,
// 28 points, around the placeholder.
const QByteArray kTemplate(
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset204"
    "{\\*\\fname Arial;}Arial CYR;}}\r\n{\\colortbl ;\\red255\\green255\\blue255;}\r\n\\viewkind4\\uc1\\pard\\cf1"
    "\\lang1033\\b\\fs56 %1%\\lang1049\\f1\\par\r\n}\r\n");

TEST(RtfWriter, WritesTheRichEditDialect)
{
    CRichEditExCtrl control(kMulti, 1251, 96.0);
    ASSERT_TRUE(control.StreamIn(kTemplate));
    EXPECT_EQ(control.StreamOut(),
              QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n"
                         "{\\colortbl ;\\red255\\green255\\blue255;}\r\n"
                         "\\viewkind4\\uc1\\pard\\cf1\\b\\fs56 %1%\\par\r\n"
                         "}\r\n"));
}

TEST(RtfWriter, WritesParagraphAndCharacterFormatsAsChanges)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(QByteArray(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "\\pard\\qc\\li720\\fi-360\\sb60\\sa120\\sl-300\\slmult0 a\\i b\\i0\\f1\\up6 c\\par"
        "\\pard\\qj\\highlight1\\dn4\\strike d\\par}")));
    EXPECT_EQ(control.StreamOut(),
              QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                         "{\\f1\\fnil\\fcharset0 Courier New;}}\r\n"
                         "{\\colortbl ;\\red1\\green2\\blue3;}\r\n"
                         "\\viewkind4\\uc1\\pard\\qc\\fi-360\\li720\\sb60\\sa120\\sl-300\\slmult0 a\\i b\\i0\\f1\\up6 c"
                         "\\par\r\n"
                         "\\pard\\qj\\highlight1\\strike\\dn4 d\\par\r\n"
                         "}\r\n"));
}

TEST(RtfWriter, WritesCharactersOutsideAsciiAsUnicodeWithAnAnsiFallback)
{
    struct Case
    {
        int ansiCodePage;
        const char* expected;
    };
    for (const Case& c : {Case{1251, "\\u1044\\'c4\\u1072\\'e0 \\u8364\\'88 \\u-10179?\\u-8704?"},
                          Case{1252, "\\u1044?\\u1072? \\u8364\\'80 \\u-10179?\\u-8704?"}}) {
        SCOPED_TRACE(c.ansiCodePage);
        CRichEditExCtrl control(kMulti, c.ansiCodePage, 96.0);
        control.ReplaceSelection(QString::fromUtf8("\xd0\x94\xd0\xb0 \xe2\x82\xac \xf0\x9f\x98\x80"));
        const QByteArray out = control.StreamOut();
        EXPECT_TRUE(out.contains(c.expected)) << out.toStdString();
        CRichEditExCtrl reader(kMulti, 1252, 96.0);
        ASSERT_TRUE(reader.StreamIn(out));
        EXPECT_EQ(reader.Text(), QString::fromUtf8("\xd0\x94\xd0\xb0 \xe2\x82\xac \xf0\x9f\x98\x80"));
    }
}

TEST(RtfWriter, EscapesSpecialCharacters)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(QByteArray("{\\rtf1\\ansi a\\{b\\}c\\\\d\\tab e\\line f\\~g\\-h}")));
    EXPECT_TRUE(control.StreamOut().contains("a\\{b\\}c\\\\d\\tab e\\line f\\~g\\-h\\par"))
        << control.StreamOut().toStdString();
}

class RtfRoundTrip : public ::testing::TestWithParam<const char*>
{
};

TEST_P(RtfRoundTrip, OwnOutputReadAndWrittenAgainGivesTheSameBytes)
{
    const QByteArray input = std::string_view(GetParam()) == "template" ? kTemplate : Fixture(GetParam());
    ASSERT_FALSE(input.isEmpty());
    CRichEditExCtrl first(kMulti, 1251, 96.0);
    ASSERT_TRUE(first.StreamIn(input));
    const QByteArray written = first.StreamOut();
    EXPECT_TRUE(written.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_TRUE(written.endsWith("}\r\n"));
    EXPECT_EQ(written.count('{') - written.count("\\{"), written.count('}') - written.count("\\}"));

    CRichEditExCtrl second(kMulti, 1251, 96.0);
    ASSERT_TRUE(second.StreamIn(written));
    EXPECT_EQ(second.Text(), first.Text());
    EXPECT_EQ(second.StreamOut(), written);
    // The same document written twice gives the same bytes.
    EXPECT_EQ(first.StreamOut(), written);
    for (int i = 0; i < first.TextLength(); ++i) {
        first.SetSelection(i, i + 1);
        second.SetSelection(i, i + 1);
        ASSERT_EQ(first.GetSelectionCharFormat(), second.GetSelectionCharFormat()) << "character " << i;
        ASSERT_EQ(first.GetSelectionParaFormat(), second.GetSelectionParaFormat()) << "character " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, RtfRoundTrip,
                         ::testing::Values("template", "richedit.rtf", "wordpad.rtf", "libreoffice.rtf"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(RtfWriter, RoundTripKeepsFormatsSetThroughTheControl)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    control.ReplaceSelection(QStringLiteral("one two three\nfour"));
    CCharFormat character;
    character.mask = kCfmBold | kCfmOffset | kCfmColor | kCfmBackColor | kCfmFace | kCfmSize;
    character.effects = kCfeBold;
    character.offset = 224;
    character.textColor = 0x123456;
    character.backColor = 0x654321;
    character.face = QStringLiteral("Liberation Serif");
    character.height = 700;
    control.SetSelection(4, 7);
    control.SetSelectionCharFormat(character);
    CParaFormat paragraph;
    paragraph.mask = kPfmAll;
    paragraph.alignment = kAlignCenter;
    paragraph.startIndent = 300;
    paragraph.offset = 150;
    paragraph.rightIndent = 45;
    paragraph.spaceBefore = 90;
    paragraph.spaceAfter = 15;
    paragraph.lineSpacingRule = kSpacingMultiple;
    paragraph.lineSpacing = 30;
    control.SetSelection(15, 15);
    control.SetSelectionParaFormat(paragraph);

    CRichEditExCtrl copy(kMulti, 1252, 96.0);
    ASSERT_TRUE(copy.StreamIn(control.StreamOut()));
    EXPECT_EQ(copy.StreamOut(), control.StreamOut());
    const CCharFormat read = FormatOf(copy, 4, 7);
    EXPECT_EQ(read.effects & kCfeBold, kCfeBold);
    EXPECT_EQ(read.offset, 220) << "RTF keeps offsets in half points";
    EXPECT_EQ(read.textColor, 0x123456u);
    EXPECT_EQ(read.backColor, 0x654321u);
    EXPECT_EQ(read.face, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(read.height, 700);
    EXPECT_EQ(ParaFormatAt(copy, 15), paragraph);
    EXPECT_EQ(ParaFormatAt(copy, 0).alignment, kAlignLeft);
}

}  // namespace
