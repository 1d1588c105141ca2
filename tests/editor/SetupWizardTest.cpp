// The first-run wizard with real clicks: Next plays the colour bars on the
// chosen output, the range box switches the playing output, Finish stores
// the choices and switches the output on; Cancel on the first start says
// how to run it later. Enter, Escape and closing do nothing.
#include "EditorTestSupport.h"

#include "setup/FirstSetupWizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

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

}  // namespace
