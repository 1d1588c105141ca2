#include "scripts/FrameScript.h"
#include "scripts/ScriptInfoJson.h"
#include "scripts/ScriptStrings.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using Item = CFrameScriptItem;

TEST(FrameScript, DescribeShowsEachStepAsTheEditorListsIt)
{
    const struct
    {
        Item item;
        const char* text;
    } cases[] = {
        {{0, "/srv/pages/News.tavrel", 0}, "Load page file: News"},
        {{1, "C:\\Pages\\Wetter.old.tavrel", 0}, "Add objects from page file: Wetter.old"},
        {{0, "", 0}, "Load page file: "},
        {{2, "", 0}, "Play all objects"},
        {{3, "", 0}, "Pause all objects"},
        {{4, "", 0}, "End all objects"},
        {{5, "", 0}, "Stop all objects"},
        {{6, "", 0}, "Delete all objects"},
        {{7, "", 0}, "Wait untill all objects end"},
        {{2, "Intro", 0}, "Play objects group: Intro"},
        {{3, "Intro", 0}, "Pause objects group: Intro"},
        {{4, "Intro", 0}, "End objects group: Intro"},
        {{5, "Intro", 0}, "Stop objects group: Intro"},
        {{6, "Intro", 0}, "Delete objects in group: Intro"},
        {{7, "Intro", 0}, "Wait untill objects in group: Intro end"},
        {{2, "100% Титры", 0}, "Play objects group: 100% Титры"},
        {{8, "", 5}, "Wait 5 seconds"},
        {{9, "", 45296}, "Wait until 12:34:56"},
        {{9, "", 0}, "Wait until 00:00:00"},
        {{10, "", 0}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CFrameScript::Describe(c.item), QString::fromUtf8(c.text));
    }
    // The action names of the editor's Add menu.
    EXPECT_EQ(ScriptString(scriptstrings::kTypeNameBase + Item::kLoadPage), QStringLiteral("Load page file"));
    EXPECT_EQ(ScriptString(scriptstrings::kTypeNameBase + Item::kWaitUntil), QStringLiteral("Wait until specified time"));
}

TEST(FrameScript, DisplayNameIsTheFileTitle)
{
    CFrameScript script;
    EXPECT_EQ(script.DisplayName(), QString());
    script.fileName = QStringLiteral("/srv/show/Morning.news.script");
    EXPECT_EQ(script.DisplayName(), QStringLiteral("Morning.news"));
    script.fileName = QStringLiteral("/srv/show.d/Morning");
    EXPECT_EQ(script.DisplayName(), QStringLiteral("Morning"));
    script.Clear();
    EXPECT_EQ(script.DisplayName(), QString());
}

TEST(FrameScript, EditorOperationsKeepTheOrderAndRefuseBadIndices)
{
    CFrameScript script;
    script.Append({2, "a", 0});
    script.Append({4, "b", 0});
    EXPECT_TRUE(script.Insert(1, {8, "", 3}));
    EXPECT_TRUE(script.Insert(3, {5, "", 0}));
    EXPECT_FALSE(script.Insert(5, {5, "", 0}));
    EXPECT_FALSE(script.Insert(-1, {5, "", 0}));
    EXPECT_TRUE(script.MoveUp(1));
    EXPECT_FALSE(script.MoveUp(0));
    EXPECT_TRUE(script.MoveDown(2));
    EXPECT_FALSE(script.MoveDown(3));
    EXPECT_TRUE(script.Replace(0, "", 7));
    EXPECT_FALSE(script.Replace(4, "", 7));
    EXPECT_EQ(script.items, (std::vector<Item>{{8, "", 7}, {2, "a", 0}, {5, "", 0}, {4, "b", 0}}));
    EXPECT_TRUE(script.Remove(3));
    EXPECT_FALSE(script.Remove(3));
    EXPECT_EQ(script.Count(), 3);
}

TEST(ScriptInfoJson, OneLineWithTheStepsAndTheirTexts)
{
    CFrameScript script;
    EXPECT_EQ(ScriptInfoJson(script), QStringLiteral("{\"loop\": 0, \"items\": []}"));
    script.Append({2, "", 0});
    EXPECT_EQ(ScriptInfoJson(script),
              QStringLiteral("{\"loop\": 0, \"items\": [{\"type\": 2, \"sdata\": \"\", \"idata\": 0, "
                             "\"text\": \"Play all objects\"}]}"));
    script.loop = 1;
    script.items = {{0, "/p/\"Neu\"\\1.tavrel", 0}, {3, QString::fromUtf8("Tab\there \x01 Ä"), 0}};
    EXPECT_EQ(ScriptInfoJson(script),
              QString::fromUtf8("{\"loop\": 1, \"items\": ["
                                "{\"type\": 0, \"sdata\": \"/p/\\\"Neu\\\"\\\\1.tavrel\", \"idata\": 0, "
                                "\"text\": \"Load page file: 1\"}, "
                                "{\"type\": 3, \"sdata\": \"Tab\\there \\u0001 Ä\", \"idata\": 0, "
                                "\"text\": \"Pause objects group: Tab\\there \\u0001 Ä\"}]}"));
}

TEST(ScriptStrings, FormatTheirTexts)
{
    EXPECT_EQ(ScriptString(scriptstrings::kFileOpenFailed, QStringLiteral("/x/a b.script")),
              QStringLiteral("Error: File open failed!\n\n/x/a b.script"));
    EXPECT_EQ(ScriptString(1), QString());
}

}  // namespace
