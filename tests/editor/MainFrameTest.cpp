// The main window on the X display: layout kept between runs, every
// command of the menus reaching the document, the left pane switch, the
// preview row, and the text format boxes.
#include "EditorTestSupport.h"

#include "app/CommandTable.h"
#include "document/CommandIds.h"
#include "editor/CommandIcons.h"
#include "editor/FontSelectComboBox.h"
#include "editor/FontSizeComboBox.h"
#include "editor/FormatToolBar.h"
#include "editor/MainStatusBar.h"
#include "editor/MainToolBar.h"
#include "editor/PreView.h"

#include <QFileDialog>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSplitter>
#include <QToolBar>
#include <QAbstractItemView>

#include <gtest/gtest.h>

namespace {

using edittest::EditorFixture;
using edittest::MenuAction;

class MainWindow : public ::testing::Test, public EditorFixture
{
};

int SettingOf(const char* section, const char* name)
{
    return QSettings().value(QStringLiteral("%1/%2").arg(QLatin1String(section), QLatin1String(name)), -999).toInt();
}

TEST_F(MainWindow, LayoutComesBackOnTheNextStartAndEditorsKeepTheirOwn)
{
    Start();
    Frame().showNormal();
    Frame().setGeometry(100, 80, 900, 650);
    QTest::qWait(50);
    Frame().OuterSplitter()->setSizes({230, 400, 270});
    Frame().LeftSplitter()->setSizes({300, 130});
    const QRect geometry = Frame().geometry();

    // F3: the navigator takes the left column and the thumbnail row's
    // height is kept; F3 again brings both back.
    Press(Qt::Key_F3);
    EXPECT_TRUE(Frame().NavigatorShown());
    EXPECT_TRUE(Frame().Panes().navigator->isVisible());
    EXPECT_FALSE(Frame().Panes().thumbnail->isVisible());
    EXPECT_TRUE(Frame().Registry().Action(32883)->isChecked());
    EXPECT_EQ(SettingOf("Layout", "ThumbHeight"), 130);
    Press(Qt::Key_F3);
    EXPECT_FALSE(Frame().NavigatorShown());
    EXPECT_TRUE(Frame().Panes().pages->isVisible());
    EXPECT_TRUE(Frame().Panes().thumbnail->isVisible());
    EXPECT_EQ(Frame().LeftSplitter()->sizes().value(1), 130);
    Frame().LeftSplitter()->setSizes({290, 140});

    ASSERT_TRUE(Frame().close());
    EXPECT_EQ(SettingOf("Layout", "Maximize"), 0);
    EXPECT_EQ(SettingOf("Layout", "Width"), geometry.width());
    EXPECT_EQ(SettingOf("Layout", "PaneWidth"), 230);
    EXPECT_EQ(SettingOf("Layout", "PropsWidth"), 270);
    EXPECT_EQ(SettingOf("Layout", "ThumbHeight"), 140);
    EXPECT_EQ(SettingOf("LayoutEdit", "PaneWidth"), -999);

    Start();
    QTest::qWait(50);
    EXPECT_FALSE(Frame().isMaximized());
    EXPECT_EQ(Frame().geometry().size(), geometry.size());
    EXPECT_EQ(Frame().OuterSplitter()->sizes().value(0), 230);
    EXPECT_EQ(Frame().OuterSplitter()->sizes().value(2), 270);
    EXPECT_EQ(Frame().LeftSplitter()->sizes().value(1), 140);
    EXPECT_FALSE(Frame().NavigatorShown());
    // The side columns keep their widths when the window grows.
    Frame().resize(Frame().width() + 200, Frame().height());
    QTest::qWait(50);
    EXPECT_EQ(Frame().OuterSplitter()->sizes().value(0), 230);
    EXPECT_EQ(Frame().OuterSplitter()->sizes().value(2), 270);

    // An edit-only instance: its own title and its own section.
    ASSERT_TRUE(Frame().close());
    QSettings().setValue(QStringLiteral("LayoutEdit/PaneWidth"), 180);
    QSettings().setValue(QStringLiteral("LayoutEdit/Maximize"), 0);
    Start(true);
    QTest::qWait(50);
    EXPECT_TRUE(Frame().windowTitle().startsWith(QStringLiteral("Tavrel Editor - Untitled")));
    EXPECT_EQ(Frame().OuterSplitter()->sizes().value(0), 180);
    EXPECT_EQ(Frame().StatusBar()->ProgramState(), kStateEditMode);
    Frame().OuterSplitter()->setSizes({190, 500, 260});
    ASSERT_TRUE(Frame().close());
    EXPECT_EQ(SettingOf("LayoutEdit", "PaneWidth"), 190);
    EXPECT_EQ(SettingOf("Layout", "PaneWidth"), 230);
}

// Every command of the menus: where it is (menus parted by "|"), and whether
// it can be used with the output off and on, on an empty page. What this
// version does not have yet (text editing and formatting, the properties, the dialogs of the script editor, automation, preferences,
// wizard) is greyed, not silently ignored.
TEST_F(MainWindow, EveryMenuCommandHasItsPlaceAndItsState)
{
    struct Case
    {
        int id;
        const char* path;
        bool idle;
        bool outputOn;
    };
    const Case cases[] = {
        {57600, "File|New", true, true},
        {57601, "File|Open...", true, true},
        {57603, "File|Save", true, true},
        {57604, "File|Save As...", true, true},
        {57665, "File|Exit", true, true},
        {57643, "Edit|Undo", false, false},
        {57644, "Edit|Redo", false, false},
        {57635, "Edit|Cut", false, false},
        {57634, "Edit|Copy", false, false},
        {57637, "Edit|Paste", false, false},
        {32883, "View|Object Navigator", true, true},
        {32814, "View|Zoom in", true, true},
        {32813, "View|Zoom out", true, true},
        {32805, "View|Snap to grid", true, true},
        {32815, "Object|Add|Simple object", true, true},
        {32816, "Object|Add|Picture/animation", true, true},
        {32817, "Object|Clone", false, false},
        {32807, "Object|Delete", false, false},
        {32802, "Object|Move Up", false, false},
        {32803, "Object|Move Down", false, false},
        {32806, "Object|Lock", false, false},
        {32834, "Object|Edit text", false, false},
        {32835, "Object|Properties", false, false},
        {32823, "Format|Font|Bold", false, false},
        {32824, "Format|Font|Italic", false, false},
        {32825, "Format|Font|Underline", false, false},
        {32826, "Format|Font|Text color", false, false},
        {32836, "Format|Font|Background color", false, false},
        {32837, "Format|Font|Superscript", false, false},
        {32839, "Format|Font|Normal script", false, false},
        {32838, "Format|Font|Subscript", false, false},
        {32830, "Format|Font|Properties", false, false},
        {32827, "Format|Paragraph|Left", false, false},
        {32828, "Format|Paragraph|Center", false, false},
        {32829, "Format|Paragraph|Right", false, false},
        {32831, "Format|Paragraph|Properties", false, false},
        {32818, "Playback|HDMI output", true, true},
        {32850, "Playback|Preview", true, false},
        {32821, "Playback|Play object", false, false},
        {32809, "Playback|Pause/resume object", false, false},
        {32822, "Playback|End object", false, false},
        {32819, "Playback|Stop object", false, false},
        {32810, "Playback|Play all objects", false, true},
        {32812, "Playback|Pause all objects", false, true},
        {32840, "Playback|End all objects", false, true},
        {32811, "Playback|Stop all objects", false, true},
        {32869, "Scripts|Play", false, true},
        {32870, "Scripts|Stop", false, false},
        {32868, "Scripts|Script editor", true, true},
        {32882, "Scripts|Automation", true, true},
        {32841, "Settings|Preferences", true, true},
        {32849, "Settings|Run initial setup wizard", true, false},
        {32900, "Settings|Language|English", true, true},
        {57664, "Settings|About Tavrel...", true, true},
    };
    Start();
    QMenuBar* bar = Frame().menuBar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        QAction* action = MenuAction(bar, QString::fromLatin1(c.path));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action, Frame().Registry().Action(c.id));
        EXPECT_EQ(action->isEnabled(), c.idle);
    }
    // Every toolbar button is the menu's own action.
    for (QToolBar* toolBar : {static_cast<QToolBar*>(Frame().MainToolBar()), static_cast<QToolBar*>(Frame().FormatToolBar())}) {
        for (QAction* action : toolBar->actions()) {
            if (!action->isSeparator() && action->data().isValid()) {
                EXPECT_EQ(action, Frame().Registry().Action(action->data().toInt()));
            }
        }
    }

    // F10 reaches the document: the output goes on.
    Press(Qt::Key_F10);
    ASSERT_TRUE(Doc().OutputOn());
    EXPECT_EQ(Frame().StatusBar()->ProgramState(), kStateHdmiOutput);
    EXPECT_EQ(Frame().StatusBar()->ProgramStateIcon()->toolTip(), QStringLiteral("HDMI output is on"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(MenuAction(bar, QString::fromLatin1(c.path))->isEnabled(), c.outputOn);
    }
    EXPECT_TRUE(Frame().Registry().Action(32818)->isChecked());
    Press(Qt::Key_F10);
    EXPECT_FALSE(Doc().OutputOn());
    EXPECT_EQ(Frame().StatusBar()->ProgramState(), kStateIdle);
}

