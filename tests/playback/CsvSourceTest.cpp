#include "PlainTextControl.h"
#include "TextFiles.h"

#include "model/Frame.h"
#include "playback/CsvSource.h"
#include "playback/TextSubstitution.h"

#include <gtest/gtest.h>

TEST(CsvSource, SplitsLines)
{
    const struct {
        const char* line;
        char separator;
        QStringList fields;
    } cases[] = {
        {R"(a;"b;c";"d""e")", ';', {"a", "b;c", "d\"e"}},
        {"x;y;", ';', {"x", "y", ""}},
        {"x,y,", ',', {"x", "y", ""}},
        {"a;b", ',', {"a;b"}},
        {"", ';', {}},
        {";", ';', {"", ""}},
        {";;a", ';', {"", "", "a"}},
        {R"("";x)", ';', {"", "x"}},
        {R"("a"b";c)", ';', {"ab", "c"}},          // a stray quote is dropped
        {R"("unterminated;x)", ';', {"unterminated;x"}},
        {R"("closed at end")", ';', {"closed at end"}},
        {R"("a""")", ';', {"a\""}},
        {R"(a"b;c)", ';', {"a\"b", "c"}},          // quotes count only at the start
        {R"( "a";b)", ';', {" \"a\"", "b"}},
        {R"("a";)", ';', {"a", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCsvLine(QString::fromUtf8(c.line), QLatin1Char(c.separator)), c.fields) << c.line;

    const QString wide(1'000'000, QLatin1Char(';'));
    EXPECT_EQ(SplitCsvLine(wide, QLatin1Char(';')).size(), kMaxCsvFields);
}

TEST(CsvSource, PlaceholdersAndRows)
{
    CFrameSourceData header;
    for (const char* line : {"Name;Value", "Tom;5", "\"Ann\";\"7\"", "", "Bob"})
        ParseCsvLine(header, kSeparatorSemicolon, QString::fromUtf8(line), 1);
    EXPECT_EQ(header.placeholders, (QStringList{"%Name%", "%Value%"}));
    ASSERT_EQ(header.rows.size(), 4u);
    EXPECT_EQ(header.rows[1], (QStringList{"Ann", "7"}));
    EXPECT_TRUE(header.rows[2].isEmpty());
    header.currentRow = 3;
    EXPECT_EQ(CsvField(header, 0), QStringLiteral("Bob"));
    EXPECT_EQ(CsvField(header, 1), QString());  // ragged row
    header.currentRow = 4;
    EXPECT_EQ(CsvField(header, 0), QString());  // past the rows

    CFrameSourceData numbered;
    for (const char* line : {"a,b,c", "d"})
        ParseCsvLine(numbered, kSeparatorComma, QString::fromUtf8(line), 0);
    EXPECT_EQ(numbered.placeholders, (QStringList{"%1%", "%2%", "%3%"}));
    EXPECT_EQ(numbered.rows.size(), 2u);  // without a header the first line is a row too

    // An empty header line gives no placeholders; the next line is the header.
    CFrameSourceData late;
    for (const char* line : {"", "A;B", "1;2"})
        ParseCsvLine(late, kSeparatorSemicolon, QString::fromUtf8(line), 1);
    EXPECT_EQ(late.placeholders, (QStringList{"%A%", "%B%"}));
    EXPECT_EQ(late.rows.size(), 1u);
}

TEST(CsvSource, ReadsFiles)
{
    CTextFiles files;
    CFrameSourceData data;
    const QString utf8 = files.Write(QStringLiteral("a.csv"), "\xEF\xBB\xBFName,Stadt\r\nJ\xC3\xBCrgen,K\xC3\xB6ln\r\n");
    ASSERT_EQ(ReadCsvFile(data, utf8, kEncodingAuto, kSeparatorComma, 1), 1);
    EXPECT_EQ(data.placeholders, (QStringList{"%Name%", "%Stadt%"}));
    ASSERT_EQ(data.rows.size(), 1u);
    EXPECT_EQ(data.rows[0], (QStringList{QString::fromUtf16(u"Jürgen"), QString::fromUtf16(u"Köln")}));

    const QString empty = files.Write(QStringLiteral("empty.csv"), "");
    EXPECT_EQ(ReadCsvFile(data, empty, kEncodingAuto, kSeparatorSemicolon, 1), 0);
    EXPECT_EQ(ReadCsvFile(data, empty, kEncodingAuto, kSeparatorSemicolon, 0), 1);
    EXPECT_EQ(ReadCsvFile(data, files.Path(QStringLiteral("none.csv")), kEncodingAuto, kSeparatorSemicolon, 0), 0);

    QByteArray many = "No;Name\n";
    for (int i = 0; i < 50000; ++i)
        many += QByteArray::number(i) + ";Name " + QByteArray::number(i) + "\n";
    ASSERT_EQ(ReadCsvFile(data, files.Write(QStringLiteral("many.csv"), many), kEncodingAuto, kSeparatorSemicolon, 1), 1);
    ASSERT_EQ(data.rows.size(), 50000u);
    EXPECT_EQ(data.rows[49999][1], QStringLiteral("Name 49999"));

    // A line of 10 MB reads whole; its fields stop at the limit.
    const QByteArray longField(10 * 1024 * 1024, 'x');
    ASSERT_EQ(ReadCsvFile(data, files.Write(QStringLiteral("long.csv"), "A;B\n" + longField + ";b\n"),
                          kEncodingAuto, kSeparatorSemicolon, 1),
              1);
    ASSERT_EQ(data.rows.size(), 1u);
    EXPECT_EQ(data.rows[0][0].size(), longField.size());
    EXPECT_EQ(data.rows[0][1], QStringLiteral("b"));

    EXPECT_EQ(ReadCsvPlaceholders(utf8, kEncodingAuto, kSeparatorComma, 1), (QStringList{"%Name%", "%Stadt%"}));
    EXPECT_EQ(ReadCsvPlaceholders(empty, kEncodingAuto, kSeparatorComma, 1), QStringList());
}

TEST(CsvSource, SubstitutesFieldsIntoTheTemplate)
{
    const QStringList placeholders{"%Name%", "%Value%"};
    const struct {
        const char* name;
        const char* templateText;
        QStringList row;
        const char* shown;
    } cases[] = {
        {"placeholders", "%Name%: %Value%", {"Tom", "5"}, "Tom: 5"},
        {"every occurrence", "%Name% %Name%", {"Tom", "5"}, "Tom Tom"},
        {"empty fields show blank", "%Name%: %Value%", {"", ""}, " "},
        {"one field with text", "%Name%|%Value%", {"", "5"}, "|5"},
        {"no placeholder: fields run together", "Result", {"Tom", "5"}, "Tom5"},
        {"no placeholder, empty row", "Result", {"", ""}, " "},
        {"ragged row", "%Name%=%Value%", {"Tom"}, "Tom="},
        {"field holding its own placeholder", "%Name%!", {"%Name%", "x"}, "%Name%!"},
    };
    for (const auto& c : cases) {
        CPlainTextControl control;
        control.text = QString::fromUtf8(c.templateText);
        SubstituteCsvFields(control, placeholders, [&](int i) { return i < c.row.size() ? c.row[i] : QString(); });
        EXPECT_EQ(control.text, QString::fromUtf8(c.shown)) << c.name;
    }
}
