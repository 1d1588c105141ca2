#include "scripts/FrameScript.h"

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

namespace {

using Item = CFrameScriptItem;

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Items(const QByteArray& items, const QByteArray& loop = "0")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<script loop=\"" + loop + "\">\n" + items + "</script>\n";
}

class ScriptFile : public ::testing::Test
{
protected:
    QString Path(const QString& name) const { return folder_.filePath(name); }
    QString Folder() const { return folder_.path() + QLatin1Char('/'); }
    QTemporaryDir folder_;
};

struct ReadCase
{
    const char* name;
    QByteArray xml;
    bool loaded;
    int loop;
    // sdata of page paths is given relative to the script's folder ("@" stands for it).
    std::vector<Item> items;
};

TEST_F(ScriptFile, ReadsWhatIsValidAndDropsTheRest)
{
    const QByteArray tooLong(Item::kMaxTextBytes + 1, 'g');
    const QByteArray longest(Item::kMaxTextBytes, 'g');
    const ReadCase cases[] = {
        {"every type",
         Items("<item type=\"0\" sdata=\"/srv/a.tavrel\" idata=\"0\"/>"
               "<item type=\"1\" sdata=\"/srv/b.tavrel\" idata=\"0\"/>"
               "<item type=\"2\" sdata=\"\" idata=\"0\"/><item type=\"3\" sdata=\"Intro\" idata=\"0\"/>"
               "<item type=\"4\" sdata=\"\" idata=\"0\"/><item type=\"5\" sdata=\"\" idata=\"0\"/>"
               "<item type=\"6\" sdata=\"x\" idata=\"0\"/><item type=\"7\" sdata=\"\" idata=\"0\"/>"
               "<item type=\"8\" sdata=\"\" idata=\"5\"/><item type=\"9\" sdata=\"\" idata=\"45296\"/>",
               "1"),
         true, 1,
         {{0, "/srv/a.tavrel", 0}, {1, "/srv/b.tavrel", 0}, {2, "", 0}, {3, "Intro", 0}, {4, "", 0}, {5, "", 0},
          {6, "x", 0}, {7, "", 0}, {8, "", 5}, {9, "", 45296}}},
        {"loop 2 reads as on", Items("<item type=\"2\"/>", "2"), true, 1, {{2, "", 0}}},
        {"loop yes reads as off", Items("<item type=\"2\"/>", "yes"), true, 0, {{2, "", 0}}},
        {"loop with leading blanks and a tail", Items("<item type=\"2\"/>", " \t-1x"), true, 1, {{2, "", 0}}},
        {"no loop attribute", "<script><item type=\"2\"/></script>", true, 0, {{2, "", 0}}},
        {"types outside 0..9 and missing types are skipped",
         Items("<item type=\"10\"/><item type=\"-1\"/><item sdata=\"a\"/><item type=\"4\" sdata=\"b\"/>"), true, 0,
         {{4, "b", 0}}},
        {"numbers follow the leading-integer rule",
         Items("<item type=\" +8 seconds\" idata=\"12abc\"/><item type=\"zero\" sdata=\"/p\" idata=\"-7\"/>"
               "<item type=\"8\" idata=\"99999999999\"/><item type=\"8\" idata=\"-99999999999\"/>"
               "<item type=\"8\" idata=\"\"/>"),
         true, 0, {{8, "", 12}, {0, "/p", -7}, {8, "", INT_MAX}, {8, "", INT_MIN}, {8, "", 0}}},
        {"other elements, attributes and children are ignored",
         Items("<note type=\"2\"/><item type=\"5\" sdata=\"a\" idata=\"1\" extra=\"x\"><item type=\"2\"/>text</item>"
               "<group><item type=\"3\"/></group>"),
         true, 0, {{5, "a", 1}}},
        {"relative page paths, also with backslashes",
         Items("<item type=\"0\" sdata=\"+Pages\\News.tavrel\"/><item type=\"1\" sdata=\"+a.tavrel\"/>"
               "<item type=\"2\" sdata=\"+Group\"/><item type=\"0\" sdata=\"C:\\Show\\x.tavrel\"/>"),
         true, 0,
         {{0, "@Pages/News.tavrel", 0}, {1, "@a.tavrel", 0}, {2, "+Group", 0}, {0, "C:\\Show\\x.tavrel", 0}}},
        {"entities and characters outside ASCII",
         Items("<item type=\"3\" sdata=\"&lt;Nachrichten &amp; Wetter&gt; &#x41;&quot;\"/>"
               "<item type=\"2\" sdata=\"Заставка 天気\"/>"),
         true, 0, {{3, "<Nachrichten & Wetter> A\"", 0}, {2, "Заставка 天気", 0}}},
        {"bytes that are not UTF-8 become replacement characters",
         Items("<item type=\"2\" sdata=\"Caf\xe9 \xff\"/>"), true, 0, {{2, "Caf\xef\xbf\xbd \xef\xbf\xbd", 0}}},
        {"byte-order mark and CR LF lines",
         "\xef\xbb\xbf<?xml version=\"1.0\"?>\r\n<script loop=\"1\">\r\n<item type=\"7\" sdata=\"\" idata=\"0\"/>\r\n"
         "</script>\r\n",
         true, 1, {{7, "", 0}}},
        {"text parameters longer than a script holds are dropped",
         Items("<item type=\"2\" sdata=\"" + tooLong + "\"/><item type=\"3\" sdata=\"" + longest + "\"/>"), true, 0,
         {{3, QString::fromLatin1(longest), 0}}},
        {"every item dropped: a failure that keeps the loop flag",
         Items("<item type=\"11\"/><item/>", "1"), false, 1, {}},
        {"no items", Items("", "1"), false, 1, {}},
        {"another root element", "<scripts loop=\"1\"><item type=\"2\"/></scripts>", false, 0, {}},
        {"not well-formed", Items("<item type=\"2\">"), false, 0, {}},
        {"unterminated attribute", "<script loop=\"1><item type=\"2\"/></script>", false, 0, {}},
        {"empty file", "", false, 0, {}},
        {"binary", QByteArray("\x00\x01\x02<script>", 11), false, 0, {}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path(QStringLiteral("case.script"));
        ASSERT_TRUE(WriteBytes(path, c.xml));
        CFrameScript script;
        script.Append({2, "left over", 0});
        script.loop = 1;
        script.fileName = QStringLiteral("/old.script");
        EXPECT_EQ(script.LoadFile(path), c.loaded);
        EXPECT_EQ(script.loop, c.loop);
        EXPECT_EQ(script.fileName, c.loaded ? path : QString());
        std::vector<Item> expected = c.items;
        for (Item& item : expected)
            item.sdata.replace(QLatin1Char('@'), Folder());
        EXPECT_EQ(script.items, expected);
    }
}

TEST_F(ScriptFile, FilesThatCannotBeReadLeaveAnEmptyScript)
{
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("folder.script")));
    QFile big(Path(QStringLiteral("big.script")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(Items("<item type=\"2\"/>"));
    ASSERT_TRUE(big.resize(CFrameScript::kMaxFileBytes + 1));  // a valid start, then zeros
    big.close();

    for (const QString& path : {Path(QStringLiteral("missing.script")), Path(QStringLiteral("folder.script")),
                                Path(QStringLiteral("big.script")), QStringLiteral("/dev/zero"), QString()}) {
        SCOPED_TRACE(path.toStdString());
        CFrameScript script;
        script.Append({2, "", 0});
        script.loop = 1;
        script.fileName = QStringLiteral("/old.script");
        EXPECT_FALSE(script.LoadFile(path));
        EXPECT_TRUE(script.items.empty());
        EXPECT_EQ(script.loop, 0);
        EXPECT_TRUE(script.fileName.isEmpty());
    }
}

TEST_F(ScriptFile, WritesTheFormatOtherReadersExpect)
{
    CFrameScript script;
    script.loop = 1;
    script.Append({0, Folder() + QStringLiteral("Pages/News.tavrel"), 0});
    script.Append({3, QStringLiteral("A \"quoted\" & <odd> group"), 0});
    script.Append({9, QString(), 45296});
    const QString path = Path(QStringLiteral("Morning.script"));
    ASSERT_TRUE(script.SaveFile(path));
    EXPECT_EQ(script.fileName, path);
    EXPECT_EQ(ReadBytes(path),
              QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                         "<script loop=\"1\">\r\n"
                         "    <item type=\"0\" sdata=\"+Pages/News.tavrel\" idata=\"0\"/>\r\n"
                         "    <item type=\"3\" sdata=\"A &quot;quoted&quot; &amp; &lt;odd&gt; group\" idata=\"0\"/>\r\n"
                         "    <item type=\"9\" sdata=\"\" idata=\"45296\"/>\r\n"
                         "</script>\r\n"));
    script.loop = 7;
    script.items.clear();
    script.Append({2, QString(), 0});
    ASSERT_TRUE(script.SaveFile(path));
    EXPECT_TRUE(ReadBytes(path).contains("<script loop=\"1\">"));
}

