#include "TestEnvironment.h"

#include "model/PageFile.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ImportRun
{
    int exitCode = -1;
    QString error;
};

ImportRun RunImport(const QStringList& arguments)
{
    QProcess process;
    process.start(testenv::ToolProgram(), QStringList{QStringLiteral("import")} + arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

TEST(ImportCommand, WritesAPageWithTheImportedObject)
{
    QTemporaryDir dir;
    for (int i = 1; i <= 2; ++i) {
        QImage image(2000, 100, QImage::Format_ARGB32);
        image.fill(i == 1 ? 0xFF0000FFu : 0xFF00FF00u);
        ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("clip%1.png").arg(i, 2, 10, QLatin1Char('0')))));
    }
    const QString page = dir.filePath(QStringLiteral("page.tavrel"));
    const ImportRun run = RunImport({dir.filePath(QStringLiteral("clip01.png")), QStringLiteral("--mode"),
                                     QStringLiteral("720p50"), QStringLiteral("--out"), page});
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    EXPECT_TRUE(run.error.contains(QStringLiteral("Warning: Image is too large!")));

    OwnedFrameList objects;
    CPageFileContext context;
    ASSERT_EQ(ReadPage(page, objects, 0, context), 1);
    EXPECT_EQ(context.header.width, 1280);
    ASSERT_EQ(objects.size(), 1u);
    const CFrame& o = *objects[0];
    EXPECT_EQ(o.backgroundFrames.size(), 2u);
    EXPECT_EQ(o.backgroundWidth, 1280);
    EXPECT_EQ(o.showFor, 40);
    EXPECT_EQ(o.imageFileName, dir.filePath(QStringLiteral("clip01.png")));

    // The page carries the thumbnail the pages pane shows: the sequence's
    // picture at the top of the checkerboard, 1280 halved to 640 and to 320.
    EXPECT_EQ(context.header.thumbWidth, 320);
    EXPECT_EQ(context.header.thumbHeight, 180);
    CPicture thumbnail;
    CPageFileContext thumbnailOnly;
    thumbnailOnly.thumbnail = &thumbnail;
    ASSERT_EQ(ReadPage(page, objects, 1, thumbnailOnly), 1);
    ASSERT_EQ(thumbnail.width, 320);
    const uint32_t picture = thumbnail.Row(15)[100] & 0xFFFFFF;  // the picture at (32, 32)
    EXPECT_TRUE(picture == 0x0000FFu || picture == 0x00FF00u) << std::hex << picture;
    const uint32_t below = thumbnail.Row(100)[100] & 0xFFFFFF;  // the checkerboard
    EXPECT_EQ((below & 0xFF), (below >> 8 & 0xFF)) << std::hex << below;
}

TEST(ImportCommand, FailuresExitWithTheMessage)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    const QString page = dir.filePath(QStringLiteral("page.tavrel"));
    const ImportRun bad = RunImport({text, QStringLiteral("--mode"), QStringLiteral("1080i50"), QStringLiteral("--out"), page});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.error.startsWith(QStringLiteral("Error: Invalid file format!\n\n") + text)) << bad.error.toStdString();
    EXPECT_FALSE(QFile::exists(page));

    EXPECT_EQ(RunImport({text, QStringLiteral("--mode"), QStringLiteral("999p"), QStringLiteral("--out"), page}).exitCode, 2);
    EXPECT_EQ(RunImport({text}).exitCode, 2);
}

}  // namespace
