// The pages pane on a temporary pages folder with real clicks and keys:
// what it lists, files changed outside, the default action, renaming the
// open page, the context menus, the trash, a missing folder, and the
// thumbnail of the selected page.
#include "EditorTestSupport.h"

#include "document/CanvasPicture.h"
#include "editor/ThumbnailView.h"
#include "model/PageFile.h"
#include "pages/FileTreeView.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using edittest::EditorFixture;

class PagesPane : public ::testing::Test, public EditorFixture
{
protected:
    CFileTreeView& Pane() { return *Frame().Panes().files; }
    QFileSystemModel& Files() { return *Pane().Files(); }
    QString Folder() const { return PagesFolder(); }
    QString InFolder(const QString& name) const { return QDir(PagesFolder()).filePath(name); }

    static void Touch(const QString& path, const QByteArray& bytes = "x")
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A page of one opaque box, as the program writes it (with a thumbnail).
    static void WriteBoxPage(const QString& path, uint32_t colour)
    {
        CFrame box;
        box.rect = CRect{480, 270, 1440, 810};
        box.backgroundColor = colour;
        const FrameList objects{&box};
        const CPicture composed = ComposePagePicture(objects, 1920, 1080);
        CPageFileContext context;
        context.rasterWidth = 1920;
        context.rasterHeight = 1080;
        context.desktopDpi = 96;
        context.composedPage = &composed;
        ASSERT_EQ(WritePage(path, objects, context), 1);
    }
    // The names the tree shows in a folder, once the model has read it.
    QStringList Listed(const QString& folder)
    {
        const QModelIndex parent = Files().index(folder);
        Pane().Tree()->expand(Pane().ViewIndexOf(folder));
        QStringList names;
        (void)QTest::qWaitFor([&] {
            if (Files().canFetchMore(parent))
                Files().fetchMore(parent);
            return Files().rowCount(parent) > 0;
        }, 3000);
        QTest::qWait(50);
        for (int row = 0; row < Files().rowCount(parent); ++row)
            names.append(Files().index(row, 0, parent).data().toString());
        names.sort();
        return names;
    }
    bool WaitForListed(const QString& folder, const QString& name, bool listed)
    {
        return QTest::qWaitFor([&] { return Listed(folder).contains(name) == listed; }, 8000);
    }
    QModelIndex Item(const QString& path) { return Pane().ViewIndexOf(path); }
};

TEST_F(PagesPane, ListsPagesAndScriptsAndFollowsChangesOutside)
{
    Touch(InFolder(QStringLiteral("News.tavrel")));
    Touch(InFolder(QStringLiteral("Morning.SCRIPT")));
    Touch(InFolder(QStringLiteral("notes.txt")));
    Touch(InFolder(QStringLiteral("Sport/Results.tavrel")));
    Touch(InFolder(QStringLiteral("Sport/logo.png")));
    Touch(InFolder(QStringLiteral("Page 10.tavrel")));
    Touch(InFolder(QStringLiteral("page 2.tavrel")));
    Start();
    EXPECT_EQ(Pane().Root(), QDir::cleanPath(Folder()));
    EXPECT_EQ(Listed(Folder()), (QStringList{QStringLiteral("Morning.SCRIPT"), QStringLiteral("News.tavrel"),
                                             QStringLiteral("Page 10.tavrel"), QStringLiteral("Sport"),
                                             QStringLiteral("page 2.tavrel")}));
    // As a file manager sorts: folders first, numbers by value, any case.
    QStringList shown;
    const QModelIndex root = Pane().Tree()->rootIndex();
    for (int row = 0; row < Pane().Tree()->model()->rowCount(root); ++row)
        shown.append(Pane().Tree()->model()->index(row, 0, root).data().toString());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Sport"), QStringLiteral("Morning.SCRIPT"),
                                  QStringLiteral("News.tavrel"), QStringLiteral("page 2.tavrel"),
                                  QStringLiteral("Page 10.tavrel")}));
    EXPECT_EQ(Listed(InFolder(QStringLiteral("Sport"))), QStringList{QStringLiteral("Results.tavrel")});

    // Created, renamed and deleted by another program.
    const QString weather = InFolder(QStringLiteral("Sport/Weather.tavrel"));
    Touch(weather);
    EXPECT_TRUE(WaitForListed(InFolder(QStringLiteral("Sport")), QStringLiteral("Weather.tavrel"), true));
    ASSERT_TRUE(QFile::rename(weather, InFolder(QStringLiteral("Sport/Forecast.tavrel"))));
    EXPECT_TRUE(WaitForListed(InFolder(QStringLiteral("Sport")), QStringLiteral("Forecast.tavrel"), true));
    EXPECT_TRUE(WaitForListed(InFolder(QStringLiteral("Sport")), QStringLiteral("Weather.tavrel"), false));
    ASSERT_TRUE(QFile::remove(InFolder(QStringLiteral("Sport/Forecast.tavrel"))));
    EXPECT_TRUE(WaitForListed(InFolder(QStringLiteral("Sport")), QStringLiteral("Forecast.tavrel"), false));
}

