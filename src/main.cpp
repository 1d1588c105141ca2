// The tavrel program. The windows are not built yet: the program runs the
// start-up that decides the instance kind and holds the single playout
// instance's lock, reports what it is, and ends.

#include "app/Log.h"
#include "app/MainApp.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    CMainApp mainApp;
    if (!mainApp.InitInstance(arguments))
        return 0;  // a playout instance already runs: end silently

    std::printf("Tavrel %s: %s instance%s%s\n", TAVREL_VERSION, mainApp.EditMode() ? "edit-only" : "playout",
                mainApp.PageToOpen().isEmpty() ? "" : ", page ", mainApp.PageToOpen().toUtf8().constData());
    std::printf("The editor and the output are not built yet; this start-up only takes the\n"
                "instance rules. See README.md for what the engine can do today.\n");
    std::fflush(stdout);

    // Developers and tests keep the process alive for a while to watch the
    // instance rules between real processes.
    const int holdMs = qEnvironmentVariableIntValue("TAVREL_HOLD_MS");
    int status = 0;
    if (holdMs > 0) {
        QTimer::singleShot(holdMs, &app, &QCoreApplication::quit);
        status = app.exec();
    }
    mainApp.ExitInstance();
    WriteLog(kLogLifecycle, "CMainApp::ExitInstance()");
    return status;
}
