// The first-run wizard with real clicks: Next plays the colour bars on the
// chosen output, the range box switches the playing output, Finish stores
// the choices and switches the output on; Cancel on the first start says
// how to run it later. Enter, Escape and closing do nothing.
#include "EditorTestSupport.h"

#include "document/RenderOutputEngine.h"
#include "render/core/Render.h"
#include "render/display/MemoryDisplayBackend.h"
#include "setup/FirstSetupWizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

using edittest::ControlOf;
using edittest::EditorFixture;

class Wizard : public ::testing::Test, public EditorFixture
{
protected:
    Wizard()
    {
        displayDevices = edittest::OneFullHdOutput;
    }
    static void Click(QWizard* wizard, QWizard::WizardButton button)
    {
        QTest::mouseClick(wizard->button(button), Qt::LeftButton);
    }
};

TEST_F(Wizard, NextPlaysTheBarsTheRangeSwitchesAndFinishStores)
{
    Start();
    Write(settings::kFirstTimeSetup, 1);
    bool ran = false;
    EditorFixture::WhenModalOpens([this, &ran](QWidget* modal) {
        auto* wizard = qobject_cast<CFirstSetupWizard*>(modal);
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Initial setup wizard"));
        // Enter, Escape and closing leave it open.
        QTest::keyClick(wizard, Qt::Key_Escape);
        QTest::keyClick(wizard, Qt::Key_Return);
        wizard->close();
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(wizard->currentId(), 0);

        QWidget* ready = wizard->currentPage();
        auto* mode = ControlOf<QComboBox>(ready, 1060);
        mode->setCurrentIndex(mode->findText(QStringLiteral("720p50")));
        auto* adapter = ControlOf<QComboBox>(ready, 1063);
        ASSERT_EQ(adapter->count(), 2);
        adapter->setCurrentIndex(1);
        Click(wizard, QWizard::NextButton);
        ASSERT_EQ(wizard->currentId(), 1);
        EXPECT_EQ(wizard->currentPage()->findChild<QLabel*>(QStringLiteral("playingOn"))->text(),
                  QStringLiteral("Playing 720p50 on the output HDMI-1."));
        ASSERT_NE(lastEngine, nullptr);
        EXPECT_EQ(lastEngine->Params().canvasWidth, 1280);
        EXPECT_EQ(lastEngine->Params().displayAdapterName, QStringLiteral("HDMI-1"));
        EXPECT_EQ(lastEngine->Params().page->LiveCount(), 40);
        EXPECT_FALSE(Doc().OutputOn());  // the document's own output stays off

        auto* range = ControlOf<QCheckBox>(wizard->currentPage(), 1048);
        ASSERT_TRUE(range->isChecked());
        QTest::mouseClick(range, Qt::LeftButton, {}, QPoint(4, range->height() / 2));
        EXPECT_EQ(lastEngine->Params().fullRange, 0);
        ran = true;
        Click(wizard, QWizard::FinishButton);
    });
    Frame().Registry().Trigger(32849);
    ASSERT_TRUE(ran);
    EXPECT_EQ(Doc().Preferences().mode, 5);
    EXPECT_EQ(Doc().Preferences().displayAdapter, QStringLiteral("HDMI-1"));
    EXPECT_EQ(Doc().Preferences().fullHdmiRange, 0);
    EXPECT_TRUE(Doc().OutputOn());
    EXPECT_EQ(Read(settings::kFirstTimeSetup), 0);
}

TEST_F(Wizard, AFailedOutputStaysOnTheFirstPageAndCancelOnTheFirstStartSaysSo)
{
    Start();
    Write(settings::kFirstTimeSetup, 1);
    nextStartError = kRenderDisplayFailed;
    QString error;
    QString cancelled;
    EditorFixture::WhenModalOpens([&](QWidget* modal) {
        auto* wizard = qobject_cast<CFirstSetupWizard*>(modal);
        ASSERT_NE(wizard, nullptr);
        EditorFixture::WhenModalOpens([&](QWidget* box) {
            error = qobject_cast<QMessageBox*>(box)->text();
            qobject_cast<QMessageBox*>(box)->accept();
            EXPECT_EQ(wizard->currentId(), 0);
            // Cancel; then the first start's message.
            EditorFixture::WhenModalOpens([&](QWidget* message) {
                cancelled = qobject_cast<QMessageBox*>(message)->text();
                qobject_cast<QMessageBox*>(message)->accept();
            });
            Click(wizard, QWizard::CancelButton);
        });
        Click(wizard, QWizard::NextButton);
    });
    Frame().Registry().Trigger(32849);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Error: Failed to configure HDMI output!")));
    EXPECT_TRUE(cancelled.startsWith(QStringLiteral("You have canceled Initial setup wizard.")));
    EXPECT_EQ(Read(settings::kFirstTimeSetup), 0);
    EXPECT_FALSE(Doc().OutputOn());
}

