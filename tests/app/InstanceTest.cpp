// The instance rules between real processes of the tavrel program.
#include "TestEnvironment.h"

#include "app/InstanceLock.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class Instances : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        // A runtime folder of this test alone: its own playout lock.
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        // Past the first start: no setup wizard holds the playout instance.
        QSettings settings;
        settings.setValue(QStringLiteral("View/FirstTimeSetup"), 0);
        settings.sync();
    }

    std::unique_ptr<QProcess> Start(const QStringList& arguments, int holdMs)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = environment_;
        environment.insert(QStringLiteral("TAVREL_HOLD_MS"), QString::number(holdMs));
        process->setProcessEnvironment(environment);
        process->start(testenv::TavrelProgram(), arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    // Starts a process and waits until it has printed its start-up line.
    std::unique_ptr<QProcess> StartRunning(const QStringList& arguments, int holdMs = 20000)
    {
        auto process = Start(arguments, holdMs);
        EXPECT_TRUE(process->waitForReadyRead(10000));
        return process;
    }

    static QString Finish(QProcess& process, int* exitCode = nullptr)
    {
        EXPECT_TRUE(process.waitForFinished(10000));
        if (exitCode)
            *exitCode = process.exitCode();
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }

    static void Stop(QProcess& process)
    {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
};

TEST_F(Instances, SecondPlayoutInstanceEndsSilently)
{
    auto first = StartRunning({});
    EXPECT_TRUE(QString::fromUtf8(first->readAllStandardOutput()).contains(QStringLiteral("playout instance")));

    QElapsedTimer timer;
    timer.start();
    auto second = Start({}, 20000);
    int exitCode = -1;
    const QString output = Finish(*second, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    EXPECT_LT(timer.elapsed(), 8000) << "the second instance must not wait for the first";

    // The first one goes on undisturbed.
    EXPECT_EQ(first->state(), QProcess::Running);
    Stop(*first);
}

TEST_F(Instances, EditOnlyInstancesRunBesideThePlayoutInstance)
{
    auto playout = StartRunning({});
    auto editor1 = StartRunning({QStringLiteral("/edit")});
    auto editor2 = StartRunning({QStringLiteral("-edit"), QStringLiteral("/tmp/some page.tavrel")});
    auto editor3 = StartRunning({QStringLiteral("/tmp/other.tavrel")});
    EXPECT_TRUE(QString::fromUtf8(editor1->readAllStandardOutput()).contains(QStringLiteral("edit-only instance")));
    EXPECT_TRUE(QString::fromUtf8(editor2->readAllStandardOutput()).contains(QStringLiteral("page /tmp/some page.tavrel")));
    EXPECT_TRUE(QString::fromUtf8(editor3->readAllStandardOutput()).contains(QStringLiteral("edit-only instance")));
    for (auto* p : {playout.get(), editor1.get(), editor2.get(), editor3.get()})
        EXPECT_EQ(p->state(), QProcess::Running);
    for (auto* p : {playout.get(), editor1.get(), editor2.get(), editor3.get()})
        Stop(*p);
}

TEST_F(Instances, PlayoutCanStartAgainAfterTheFirstEndsOrCrashes)
{
    // A normal end (the window closes after a moment) releases the lock.
    auto first = Start({}, 300);
    int exitCode = -1;
    EXPECT_TRUE(Finish(*first, &exitCode).contains(QStringLiteral("playout instance")));
    EXPECT_EQ(exitCode, 0);

    // A crashed playout instance must not block the next one.
    auto crashing = StartRunning({});
    ::kill(static_cast<pid_t>(crashing->processId()), SIGKILL);
    crashing->waitForFinished(5000);
    auto next = Start({}, 300);
    EXPECT_TRUE(Finish(*next).contains(QStringLiteral("playout instance")));
}

TEST(InstanceLock, HeldUntilReleasedAndNotTwice)
{
    QTemporaryDir folder;
    CInstanceLock a(folder.path());
    CInstanceLock b(folder.path());
    EXPECT_EQ(a.TryAcquire(), 1);
    EXPECT_EQ(b.TryAcquire(), 0);
    a.Release();
    EXPECT_EQ(b.TryAcquire(), 1);
}

TEST(InstanceLock, UnusableFolderFailsQuietly)
{
    CInstanceLock lock(QStringLiteral("/proc/no-such-folder"));
    EXPECT_EQ(lock.TryAcquire(), 0);
}

}  // namespace
