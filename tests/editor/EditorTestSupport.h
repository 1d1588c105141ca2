#pragma once

#include "document/DocumentTestSupport.h"

#include "app/SettingsRegister.h"
#include "editor/EditorApp.h"
#include "editor/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace edittest {

// The editor program as it starts, on the real settings of the test run
// (a temporary config folder), with the output engine's double, manual
// interface ticks and no global hotkeys.
class EditorFixture
{
public:
    EditorFixture()
    {
        QSettings().clear();
        Write(settings::kFirstTimeSetup, 0);
        Write(settings::kRootFolder, pages_.path() + QLatin1Char('/'));
    }
    ~EditorFixture() { app.reset(); }

    CEditorApp& Start(bool editMode = false, const QString& page = {})
    {
        app.reset();
        CEditorApp::Options options;
        options.editMode = editMode;
        options.pageToOpen = page;
        options.realServices = false;
        options.timer = &timer;
        options.services.globalHotkeys = &hotkeys;
        options.services.outputFactory = [this](const OutputEngineParams& params) -> std::unique_ptr<IOutputEngine> {
            return std::make_unique<doctest::FakeOutputEngine>(params, kRenderRunning, false);
        };
        app = std::make_unique<CEditorApp>(options);
        started = app->Start();
        if (started) {
            QApplication::setActiveWindow(&app->Frame());
            (void)QTest::qWaitForWindowExposed(&app->Frame());
        }
        return *app;
    }

    CMainFrame& Frame() { return app->Frame(); }
    CMainDoc& Doc() { return app->Doc(); }
    QString PagesFolder() const { return pages_.path(); }

    // A key as the operator presses it in the main window.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&Frame(), static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }

    // Runs answer on the modal dialog or message box that the next step opens.
    static void WhenModalOpens(std::function<void(QWidget*)> answer)
    {
        auto* poll = new QTimer;
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, [poll, answer] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll->stop();
                poll->deleteLater();
                answer(modal);
            }
        });
        poll->start();
    }

    std::unique_ptr<CEditorApp> app;
    CManualInterfaceTimer timer;
    doctest::FakeGlobalHotkeys hotkeys;
    bool started = false;

private:
    QTemporaryDir pages_;
};

// A control of a dialog by the id language packs know it by.
template <typename Control>
Control* ControlOf(QWidget* dialog, int id)
{
    for (Control* control : dialog->findChildren<Control*>()) {
        if (control->property("tavrelId").toInt() == id)
            return control;
    }
    return nullptr;
}

// The action of a menu path such as "Playback|HDMI output" (access keys
// left out), or null.
inline QAction* MenuAction(QMenuBar* bar, const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('|'));
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const QString& part : parts) {
        found = nullptr;
        for (QAction* action : actions) {
            if (action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0) == part) {
                found = action;
                break;
            }
        }
        if (found == nullptr)
            return nullptr;
        if (found->menu() != nullptr) {
            emit found->menu()->aboutToShow();
            actions = found->menu()->actions();
        }
    }
    return found;
}

}  // namespace edittest
