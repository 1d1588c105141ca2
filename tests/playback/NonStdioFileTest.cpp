#include "TextFiles.h"

#include "model/Frame.h"
#include "playback/NonStdioFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList ReadAll(CNonStdioFile& file)
{
    QStringList lines;
    QString line;
    while (file.ReadLine(line))
        lines.append(line);
    return lines;
}

QStringList Decode(const QByteArray& bytes, int encoding, int codePage = 1252, int* mode = nullptr)
{
    CTextFiles files;
    const QString path = files.Write(QStringLiteral("in.txt"), bytes);
    CNonStdioFile file(codePage);
    if (!file.Open(path, encoding))
        return {QStringLiteral("<open failed>")};
    if (mode)
        *mode = file.Mode();
    return ReadAll(file);
}

QByteArray Utf16Le(const std::u16string& text)
{
    QByteArray out;
    for (const char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

QByteArray Utf16Be(const std::u16string& text)
{
    QByteArray out;
    for (const char16_t u : text) {
        out += static_cast<char>(u >> 8);
        out += static_cast<char>(u & 0xFF);
    }
    return out;
}

struct DecodeCase
{
    const char* name;
    QByteArray bytes;
    int encoding;
    int codePage;
    int mode;  // expected mode after Open
    QStringList lines;
};

QString U(const char16_t* text)
{
    return QString::fromUtf16(text);
}

}  // namespace

TEST(NonStdioFile, DecodesEncodingsMarksAndLineEnds)
{
    const QByteArray bom8("\xEF\xBB\xBF");
    const QByteArray bomLe("\xFF\xFE");
    const QByteArray bomBe("\xFE\xFF");
    const DecodeCase cases[] = {
        {"auto utf8 with mark", bom8 + "h\xC3\xA9llo\nw\xC3\xB6rld", kEncodingAuto, 1252, kEncodingUtf8,
         {U(u"héllo"), U(u"wörld")}},
        {"auto utf8 without mark reads ansi", "h\xC3\xA9", kEncodingAuto, 1252, kEncodingAnsi, {U(u"hÃ©")}},
        {"auto EF BB 41 reads ansi from the first byte", "\xEF\xBB" "A", kEncodingAuto, 1252, kEncodingAnsi,
         {U(u"ï»A")}},
        {"auto utf16le with mark", bomLe + Utf16Le(u"a\nb"), kEncodingAuto, 1252, kEncodingUnicode,
         {U(u"a"), U(u"b")}},
        {"auto utf16be with mark", bomBe + Utf16Be(u"\u0416a\r\nb"), kEncodingAuto, 1252, kEncodingUnicodeBe,
         {U(u"Жa"), U(u"b")}},
        {"auto on one byte", "x", kEncodingAuto, 1252, kEncodingAnsi, {U(u"x")}},
        {"auto on empty file", "", kEncodingAuto, 1252, kEncodingAnsi, {}},
        {"explicit utf16le keeps no mark", bomLe + Utf16Le(u"a"), kEncodingUnicode, 1252, kEncodingUnicode,
         {U(u"a")}},
        {"explicit utf8 drops its mark", bom8 + "a", kEncodingUtf8, 1252, kEncodingUtf8, {U(u"a")}},
        {"explicit ansi on utf8 mark", bom8 + "a", kEncodingAnsi, 1252, kEncodingAnsi, {U(u"ï»¿a")}},
        {"explicit utf16be without mark", Utf16Be(u"ab"), kEncodingUnicodeBe, 1252, kEncodingUnicodeBe,
         {U(u"ab")}},
        {"line ends", "a\r\nb\rc\n\nd", kEncodingAnsi, 1252, kEncodingAnsi,
         {U(u"a"), U(u"b"), U(u"c"), U(u""), U(u"d")}},
        {"NUL and VT end lines, FF does not", QByteArray("a\0b\vc\fd", 7), kEncodingAnsi, 1252, kEncodingAnsi,
         {U(u"a"), U(u"b"), U(u"c\fd")}},
        {"last terminator gives no empty line", "a\n", kEncodingAnsi, 1252, kEncodingAnsi, {U(u"a")}},
        {"CR at the end", "a\r", kEncodingAnsi, 1252, kEncodingAnsi, {U(u"a")}},
        {"empty lines only", "\n\n", kEncodingAnsi, 1252, kEncodingAnsi, {U(u""), U(u"")}},
        {"utf16 line separators", Utf16Le(u"a\u2028b\u2029c\u0085d"), kEncodingUnicode, 1252, kEncodingUnicode,
         {U(u"a"), U(u"b"), U(u"c"), U(u"d")}},
        {"ansi 0x85 is a character", "a\x85" "b", kEncodingAnsi, 1252, kEncodingAnsi, {U(u"a…b")}},
        {"utf8 0x85 ends a line", "a\xC2\x85" "b", kEncodingUtf8, 1252, kEncodingUtf8, {U(u"a"), U(u"b")}},
        {"utf8 four-byte sequence", "a\xF0\x9F\x98\x80" "b", kEncodingUtf8, 1252, kEncodingUtf8,
         {U(u"a\uFFFDb")}},
        {"utf8 stray continuation ends input", "ab\nc\x80" "d\nef", kEncodingUtf8, 1252, kEncodingUtf8,
         {U(u"ab"), U(u"c")}},
        {"utf8 bad lead byte ends input", "ab\xFF" "cd", kEncodingUtf8, 1252, kEncodingUtf8, {U(u"ab")}},
        {"utf8 missing continuation ends input", "a\xE2\x82" "b", kEncodingUtf8, 1252, kEncodingUtf8, {U(u"a")}},
        {"utf8 incomplete at the end is dropped", "ab\xE2\x82", kEncodingUtf8, 1252, kEncodingUtf8, {U(u"ab")}},
        {"utf8 overlong form accepted", "\xC1\x81", kEncodingUtf8, 1252, kEncodingUtf8, {U(u"A")}},
        {"utf8 noncharacters dropped", "a\xEF\xB7\x90\xEF\xBF\xBE\xEF\xBF\xBF" "b", kEncodingUtf8, 1252,
         kEncodingUtf8, {U(u"ab")}},
        {"utf16 odd length loses the last byte", bomLe + Utf16Le(u"ab") + "c", kEncodingAuto, 1252,
         kEncodingUnicode, {U(u"ab")}},
        {"utf16 pair becomes U+FFFD", Utf16Le(u"a\U0001F600b"), kEncodingUnicode, 1252, kEncodingUnicode,
         {U(u"a\uFFFDb")}},
        {"utf16 lone surrogate dropped, next kept", Utf16Le(u"a") + QByteArray("\x00\xD8", 2) + Utf16Le(u"bc"),
         kEncodingUnicode, 1252, kEncodingUnicode, {U(u"abc")}},
        {"utf16 lone low surrogate dropped", Utf16Le(u"a") + QByteArray("\x00\xDC", 2) + Utf16Le(u"b"), kEncodingUnicode, 1252,
         kEncodingUnicode, {U(u"ab")}},
        {"code page 1251", "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xB8", kEncodingAnsi, 1251, kEncodingAnsi,
         {U(u"Привет"), U(u"ё")}},
        {"code page 1252", "\x80 caf\xE9", kEncodingAnsi, 1252, kEncodingAnsi, {U(u"€ café")}},
        {"byte undefined in the code page", "a\x81" "b", kEncodingAnsi, 1252, kEncodingAnsi, {U(u"a\uFFFDb")}},
        {"code page 1258 composes", "a\xEC", kEncodingAnsi, 1258, kEncodingAnsi, {U(u"á")}},
    };
    for (const DecodeCase& c : cases) {
        int mode = -1;
        EXPECT_EQ(Decode(c.bytes, c.encoding, c.codePage, &mode), c.lines) << c.name;
        EXPECT_EQ(mode, c.mode) << c.name;
    }
}

// Sequences that straddle the end of the 1024-byte buffer decode as anywhere
// else; a line longer than the buffer comes back whole.
TEST(NonStdioFile, SequencesAcrossBufferEnds)
{
    for (int lead = 1015; lead <= 1026; ++lead) {
        const QByteArray utf8 = QByteArray(lead, 'a') + "\xE2\x82\xAC\xF0\x9F\x98\x80" + "z";
        const QString expected = QString(lead, QLatin1Char('a')) + U(u"€\uFFFDz");
        EXPECT_EQ(Decode(utf8, kEncodingUtf8), QStringList{expected}) << lead;

        const int units = lead / 2;
        const QByteArray utf16 = Utf16Le(std::u16string(static_cast<size_t>(units), u'a') + u"\U0001F600z");
        const QString expected16 = QString(units, QLatin1Char('a')) + U(u"\uFFFDz");
        EXPECT_EQ(Decode(utf16, kEncodingUnicode), QStringList{expected16}) << lead;

        const QByteArray crlf = QByteArray(lead, 'b') + "\r\nc";
        EXPECT_EQ(Decode(crlf, kEncodingAnsi), (QStringList{QString(lead, QLatin1Char('b')), U(u"c")})) << lead;
    }
}

TEST(NonStdioFile, LongLines)
{
    const QByteArray tenMegabytes(10 * 1024 * 1024, 'x');
    const QStringList lines = Decode(tenMegabytes + "\nend", kEncodingUtf8);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), tenMegabytes.size());
    EXPECT_EQ(lines[1], U(u"end"));

    // Past the limit a line comes out in pieces instead of taking all memory.
    const int limit = CNonStdioFile::kMaxLineBytes;
    const QStringList pieces = Decode(QByteArray(limit + 5, 'y'), kEncodingAnsi);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0].size(), limit);
    EXPECT_EQ(pieces[1].size(), 5);
}

