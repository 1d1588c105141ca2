// The tavrel program: decides the instance kind (the single playout
// instance, or an edit-only one for a page named on the command line or
// "/edit"), then runs the editor's main window on the document.

#include "app/Log.h"
#include "app/MainApp.h"
#include "app/SettingsRegister.h"
#include "app/Translate.h"
#include "editor/CommandIcons.h"
#include "editor/EditorApp.h"
#include "editor/QtTranslations.h"

#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QWidget>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

// For the start-up benchmark: prints the wall clock of the main window's
// first paint, which the benchmark compares with the moment it started us.
class CFirstPaintReport final : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window()->objectName() == QLatin1String("mainWindow")) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::printf("first paint at %lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
            std::fflush(stdout);
            QCoreApplication::instance()->removeEventFilter(this);
        }
        return false;
    }
};

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "tavrel needs a graphical desktop (no DISPLAY is set).\n"
                     "Without one, tavrel-tool renders pages off-line; ./run does so for the demo page.\n");
        return 1;
    }
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();

    CMainApp mainApp;
    if (!mainApp.InitInstance(arguments))
        return 0;  // a playout instance already runs: end silently
    QApplication::setWindowIcon(ProgramIcon(QStringLiteral("tavrel")));

    // The language packs, before any window shows a text: the stored choice,
    // or the pack of the desktop's language on the first start.
    CTranslate& packs = Translations();
    packs.Load(CTranslate::PacksFilePath(QCoreApplication::applicationDirPath()));
    packs.Select(Read(settings::kLanguageId), CTranslate::LanguageIdOfLocale(QLocale::system()));
    SetTextTranslation(&packs);
    InstallQtTranslations(packs.CurrentLanguageId());

    std::printf("Tavrel %s: %s instance%s%s\n", TAVREL_VERSION, mainApp.EditMode() ? "edit-only" : "playout",
                mainApp.PageToOpen().isEmpty() ? "" : ", page ", mainApp.PageToOpen().toUtf8().constData());
    std::fflush(stdout);

    // Developers and tests end the program after a while to watch the
    // instance rules between real processes or to take screenshots.
    // A message box still open then (a page that could not be read) is
    // closed as the operator would.
    const int holdMs = qEnvironmentVariableIntValue("TAVREL_HOLD_MS");
    if (holdMs > 0) {
        QTimer::singleShot(holdMs, &app, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                // A dialog that ignores closing (the setup wizard) is cancelled.
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else
                    modal->close();
            }
            QCoreApplication::exit(0);
        });
    }

    CFirstPaintReport firstPaint;
    if (qEnvironmentVariableIsSet("TAVREL_REPORT_FIRST_PAINT"))
        app.installEventFilter(&firstPaint);

    int status = 0;
    {
        CEditorApp::Options options;
        options.editMode = mainApp.EditMode() != 0;
        options.pageToOpen = mainApp.PageToOpen();
        CEditorApp editor(options);
        status = editor.Start() ? QApplication::exec() : 1;
    }
    mainApp.ExitInstance();
    WriteLog(kLogLifecycle, "CMainApp::ExitInstance()");
    return status;
}
