// The automation list dialog and the start conditions of one entry, with
// real keys and clicks: what the list's operations do to the copy, what the
// conditions dialog shows and takes back, and the Automation command on the
// document (OK stores, Cancel keeps, a new time trigger fires, a global
// hotkey held by another program is reported).
#include "EditorTestSupport.h"

#include "app/SettingsRegister.h"
#include "editor/DlgAutomationEditor.h"
#include "editor/DlgScheduleEntry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>

// Readable failure messages.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using edittest::ControlOf;
using edittest::EditorFixture;

constexpr int kAutomationCommand = 32882;

// Runs answer on the first modal dialog of the given kind to open: the
// dialogs here open over one another. The dialog gets the focus, as a
// window manager gives it (access keys work only in the active window).
template <typename Dialog>
QTimer* WhenOpens(std::function<void(Dialog*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            QApplication::setActiveWindow(dialog);
            answer(dialog);
        }
    });
    poll->start();
    return poll;
}

void Click(QAbstractButton* button)
{
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

void Ok(QWidget* dialog)
{
    Click(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
}

void Cancel(QWidget* dialog)
{
    Click(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel));
}

// The start time typed as the operator does: Alt+S puts the focus on the
// picker's first field, then the fields' digits one after the other.
void TypeStartTime(QWidget* conditions, const QString& digits)
{
    QTest::keyClick(conditions, Qt::Key_S, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), ControlOf<QTimeEdit>(conditions, 1083));
    for (const QChar digit : digits)
        QTest::keyClick(QApplication::focusWidget(), digit.toLatin1());
}

QTreeWidget* ListOf(QWidget* dialog)
{
    return ControlOf<QTreeWidget>(dialog, 1079);
}

// The rows as "trigger | script".
QStringList Rows(QWidget* dialog)
{
    QStringList rows;
    QTreeWidget* list = ListOf(dialog);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows.append(list->topLevelItem(i)->text(0) + QStringLiteral(" | ") + list->topLevelItem(i)->text(1));
    return rows;
}

