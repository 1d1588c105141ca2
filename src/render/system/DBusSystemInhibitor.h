#pragma once

#include "render/system/SystemInhibitor.h"

#include <QByteArray>
#include <QDBusConnection>

// The freedesktop inhibitors: org.freedesktop.ScreenSaver on the session bus
// (screen saver and blanking) and org.freedesktop.login1 on the system bus
// ("sleep:idle", held by a file descriptor). Where the session has no screen
// saver service, the X server's own screen saver is suspended instead.
// Every bus call waits at most one second, so a hung service never stalls
// the user interface.
class CDBusSystemInhibitor final : public ISystemInhibitor
{
public:
    static constexpr int kCallTimeoutMs = 1000;

    // The buses of the desktop session and the machine.
    CDBusSystemInhibitor();
    // Other buses (tests); xDisplay: the X display for the fallback, empty = $DISPLAY.
    CDBusSystemInhibitor(QDBusConnection sessionBus, QDBusConnection systemBus, QByteArray xDisplay = {});
    ~CDBusSystemInhibitor() override;

    void Inhibit(const QString& reason) override;
    void Release() override;
    bool Inhibited() const override { return inhibited_; }

    // What is held (tests and log lines).
    bool HoldsScreenSaverCookie() const { return screenSaverCookie_ != 0; }
    bool HoldsSleepLock() const { return sleepFd_ >= 0; }
    bool SuspendedXScreenSaver() const { return xConnection_ != nullptr; }

private:
    bool SuspendXScreenSaver();
    void ResumeXScreenSaver();

    QDBusConnection session_;
    QDBusConnection system_;
    QByteArray xDisplay_;
    bool inhibited_ = false;
    unsigned screenSaverCookie_ = 0;
    int sleepFd_ = -1;
    struct _XDisplay* xConnection_ = nullptr;  // holds the X screen saver suspended
};
