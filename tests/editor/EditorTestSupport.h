#pragma once

#include "document/DocumentTestSupport.h"

#include "app/SettingsRegister.h"
#include "editor/EditorApp.h"
#include "editor/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
        options.displayDevices = displayDevices;
        options.services.globalHotkeys = &hotkeys;
        options.services.clock = clock;
        options.services.outputFactory = [this](const OutputEngineParams& params) -> std::unique_ptr<IOutputEngine> {
            if (outputFactory)
                return outputFactory(params);
            auto engine = std::make_unique<doctest::FakeOutputEngine>(params, nextStartError, false);
            lastEngine = engine.get();
            return engine;
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
    // The output double last made (it may be gone since) and the start
    // result of the next one.
    doctest::FakeOutputEngine* lastEngine = nullptr;
    // Set: the real output engines this makes instead of the double.
    OutputEngineFactory outputFactory;
    int nextStartError = kRenderRunning;
    // The display outputs the preferences list (none unless a test sets them).
    std::function<std::vector<DisplayDeviceInfo>()> displayDevices;
    doctest::FakeGlobalHotkeys hotkeys;
    // Set: the document's clock (the automation's time triggers) instead of the system's.
    IScriptClock* clock = nullptr;
    bool started = false;

private:
    QTemporaryDir pages_;
};

// Compares a picture with a golden one in the fixtures folder, checked once
// by eye; TAVREL_UPDATE_GOLDEN=1 writes it anew after an intended change.
inline void ExpectGolden(const QImage& image, const QString& relativePath, int tolerance = 2)
{
    const QString path = QStringLiteral(TAVREL_FIXTURES_DIR "/") + relativePath;
    const QImage shown = image.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariableIntValue("TAVREL_UPDATE_GOLDEN") == 1) {
        ASSERT_TRUE(shown.save(path));
        return;
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(golden.isNull()) << path.toStdString();
    ASSERT_EQ(golden.size(), shown.size()) << relativePath.toStdString();
    int worst = 0;
    for (int y = 0; y < golden.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(golden.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < golden.width(); ++x) {
            worst = std::max({worst, std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                              std::abs(qBlue(a[x]) - qBlue(b[x]))});
        }
    }
    EXPECT_LE(worst, tolerance) << relativePath.toStdString();
}

// One display output, "HDMI-1" of "Test adapter" with the monitor
// "Encoder", that can show 1920 x 1080.
inline std::vector<DisplayDeviceInfo> OneFullHdOutput()
{
    DisplayDeviceInfo hdmi;
    hdmi.deviceName = QStringLiteral("HDMI-1");
    hdmi.deviceString = QStringLiteral("Test adapter");
    hdmi.monitors.push_back({hdmi.deviceName, QStringLiteral("Encoder"), 0});
    hdmi.modes.push_back({1920, 1080, 32, 50, false});
    return {hdmi};
}

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