TEST_F(ScriptFile, RoundTripKeepsEveryStep)
{
    CFrameScript script;
    script.loop = 1;
    script.Append({0, Folder() + QStringLiteral("Сцены/Новости дня.tavrel"), 0});
    script.Append({1, QStringLiteral("/elsewhere/b.tavrel"), 0});
    script.Append({2, QStringLiteral("Überschrift 天気"), 0});
    script.Append({6, QStringLiteral("tab\there"), 0});
    script.Append({8, QString(), 0});
    script.Append({8, QString(), -3});
    script.Append({9, QString(), 86399});
    script.Append({7, QString(Item::kMaxTextBytes / 2, QChar(u'é')).left(Item::kMaxTextBytes / 2), 0});
    const QString path = Path(QStringLiteral("round.script"));
    ASSERT_TRUE(script.SaveFile(path));

    CFrameScript loaded;
    ASSERT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.items, script.items);
    EXPECT_EQ(loaded.loop, 1);
    EXPECT_EQ(loaded.fileName, path);
}

TEST_F(ScriptFile, PagesBelowTheScriptMoveWithIt)
{
    const QString show = Folder() + QStringLiteral("Show/");
    const QString moved = Folder() + QStringLiteral("Moved/");
    ASSERT_TRUE(QDir().mkpath(show) && QDir().mkpath(moved));

    struct Case
    {
        QString page;    // as the step holds it when saved
        QByteArray stored;
        QString loadedAfterMove;
    };
    const Case cases[] = {
        {show + "Pages/News.tavrel", "+Pages/News.tavrel", moved + "Pages/News.tavrel"},
        {show + "a.tavrel", "+a.tavrel", moved + "a.tavrel"},
        {Folder() + "Other/a.tavrel", (Folder() + "Other/a.tavrel").toUtf8(), Folder() + "Other/a.tavrel"},
        // A sibling folder whose name begins with the script folder's name.
        {Folder() + "Showroom/a.tavrel", (Folder() + "Showroom/a.tavrel").toUtf8(), Folder() + "Showroom/a.tavrel"},
        // File names are case-sensitive here: another case is another folder.
        {Folder() + "SHOW/a.tavrel", (Folder() + "SHOW/a.tavrel").toUtf8(), Folder() + "SHOW/a.tavrel"},
        // Only the folder itself is not below it.
        {show, show.toUtf8(), show},
        {QStringLiteral("relative.tavrel"), "relative.tavrel", QStringLiteral("relative.tavrel")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page.toStdString());
        CFrameScript script;
        script.Append({1, c.page, 0});
        ASSERT_TRUE(script.SaveFile(show + QStringLiteral("Morning.script")));
        EXPECT_TRUE(ReadBytes(show + QStringLiteral("Morning.script")).contains("sdata=\"" + c.stored + "\""));

        QFile::remove(moved + QStringLiteral("Morning.script"));
        ASSERT_TRUE(QFile::copy(show + QStringLiteral("Morning.script"), moved + QStringLiteral("Morning.script")));
        CFrameScript loaded;
        ASSERT_TRUE(loaded.LoadFile(moved + QStringLiteral("Morning.script")));
        EXPECT_EQ(loaded.items.at(0).sdata, c.loadedAfterMove);
    }
}

