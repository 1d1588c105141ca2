// The tavrel program. The editor window is not built yet: the program runs
// the start-up that decides the instance kind and holds the single playout
// instance's lock and reports what it is. Given a page while a display is
// there, it shows the page playing in a preview window of the renderer
// until the window is closed.

#include "app/Log.h"
#include "app/MainApp.h"
#include "content/PagePlayback.h"
#include "document/MainDoc.h"
#include "document/RenderOutputEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <memory>

namespace {

// How often the preview checks the renderer and replays an ended page.
constexpr int kPreviewTickMs = 100;

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// A page file named on the command line that exists: the preview shows it.
bool NamesExistingPage(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument != QLatin1String("-edit") && argument != QLatin1String("/edit") && QFileInfo(argument).isFile())
            return true;
    }
    return false;
}

// What the document shows goes to the terminal while there are no windows
// of the editor to show it in.
class CPreviewHost final : public IDocumentHost
{
public:
    explicit CPreviewHost(QWindow& window) : window_(window) {}

    void ShowMessage(const CUserMessage& message) override
    {
        std::fprintf(stderr, "%s\n", message.text.toUtf8().constData());
        std::fflush(stderr);
    }
    void ShowPreviewPane() override { window_.show(); }
    void HidePreviewPane() override { window_.hide(); }
    // The window keeps the size the user gives it; the renderer scales
    // the canvas into it.
    void SizePreviewWindow(int, int) override {}

private:
    QWindow& window_;
};

bool AnyObjectPlaying(CFrameSet& page)
{
    FrameList objects;
    page.TakeSnapshot(objects);
    bool playing = false;
    for (const CFrame* object : objects)
        playing = playing || object->playing.load() != 0;
    page.ReleaseSnapshot();
    return playing;
}

// The page in a preview window, every object played, again whenever all
// have ended. Returns the exit status.
int RunPreview(QGuiApplication& app, const QString& path, int holdMs)
{
    QWindow window;
    window.setTitle(QStringLiteral("Tavrel - %1").arg(QFileInfo(path).fileName()));
    window.resize(960, 540);
    CPreviewHost host(window);
    MainDocServices services;
    services.host = &host;
    services.outputFactory = RenderOutputEngineFactory();
    // Made after the window and so destroyed before it: the output is off
    // before its window goes.
    auto doc = std::make_unique<CMainDoc>(true, services);
    doc->SetPreviewWindow(&window);
    if (!doc->OnOpenDocument(path))
        return 1;
    doc->OutputStart(1);
    if (!doc->OutputOn())
        return 1;
    CPagePlayback(doc->page).PlayAllObjects();
    std::printf("Showing %s in a preview window; close the window to end.\n", path.toUtf8().constData());
    std::fflush(stdout);

    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&]() {
        doc->RefreshOverlay(0);  // a failed renderer is reported and switched off here
        if (!doc->OutputOn()) {
            app.exit(1);
            return;
        }
        if (!AnyObjectPlaying(doc->page))
            CPagePlayback(doc->page).PlayAllObjects();
    });
    tick.start(kPreviewTickMs);
    if (holdMs > 0)
        QTimer::singleShot(holdMs, &app, &QCoreApplication::quit);
    const int status = app.exec();
    doc.reset();
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool preview = HasDisplay() && NamesExistingPage(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (preview)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QStringList arguments = app->arguments();
    arguments.removeFirst();

    CMainApp mainApp;
    if (!mainApp.InitInstance(arguments))
        return 0;  // a playout instance already runs: end silently

    std::printf("Tavrel %s: %s instance%s%s\n", TAVREL_VERSION, mainApp.EditMode() ? "edit-only" : "playout",
                mainApp.PageToOpen().isEmpty() ? "" : ", page ", mainApp.PageToOpen().toUtf8().constData());
    std::fflush(stdout);

    // Developers and tests keep the process alive for a while to watch the
    // instance rules between real processes, or end the preview after it.
    const int holdMs = qEnvironmentVariableIntValue("TAVREL_HOLD_MS");
    int status = 0;
    if (preview && !mainApp.PageToOpen().isEmpty()) {
        status = RunPreview(static_cast<QGuiApplication&>(*app), mainApp.PageToOpen(), holdMs);
    } else {
        std::printf("The editor is not built yet; this start-up only takes the instance rules.\n"
                    "Given a page while a display is there, it shows the page in a preview\n"
                    "window. See README.md for what the engine can do today.\n");
        std::fflush(stdout);
        if (holdMs > 0) {
            QTimer::singleShot(holdMs, app.get(), &QCoreApplication::quit);
            status = app->exec();
        }
    }
    mainApp.ExitInstance();
    WriteLog(kLogLifecycle, "CMainApp::ExitInstance()");
    return status;
}