// A small desk monitor and an HDMI output beside it that fit on the test's
// X screen, so that the output window can be read back from the screen.
CMemoryDisplayBackend SmallDeskAndHdmi()
{
    CMemoryDisplayBackend backend;
    CMemoryDisplayBackend::Device desk;
    desk.info.deviceName = QStringLiteral("DP-1");
    desk.info.deviceString = QStringLiteral("Test adapter");
    desk.info.stateFlags = kDeviceAttachedToDesktop | kDevicePrimary;
    desk.info.modes = {{320, 200, 32, 60, false}};
    desk.active = true;
    desk.current = {kFieldPosition | kFieldWidth | kFieldHeight, 0, 0, 320, 200, 32, 60, false};
    backend.AddDevice(desk);
    backend.desktop = {1920, 1200, 508, 318};
    CMemoryDisplayBackend::Device hdmi;
    hdmi.info.deviceName = QStringLiteral("HDMI-1");
    hdmi.info.deviceString = QStringLiteral("Test adapter");
    hdmi.info.monitors = {{QStringLiteral("HDMI-1-0"), QStringLiteral("Video converter"), 0x1}};
    hdmi.info.modes = {{1920, 1080, 32, 50, false}, {1280, 720, 32, 50, false}};
    backend.AddDevice(hdmi);
    return backend;
}

// The red, green and blue of a point of the output window; 0 without one.
QRgb ScreenPixel(QPoint at)
{
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->title() != QLatin1String("HDMI") || !window->isVisible())
            continue;
        const QImage shot =
            QGuiApplication::primaryScreen()->grabWindow(window->winId(), at.x(), at.y(), 1, 1).toImage();
        return shot.isNull() ? 0 : shot.pixel(0, 0) & 0xFFFFFF;
    }
    return 0;
}

TEST_F(Wizard, TheBarsPlayOnTheRealOutputTheRangeBoxChangesThemAndBackStopsThem)
{
    CMemoryDisplayBackend displays = SmallDeskAndHdmi();
    doctest::CNoInhibitor inhibitor;
    outputFactory = RenderOutputEngineFactory(doctest::CpuRenderEnvironment(displays, inhibitor));
    displayDevices = [&displays] { return displays.EnumerateDevices(); };
    Start();
    // The white bar of 720p50 lies at (32, 32)-(180, 344) of the output,
    // the red one at (772, 32)-(920, 344).
    const QPoint white(100, 180);
    const QPoint red(32 + 5 * 148 + 70, 180);
    bool checked = false;
    EditorFixture::WhenModalOpens([&](QWidget* modal) {
        auto* wizard = qobject_cast<CFirstSetupWizard*>(modal);
        ASSERT_NE(wizard, nullptr);
        auto* mode = ControlOf<QComboBox>(wizard->currentPage(), 1060);
        mode->setCurrentIndex(mode->findText(QStringLiteral("720p50")));
        ControlOf<QComboBox>(wizard->currentPage(), 1063)->setCurrentIndex(1);
        Click(wizard, QWizard::NextButton);
        ASSERT_EQ(wizard->currentId(), 1);
        // The output carries the bars (in the converter's YCbCr coding, so
        // they are compared with each other, not with RGB values): the white
        // and the red bar differ and neither is the empty output's black.
        QRgb whiteFull = 0;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            whiteFull = ScreenPixel(white);
            return whiteFull != 0 && ScreenPixel(red) != 0 && ScreenPixel(red) != whiteFull;
        }, 5000)) << std::hex << whiteFull << " " << ScreenPixel(red);
        // The range box changes the running output at once.
        auto* range = ControlOf<QCheckBox>(wizard->currentPage(), 1048);
        QTest::mouseClick(range, Qt::LeftButton, {}, QPoint(4, range->height() / 2));
        EXPECT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(white) != whiteFull && ScreenPixel(white) != 0; }, 5000))
            << std::hex << ScreenPixel(white);
        // Back takes the test output off again.
        Click(wizard, QWizard::BackButton);
        EXPECT_EQ(wizard->currentId(), 0);
        EXPECT_EQ(ScreenPixel(white), 0u);  // no output window any more
        checked = true;
        Click(wizard, QWizard::CancelButton);
    });
    Frame().Registry().Trigger(32849);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(Doc().OutputOn());
}

}  // namespace