TEST_F(ScriptFile, FailedSaveKeepsTheOldFileAndName)
{
    const QString path = Path(QStringLiteral("keep.script"));
    CFrameScript script;
    script.Append({2, QStringLiteral("first"), 0});
    ASSERT_TRUE(script.SaveFile(path));
    const QByteArray before = ReadBytes(path);

    // A step the file cannot hold: nothing is written.
    CFrameScript tooLong;
    tooLong.fileName = QStringLiteral("/previous.script");
    tooLong.Append({3, QString(Item::kMaxTextBytes + 1, QLatin1Char('x')), 0});
    EXPECT_FALSE(tooLong.SaveFile(path));
    EXPECT_EQ(tooLong.fileName, QStringLiteral("/previous.script"));
    EXPECT_EQ(ReadBytes(path), before);

    // A step type no reader knows.
    CFrameScript badType;
    badType.Append({12, QString(), 0});
    EXPECT_FALSE(badType.SaveFile(path));
    EXPECT_EQ(ReadBytes(path), before);

    // A folder that does not exist, and a folder in place of the file.
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("taken.script")));
    for (const QString& target : {Path(QStringLiteral("no/such/folder.script")), Path(QStringLiteral("taken.script"))}) {
        EXPECT_FALSE(script.SaveFile(target));
        EXPECT_EQ(script.fileName, path);
    }
    // No temporary files are left behind.
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.script")});
}

