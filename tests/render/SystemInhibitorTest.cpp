// The inhibitors against a private message bus with stand-in services, and
// the X fallback against the test's X server.
#include "render/system/DBusSystemInhibitor.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include "OpenTestDisplay.h"
#include "Requirements.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>

namespace {

struct Calls
{
    std::mutex lock;
    QStringList log;
    void Add(const QString& line)
    {
        std::lock_guard guard(lock);
        log.append(line);
    }
    QStringList Take()
    {
        std::lock_guard guard(lock);
        return log;
    }
};

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit FakeScreenSaver(Calls* calls) : calls_(calls) {}
public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason)
    {
        calls_->Add(QStringLiteral("Inhibit %1: %2").arg(application, reason));
        return 42;
    }
    void UnInhibit(uint cookie) { calls_->Add(QStringLiteral("UnInhibit %1").arg(cookie)); }

private:
    Calls* calls_;
};

class FakeLoginManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    FakeLoginManager(Calls* calls, int* writeEnd) : calls_(calls), writeEnd_(writeEnd) {}
public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString&, const QString& mode)
    {
        calls_->Add(QStringLiteral("sleep %1 %2 %3").arg(what, who, mode));
        int fds[2];
        if (::pipe(fds) != 0)
            return {};
        *writeEnd_ = fds[1];
        QDBusUnixFileDescriptor readEnd(fds[0]);  // a copy travels with the reply
        ::close(fds[0]);
        return readEnd;
    }

private:
    Calls* calls_;
    int* writeEnd_;
};

// The services live on their own thread with their own connection, as they
// would in their own processes.
class ServiceThread : public QThread
{
public:
    ServiceThread(QString address, bool withServices) : address_(std::move(address)), withServices_(withServices) {}
    Calls calls;
    int writeEnd = -1;
    std::atomic<bool> ready{false};

protected:
    void run() override
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address_, QStringLiteral("services"));
        FakeScreenSaver screenSaver(&calls);
        FakeLoginManager login(&calls, &writeEnd);
        if (withServices_) {
            bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver, QDBusConnection::ExportAllSlots);
            bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &login, QDBusConnection::ExportAllSlots);
            bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
            bus.registerService(QStringLiteral("org.freedesktop.login1"));
        }
        ready = true;
        exec();
        QDBusConnection::disconnectFromBus(QStringLiteral("services"));
    }

private:
    QString address_;
    bool withServices_;
};

class Inhibitors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon is part of the test dependencies";
        ASSERT_TRUE(daemon_.waitForReadyRead(5000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }

    std::unique_ptr<ServiceThread> StartServices(bool withServices)
    {
        auto services = std::make_unique<ServiceThread>(address_, withServices);
        services->start();
        while (!services->ready)
            QThread::msleep(5);
        QThread::msleep(50);  // names registered on the bus
        return services;
    }
    QDBusConnection Client() { return QDBusConnection::connectToBus(address_, QStringLiteral("client")); }

    QProcess daemon_;
    QString address_;
};

bool ReadersGone(int writeEnd)
{
    for (int i = 0; i < 200; ++i) {
        pollfd p{writeEnd, POLLOUT, 0};
        if (::poll(&p, 1, 10) > 0 && (p.revents & POLLERR))
            return true;
    }
    return false;
}

TEST_F(Inhibitors, HoldsAndReleasesTheScreenSaverAndSleepLocks)
{
    auto services = StartServices(true);
    {
        CDBusSystemInhibitor inhibitor(Client(), Client(), QByteArray(":no-such-display"));
        inhibitor.Inhibit(QStringLiteral("Output is on"));
        inhibitor.Inhibit(QStringLiteral("again"));  // no second lock
        EXPECT_TRUE(inhibitor.HoldsScreenSaverCookie());
        EXPECT_TRUE(inhibitor.HoldsSleepLock());
        EXPECT_FALSE(inhibitor.SuspendedXScreenSaver());
        ASSERT_GE(services->writeEnd, 0);
        EXPECT_FALSE(ReadersGone(services->writeEnd)) << "the sleep lock is held";
        inhibitor.Release();
        EXPECT_TRUE(ReadersGone(services->writeEnd)) << "closing the descriptor ends the sleep lock";
        EXPECT_FALSE(inhibitor.Inhibited());
    }
    services->quit();
    services->wait();
    EXPECT_EQ(services->calls.Take(), (QStringList{"Inhibit Tavrel: Output is on", "sleep sleep:idle Tavrel block",
                                                   "UnInhibit 42"}));
    ::close(services->writeEnd);
}

TEST_F(Inhibitors, MissingServicesAreNoFailure)
{
    auto services = StartServices(false);
    CDBusSystemInhibitor inhibitor(Client(), Client(), QByteArray(":no-such-display"));
    inhibitor.Inhibit(QStringLiteral("Output is on"));
    EXPECT_TRUE(inhibitor.Inhibited());
    EXPECT_FALSE(inhibitor.HoldsScreenSaverCookie());
    EXPECT_FALSE(inhibitor.HoldsSleepLock());
    inhibitor.Release();
    services->quit();
    services->wait();
}

TEST_F(Inhibitors, SuspendsTheXScreenSaverWithoutAService)
{
    if (!testenv::HasXDisplay())
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    auto services = StartServices(false);
    // Lets the X server's screen saver time out after one idle second and
    // reports whether it blanked within the given time. The tests that use
    // the X server's state take turns (a CTest resource lock), so nothing
    // resets the idle time meanwhile; a busy machine may still be slow to
    // notice the idle second.
    auto blanksWithin = [](std::chrono::milliseconds wait) {
        Display* display = OpenTestDisplay();
        if (!display) {
            ADD_FAILURE() << "no connection to the X server";
            return false;
        }
        int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
        XGetScreenSaver(display, &timeout, &interval, &preferBlanking, &allowExposures);
        XSetScreenSaver(display, 1, 0, preferBlanking, allowExposures);
        XForceScreenSaver(display, ScreenSaverReset);
        XSync(display, False);
        const auto deadline = std::chrono::steady_clock::now() + wait;
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        bool on = false;
        do {
            QThread::msleep(100);
            XScreenSaverQueryInfo(display, DefaultRootWindow(display), info);
            on = info->state == ScreenSaverOn;
        } while (!on && std::chrono::steady_clock::now() < deadline);
        XFree(info);
        XForceScreenSaver(display, ScreenSaverReset);
        XSetScreenSaver(display, timeout, interval, preferBlanking, allowExposures);
        XSync(display, False);
        XCloseDisplay(display);
        return on;
    };
    using std::chrono::milliseconds;
    ASSERT_TRUE(blanksWithin(milliseconds(5000))) << "the X server blanks when idle";
    {
        CDBusSystemInhibitor inhibitor(Client(), Client());
        inhibitor.Inhibit(QStringLiteral("Output is on"));
        EXPECT_TRUE(inhibitor.SuspendedXScreenSaver());
        EXPECT_FALSE(blanksWithin(milliseconds(2500))) << "suspended";
    }
    EXPECT_TRUE(blanksWithin(milliseconds(5000))) << "the X screen saver is given back";
    services->quit();
    services->wait();
}

}  // namespace

#include "SystemInhibitorTest.moc"
