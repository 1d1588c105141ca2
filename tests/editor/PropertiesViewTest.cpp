// The property grid with real keys and clicks: editing values changes the
// object as one undo step, a refused value comes back, the grid follows the
// selection and greys without one, and an object on air is rewritten safely.
#include "EditorTestSupport.h"

#include "editor/DlgFrameProps.h"
#include "editor/MainView.h"
#include "editor/PropertiesView.h"
#include "editor/PropertyItemModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using edittest::EditorFixture;

class PropertyGrid : public ::testing::Test, public EditorFixture
{
protected:
    CPropertiesView& Pane() { return *static_cast<CPropertiesView*>(Frame().Panes().properties); }
    QTreeView& Grid() { return *Pane().Grid(); }
    QModelIndex ValueOf(int k) { return static_cast<CPropertyItemModel*>(Grid().model())->ValueIndex(k); }
    QString Shown(int k) { return ValueOf(k).data().toString(); }

    // Puts the keyboard on property k's row, as arrowing there would.
    void GoTo(int k)
    {
        Grid().setFocus();
        Grid().scrollTo(ValueOf(k));
        Grid().setCurrentIndex(ValueOf(k).sibling(ValueOf(k).row(), 0));
    }
    QWidget* OpenEditor() { return QApplication::focusWidget(); }

    CFrame* AddObject()
    {
        Frame().Registry().Trigger(32815);
        return Doc().Selection();
    }
};

TEST_F(PropertyGrid, KeyboardEditsChangeTheObjectAsOneUndoStepEach)
{
    Start();
    CFrame* object = AddObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Shown(1), QStringLiteral("1"));
    EXPECT_EQ(Shown(5), QStringLiteral("256"));
    Doc().SetModifiedFlag(false);
    const size_t steps = Doc().Undo().undoSteps.size();

    // Lock: Enter opens the list, Up chooses "Yes" at once.
    GoTo(38);
    QTest::keyClick(&Grid(), Qt::Key_Return);
    auto* box = qobject_cast<QComboBox*>(OpenEditor());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->accessibleName(), QStringLiteral("Lock"));
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(object->locked, 1);
    EXPECT_EQ(Shown(38), QStringLiteral("Yes"));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps + 1);

    // Start delay: typing starts the editor; seconds with fractions.
    GoTo(24);
    QTest::keyClick(&Grid(), Qt::Key_1);
    QWidget* delay = OpenEditor();
    ASSERT_NE(qobject_cast<QLineEdit*>(delay), nullptr);
    QTest::keyClicks(delay, QStringLiteral(".5"));
    QTest::keyClick(delay, Qt::Key_Return);
    QApplication::processEvents();  // the view takes an editor's Enter a moment later
    EXPECT_EQ(object->startDelay, 1500);
    EXPECT_EQ(Shown(24), QStringLiteral("1.500"));
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps + 2);

    // A timer start of 24:00:00 is refused and the old value shows again.
    object->textSource = kSourceTimer;
    Pane().Refill();
    GoTo(23);
    QTest::keyClick(&Grid(), Qt::Key_F2);
    auto* time = qobject_cast<QLineEdit*>(OpenEditor());
    ASSERT_NE(time, nullptr);
    time->selectAll();
    QTest::keyClicks(time, QStringLiteral("240000"));
    QTest::keyClick(time, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(object->timerStart, 0);
    EXPECT_EQ(Shown(23), QStringLiteral("00:00:00"));
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps + 2);

    // Undo takes the last step back.
    Frame().Registry().Trigger(57643);
    EXPECT_EQ(Doc().Selection()->startDelay, 0);
    EXPECT_EQ(Shown(24), QString());
    EXPECT_EQ(Doc().Selection()->locked, 1);
}