TEST_F(ScriptFile, HostileFilesLoadWhatIsValidOrFailCleanly)
{
    const QString path = Path(QStringLiteral("hostile.script"));
    CFrameScript script;

    // 100 000 steps.
    QByteArray many = "<script loop=\"1\">";
    for (int i = 0; i < 100000; ++i)
        many += "<item type=\"8\" sdata=\"\" idata=\"" + QByteArray::number(i) + "\"/>\n";
    many += "</script>";
    ASSERT_TRUE(WriteBytes(path, many));
    ASSERT_TRUE(script.LoadFile(path));
    ASSERT_EQ(script.Count(), 100000);
    EXPECT_EQ(script.items.back().idata, 99999);

    // One huge attribute among valid steps.
    ASSERT_TRUE(WriteBytes(path, Items("<item type=\"2\" sdata=\"" + QByteArray(8 * 1024 * 1024, 'A') +
                                       "\"/><item type=\"4\"/>")));
    ASSERT_TRUE(script.LoadFile(path));
    EXPECT_EQ(script.items, (std::vector<Item>{{4, "", 0}}));

    // Deep nesting inside an item, and far deeper than any parser should follow.
    ASSERT_TRUE(WriteBytes(path, Items("<item type=\"5\">" + QByteArray("<a>").repeated(50) +
                                       QByteArray("</a>").repeated(50) + "</item>")));
    ASSERT_TRUE(script.LoadFile(path));
    EXPECT_EQ(script.items, (std::vector<Item>{{5, "", 0}}));
    ASSERT_TRUE(WriteBytes(path, Items("<item type=\"5\"/>" + QByteArray("<a>").repeated(200000) +
                                       QByteArray("</a>").repeated(200000))));
    EXPECT_FALSE(script.LoadFile(path));
    EXPECT_TRUE(script.items.empty());

    // Costs that grow faster than the file: the parser compares every
    // attribute with those before it in its element, and builds a node of
    // about a hundred bytes per tag. Such files are refused before parsing.
    QByteArray attributes = "<item type=\"2\"";
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    ASSERT_TRUE(WriteBytes(path, Items(attributes + "/>")));
    EXPECT_FALSE(script.LoadFile(path));
    ASSERT_TRUE(WriteBytes(path, Items("<item type=\"2\"/>" + QByteArray("<a/>").repeated(300000))));
    EXPECT_FALSE(script.LoadFile(path));
    // Text that merely looks like markup does not count.
    ASSERT_TRUE(WriteBytes(path, Items("<item type=\"2\" sdata=\"" + QByteArray(8000, '=') + "\"/><!--" +
                                       QByteArray("<a b=c>").repeated(300000) + "-->")));
    ASSERT_TRUE(script.LoadFile(path));
    EXPECT_EQ(script.items.at(0).sdata.size(), 8000);

    // Entity expansion is not a thing here: a document type is not followed.
    ASSERT_TRUE(WriteBytes(path, "<!DOCTYPE s [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                                 "<script><item type=\"3\" sdata=\"&b;\"/></script>"));
    script.LoadFile(path);
    for (const Item& item : script.items)
        EXPECT_LE(item.sdata.size(), 10);
}

}  // namespace
