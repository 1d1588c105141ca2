// The preferences dialog with real keys and clicks: what OK stores and
// changes on the canvas, the locked mode while something is on the page,
// and the editor instance's smaller dialog.
#include "EditorTestSupport.h"

#include "editor/DlgPreferences.h"
#include "editor/MainView.h"
#include "editor/SafeEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

using edittest::ControlOf;
using edittest::EditorFixture;

class Preferences : public ::testing::Test, public EditorFixture
{
protected:
    Preferences()
    {
        displayDevices = edittest::OneFullHdOutput;
    }
    void OpenPreferences(std::function<void(QWidget*)> answer)
    {
        EditorFixture::WhenModalOpens(std::move(answer));
        Frame().Registry().Trigger(32841);
    }
    static void Retype(CSafeEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    static void Ok(QWidget* dialog)
    {
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }
};

TEST_F(Preferences, OkStoresTheModeTheOutputAndTheCanvasSettings)
{
    Start();
    Frame().RefreshCommandStates();
    ASSERT_TRUE(Frame().Registry().Action(32841)->isEnabled());
    OpenPreferences([](QWidget* dialog) {
        ASSERT_NE(qobject_cast<CDlgPreferences*>(dialog), nullptr);
        EXPECT_EQ(ControlOf<QLabel>(dialog, 1061), nullptr);  // no warning on an empty page
        auto* mode = ControlOf<QComboBox>(dialog, 1060);
        ASSERT_TRUE(mode->isEnabled());
        mode->setCurrentIndex(mode->findText(QStringLiteral("720p50")));
        auto* adapter = ControlOf<QComboBox>(dialog, 1063);
        ASSERT_NE(adapter, nullptr);
        ASSERT_EQ(adapter->count(), 2);
        EXPECT_EQ(adapter->itemText(1), QStringLiteral("1. Test adapter - Encoder"));
        adapter->setCurrentIndex(1);
        // The grid size shows with snapping only.
        auto* grid = ControlOf<CSafeEdit>(dialog, 1035);
        EXPECT_FALSE(grid->isVisible());
        QTest::mouseClick(ControlOf<QCheckBox>(dialog, 1037), Qt::LeftButton, {}, QPoint(4, 8));
        EXPECT_TRUE(grid->isVisible());
        Retype(grid, QStringLiteral("1x"));  // digits only; 1 stores 2
        EXPECT_EQ(grid->text(), QStringLiteral("1"));
        Retype(ControlOf<CSafeEdit>(dialog, 1042), QStringLiteral("55"));
        QTest::mouseClick(ControlOf<QRadioButton>(dialog, 1041), Qt::LeftButton, {}, QPoint(4, 8));
        EXPECT_TRUE(ControlOf<QPushButton>(dialog, 1022)->isVisible());
        Ok(dialog);
    });
    EXPECT_EQ(Read(settings::kMode), 5);
    EXPECT_EQ(Doc().Preferences().displayAdapter, QStringLiteral("HDMI-1"));
    EXPECT_EQ(QSettings().value(QStringLiteral("ViewEdit/GridStep")).toInt(), 2);
    EXPECT_EQ(Read(settings::kMarginH), 40);
    EXPECT_EQ(Read(settings::kBackground), 1);
    // The canvas took the new mode's page and its grid at once.
    EXPECT_EQ(Frame().Panes().view->ComposedPicture().width(), 1280);
    EXPECT_TRUE(Frame().Panes().view->SnapToGrid());

    // Cancel changes nothing.
    OpenPreferences([](QWidget* dialog) {
        ControlOf<QComboBox>(dialog, 1060)->setCurrentIndex(0);
        qobject_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_EQ(Read(settings::kMode), 5);
}

TEST_F(Preferences, SomethingOnThePageLocksTheModeAndTheEditorSeesNoOutput)
{
    Start();
    Frame().Registry().Trigger(32815);
    bool checked = false;
    OpenPreferences([&checked](QWidget* dialog) {
        EXPECT_NE(ControlOf<QLabel>(dialog, 1061), nullptr);
        EXPECT_FALSE(ControlOf<QComboBox>(dialog, 1060)->isEnabled());
        EXPECT_FALSE(ControlOf<QCheckBox>(dialog, 1048)->isEnabled());
        EXPECT_FALSE(ControlOf<QCheckBox>(dialog, 1047)->isEnabled());
        EXPECT_EQ(ControlOf<QComboBox>(dialog, 1063), nullptr);
        checked = true;
        qobject_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_TRUE(checked);

    Start(true);
    checked = false;
    OpenPreferences([&checked](QWidget* dialog) {
        EXPECT_EQ(ControlOf<QComboBox>(dialog, 1060), nullptr);
        QTest::mouseClick(ControlOf<QCheckBox>(dialog, 1037), Qt::LeftButton, {}, QPoint(4, 8));
        Retype(ControlOf<CSafeEdit>(dialog, 1035), QStringLiteral("99"));
        checked = true;
        Ok(dialog);
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(QSettings().value(QStringLiteral("View/GridStep")).toInt(), 50);
    EXPECT_EQ(QSettings().value(QStringLiteral("View/SnapToGrid")).toInt(), 1);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("ViewEdit/GridStep")));
}

}  // namespace
