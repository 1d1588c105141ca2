#include "ToolRun.h"

#include "model/PageFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

OwnedFrameList ReadBack(const QString& path, QString& message)
{
    OwnedFrameList objects;
    CPageFileContext context;
    context.rasterWidth = 1920;
    context.rasterHeight = 1080;
    context.framePeriod = 20000;
    context.message = [&message](const CUserMessage& m) { message = m.text; };
    ReadPage(path, objects, 0, context);
    return objects;
}

// The pages travel with their folder: every file an object reads is stored
// relative to the page, so a moved or cloned folder still plays.
TEST(DemoCommand, WritesPagesThatKeepTheirFilesWhenTheFolderMoves)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first"));
    // A folder named relative to the working directory, as scripts name it.
    const ToolRun demo = RunTool({QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("first")}, 60000, dir.path());
    ASSERT_EQ(demo.exitCode, 0) << demo.error.toStdString();
    const ToolRun reference = RunTool({QStringLiteral("demo"), QStringLiteral("--out"), first, QStringLiteral("--reference")});
    ASSERT_EQ(reference.exitCode, 0) << reference.error.toStdString();

    const QString moved = dir.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().rename(first, moved));

    struct Case
    {
        const char* page;
        size_t objects;
    } cases[] = {{"demo.tavrel", 10}, {"reference.tavrel", 20}};
    for (const Case& c : cases) {
        QString message;
        const OwnedFrameList objects = ReadBack(QDir(moved).filePath(QLatin1String(c.page)), message);
        ASSERT_EQ(objects.size(), c.objects) << c.page << ": " << message.toStdString();
        for (const auto& object : objects) {
            if (!object->fileName.isEmpty()) {
                EXPECT_TRUE(object->fileName.startsWith(moved)) << object->fileName.toStdString();
                EXPECT_TRUE(QFile::exists(object->fileName)) << object->fileName.toStdString();
            }
        }
    }
}

TEST(DemoCommand, RefusesWrongArgumentsAndUnwritableFolders)
{
    EXPECT_EQ(RunTool({QStringLiteral("demo")}).exitCode, 2);
    EXPECT_EQ(RunTool({QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--mode"),
                       QStringLiteral("576i50")})
                  .exitCode,
              2);
    const ToolRun unwritable = RunTool({QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("/proc/no/demo")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_FALSE(unwritable.error.isEmpty());
}

}  // namespace
