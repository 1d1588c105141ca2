#include "content/VideoWriter.h"
#include "model/Picture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CPicture Gradient(int width, int height, int step)
{
    CPicture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.Row(y)[x] = static_cast<uint32_t>(((x + step) & 0xFF) | ((y & 0xFF) << 8) | (step << 16)) |
                                (static_cast<uint32_t>((x * 255) / width) << 24);
    return picture;
}

QByteArray Head(const QString& path, int bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

struct ContainerCase
{
    const char* name;
    QByteArray signature;  // found in the first 64 bytes
};

class VideoWriterContainers : public ::testing::TestWithParam<ContainerCase>
{
};

TEST_P(VideoWriterContainers, WritesAFinishedFileAndNoPartFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(GetParam().name));
    CVideoWriter writer;
    ASSERT_TRUE(writer.Open(path, 64, 36, 25, 1)) << writer.Error().toStdString();
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(writer.WriteFrame(Gradient(64, 36, i))) << writer.Error().toStdString();
    ASSERT_TRUE(writer.Close()) << writer.Error().toStdString();
    EXPECT_TRUE(Head(path, 64).contains(GetParam().signature));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QString::fromLatin1(GetParam().name)});
}

INSTANTIATE_TEST_SUITE_P(Formats, VideoWriterContainers,
                         ::testing::Values(ContainerCase{"out.mov", QByteArray("ftyp")},
                                           ContainerCase{"out.mkv", QByteArray("\x1A\x45\xDF\xA3")},
                                           ContainerCase{"out.avi", QByteArray("RIFF")}),
                         [](const auto& info) { return QString::fromLatin1(info.param.name).section('.', 1).toStdString(); });

TEST(VideoWriter, RefusesWhatItCannotWriteAndLeavesTheOldFile)
{
    QTemporaryDir dir;
    CVideoWriter writer;
    EXPECT_FALSE(CVideoWriter::CanWrite(QStringLiteral("clip.mp3")));
    EXPECT_FALSE(writer.Open(dir.filePath(QStringLiteral("clip.mp3")), 64, 36, 25, 1));
    EXPECT_FALSE(writer.Error().isEmpty());
    EXPECT_FALSE(writer.Open(dir.filePath(QStringLiteral("no/such/folder/clip.mov")), 64, 36, 25, 1));
    EXPECT_FALSE(writer.Open(dir.filePath(QStringLiteral("clip.mov")), 0, 36, 25, 1));

    // An unfinished file never replaces the one that is there.
    const QString path = dir.filePath(QStringLiteral("clip.mov"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    {
        CVideoWriter unfinished;
        ASSERT_TRUE(unfinished.Open(path, 64, 36, 25, 1));
        EXPECT_FALSE(unfinished.WriteFrame(Gradient(32, 36, 0)));  // wrong size
        ASSERT_TRUE(unfinished.WriteFrame(Gradient(64, 36, 0)));
    }
    EXPECT_EQ(Head(path, 16), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("clip.mov")});
}

}  // namespace