TEST_F(MainWindow, KeysAndButtonsRunTheDocumentsCommands)
{
    Start();
    auto object = std::make_unique<CFrame>();
    object->rect = {0, 0, 100, 50};
    object->hotkey = 2;  // Ctrl+1
    CFrame* raw = object.get();
    ASSERT_TRUE(Doc().page.AddObject(object));

    Press(Qt::Key_F10);
    ASSERT_TRUE(Doc().OutputOn());
    Press(Qt::Key_F5);  // play all
    EXPECT_TRUE(raw->playing.load());
    Press(Qt::Key_F8);  // stop all
    EXPECT_FALSE(raw->playing.load());
    Press(Qt::Key_1, Qt::ControlModifier);  // the object's hotkey
    EXPECT_TRUE(raw->playing.load());
    Press(Qt::Key_F8);

    // The toolbar's button of Stop all objects is the same command.
    QAction* playAll = Frame().Registry().Action(cmd::kPlayAll);
    QWidget* button = Frame().MainToolBar()->widgetForAction(playAll);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(raw->playing.load());
    Press(Qt::Key_F10);

    // File/New empties the page; the title follows the document.
    Doc().SetModifiedFlag(true);
    EXPECT_TRUE(Frame().isWindowModified());
    EditorFixture::WhenModalOpens([](QWidget* box) {
        if (auto* message = qobject_cast<QMessageBox*>(box))
            message->button(QMessageBox::No)->click();  // do not save
    });
    Press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Doc().page.LiveCount(), 0);
    EXPECT_FALSE(Frame().isWindowModified());
}

