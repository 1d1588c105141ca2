// The pages pane's rules without a window.
#include "document/PagesFolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(PagesFolder, NamesSortAsPeopleReadThem)
{
    QStringList names{QStringLiteral("Page 10.tavrel"), QStringLiteral("page 2.tavrel"),
                      QStringLiteral("Page 1.tavrel"),  QStringLiteral("Page 02b.tavrel"),
                      QStringLiteral("Abc.tavrel"),     QStringLiteral("Page 100.tavrel"),
                      QStringLiteral("Page.tavrel")};
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return NaturalCompare(a, b) < 0; });
    EXPECT_EQ(names, (QStringList{QStringLiteral("Abc.tavrel"), QStringLiteral("Page 1.tavrel"),
                                  QStringLiteral("page 2.tavrel"), QStringLiteral("Page 02b.tavrel"),
                                  QStringLiteral("Page 10.tavrel"), QStringLiteral("Page 100.tavrel"),
                                  QStringLiteral("Page.tavrel")}));
    EXPECT_NE(NaturalCompare(QStringLiteral("a"), QStringLiteral("A")), 0);  // an order all the same
}

TEST(PagesFolder, FilesRenamesAndNewNames)
{
    EXPECT_TRUE(IsScriptFilePath(QStringLiteral("/p/Morning.SCRIPT")));
    EXPECT_TRUE(IsPageFilePath(QStringLiteral("/p/News.Tavrel")));
    EXPECT_FALSE(IsPageFilePath(QStringLiteral("/p/News.tavrel.bak")));

    struct Case
    {
        const char* path;
        const char* oldPath;
        const char* newPath;
        const char* after;
    };
    const Case cases[] = {
        {"/p/News.tavrel", "/p/News.tavrel", "/p/Evening.tavrel", "/p/Evening.tavrel"},
        {"/p/Sport/Results.tavrel", "/p/Sport", "/p/Football", "/p/Football/Results.tavrel"},
        {"/p/Sports/Results.tavrel", "/p/Sport", "/p/Football", "/p/Sports/Results.tavrel"},
        {"", "/p/Sport", "/p/Football", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathAfterRename(QString::fromUtf8(c.path), QString::fromUtf8(c.oldPath), QString::fromUtf8(c.newPath)),
                  QString::fromUtf8(c.after))
            << c.path;
    }

    QTemporaryDir folder;
    EXPECT_EQ(UniqueNameIn(folder.path(), QStringLiteral("New folder")), QStringLiteral("New folder"));
    QDir(folder.path()).mkdir(QStringLiteral("New folder"));
    QDir(folder.path()).mkdir(QStringLiteral("New folder 2"));
    EXPECT_EQ(UniqueNameIn(folder.path(), QStringLiteral("New folder")), QStringLiteral("New folder 3"));

    EXPECT_EQ(RenameSelectionLength(QStringLiteral("News.tavrel"), false), 4);
    EXPECT_EQ(RenameSelectionLength(QStringLiteral("Archive.2026"), true), 12);
    EXPECT_EQ(RenameSelectionLength(QStringLiteral(".hidden"), false), 7);
}

}  // namespace