void ClickRow(QWidget* dialog, int row, bool twice = false)
{
    QTreeWidget* list = ListOf(dialog);
    const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

CFrameScriptSchedule EntryAt(const QDateTime& created)
{
    return CFrameScriptSchedule(ScheduleTime::FromDateTime(created));
}

// The list dialog on its own, with a script chooser that answers from a
// queue and remembers what it was asked.
class AutomationDialog : public ::testing::Test, public EditorFixture
{
protected:
    AutomationDialog()
    {
        list.At(0).file = QStringLiteral("/pages/Opening.script");
        CFrameScriptSchedule hotkey = EntryAt(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
        hotkey.file = QStringLiteral("/pages/News.script");
        hotkey.hotkey = 11;
        hotkey.remote = 5;
        list.Add(hotkey);
        dialog = std::make_unique<CDlgAutomationEditor>(
            list,
            [this](const QString& preset) {
                presets.push_back(preset);
                if (answers.empty())
                    return QString();
                const QString answer = answers.front();
                answers.pop_front();
                return answer;
            },
            nullptr, [] { return ScheduleTime::FromDateTime(QDateTime(QDate(2026, 3, 2), QTime(12, 0))); });
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QPushButton* Button(int id) { return ControlOf<QPushButton>(dialog.get(), id); }

    CFrameScriptScheduleArray list;
    std::deque<QString> answers;
    std::vector<QString> presets;
    std::unique_ptr<CDlgAutomationEditor> dialog;
};

TEST_F(AutomationDialog, AddEditAndDeleteWorkOnTheCopy)
{
    EXPECT_EQ(Rows(dialog.get()), (QStringList{QStringLiteral("on startup | Opening"), QStringLiteral("[Alt+0] | News")}));
    EXPECT_FALSE(Button(1075)->isEnabled());
    EXPECT_FALSE(Button(1076)->isEnabled());
    EXPECT_EQ(ListOf(dialog.get())->headerItem()->text(0), QStringLiteral("Trigger"));
    EXPECT_EQ(ListOf(dialog.get())->headerItem()->text(1), QStringLiteral("Script file"));

    // Add: the chooser starts empty; the new entry's conditions are set by
    // clicks and keys, and it lands at the end, selected.
    answers = {QStringLiteral("/pages/Morning.script")};
    QString title;
    WhenOpens<CDlgScheduleEntry>([&title](CDlgScheduleEntry* conditions) {
        title = conditions->windowTitle();
        Click(ControlOf<QCheckBox>(conditions, 1065));
        TypeStartTime(conditions, QStringLiteral("083000"));
        Click(ControlOf<QRadioButton>(conditions, 1527));
        Click(ControlOf<QCheckBox>(conditions, 1063));         // Saturday off by the mouse,
        QTest::keyClick(conditions, Qt::Key_U, Qt::AltModifier);  // Sunday by its access key
        EXPECT_TRUE(QTest::qWaitFor([conditions] { return !ControlOf<QCheckBox>(conditions, 1064)->isChecked(); }));
        Ok(conditions);
    });
    Click(Button(1074));
    EXPECT_EQ(presets, std::vector<QString>{QString()});
    EXPECT_EQ(title, QStringLiteral("Start conditions for script Morning"));
    ASSERT_EQ(Rows(dialog.get()).size(), 3);
    EXPECT_EQ(Rows(dialog.get())[2], QStringLiteral("[08:30:00][12345--] | Morning"));
    EXPECT_EQ(dialog->List().At(2).weekdays, 0b0011111);
    EXPECT_EQ(ListOf(dialog.get())->currentItem(), ListOf(dialog.get())->topLevelItem(2));
    EXPECT_TRUE(Button(1075)->isEnabled());

    // Cancelled conditions, or no file chosen, add nothing.
    answers = {QStringLiteral("/pages/Evening.script")};
    WhenOpens<CDlgScheduleEntry>([](CDlgScheduleEntry* conditions) { Cancel(conditions); });
    Click(Button(1074));
    Click(Button(1074));  // the chooser cancelled: no conditions dialog
    EXPECT_EQ(presets.size(), 3u);
    EXPECT_EQ(dialog->List().Count(), 3);

    // Edit of the start-up row by double click: the chooser starts on its
    // file; Delete then empties it and keeps the row.
    answers = {QStringLiteral("/pages/Opening 2.script")};
    ClickRow(dialog.get(), 0, true);
    EXPECT_EQ(presets.back(), QStringLiteral("/pages/Opening.script"));
    EXPECT_EQ(Rows(dialog.get())[0], QStringLiteral("on startup | Opening 2"));
    EXPECT_EQ(dialog->List().At(0).file, QStringLiteral("/pages/Opening 2.script"));
    Click(Button(1076));
    EXPECT_EQ(Rows(dialog.get())[0], QStringLiteral("on startup | "));
    EXPECT_TRUE(dialog->List().At(0).file.isEmpty());
    EXPECT_EQ(dialog->List().Count(), 3);
    EXPECT_TRUE(Button(1076)->isEnabled()) << "the row stays selected";

    // Edit of another row opens its conditions; Cancel keeps it.
    ClickRow(dialog.get(), 1);
    WhenOpens<CDlgScheduleEntry>([](CDlgScheduleEntry* conditions) {
        EXPECT_TRUE(ControlOf<QCheckBox>(conditions, 1066)->isChecked());
        EXPECT_EQ(ControlOf<QComboBox>(conditions, 1024)->currentText(), QStringLiteral("Alt+0"));
        QTest::keyClick(conditions, Qt::Key_K, Qt::AltModifier);  // hotkey off
        EXPECT_TRUE(QTest::qWaitFor([conditions] { return !ControlOf<QComboBox>(conditions, 1024)->isVisible(); }));
        Cancel(conditions);
    });
    Click(Button(1075));
    EXPECT_EQ(dialog->List().At(1).hotkey, 11);

    // Deleting the last row selects the one above; the document's list is
    // untouched throughout.
    ClickRow(dialog.get(), 2);
    Click(Button(1076));
    EXPECT_EQ(Rows(dialog.get()), (QStringList{QStringLiteral("on startup | "), QStringLiteral("[Alt+0] | News")}));
    EXPECT_EQ(ListOf(dialog.get())->currentItem(), ListOf(dialog.get())->topLevelItem(1));
    EXPECT_EQ(list.At(0).file, QStringLiteral("/pages/Opening.script"));
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(AutomationDialog, EnterAndEscapeDoNothing)
{
    ClickRow(dialog.get(), 1);
    int opened = 0;
    QTimer* guard = WhenOpens<CDlgScheduleEntry>([&opened](CDlgScheduleEntry* conditions) {
        ++opened;
        conditions->reject();
    });
    // On the list, on a focused button, and on OK (which the button box
    // would otherwise make the default).
    for (QWidget* target : {static_cast<QWidget*>(ListOf(dialog.get())), static_cast<QWidget*>(Button(1074)),
                            static_cast<QWidget*>(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok))}) {
        target->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(target, key);
        QTest::qWait(60);
    }
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(presets.empty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0);
    delete guard;
}

TEST(AutomationEntry, ShowsWhatAppliesAndOkTakesEveryValueBack)
{
    CFrameScriptSchedule entry = EntryAt(QDateTime(QDate(2026, 5, 17), QTime(7, 8, 9)));
    entry.file = QStringLiteral("/pages/Weekend.script");
    entry.playOnce = 1;
    entry.weekdays = 0b1010101;
    entry.global = 1;
    entry.remote = 7;

    struct Case
    {
        const char* what;
        bool hotkeyOn;  // the hotkey box left on at OK
        int hotkey;
    };
    const Case cases[] = {
        {"hotkey switched off: none, the rest kept", false, 0},
        {"hotkey chosen by keys", true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CDlgScheduleEntry dialog(entry, nullptr);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        auto* onTime = ControlOf<QCheckBox>(&dialog, 1065);
        auto* time = ControlOf<QTimeEdit>(&dialog, 1083);
        auto* once = ControlOf<QRadioButton>(&dialog, 1526);
        auto* daily = ControlOf<QRadioButton>(&dialog, 1527);
        auto* date = ControlOf<QDateEdit>(&dialog, 1250);
        auto* monday = ControlOf<QCheckBox>(&dialog, 1058);
        auto* onHotkey = ControlOf<QCheckBox>(&dialog, 1066);
        auto* hotkeys = ControlOf<QComboBox>(&dialog, 1024);
        auto* global = ControlOf<QCheckBox>(&dialog, 1069);
        EXPECT_EQ(ControlOf<QCheckBox>(&dialog, 1067), nullptr) << "no switcher buttons";

        // Opening: both triggers off, only their boxes show; the pickers
        // hold the entry's values.
        EXPECT_FALSE(time->isVisible());
        EXPECT_FALSE(once->isVisible());
        EXPECT_FALSE(hotkeys->isVisible());
        EXPECT_FALSE(global->isVisible());
        EXPECT_EQ(time->time(), QTime(7, 8, 9));
        EXPECT_EQ(date->date(), QDate(2026, 5, 17));
        EXPECT_EQ(hotkeys->count(), 20);
        EXPECT_EQ(hotkeys->itemText(0), QStringLiteral("Ctrl+0"));
        EXPECT_EQ(hotkeys->itemText(19), QStringLiteral("Alt+9"));
        EXPECT_EQ(hotkeys->currentIndex(), 0);

        // Each click shows what it switches on at once.
        Click(onTime);
        EXPECT_TRUE(time->isVisible());
        EXPECT_TRUE(date->isVisible());
        EXPECT_FALSE(monday->isVisible());
        Click(daily);
        EXPECT_FALSE(date->isVisible());
        EXPECT_TRUE(monday->isVisible());
        EXPECT_TRUE(monday->isChecked());
        EXPECT_FALSE(ControlOf<QCheckBox>(&dialog, 1059)->isChecked());  // Tuesday
        Click(monday);
        Click(once);
        EXPECT_TRUE(date->isVisible());
        EXPECT_FALSE(monday->isVisible());
        Click(onHotkey);
        EXPECT_TRUE(hotkeys->isVisible());
        EXPECT_TRUE(global->isVisible());
        hotkeys->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(hotkeys, Qt::Key_Down);
        if (!c.hotkeyOn) {
            Click(onHotkey);
            EXPECT_FALSE(hotkeys->isVisible());
        }
        Click(onTime);
        EXPECT_FALSE(time->isVisible());
        Click(onTime);

        CFrameScriptSchedule expected = entry;
        expected.playOnTime = 1;
        expected.weekdays = 0b1010100;  // Monday off while the days showed
        expected.hotkey = c.hotkey;
        EXPECT_EQ(dialog.Entry(), expected);
        EXPECT_EQ(dialog.Entry().remote, 7);
    }
}

// The Automation command in the playout instance, on the document's own
// virtual clock.
class AutomationCommand : public ::testing::Test, public EditorFixture
{
protected:
    AutomationCommand() { clock = &virtualClock; }

    QString WriteScript(const QString& name)
    {
        const QString path = QDir(PagesFolder()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<script><item type=\"8\" idata=\"600\"/></script>");
        return path;
    }

    // Automation, Add, the script chosen in the file dialog, conditions
    // set by `conditions`, then OK (or Cancel) of the list dialog.
    void AddThroughTheCommand(const QString& path, std::function<void(CDlgScheduleEntry*)> conditions,
                              bool ok = true)
    {
        bool answered = false;
        WhenOpens<CDlgAutomationEditor>([&](CDlgAutomationEditor* dialog) {
            WhenOpens<QFileDialog>([path](QFileDialog* chooser) {
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                name->setText(path);
                QTest::keyClick(name, Qt::Key_Return);
            });
            WhenOpens<CDlgScheduleEntry>([conditions](CDlgScheduleEntry* entry) {
                conditions(entry);
                Ok(entry);
            });
            Click(ControlOf<QPushButton>(dialog, 1074));
            EXPECT_EQ(ListOf(dialog)->topLevelItemCount(), Doc().automation.Count() + 1);
            answered = true;
            ok ? Ok(dialog) : Cancel(dialog);
        });
        Frame().Registry().Trigger(kAutomationCommand);
        EXPECT_TRUE(answered);
    }

    CVirtualScriptClock virtualClock{QDateTime(QDate(2026, 3, 2), QTime(12, 0))};  // a Monday
};

TEST_F(AutomationCommand, OkStoresANewTimeTriggerThatFiresCancelKeepsTheList)
{
    Start();
    Press(Qt::Key_F10);
    ASSERT_TRUE(Doc().OutputOn());
    const QString path = WriteScript(QStringLiteral("Noon.script"));

    // Once, today by the document's clock (the date picker's default), at
    // 12:00:05.
    AddThroughTheCommand(path, [](CDlgScheduleEntry* conditions) {
        Click(ControlOf<QCheckBox>(conditions, 1065));
        Click(ControlOf<QRadioButton>(conditions, 1526));
        TypeStartTime(conditions, QStringLiteral("120005"));
    });
    ASSERT_EQ(Doc().automation.Count(), 2);
    const CFrameScriptSchedule& added = Doc().automation.At(1);
    EXPECT_EQ(added.file, path);
    EXPECT_EQ(added.playOnce, 1);
    EXPECT_EQ(added.startTime.year * 10000 + added.startTime.month * 100 + added.startTime.day, 20260302);
    EXPECT_EQ(Read(settings::kScriptActionTotal), 2);

    // Cancel leaves the document's list as it was, also what the dialog
    // changed before.
    WhenOpens<CDlgAutomationEditor>([](CDlgAutomationEditor* dialog) {
        ClickRow(dialog, 1);
        Click(ControlOf<QPushButton>(dialog, 1076));
        EXPECT_EQ(dialog->List().Count(), 1);
        Cancel(dialog);
    });
    Frame().Registry().Trigger(kAutomationCommand);
    ASSERT_EQ(Doc().automation.Count(), 2);

    for (int tick = 0; tick < 30 && Doc().Runner().scriptRunning == 0; ++tick) {
        virtualClock.Advance(200);
        timer.Fire();
    }
    EXPECT_EQ(Doc().Runner().scriptRunning, 1);
    EXPECT_EQ(Doc().script.fileName, path);
    EXPECT_EQ(virtualClock.Local().time().second(), 5);
}

TEST_F(AutomationCommand, GlobalHotkeyHeldByAnotherProgramIsReported)
{
    hotkeys.taken[99] = HotkeyKey{true, 9};  // Alt+9
    Start();
    const QString path = WriteScript(QStringLiteral("Flash.script"));
    QString warning;
    WhenOpens<QMessageBox>([&warning](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        warning = box->text();
        box->accept();
    });
    AddThroughTheCommand(path, [](CDlgScheduleEntry* conditions) {
        Click(ControlOf<QCheckBox>(conditions, 1066));
        auto* names = ControlOf<QComboBox>(conditions, 1024);
        names->setFocus();
        QTest::keyClick(names, Qt::Key_End);
        Click(ControlOf<QCheckBox>(conditions, 1069));
    });
    ASSERT_EQ(Doc().automation.Count(), 2);
    EXPECT_EQ(Doc().automation.At(1).hotkey, 20);
    EXPECT_TRUE(warning.contains(QStringLiteral("\n\nAlt+9 (Flash)\n\n"))) << warning.toStdString();
    EXPECT_TRUE(hotkeys.registered.empty());
}

}  // namespace
