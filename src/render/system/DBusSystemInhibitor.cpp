#include "render/system/DBusSystemInhibitor.h"

#include "app/Log.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <unistd.h>

namespace {

const QString kApplication = QStringLiteral("Tavrel");

}  // namespace

CDBusSystemInhibitor::CDBusSystemInhibitor()
    : CDBusSystemInhibitor(QDBusConnection::sessionBus(), QDBusConnection::systemBus())
{
}

CDBusSystemInhibitor::CDBusSystemInhibitor(QDBusConnection sessionBus, QDBusConnection systemBus, QByteArray xDisplay)
    : session_(std::move(sessionBus)), system_(std::move(systemBus)), xDisplay_(std::move(xDisplay))
{
}

CDBusSystemInhibitor::~CDBusSystemInhibitor()
{
    Release();
}

void CDBusSystemInhibitor::Inhibit(const QString& reason)
{
    if (inhibited_)
        return;
    inhibited_ = true;

    if (session_.isConnected()) {
        QDBusInterface screenSaver(QStringLiteral("org.freedesktop.ScreenSaver"),
                                   QStringLiteral("/org/freedesktop/ScreenSaver"),
                                   QStringLiteral("org.freedesktop.ScreenSaver"), session_);
        screenSaver.setTimeout(kCallTimeoutMs);
        const QDBusReply<uint> cookie = screenSaver.call(QStringLiteral("Inhibit"), kApplication, reason);
        if (cookie.isValid() && cookie.value() != 0)
            screenSaverCookie_ = cookie.value();
        else
            WriteLog(kLogLifecycle, "CDBusSystemInhibitor::Inhibit(): screen saver service: %s",
                     qUtf8Printable(cookie.error().message()));
    }
    if (screenSaverCookie_ == 0)
        SuspendXScreenSaver();

    if (system_.isConnected()) {
        QDBusInterface login(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"), system_);
        login.setTimeout(kCallTimeoutMs);
        const QDBusReply<QDBusUnixFileDescriptor> lock =
            login.call(QStringLiteral("Inhibit"), QStringLiteral("sleep:idle"), kApplication, reason,
                       QStringLiteral("block"));
        if (lock.isValid() && lock.value().isValid())
            sleepFd_ = ::dup(lock.value().fileDescriptor());  // the reply's descriptor closes with it
        else
            WriteLog(kLogLifecycle, "CDBusSystemInhibitor::Inhibit(): login manager: %s",
                     qUtf8Printable(lock.error().message()));
    }
    WriteLog(kLogLifecycle, "CDBusSystemInhibitor::Inhibit(): screen saver cookie %u, X screen saver %s, sleep lock %d",
             screenSaverCookie_, xConnection_ ? "suspended" : "untouched", sleepFd_);
}

void CDBusSystemInhibitor::Release()
{
    if (!inhibited_)
        return;
    inhibited_ = false;
    if (screenSaverCookie_ != 0) {
        QDBusInterface screenSaver(QStringLiteral("org.freedesktop.ScreenSaver"),
                                   QStringLiteral("/org/freedesktop/ScreenSaver"),
                                   QStringLiteral("org.freedesktop.ScreenSaver"), session_);
        screenSaver.setTimeout(kCallTimeoutMs);
        screenSaver.call(QStringLiteral("UnInhibit"), screenSaverCookie_);
        screenSaverCookie_ = 0;
    }
    ResumeXScreenSaver();
    if (sleepFd_ >= 0) {
        ::close(sleepFd_);  // closing the descriptor ends the lock
        sleepFd_ = -1;
    }
    WriteLog(kLogLifecycle, "CDBusSystemInhibitor::Release()");
}

bool CDBusSystemInhibitor::SuspendXScreenSaver()
{
    Display* display = XOpenDisplay(xDisplay_.isEmpty() ? nullptr : xDisplay_.constData());
    if (!display)
        return false;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XScreenSaverQueryExtension(display, &eventBase, &errorBase) ||
        !XScreenSaverQueryVersion(display, &major, &minor) || (major == 1 && minor < 1) || major < 1) {
        XCloseDisplay(display);
        return false;
    }
    // The suspension lasts as long as this connection: keep it open.
    XScreenSaverSuspend(display, True);
    XFlush(display);
    xConnection_ = display;
    return true;
}

void CDBusSystemInhibitor::ResumeXScreenSaver()
{
    if (!xConnection_)
        return;
    XScreenSaverSuspend(xConnection_, False);
    XCloseDisplay(xConnection_);
    xConnection_ = nullptr;
}
