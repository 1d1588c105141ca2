// The object properties dialog with real mouse and key events: what OK
// writes (and only that) as one undo step, Cancel, the file sources, the
// clock and timer sources, the showing rules; the filtered edit it uses.
#include "EditorTestSupport.h"

#include "editor/DlgFrameProps.h"
#include "editor/SafeEdit.h"
#include "model/FrameSettings.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

using edittest::ControlOf;
using edittest::EditorFixture;

constexpr int kAddObject = 32815;
constexpr int kUndo = 57643;

// Every stored setting of an object but its place, text and pictures, as
// "name=value", to tell exactly which ones a dialog changed.
QStringList StoredSettings(const CFrame& object)
{
    QStringList values;
    for (const FrameSetting& setting : FrameSettings()) {
        QString value;
        switch (setting.Kind()) {
        case SettingKind::Int: value = QString::number(object.*std::get<int CFrame::*>(setting.member)); break;
        case SettingKind::Colour:
            value = QString::number(object.*std::get<uint32_t CFrame::*>(setting.member), 16);
            break;
        case SettingKind::String: value = object.*std::get<QString CFrame::*>(setting.member); break;
        default: continue;
        }
        values.append(QStringLiteral("%1=%2").arg(QLatin1String(setting.name), value));
    }
    return values;
}

QStringList Changed(const QStringList& before, const QStringList& after)
{
    QStringList changed;
    for (const QString& value : after) {
        if (!before.contains(value))
            changed.append(value);
    }
    return changed;
}

class ObjectPropertiesDialog : public ::testing::Test, public EditorFixture
{
protected:
    // A new simple object on a page that is not modified.
    CFrame& AddObject()
    {
        Start();
        Frame().Registry().Trigger(kAddObject);
        CFrame* object = Doc().Selection();
        EXPECT_NE(object, nullptr);
        Doc().SetModifiedFlag(false);
        return *object;
    }

    std::unique_ptr<CDlgFrameProps> Open(CFrame& object)
    {
        auto dialog = std::make_unique<CDlgFrameProps>(Doc(), object, &Frame());
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    // A check box or radio button answers a click on its box or text only.
    static void Toggle(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    static void Click(QWidget* dialog, QDialogButtonBox::StandardButton which)
    {
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
    }
};

TEST_F(ObjectPropertiesDialog, OkWritesWhatWasChangedAsOneUndoStep)
{
    CFrame& object = AddObject();
    const QStringList before = StoredSettings(object);
    const size_t steps = Doc().Undo().undoSteps.size();
    auto dialog = Open(object);

    // The text's transparency by keys; its percentage follows the slider.
    auto* slider = ControlOf<QSlider>(dialog.get(), 1008);
    auto* percent = ControlOf<QLabel>(dialog.get(), 1012);
    ASSERT_NE(slider, nullptr);
    ASSERT_NE(percent, nullptr);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(percent->text(), QStringLiteral("0%"));
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(percent->text(), QStringLiteral("100%"));
    QTest::keyClick(slider, Qt::Key_Home);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 33);
    EXPECT_EQ(percent->text(), QStringLiteral("12%"));  // 33 * 100 / 255

    // A start delay typed with a stray letter, and the third in effect.
    auto* delay = ControlOf<QLineEdit>(dialog.get(), 1025);
    ASSERT_NE(delay, nullptr);
    QTest::mouseClick(delay, Qt::LeftButton);
    QTest::keyClicks(delay, QStringLiteral("1s,25"));
    EXPECT_EQ(delay->text(), QStringLiteral("1,25"));
    auto* in = ControlOf<QComboBox>(dialog.get(), 1013);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->count(), 31);
    QTest::keyClick(in, Qt::Key_Down);
    QTest::keyClick(in, Qt::Key_Down);
    EXPECT_EQ(in->currentText(), QStringLiteral("Slide from Right side"));

    // A red background from the colour dialog keeps its transparency.
    EditorFixture::WhenModalOpens([](QWidget* modal) {
        auto* colours = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(colours, nullptr);
        colours->setCurrentColor(QColor(255, 0, 0));
        colours->accept();
    });
    QTest::mouseClick(ControlOf<QPushButton>(dialog.get(), 1022), Qt::LeftButton);

    Click(dialog.get(), QDialogButtonBox::Ok);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const QStringList changed = Changed(before, StoredSettings(object));
    EXPECT_EQ(changed, (QStringList{QStringLiteral("backgroundColor=1a0000ff"), QStringLiteral("textAlpha=222"),
                                    QStringLiteral("startDelay=1250"), QStringLiteral("inEffect=2")}));
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps + 1);
    EXPECT_TRUE(Doc().IsModified());

    Frame().Registry().Trigger(kUndo);
    EXPECT_EQ(StoredSettings(object), before);
}