TEST_F(PropertyGrid, FollowsTheSelectionAndGreysWithoutOne)
{
    Start();
    CFrame* first = AddObject();
    first->group = QStringLiteral("News");
    CFrame* second = AddObject();
    ASSERT_NE(first, second);
    Doc().SetSelection(first);
    emit Doc().UpdateAllViews(kUpdatePage, {});
    EXPECT_EQ(Shown(1), QStringLiteral("1"));
    EXPECT_EQ(Shown(41), QStringLiteral("News"));
    EXPECT_TRUE(ValueOf(41).flags() & Qt::ItemIsEnabled);
    // Properties that do not apply are shown but cannot change.
    EXPECT_FALSE(ValueOf(15).flags() & Qt::ItemIsEnabled);  // clock format of typed text
    EXPECT_FALSE(ValueOf(1).flags() & Qt::ItemIsEditable);

    Doc().SetSelection(nullptr);
    emit Doc().UpdateAllViews(kUpdatePage, {});
    EXPECT_EQ(Shown(41), QStringLiteral("News"));  // kept
    EXPECT_FALSE(ValueOf(41).flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(Grid().model()->index(0, 0).flags() & Qt::ItemIsEnabled);  // the groups too

    // Every property has a name for screen readers and a help text below.
    Doc().SetSelection(second);
    emit Doc().UpdateAllViews(kUpdatePage, {});
    for (const ObjectProperty& property : ObjectPropertyTable()) {
        const QModelIndex value = ValueOf(property.k);
        EXPECT_FALSE(value.data(Qt::AccessibleTextRole).toString().isEmpty()) << property.k;
        EXPECT_FALSE(value.data(CPropertyItemModel::kHelpRole).toString().isEmpty()) << property.k;
    }
    GoTo(10);
    EXPECT_TRUE(Pane().findChild<QLabel*>(QStringLiteral("propertyHelp"))->text().contains(QStringLiteral("Movement")));
}

TEST_F(PropertyGrid, AFileSourceAsksForItsFileAndCancelKeepsTheSource)
{
    Start();
    CFrame* object = AddObject();
    const QByteArray text = object->richText;
    bool asked = false;
    EditorFixture::WhenModalOpens([&asked](QWidget* dialog) {
        asked = qobject_cast<QFileDialog*>(dialog) != nullptr;
        qobject_cast<QDialog*>(dialog)->reject();
    });
    const QModelIndex source = ValueOf(14);
    Grid().model()->setData(source, kSourceTextFile);
    EXPECT_TRUE(asked);
    EXPECT_EQ(object->textSource, kSourceObjectText);
    EXPECT_EQ(Shown(14), QStringLiteral("Object text"));
    EXPECT_FALSE(Doc().IsModified() && object->richText != text);
}

TEST_F(PropertyGrid, ObjectPropertiesOpensTheDialogAndTheGridFollowsItsOk)
{
    Start();
    Frame().RefreshCommandStates();
    EXPECT_FALSE(Frame().Registry().Action(32835)->isEnabled());
    CFrame* object = AddObject();
    Frame().RefreshCommandStates();
    EXPECT_TRUE(Frame().Registry().Action(32835)->isEnabled());
    bool opened = false;
    EditorFixture::WhenModalOpens([&opened](QWidget* dialog) {
        opened = qobject_cast<CDlgFrameProps*>(dialog) != nullptr;
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            if (box->property("tavrelId").toInt() == 1029)  // Repeat
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        }
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    Frame().Registry().Trigger(32835);
    EXPECT_TRUE(opened);
    EXPECT_EQ(object->repeat, 1);
    EXPECT_EQ(Shown(34), QStringLiteral("Yes"));
}

TEST_F(PropertyGrid, AnEditOnAirStopsThatObjectAndThePageGoesOn)
{
    Start();
    CFrame* edited = AddObject();
    CFrame* other = AddObject();
    Doc().SetSelection(edited);
    emit Doc().UpdateAllViews(kUpdatePage, {});
    Frame().Registry().Trigger(32818);  // the output on
    ASSERT_TRUE(Doc().page.outputActive.load());
    edited->playing.store(1);
    other->playing.store(1);

    Grid().model()->setData(ValueOf(9), 50);  // text transparency
    EXPECT_EQ(edited->textAlpha, 127);
    EXPECT_EQ(edited->playing.load(), 0);
    EXPECT_EQ(other->playing.load(), 1);
}

}  // namespace
