// The script editor with real keys and clicks: a script of three steps built
// with the keyboard and saved, the warning before unsaved changes are left,
// and Enter and Escape that close nothing.
#include "EditorTestSupport.h"

#include "editor/DlgScriptEditor.h"
#include "editor/MainStatusBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using edittest::ControlOf;
using edittest::EditorFixture;

// Runs answer on the first modal dialog (or popup menu) that matches.
void WhenOpens(std::function<QWidget*()> find, std::function<void(QWidget*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, find, answer] {
        if (QWidget* widget = find()) {
            poll->stop();
            poll->deleteLater();
            answer(widget);
        }
    });
    poll->start();
}

std::function<QWidget*()> Dialog(int id)
{
    return [id]() -> QWidget* {
        QWidget* modal = QApplication::activeModalWidget();
        return modal != nullptr && modal->property("tavrelId").toInt() == id ? modal : nullptr;
    };
}

QWidget* Popup()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

class ScriptEditor : public ::testing::Test, public EditorFixture
{
protected:
    // Add, then the step name at this place of the menu by the keyboard,
    // then answer its dialog.
    static void AddStep(QWidget* editor, int menuRow, std::function<void(QWidget*)> dialogAnswer, int dialogId)
    {
        WhenOpens(Popup, [menuRow, dialogAnswer, dialogId](QWidget* menu) {
            if (dialogId != 0)
                WhenOpens(Dialog(dialogId), dialogAnswer);
            for (int i = 0; i <= menuRow; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::mouseClick(ControlOf<QPushButton>(editor, 1074), Qt::LeftButton);
    }
    static void Ok(QWidget* dialog)
    {
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }
};

TEST_F(ScriptEditor, ThreeStepsBuiltWithTheKeyboardAndSaved)
{
    Start();
    const QString path = QDir(PagesFolder()).filePath(QStringLiteral("Evening.script"));
    bool done = false;
    WhenOpens(Dialog(308), [&](QWidget* editor) {
        // Enter and Escape close nothing.
        QTest::keyClick(editor, Qt::Key_Escape);
        QTest::keyClick(editor, Qt::Key_Return);
        ASSERT_TRUE(editor->isVisible());
        EXPECT_FALSE(ControlOf<QPushButton>(editor, 1073)->isEnabled());  // nothing to save yet

        AddStep(editor, 2, [](QWidget* action) {  // Play objects, for the group "News"
            QTest::mouseClick(ControlOf<QRadioButton>(action, 1082), Qt::LeftButton, {}, QPoint(4, 8));
            auto* group = ControlOf<QComboBox>(action, 1023);
            group->setFocus();
            QTest::keyClicks(group, QStringLiteral("  News "));
            Ok(action);
        }, 309);
        AddStep(editor, 8, [](QWidget* pause) {  // Wait for a period of time: 5 seconds
            auto* seconds = ControlOf<QLineEdit>(pause, 1083);
            EXPECT_EQ(seconds->text(), QStringLiteral("10"));
            seconds->selectAll();
            QTest::keyClicks(seconds, QStringLiteral("5s"));
            Ok(pause);
        }, 310);
        AddStep(editor, 5, [](QWidget* action) { Ok(action); }, 309);  // Stop all objects

        auto* steps = ControlOf<QTreeWidget>(editor, 1079);
        EXPECT_EQ(steps->topLevelItemCount(), 3);
        EXPECT_EQ(steps->topLevelItem(2)->text(1), QStringLiteral("0:05"));
        EXPECT_TRUE(steps->topLevelItem(0)->text(0).startsWith(QStringLiteral(" 1. ")));
        EXPECT_EQ(steps->currentItem(), steps->topLevelItem(2));  // the new step is selected

        // Save through the file dialog; the title takes the script's name.
        WhenOpens([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
                  [&path](QWidget* dialog) {
                      // The operator types the name and presses Enter.
                      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                      ASSERT_NE(name, nullptr);
                      name->setText(QFileInfo(path).fileName());
                      QTest::keyClick(name, Qt::Key_Return);
                  });
        QTest::mouseClick(ControlOf<QPushButton>(editor, 1073), Qt::LeftButton);
        EXPECT_TRUE(editor->windowTitle().endsWith(QStringLiteral(" - Evening")));
        done = true;
        QTest::mouseClick(ControlOf<QPushButton>(editor, 1080), Qt::LeftButton);  // nothing unsaved: closes
    });
    Frame().Registry().Trigger(32868);
    ASSERT_TRUE(done);

    CFrameScript saved;
    ASSERT_TRUE(saved.LoadFile(path));
    ASSERT_EQ(saved.Count(), 3);
    EXPECT_EQ(saved.items[0].type, CFrameScriptItem::kPlay);
    EXPECT_EQ(saved.items[0].sdata, QStringLiteral("News"));  // trimmed
    EXPECT_EQ(saved.items[1].idata, 5);
    EXPECT_TRUE(saved.items[2].sdata.isEmpty());
    EXPECT_EQ(Doc().script.Count(), 3);
    // The status bar's script state follows at once.
    EXPECT_EQ(Frame().StatusBar()->ScriptText()->text(), QStringLiteral("script [Evening] loaded"));
}

TEST_F(ScriptEditor, LeavingUnsavedChangesAsksOnce)
{
    Start();
    int warnings = 0;
    WhenOpens(Dialog(308), [&](QWidget* editor) {
        QTest::mouseClick(ControlOf<QCheckBox>(editor, 1027), Qt::LeftButton, {}, QPoint(4, 8));  // no steps: no change
        AddStep(editor, 9, [](QWidget* wait) { Ok(wait); }, 1173);  // Wait until 12:00:00
        auto* steps = ControlOf<QTreeWidget>(editor, 1079);
        ASSERT_EQ(steps->topLevelItemCount(), 1);
        EXPECT_TRUE(steps->topLevelItem(0)->text(0).contains(QStringLiteral("12:00:00")));
        // No keeps the editor open; Yes closes it.
        WhenOpens([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                  [&warnings, editor](QWidget* box) {
                      ++warnings;
                      qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
                      WhenOpens([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                                [&warnings](QWidget* again) {
                                    ++warnings;
                                    qobject_cast<QMessageBox*>(again)->button(QMessageBox::Yes)->click();
                                });
                      QTimer::singleShot(50, editor, [editor] {
                          QTest::mouseClick(ControlOf<QPushButton>(editor, 1080), Qt::LeftButton);
                      });
                  });
        QTest::mouseClick(ControlOf<QPushButton>(editor, 1080), Qt::LeftButton);
    });
    Frame().Registry().Trigger(32868);
    EXPECT_EQ(warnings, 2);
    ASSERT_EQ(Doc().script.Count(), 1);  // the step stays in the document's script
    EXPECT_EQ(Doc().script.items[0].idata, 43200);
}

}  // namespace
