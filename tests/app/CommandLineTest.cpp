#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char* what;
    QStringList arguments;
    int editMode;
    QString page;
};

TEST(CommandLine, InstanceKindFromArguments)
{
    const Case cases[] = {
        {"no parameters: playout", {}, 0, {}},
        {"-edit", {"-edit"}, 1, {}},
        {"/edit", {"/edit"}, 1, {}},
        {"other capitalisation is not the switch", {"-Edit"}, 0, {}},
        {"/EDIT is a path, and a path opens in an editor", {"/EDIT"}, 1, "/EDIT"},
        {"a page path alone opens an editor", {"page.tavrel"}, 1, "page.tavrel"},
        {"absolute path starting with /", {"/home/op/pages/news.tavrel"}, 1, "/home/op/pages/news.tavrel"},
        {"switch and page, as the playout instance starts editors", {"/edit", "/tmp/a b.tavrel"}, 1, "/tmp/a b.tavrel"},
        {"first page wins", {"a.tavrel", "b.tavrel"}, 1, "a.tavrel"},
        {"unknown option ignored", {"--verbose"}, 0, {}},
        {"empty argument ignored", {""}, 0, {}},
    };
    for (const Case& c : cases) {
        const InstanceKind kind = DecideInstanceKind(ParseCommandLine(c.arguments));
        EXPECT_EQ(kind.editMode, c.editMode) << c.what;
        EXPECT_EQ(kind.pageToOpen, c.page) << c.what;
    }
}

TEST(CommandLine, EditorArgumentsRoundTrip)
{
    const QString page = QStringLiteral("/srv/pages/with space \"quoted\".tavrel");
    const InstanceKind kind = DecideInstanceKind(ParseCommandLine(EditInstanceArguments(page)));
    EXPECT_EQ(kind.editMode, 1);
    EXPECT_EQ(kind.pageToOpen, page);
}

}  // namespace