TEST(NonStdioFile, RefusesWhatIsNotARegularFile)
{
    CTextFiles files;
    const QString fifo = files.Path(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero"), files.Path(QString()),
                                files.Path(QStringLiteral("missing.txt"))}) {
        CNonStdioFile file;
        EXPECT_EQ(file.Open(path, kEncodingAuto), 0) << path.toStdString();
        QString line;
        EXPECT_EQ(file.ReadLine(line), 0);
    }
}

TEST(NonStdioFile, FileRemovedOrCutWhileRead)
{
    CTextFiles files;
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + QByteArray::number(i) + "\n";

    const QString removed = files.Write(QStringLiteral("removed.txt"), text);
    CNonStdioFile reader;
    ASSERT_EQ(reader.Open(removed, kEncodingAuto), 1);
    QString line;
    ASSERT_EQ(reader.ReadLine(line), 1);
    ASSERT_TRUE(QFile::remove(removed));
    EXPECT_EQ(ReadAll(reader).size(), 4999);  // the open file stays readable

    const QString cut = files.Write(QStringLiteral("cut.txt"), text);
    CNonStdioFile cutReader;
    ASSERT_EQ(cutReader.Open(cut, kEncodingAuto), 1);
    ASSERT_EQ(cutReader.ReadLine(line), 1);
    ASSERT_TRUE(QFile::resize(cut, 0));
    const QStringList rest = ReadAll(cutReader);  // what the buffer held, then the end
    EXPECT_LT(rest.size(), 200);
    EXPECT_EQ(cutReader.ReadLine(line), 0);
}
