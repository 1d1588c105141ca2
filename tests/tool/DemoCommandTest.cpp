#include "ToolRun.h"

#include "model/PageFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <array>
#include <map>
#include <set>

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

// The grid pages measure how the renderer's cost grows with the objects:
// every object must lie on the canvas, every row must hold each kind of
// effect, and every other object must cast a shadow, or the pages of
// different sizes would not measure the same work per object.
TEST(DemoCommand, WritesGridPagesOfTheSameObjectsInRowsOf16)
{
    QTemporaryDir dir;
    for (const int count : {20, 256}) {
        const ToolRun run = RunTool({QStringLiteral("demo"), QStringLiteral("--out"), dir.path(), QStringLiteral("--grid"),
                                     QString::number(count)});
        ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
        const QString path = dir.filePath(QStringLiteral("grid%1.tavrel").arg(count));
        EXPECT_EQ(run.out.trimmed(), path.toUtf8());
        QString message;
        const OwnedFrameList objects = ReadBack(path, message);
        ASSERT_EQ(objects.size(), static_cast<size_t>(count)) << message.toStdString();
        int shadows = 0;
        std::set<std::pair<int, int>> corners;
        // Per row: slides, stretches, reveals.
        std::map<int, std::array<int, 3>> kinds;
        for (int i = 0; i < count; ++i) {
            const CFrame& object = *objects[static_cast<size_t>(i)];
            SCOPED_TRACE(i);
            EXPECT_EQ(object.rect.Width(), 240);
            EXPECT_EQ(object.rect.Height(), 60);
            EXPECT_GE(object.rect.left, 0);
            EXPECT_GE(object.rect.top, 0);
            EXPECT_LE(object.rect.right, 1920);
            EXPECT_LE(object.rect.bottom, 1080);
            EXPECT_EQ(object.rect.top, (i / 16) * 68);
            corners.insert({object.rect.left, object.rect.top});
            EXPECT_EQ(object.backgroundType, kBackgroundPicture);
            ASSERT_EQ(object.backgroundFrames.size(), 1u);
            EXPECT_FALSE(object.richText.isEmpty());
            EXPECT_EQ(object.inDuration, 400);
            shadows += object.dropShadow != kShadowNone;
            ASSERT_GE(object.inEffect, 1);
            ASSERT_LE(object.inEffect, 30);
            ++kinds[i / 16][object.inEffect <= 8 ? 0 : object.inEffect <= 19 ? 1 : 2];
        }
        EXPECT_EQ(corners.size(), static_cast<size_t>(count));  // no two objects in one place
        EXPECT_EQ(shadows, count / 2);
        for (const auto& [row, perKind] : kinds) {
            if (row < count / 16) {  // full rows
                for (const int n : perKind)
                    EXPECT_GT(n, 0) << "row " << row;
            }
        }
    }
    // The last row ends at the canvas' corner.
    QString message;
    const OwnedFrameList full = ReadBack(dir.filePath(QStringLiteral("grid256.tavrel")), message);
    ASSERT_EQ(full.size(), 256u);
    EXPECT_EQ(full.back()->rect.right, 1920);
    EXPECT_EQ(full.back()->rect.bottom, 1080);
}

TEST(DemoCommand, RefusesWrongArgumentsAndUnwritableFolders)
{
    const QStringList wrong[] = {
        {QStringLiteral("demo")},
        {QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--mode"), QStringLiteral("576i50")},
        {QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--grid"), QStringLiteral("0")},
        {QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--grid"), QStringLiteral("257")},
        {QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--grid"), QStringLiteral("many")},
        {QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--grid")},
        {QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("x"), QStringLiteral("--grid"), QStringLiteral("16"),
         QStringLiteral("--reference")},
    };
    QTemporaryDir dir;
    for (const QStringList& arguments : wrong) {
        const ToolRun run = RunTool(arguments, 60000, dir.path());
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(run.error.isEmpty());
    }
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("x"))).exists());  // nothing written
    const ToolRun unwritable = RunTool({QStringLiteral("demo"), QStringLiteral("--out"), QStringLiteral("/proc/no/demo")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_FALSE(unwritable.error.isEmpty());
}

}  // namespace