TEST_F(PagesPane, DoubleClickRunsTheDefaultActionAndRenameKeepsTheOpenPagesPath)
{
    const QString news = InFolder(QStringLiteral("News.tavrel"));
    WriteBoxPage(news, 0xFF2080C0u);
    Start(true);  // an editor instance: Load opens the page as the document
    ASSERT_EQ(Listed(Folder()), QStringList{QStringLiteral("News.tavrel")});
    ASSERT_TRUE(Pane().SelectPath(news));
    const QRect cell = Pane().Tree()->visualRect(Item(news));
    QTest::mouseDClick(Pane().Tree()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Doc().PathName(), news);
    EXPECT_EQ(Doc().page.LiveCount(), 1);

    // F2, a new name typed over the selected base name, Enter.
    Pane().Tree()->setFocus();
    QTest::keyClick(Pane().Tree(), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::qWait(10);  // the base name is selected a moment later
    EXPECT_EQ(editor->selectedText(), QStringLiteral("News"));
    QTest::keyClicks(editor, QStringLiteral("Evening"));
    QTest::keyClick(editor, Qt::Key_Return);
    const QString evening = InFolder(QStringLiteral("Evening.tavrel"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(evening); }, 3000));
    EXPECT_EQ(Doc().PathName(), evening);
    EXPECT_EQ(Doc().Title(), QStringLiteral("Evening.tavrel"));
}

TEST_F(PagesPane, ContextMenusTrashAndANewFolder)
{
    const QString page = InFolder(QStringLiteral("Page.tavrel"));
    Touch(page);
    Touch(InFolder(QStringLiteral("Loop.script")));
    QDir().mkpath(InFolder(QStringLiteral("Archive")));
    Write(settings::kDefaultTreeAction, 2);  // load and play
    Start();
    ASSERT_EQ(Listed(Folder()).size(), 3);

    struct Case
    {
        const char* what;
        QString path;
        int menu;  // 0: none
        int defaultCommand;
    };
    const Case cases[] = {
        {"page", page, 205, 32855},
        {"script", InFolder(QStringLiteral("Loop.script")), 206, 32855},
        {"folder", InFolder(QStringLiteral("Archive")), 0, 0},
    };
    for (const Case& c : cases) {
        int menu = 0;
        int preferred = 0;
        const auto watch = QObject::connect(&Pane(), &CFileTreeView::ContextMenuRequested,
                                            [&](int id, int command, QPoint) { menu = id; preferred = command; });
        const QRect cell = Pane().Tree()->visualRect(Item(c.path));
        QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                                Pane().Tree()->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(Pane().Tree()->viewport(), &event);
        QObject::disconnect(watch);
        EXPECT_EQ(menu, c.menu) << c.what;
        EXPECT_EQ(preferred, c.defaultCommand) << c.what;
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            ASSERT_NE(popup->defaultAction(), nullptr) << c.what;
            EXPECT_EQ(popup->defaultAction(), Frame().Registry().Action(c.defaultCommand)) << c.what;
            EXPECT_TRUE(popup->actions().contains(Pane().MenuExtras().value(1))) << c.what;
            popup->close();
        }
    }

    // Delete asks; No keeps the file, Yes moves it into the desktop's trash.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    ASSERT_TRUE(Pane().SelectPath(page));
    Pane().Tree()->setFocus();
    EditorFixture::WhenModalOpens([](QWidget* box) {
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    QTest::keyClick(Pane().Tree(), Qt::Key_Delete);
    EXPECT_TRUE(QFile::exists(page));
    EditorFixture::WhenModalOpens([](QWidget* box) {
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
    });
    QTest::keyClick(Pane().Tree(), Qt::Key_Delete);
    EXPECT_FALSE(QFile::exists(page));
    EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/Trash/files/Page.tavrel")));
    qunsetenv("XDG_DATA_HOME");

    // Ctrl+Shift+N: a new folder in the selected one, named for renaming.
    ASSERT_TRUE(Pane().SelectPath(InFolder(QStringLiteral("Archive"))));
    QTest::keyClick(Pane().Tree(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QFileInfo(InFolder(QStringLiteral("Archive/New folder"))).isDir());
    EXPECT_EQ(Pane().SelectedPath(), InFolder(QStringLiteral("Archive/New folder")));
}

TEST_F(PagesPane, AMissingFolderSaysSoAndTheThumbnailFollowsTheSelection)
{
    const QString red = InFolder(QStringLiteral("Red.tavrel"));
    WriteBoxPage(red, 0xFF2020D0u);  // a red box
    Touch(InFolder(QStringLiteral("Show.script")));
    Start();
    ASSERT_EQ(Listed(Folder()).size(), 2);
    auto* thumbnail = static_cast<CThumbnailView*>(Frame().Panes().thumbnail);
    thumbnail->resize(240, 135);
    ASSERT_TRUE(Pane().SelectPath(red));
    ASSERT_TRUE(Doc().PagesPane().ThumbnailValid());
    QImage shown(thumbnail->size(), QImage::Format_ARGB32);
    thumbnail->render(&shown);
    edittest::ExpectGolden(shown, QStringLiteral("thumbnail/red_box.png"));

    // A script has none: the pane colour.
    ASSERT_TRUE(Pane().SelectPath(InFolder(QStringLiteral("Show.script"))));
    EXPECT_FALSE(Doc().PagesPane().ThumbnailValid());
    EXPECT_EQ(thumbnail->Image().pixel(50, 50), thumbnail->palette().color(QPalette::Dark).rgb());

    Pane().SetRoot(InFolder(QStringLiteral("gone")));
    auto* missing = Pane().findChild<QLabel*>(QStringLiteral("pagesFolderMissing"));
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->isVisible());
    EXPECT_TRUE(missing->text().contains(QStringLiteral("gone")));
    Pane().SetRoot(Folder());
    EXPECT_TRUE(Pane().Tree()->isVisible());
}

}  // namespace
