#include "TestEnvironment.h"

#include "app/Log.h"
#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace {

class Logging : public ::testing::Test
{
protected:
    std::unique_ptr<CDebug> Logger(int level)
    {
        return std::make_unique<CDebug>([level] { return level; }, [this] { return Path(); });
    }
    QString Path() const { return folder_.filePath(QStringLiteral("tavrel.log")); }

    QByteArray Bytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The messages of the file, after checking the byte-order mark and each
    // line's timestamp prefix and CRLF ending.
    QStringList Messages() const
    {
        const QByteArray bytes = Bytes();
        if (bytes.isEmpty())
            return {};
        EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xFE", 2));
        EXPECT_EQ(bytes.size() % 2, 0);
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                                (bytes.size() - 2) / 2);
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
        static const QRegularExpression prefix(
            QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\.(\\d{4}) (\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d{3}) - "));
        QStringList messages;
        const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            const auto match = prefix.match(line);
            EXPECT_TRUE(match.hasMatch()) << line.toStdString();
            messages.append(line.mid(match.capturedLength()));
        }
        return messages;
    }

    QTemporaryDir folder_;
};

TEST_F(Logging, OffWritesNoFile)
{
    auto log = Logger(0);
    log->Write(1, QStringLiteral("CMainFrame::OnCreate()"));
    EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(Logging, LevelIsTheHighestWritten)
{
    auto log = Logger(2);
    log->Write(1, QStringLiteral("one"));
    log->Write(3, QStringLiteral("three"));
    log->Write(2, QStringLiteral("two"));
    EXPECT_EQ(Messages(), (QStringList{"one", "two"}));
}

void WriteFormatted(CDebug& log, int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
void WriteFormatted(CDebug& log, int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    log.WriteV(level, format, args);
    va_end(args);
}

TEST_F(Logging, FormatsLikePrintfAndKeepsUnicode)
{
    auto log = Logger(3);
    WriteFormatted(*log, 3, "CFrame::Play(%08X), rect: %d:%d - %d:%d", 0xABCDu, 1, 2, 3, 4);
    WriteFormatted(*log, 2, "page [%s]", "Übersicht – Nachrichten");
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("CFrame::Play(0000ABCD), rect: 1:2 - 3:4"),
                                       QStringLiteral("page [Übersicht – Nachrichten]")}));
}

TEST_F(Logging, LongMessagesAreCutAt511Characters)
{
    auto log = Logger(1);
    log->Write(1, QString(600, QLatin1Char('x')));
    EXPECT_EQ(Messages().value(0).size(), CDebug::kMaxMessageLength);
}

TEST_F(Logging, AppendsToAnExistingFileWithoutASecondMark)
{
    Logger(1)->Write(1, QStringLiteral("first run"));
    Logger(1)->Write(1, QStringLiteral("second run"));
    EXPECT_EQ(Messages(), (QStringList{"first run", "second run"}));
    EXPECT_EQ(Bytes().count(QByteArray("\xFF\xFE", 2)), 1);
}

TEST_F(Logging, LockedFileKeepsTheFirstHundredLinesForLater)
{
    auto log = Logger(1);
    log->Write(1, QStringLiteral("before"));

    // Another program holds the file for 150 lines.
    const int fd = ::open(QFile::encodeName(Path()).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    for (int i = 0; i < 150; ++i)
        log->Write(1, QStringLiteral("held %1").arg(i));
    EXPECT_EQ(log->PendingCount(), CDebug::kMaxPending);
    ::close(fd);

    log->Write(1, QStringLiteral("after"));
    EXPECT_EQ(log->PendingCount(), 0);
    const QStringList messages = Messages();
    ASSERT_EQ(messages.size(), 1 + 100 + 1);
    EXPECT_EQ(messages.front(), QStringLiteral("before"));
    EXPECT_EQ(messages[1], QStringLiteral("held 0"));
    EXPECT_EQ(messages[100], QStringLiteral("held 99"));
    EXPECT_EQ(messages.back(), QStringLiteral("after"));
}

TEST_F(Logging, UnwritableFolderNeverDisturbsTheCaller)
{
    CDebug log([] { return 3; }, [] { return QStringLiteral("/proc/no-such-folder/tavrel.log"); });
    for (int i = 0; i < 150; ++i)
        log.Write(1, QStringLiteral("line %1").arg(i));
    EXPECT_EQ(log.PendingCount(), CDebug::kMaxPending);
}

TEST(ProcessLogger, ReadsLevelFromSettingsAndWritesIntoDocuments)
{
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    Write(settings::kLog, 2);
    CDebug log;  // the process logger's own sources
    log.Write(2, QStringLiteral("CRender::RenderThread() started"));
    const QString path = log.Path();
    InstallSettingsStore(std::move(previous));

    EXPECT_TRUE(path.startsWith(testenv::Home() + QStringLiteral("/Documents/"))) << path.toStdString();
    EXPECT_TRUE(path.endsWith(QStringLiteral(".log")));
    EXPECT_TRUE(QFile::exists(path));
}

using LoggingThreads = Logging;

TEST_F(LoggingThreads, NeverInterleaveLines)
{
    auto log = Logger(3);
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i)
                log->Write(1 + i % 3, QStringLiteral("thread %1 line %2 ").arg(t).arg(i) + QString(40, QLatin1Char('.')));
        });
    }
    for (auto& thread : threads)
        thread.join();
    const QStringList messages = Messages();
    ASSERT_EQ(messages.size(), kThreads * kLines);
    static const QRegularExpression whole(QStringLiteral("^thread \\d line \\d+ \\.{40}$"));
    for (const QString& message : messages)
        EXPECT_TRUE(whole.match(message).hasMatch()) << message.toStdString();
}

}  // namespace