TEST_F(ObjectPropertiesDialog, CancelChangesNothing)
{
    CFrame& object = AddObject();
    const QStringList before = StoredSettings(object);
    const size_t steps = Doc().Undo().undoSteps.size();
    auto dialog = Open(object);

    QTest::keyClick(ControlOf<QSlider>(dialog.get(), 1006), Qt::Key_End);
    Toggle(ControlOf<QCheckBox>(dialog.get(), 1029));
    Toggle(ControlOf<QRadioButton>(dialog.get(), 1031));  // Clock
    QTest::keyClicks(ControlOf<QComboBox>(dialog.get(), 1023), QStringLiteral("Lower third"));
    // The dialog's copy has them all.
    const CFrame& copy = dialog->Properties().Settings();
    EXPECT_EQ(copy.backgroundColor >> 24, 0u);
    EXPECT_EQ(copy.repeat, 1);
    EXPECT_EQ(copy.textSource, kSourceClock);
    EXPECT_EQ(copy.group, QStringLiteral("Lower third"));
    Click(dialog.get(), QDialogButtonBox::Cancel);

    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(StoredSettings(object), before);
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(ObjectPropertiesDialog, FileSourcesAskForTheFile)
{
    CFrame& object = AddObject();
    const QString path = QDir(PagesFolder()).filePath(QStringLiteral("headlines.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("First\nSecond\n");
    file.close();
    auto dialog = Open(object);
    auto* objectText = ControlOf<QRadioButton>(dialog.get(), 1030);
    auto* textFile = ControlOf<QRadioButton>(dialog.get(), 1032);
    auto* fileName = ControlOf<QLabel>(dialog.get(), 1044);
    auto* encoding = ControlOf<QComboBox>(dialog.get(), 1039);
    ASSERT_TRUE(objectText->isChecked());
    EXPECT_FALSE(fileName->isVisible());

    // Cancelled: the previous source is chosen again.
    QStringList filters;
    EditorFixture::WhenModalOpens([&filters](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        filters = chooser->nameFilters();
        chooser->reject();
    });
    Toggle(textFile);
    EXPECT_EQ(filters, QStringList{QStringLiteral("TXT files (*.txt)")});
    EXPECT_TRUE(objectText->isChecked());
    EXPECT_FALSE(textFile->isChecked());
    EXPECT_FALSE(encoding->isVisible());

    // Chosen: its name shows, with the settings of a text file.
    EditorFixture::WhenModalOpens([&path](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
    Toggle(textFile);
    EXPECT_TRUE(textFile->isChecked());
    EXPECT_EQ(fileName->text(), QStringLiteral("headlines.txt"));
    EXPECT_TRUE(encoding->isVisible());
    EXPECT_TRUE(ControlOf<QCheckBox>(dialog.get(), 1045)->isVisible());   // bar graph
    EXPECT_FALSE(ControlOf<QComboBox>(dialog.get(), 1053)->isVisible());  // CSV separator

    Click(dialog.get(), QDialogButtonBox::Ok);
    EXPECT_EQ(object.textSource, kSourceTextFile);
    EXPECT_EQ(object.fileName, path);
}

TEST_F(ObjectPropertiesDialog, ClockOnAScrollingObjectFixesTheMovement)
{
    CFrame& object = AddObject();
    object.movement = kMovementScroll;
    auto dialog = Open(object);
    auto* movement = ControlOf<QComboBox>(dialog.get(), 1004);
    auto* speed = ControlOf<QComboBox>(dialog.get(), 1060);
    EXPECT_EQ(movement->currentText(), QStringLiteral("Horizontal scroll"));
    EXPECT_TRUE(speed->isVisible());

    Toggle(ControlOf<QRadioButton>(dialog.get(), 1031));
    EXPECT_EQ(movement->currentText(), QStringLiteral("Fixed"));
    EXPECT_FALSE(movement->isEnabled());
    EXPECT_FALSE(speed->isVisible());
    EXPECT_TRUE(ControlOf<QComboBox>(dialog.get(), 1048)->isVisible());  // clock format

    Click(dialog.get(), QDialogButtonBox::Ok);
    EXPECT_EQ(object.textSource, kSourceClock);
    EXPECT_EQ(object.movement, kMovementFixed);
}

TEST_F(ObjectPropertiesDialog, CountingDownExchangesTheTimes)
{
    CFrame& object = AddObject();
    object.textSource = kSourceTimer;
    object.timerStart = 0;
    object.timerStop = 90;
    auto dialog = Open(object);
    auto* start = ControlOf<QTimeEdit>(dialog.get(), 1069);
    auto* stop = ControlOf<QTimeEdit>(dialog.get(), 1070);
    ASSERT_TRUE(start->isVisible());
    EXPECT_EQ(stop->text(), QStringLiteral("00:01:30"));

    // The start edited first, then Down: the edited time moves over too.
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Up);  // the hours
    EXPECT_EQ(start->text(), QStringLiteral("01:00:00"));
    Toggle(ControlOf<QRadioButton>(dialog.get(), 1068));
    EXPECT_EQ(start->text(), QStringLiteral("00:01:30"));
    EXPECT_EQ(stop->text(), QStringLiteral("01:00:00"));

    Click(dialog.get(), QDialogButtonBox::Ok);
    EXPECT_EQ(object.timerDirection, kTimerDown);
    EXPECT_EQ(object.timerStart, 90);
    EXPECT_EQ(object.timerStop, 3600);
}

TEST_F(ObjectPropertiesDialog, ShowingControlsFollowTheMovementAndEachOther)
{
    CFrame& object = AddObject();
    object.movement = kMovementScroll;
    object.showIndefinitely = 1;
    object.showWhileMoving = 0;
    auto dialog = Open(object);
    auto* showFor = ControlOf<QLineEdit>(dialog.get(), 1019);
    auto* indefinitely = ControlOf<QCheckBox>(dialog.get(), 1052);
    auto* whileMoving = ControlOf<QCheckBox>(dialog.get(), 1028);
    const auto shown = [&] {
        return QString::asprintf("%d%d%d", showFor->isVisible(), indefinitely->isVisible(), whileMoving->isVisible());
    };
    EXPECT_EQ(shown(), QStringLiteral("010"));
    Toggle(indefinitely);
    EXPECT_EQ(shown(), QStringLiteral("111"));
    Toggle(whileMoving);
    EXPECT_EQ(shown(), QStringLiteral("001"));
    // Fixed text cannot be shown while it moves.
    auto* movement = ControlOf<QComboBox>(dialog.get(), 1004);
    QTest::keyClick(movement, Qt::Key_Home);
    EXPECT_EQ(shown(), QStringLiteral("110"));

    // Nothing limits the showing: OK says so.
    Click(dialog.get(), QDialogButtonBox::Ok);
    EXPECT_EQ(object.showFor, 0);
    EXPECT_EQ(object.showIndefinitely, 1);
}

TEST_F(ObjectPropertiesDialog, ClosesWithoutWritingWhenThePageIsReplaced)
{
    CFrame& object = AddObject();
    auto dialog = Open(object);
    Toggle(ControlOf<QCheckBox>(dialog.get(), 1029));
    // As a script's step would, under the open dialog.
    ASSERT_TRUE(Doc().OnNewDocument());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Doc().Undo().undoSteps.size(), 0u);
}

// --- The filtered edit ---------------------------------------------------------

TEST_F(ObjectPropertiesDialog, SafeEditTypedCharactersOutsideTheSetAreDropped)
{
    struct Case
    {
        QString allowed;
        QString typed;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("0123456789.,"), QStringLiteral("1a2.b,3 x"), QStringLiteral("12.,3")},
        {QStringLiteral("0123456789.,"), QStringLiteral("-5e3"), QStringLiteral("53")},
        {QString(), QStringLiteral("any text, 1.5"), QStringLiteral("any text, 1.5")},
    };
    for (const Case& c : cases) {
        CSafeEdit edit(c.allowed);
        edit.show();
        QTest::keyClicks(&edit, c.typed);
        EXPECT_EQ(edit.text(), c.expected) << c.typed.toStdString();
    }
    // Editing keys are control characters: they still work.
    CSafeEdit edit(QStringLiteral("0123456789"));
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("123"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("2"));
}

TEST_F(ObjectPropertiesDialog, SafeEditPasteInsertsTheLeadingAllowedRunOnly)
{
    struct Case
    {
        QString allowed;
        QString before;  // "|" is the cursor, "[...]" the selection
        QString clipboard;
        QString expected;
    };
    const QString digits = QStringLiteral("0123456789.,");
    const Case cases[] = {
        {digits, QStringLiteral("|"), QStringLiteral("12.5 s"), QStringLiteral("12.5")},
        {digits, QStringLiteral("1|"), QStringLiteral("0x7"), QStringLiteral("10")},
        {digits, QStringLiteral("|9"), QStringLiteral("3,25\r\n7"), QStringLiteral("3,259")},
        // Nothing usable: the selection stays.
        {digits, QStringLiteral("[42]"), QStringLiteral("abc"), QStringLiteral("42")},
        {digits, QStringLiteral("[42]"), QStringLiteral("7"), QStringLiteral("7")},
        {QString(), QStringLiteral("|"), QStringLiteral("a b-c"), QStringLiteral("a b-c")},
    };
    for (const Case& c : cases) {
        CSafeEdit edit(c.allowed);
        edit.show();
        QString text = c.before;
        const qsizetype open = text.indexOf(QLatin1Char('['));
        if (open >= 0) {
            text.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
            edit.setText(text);
            edit.selectAll();
        } else {
            const qsizetype cursor = text.indexOf(QLatin1Char('|'));
            edit.setText(text.remove(QLatin1Char('|')));
            edit.setCursorPosition(static_cast<int>(cursor));
        }
        QGuiApplication::clipboard()->setText(c.clipboard);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit.text(), c.expected) << c.before.toStdString() << " + " << c.clipboard.toStdString();
    }
}

}  // namespace