TEST_F(MainWindow, ClosingAsksAboutAModifiedPageAndCancelKeepsTheWindow)
{
    QSettings().setValue(QStringLiteral("Layout/Maximize"), 0);
    Start();
    Frame().OuterSplitter()->setSizes({210, 500, 260});
    Doc().SetModifiedFlag(true);
    QString asked;
    EditorFixture::WhenModalOpens([&](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        asked = message->text();
        message->button(QMessageBox::Cancel)->click();
    });
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(asked, QStringLiteral("Save changes to 'Untitled'?"));
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(SettingOf("Layout", "PaneWidth"), -999);  // nothing stored yet

    EditorFixture::WhenModalOpens([](QWidget* box) {
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    EXPECT_TRUE(Frame().close());
    EXPECT_EQ(SettingOf("Layout", "PaneWidth"), 210);
}

TEST_F(MainWindow, OpenChoosesAPageInThePagesFolder)
{
    Start();
    const QString path = QDir(PagesFolder()).filePath(QStringLiteral("news.tavrel"));
    {
        CFrame object;
        object.rect = {0, 0, 200, 100};
        CPageFileContext context;
        context.rasterWidth = 1920;
        context.rasterHeight = 1080;
        context.desktopDpi = 96;
        ASSERT_EQ(WritePage(path, FrameList{&object}, context), 1);
    }
    QString startFolder;
    EditorFixture::WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        startFolder = dialog->directory().absolutePath();
        // The operator types the name and presses Enter.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QFileInfo(path).fileName());
        QTest::keyClick(name, Qt::Key_Return);
    });
    Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(QDir(startFolder), QDir(PagesFolder()));
    EXPECT_EQ(Doc().PathName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(Doc().page.LiveCount(), 1);
    EXPECT_TRUE(Frame().windowTitle().startsWith(QStringLiteral("Tavrel - news.tavrel")));
}

TEST_F(MainWindow, PreviewRowOpensForThePreviewAndKeepsItsHeight)
{
    QSettings().setValue(QStringLiteral("Layout/Maximize"), 0);
    QSettings().setValue(QStringLiteral("Layout/PreviewHeight"), 60);  // below the row's least height
    Start();
    EXPECT_FALSE(Frame().PreviewPane()->isVisible());
    Press(Qt::Key_F9);
    ASSERT_TRUE(Doc().OutputOn());
    EXPECT_TRUE(Frame().PreviewPane()->isVisible());
    EXPECT_EQ(Frame().CentreSplitter()->sizes().value(0), 100);
    EXPECT_EQ(Frame().StatusBar()->ProgramState(), kStatePreview);
    // The page keeps its proportions in the row.
    const QRect shown = Frame().PreviewPane()->PageRect();
    EXPECT_NEAR(shown.height(), 100, 1);  // the height from the width, truncated
    EXPECT_NEAR(shown.width() * 1080.0 / shown.height(), 1920.0, 20.0);
    Frame().CentreSplitter()->setSizes({240, 400});
    Press(Qt::Key_F9);
    EXPECT_FALSE(Doc().OutputOn());
    EXPECT_FALSE(Frame().PreviewPane()->isVisible());
    EXPECT_EQ(SettingOf("Layout", "PreviewHeight"), 240);
    Press(Qt::Key_F9);
    EXPECT_EQ(Frame().CentreSplitter()->sizes().value(0), 240);
    // F10 takes the preview over to the HDMI output in one step.
    Press(Qt::Key_F10);
    EXPECT_FALSE(Frame().PreviewPane()->isVisible());
    EXPECT_EQ(Frame().StatusBar()->ProgramState(), kStateHdmiOutput);
}

TEST_F(MainWindow, FontSizeBoxTakesTypedSizesFrom8To200)
{
    Start();
    CFontSizeComboBox* box = Frame().FormatToolBar()->FontSizeBox();
    // Usable only while text is edited: no canvas edits text yet.
    EXPECT_FALSE(box->isEnabled());
    EXPECT_TRUE(box->currentText().isEmpty());
    box->setEnabled(true);
    QSignalSpy chosen(box, &CFontSizeComboBox::FontSizeChosen);
    box->setFocus();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("250"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(box->currentText().isEmpty());
    EXPECT_EQ(chosen.count(), 0);
    QTest::keyClicks(box->lineEdit(), QStringLiteral("24"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Enter);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().value(0).toInt(), 24);
    // 240 comes from the list: what the list's click ends in.
    box->setCurrentIndex(box->count() - 1);
    emit box->activated(box->count() - 1);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().value(0).toInt(), 240);
    EXPECT_EQ(Frame().FormatToolBar()->ChosenSize(), 240);

    // The font name box takes a name it lists, once, and nothing else.
    CFontSelectComboBox* names = Frame().FormatToolBar()->FontNameBox();
    ASSERT_GT(names->count(), 0);
    names->setEnabled(true);
    QSignalSpy fonts(names, &CFontSelectComboBox::FontChosen);
    names->setFocus();
    const QString family = names->itemText(names->count() - 1);
    QTest::keyClicks(names->lineEdit(), family);
    QTest::keyClick(names->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(fonts.count(), 1);
    EXPECT_EQ(fonts.takeFirst().value(0).toString(), family);
    names->lineEdit()->clear();
    QTest::keyClicks(names->lineEdit(), QStringLiteral("No such face at all"));
    QTest::keyClick(names->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(fonts.count(), 0);
}

TEST_F(MainWindow, ControlsHaveNamesTooltipsAndIcons)
{
    Start();
    for (const auto& [id, action] : Frame().Registry().Actions()) {
        SCOPED_TRACE(id);
        const CommandInfo* command = FindCommand(id);
        ASSERT_NE(command, nullptr);
        if (command->icon[0] != '\0') {
            EXPECT_FALSE(action->icon().isNull());
            EXPECT_FALSE(action->icon().pixmap(16).isNull());
            EXPECT_FALSE(action->icon().pixmap(QSize(16, 16), QIcon::Disabled).isNull());
        }
        if (command->text[0] != '\0' && id < 32901) {
            EXPECT_FALSE(action->toolTip().isEmpty());
        }
    }
    for (QToolBar* toolBar : Frame().findChildren<QToolBar*>()) {
        EXPECT_FALSE(toolBar->accessibleName().isEmpty());
        for (QAction* action : toolBar->actions()) {
            if (QWidget* widget = toolBar->widgetForAction(action); widget != nullptr && !action->isSeparator()) {
                EXPECT_FALSE(widget->toolTip().isEmpty() && action->toolTip().isEmpty())
                    << widget->metaObject()->className();
            }
        }
    }
    const EditorPanes& panes = Frame().Panes();
    const std::pair<QWidget*, const char*> named[] = {{panes.canvas, "Page"},
                                                      {panes.properties, "Object properties"},
                                                      {panes.navigator, "Objects"},
                                                      {panes.pages, "Pages"}};
    for (const auto& [pane, name] : named)
        EXPECT_EQ(pane->accessibleName(), QString::fromLatin1(name));
    for (const char* state : {"state-idle", "state-hdmi", "state-edit", "state-preview", "script-none", "script-loaded",
                              "script-playing", "tavrel"})
        EXPECT_FALSE(ProgramIcon(QString::fromLatin1(state)).pixmap(16).isNull()) << state;
    EXPECT_EQ(Frame().StatusBar()->MessagePane()->text(), QStringLiteral("Ready"));
}

TEST(GreyedImage, EveryPixelBecomesTheWeightedGreyFrom128)
{
    struct Case
    {
        QRgb in;
        int grey;
    };
    const Case cases[] = {{qRgba(255, 255, 255, 255), 255}, {qRgba(0, 0, 0, 255), 128}, {qRgba(255, 0, 0, 255), 139},
                          {qRgba(0, 255, 0, 255), 195},     {qRgba(0, 0, 255, 255), 128}, {qRgba(200, 200, 200, 90), 200}};
    QImage image(static_cast<int>(std::size(cases)), 1, QImage::Format_ARGB32);
    for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, 0, cases[x].in);
    const QImage grey = GreyedImage(image);
    for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = grey.pixel(x, 0);
        EXPECT_EQ(qRed(pixel), cases[x].grey) << x;
        EXPECT_EQ(qGreen(pixel), cases[x].grey) << x;
        EXPECT_EQ(qBlue(pixel), cases[x].grey) << x;
        EXPECT_EQ(qAlpha(pixel), qAlpha(cases[x].in)) << x;
    }
}

}  // namespace
