// The page canvas with real mouse and key events: adding, dragging and
// resizing as one undo step each, keys, zoom and the geometry pane.
#include "EditorTestSupport.h"

#include "editor/FontSizeComboBox.h"
#include "editor/FormatToolBar.h"
#include "editor/InPlaceTextEditor.h"
#include "editor/MainStatusBar.h"
#include "editor/MainToolBar.h"
#include "editor/MainView.h"

#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

using edittest::ControlOf;
using edittest::EditorFixture;

class Canvas : public ::testing::Test, public EditorFixture
{
protected:
    CMainView& View() { return *Frame().Panes().view; }
    CFrame* Selection() { return Doc().Selection(); }
    static CRect Rect(int l, int t, int r, int b) { return CRect{l, t, r, b}; }
    static bool Same(const CRect& a, const CRect& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

TEST_F(Canvas, AddDragAndResizeAreOneUndoStepEach)
{
    QSettings().setValue(QStringLiteral("Layout/Maximize"), 0);
    Start();
    ASSERT_NE(Frame().Panes().view, nullptr);
    View().SetZoomLevel(3);  // 50 %
    QWidget* viewport = View().viewport();

    Frame().Registry().Trigger(32815);  // add a simple object
    ASSERT_NE(Selection(), nullptr);
    EXPECT_TRUE(Same(Selection()->rect, Rect(32, 32, 288, 160)));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Frame().StatusBar()->GeometryPane()->text(), QStringLiteral(" 1: 32,32 - 288,160 (256x128)"));

    // Drag the selection by 50 x 20 view pixels: 100 x 40 page pixels at 50 %.
    const QPoint inside = View().SelectionFrame().center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, inside);
    QTest::mouseMove(viewport, inside + QPoint(25, 10));
    QTest::mouseMove(viewport, inside + QPoint(50, 20));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, inside + QPoint(50, 20));
    EXPECT_TRUE(Same(Selection()->rect, Rect(132, 72, 388, 200)));
    EXPECT_EQ(Doc().Undo().undoSteps.size(), 2u);

    // Resize by the right edge's handle: the width grows, the left stays.
    const QRect frame = View().SelectionFrame();
    const QPoint handle(frame.right() + 3, frame.center().y());
    QTest::mousePress(viewport, Qt::LeftButton, {}, handle);
    QTest::mouseMove(viewport, handle + QPoint(30, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, handle + QPoint(30, 0));
    EXPECT_EQ(Selection()->rect.left, 132);
    EXPECT_GT(Selection()->rect.right, 388 + 50);
    EXPECT_EQ(Doc().Undo().undoSteps.size(), 3u);

    // Escape while dragging leaves the object where it was, with no step.
    const CRect before = Selection()->rect;
    const QPoint centre = View().SelectionFrame().center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre);
    QTest::mouseMove(viewport, centre + QPoint(40, 40));
    QTest::keyClick(&View(), Qt::Key_Escape);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre + QPoint(40, 40));
    EXPECT_TRUE(Same(Selection()->rect, before));
    EXPECT_EQ(Doc().Undo().undoSteps.size(), 3u);

    // Undo takes the resize back, then the move.
    View().setFocus();
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Same(Selection()->rect, Rect(132, 72, 388, 200)));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Same(Selection()->rect, Rect(32, 32, 288, 160)));
}

TEST_F(Canvas, PictureImportAddsTheObjectAtItsSize)
{
    Start();
    const QString picture = QDir(PagesFolder()).filePath(QStringLiteral("logo.png"));
    QImage logo(200, 100, QImage::Format_ARGB32);
    logo.fill(qRgba(20, 120, 220, 255));
    ASSERT_TRUE(logo.save(picture));

    QString filter;
    EditorFixture::WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filter = dialog->selectedNameFilter();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("logo.png"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    Frame().Registry().Trigger(32816);
    ASSERT_NE(Selection(), nullptr);
    EXPECT_TRUE(Same(Selection()->rect, Rect(32, 32, 232, 132)));
    EXPECT_EQ(Doc().Undo().undoSteps.size(), 1u);
    EXPECT_TRUE(filter.startsWith(QStringLiteral("Pictures, animations, image lists (*.tga *.bmp *.png")));
    // Its picture is on the canvas.
    const QRgb shown = View().ComposedPicture().pixel(100, 80);
    EXPECT_EQ(qBlue(shown), 220);
}

TEST_F(Canvas, TextTypedInPlaceIsStoredAsOneUndoStep)
{
    Start();
    Frame().Registry().Trigger(32815);
    CFrame* object = Selection();
    ASSERT_NE(object, nullptr);
    const QByteArray before = object->richText;
    const size_t steps = Doc().Undo().undoSteps.size();

    View().setFocus();
    Frame().Registry().Trigger(32834);  // Edit text, as Enter on the canvas
    ASSERT_TRUE(View().Editing());
    EXPECT_TRUE(Frame().Registry().Action(32834)->isChecked());
    CInPlaceTextEditor* editor = View().TextEditor();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral(" Hello"));
    // The format toolbar works while text is edited; Ctrl+B makes what
    // follows bold and its button shows it.
    Frame().RefreshCommandStates();
    EXPECT_TRUE(Frame().Registry().Action(32823)->isEnabled());
    EXPECT_FALSE(Frame().Registry().Action(32823)->isChecked());
    QTest::keyClick(&Frame(), Qt::Key_B, Qt::ControlModifier);
    Frame().RefreshCommandStates();
    EXPECT_TRUE(Frame().Registry().Action(32823)->isChecked());
    QTest::keyClicks(editor, QStringLiteral("Bold"));
    Frame().Registry().Trigger(32828);  // centre the paragraph
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(View().Editing());
    EXPECT_FALSE(Frame().Registry().Action(32823)->isEnabled());
    EXPECT_TRUE(object->richText.contains("Hello")) << object->richText.constData();
    EXPECT_TRUE(object->richText.contains("\\b Bold") || object->richText.contains("\\b\\")
                || object->richText.contains("\\b "))
        << object->richText.constData();
    EXPECT_TRUE(object->richText.contains("\\qc")) << object->richText.constData();
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps + 1);

    // Undo gives the text back.
    Frame().Registry().Trigger(57643);
    EXPECT_EQ(object->richText, before);
}

TEST_F(Canvas, OpeningAndClosingTheEditorChangesNothing)
{
    Start();
    Frame().Registry().Trigger(32815);
    CFrame* object = Selection();
    object->movement = kMovementScroll;  // one line
    object->reverse = 1;
    // Written by another program: the same text spelt otherwise than this
    // one writes it, which must stay byte for byte.
    object->richText = "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Arial;}}\r\n\\pard\\plain\\f0\\fs56 Ticker text\\par\r\n}";
    const QByteArray stored = object->richText;
    Doc().SetModifiedFlag(false);
    const size_t steps = Doc().Undo().undoSteps.size();
    Frame().Registry().Trigger(32834);
    ASSERT_TRUE(View().Editing());
    Frame().Registry().Trigger(32834);
    EXPECT_EQ(object->richText, stored);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Doc().Undo().undoSteps.size(), steps);

    // A text read from an RTF file is not edited here.
    object->textSource = kSourceRtfFile;
    Frame().Registry().Trigger(32834);
    EXPECT_FALSE(View().Editing());

    // A page replaced while text is edited takes the editor with it.
    object->textSource = kSourceObjectText;
    Frame().Registry().Trigger(32834);
    ASSERT_TRUE(View().Editing());
    ASSERT_TRUE(Doc().OnNewDocument());
    EXPECT_FALSE(View().Editing());
    EXPECT_EQ(Doc().page.LiveCount(), 0);
}

void ClickOk(QWidget* dialog)
{
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

TEST_F(Canvas, FormattingDialogsAndScriptsChangeWhatIsStored)
{
    Start();
    Frame().Registry().Trigger(32815);
    CFrame* object = Selection();
    ASSERT_NE(object, nullptr);
    Frame().Registry().Trigger(32834);
    CInPlaceTextEditor* editor = View().TextEditor();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Breaking news"));
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    Frame().RefreshCommandStates();
    for (const int id : {32826, 32836, 32837, 32838, 32839, 32830, 32831})
        EXPECT_TRUE(Frame().Registry().Action(id)->isEnabled()) << id;

    // Text colour from the standard colour dialog.
    EditorFixture::WhenModalOpens([](QWidget* dialog) {
        qobject_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(255, 0, 0));
        qobject_cast<QColorDialog*>(dialog)->accept();
    });
    Frame().Registry().Trigger(32826);
    EXPECT_FALSE(editor->HasSelection());  // collapsed to its end
    // A face and size from the font dialog, for all of it.
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    EditorFixture::WhenModalOpens([](QWidget* dialog) {
        auto* fonts = qobject_cast<QFontDialog*>(dialog);
        QFont font = fonts->currentFont();
        font.setFamily(QStringLiteral("Liberation Serif"));
        font.setPointSize(40);
        fonts->setCurrentFont(font);
        fonts->accept();
    });
    Frame().Registry().Trigger(32830);
    Frame().RefreshCommandStates();
    EXPECT_EQ(Frame().FormatToolBar()->FontSizeBox()->currentText(), QStringLiteral("40"));
    // Raised by a fifth of 40 points twice: 320 twips, 16 points.
    Frame().Registry().Trigger(32837);
    Frame().Registry().Trigger(32837);
    // Margins from the paragraph dialog, in pixels.
    EditorFixture::WhenModalOpens([](QWidget* dialog) {
        EXPECT_TRUE(ControlOf<QComboBox>(dialog, 1001)->isEnabled());
        QLineEdit* left = ControlOf<QLineEdit>(dialog, 1002);
        left->setFocus();
        QTest::keyClicks(left, QStringLiteral("12"));
        ClickOk(dialog);
    });
    Frame().Registry().Trigger(32831);
    // A background colour is set from the dialog, and a second command
    // removes it without asking.
    EditorFixture::WhenModalOpens([](QWidget* dialog) {
        qobject_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(0, 0, 255));
        qobject_cast<QColorDialog*>(dialog)->accept();
    });
    Frame().Registry().Trigger(32836);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    Frame().RefreshCommandStates();
    EXPECT_TRUE(Frame().Registry().Action(32836)->isChecked());
    Frame().Registry().Trigger(32836);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);

    const QByteArray& rtf = object->richText;
    EXPECT_TRUE(rtf.contains("\\red255\\green0\\blue0;")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("Liberation Serif")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\fs80")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\up32")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\li")) << rtf.constData();
    EXPECT_FALSE(rtf.contains("\\highlight") || rtf.contains("\\cb")) << rtf.constData();

    // One line: the paragraph dialog offers no alignment, right margin or
    // line spacing.
    object->movement = kMovementScroll;
    Frame().Registry().Trigger(32834);
    bool checked = false;
    EditorFixture::WhenModalOpens([&checked](QWidget* dialog) {
        EXPECT_FALSE(ControlOf<QComboBox>(dialog, 1001)->isEnabled());
        EXPECT_FALSE(ControlOf<QLineEdit>(dialog, 1003)->isEnabled());
        EXPECT_FALSE(ControlOf<QComboBox>(dialog, 1007)->isEnabled());
        EXPECT_TRUE(ControlOf<QLineEdit>(dialog, 1002)->isEnabled());
        qobject_cast<QDialog*>(dialog)->reject();
        checked = true;
    });
    Frame().Registry().Trigger(32831);
    EXPECT_TRUE(checked);
}

TEST_F(Canvas, PasteKeepsWhatThePageCanStoreAndOneLineStaysOne)
{
    Start();
    Frame().Registry().Trigger(32815);
    CFrame* object = Selection();
    object->movement = kMovementScroll;
    Frame().Registry().Trigger(32834);
    CInPlaceTextEditor* editor = View().TextEditor();
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<p>First <b>bold</b><img src='logo.png'></p><p>second</p>"));
    data->setText(QStringLiteral("First bold\nsecond"));
    QGuiApplication::clipboard()->setMimeData(data);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    // Enter on one line types a space too.
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("end"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(object->richText.contains("logo")) << object->richText.constData();
    EXPECT_TRUE(object->richText.contains("\\b bold")) << object->richText.constData();
    {
        CRichEditExCtrl stored(CRichEditExCtrl::kMultiLine);
        ASSERT_TRUE(stored.StreamIn(object->richText.constData(), object->richText.size()));
        EXPECT_EQ(stored.Text(), QStringLiteral("First bold second end"));
    }

    // Several lines: a copy pastes back with its formats and paragraphs.
    object->movement = kMovementFixed;
    Frame().Registry().Trigger(32834);
    editor = View().TextEditor();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("one"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("two"));
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    Frame().Registry().Trigger(32823);  // bold
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("text/rtf")));
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    Frame().Registry().Trigger(57637);  // Edit / Paste
    QTest::keyClick(editor, Qt::Key_Escape);
    CRichEditExCtrl stored(CRichEditExCtrl::kMultiLine);
    ASSERT_TRUE(stored.StreamIn(object->richText.constData(), object->richText.size()));
    EXPECT_EQ(stored.Text(), QStringLiteral("one\rtwo\rone\rtwo"));
    stored.SetSelection(stored.TextLength() - 3, stored.TextLength());
    EXPECT_TRUE(stored.GetSelectionCharFormat().effects & kCfeBold);
}

TEST_F(Canvas, ContextMenusStopTheScriptAndFollowEditing)
{
    Start();
    QFile script(PagesFolder() + QStringLiteral("/Loop.script"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("<script loop=\"1\"><item type=\"7\"/></script>");
    script.close();
    Frame().Registry().Trigger(32815);
    Frame().Registry().Trigger(32818);  // the output on

    struct Case
    {
        const char* what;
        bool editing;
        int menuId;
    };
    for (const Case& c : {Case{"canvas", false, 203}, Case{"text editor", true, 202}}) {
        SCOPED_TRACE(c.what);
        if (c.editing)
            Frame().Registry().Trigger(32834);
        // Scripts run on the output of an unmodified page.
        Doc().SetModifiedFlag(false);
        ASSERT_TRUE(Doc().ScriptLoad(script.fileName(), 1, 1));
        ASSERT_EQ(Doc().Runner().scriptRunning, 1);
        int shown = 0;
        const QMetaObject::Connection watch =
            QObject::connect(&View(), &CMainView::ContextMenuRequested, [&shown](int id, QPoint) { shown = id; });
        QWidget* target = c.editing ? View().TextEditor()->viewport() : View().viewport();
        const QPoint at = target->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
        QObject::disconnect(watch);
        EXPECT_EQ(shown, c.menuId);
        EXPECT_EQ(Doc().Runner().scriptRunning, 0);
        EXPECT_EQ(View().Editing(), c.editing);  // a menu does not end editing
        if (QWidget* popup = QApplication::activePopupWidget()) {
            if (c.editing) {
                EXPECT_NE(popup->actions().indexOf(Frame().Registry().Action(32823)), -1);
            }
            popup->close();
        }
    }
}

TEST_F(Canvas, KeysMoveSelectAndZoom)
{
    Start();
    Frame().Registry().Trigger(32815);
    Frame().Registry().Trigger(32817);  // clone: 16 right and down
    ASSERT_EQ(Doc().page.LiveCount(), 2);
    EXPECT_TRUE(Same(Selection()->rect, Rect(48, 48, 304, 176)));
    CFrame* top = Selection();

    View().setFocus();
    QTest::keyClick(&View(), Qt::Key_Right);
    EXPECT_TRUE(Same(top->rect, Rect(49, 48, 305, 176)));
    QTest::keyClick(&View(), Qt::Key_Down, Qt::ShiftModifier);  // the bottom edge alone
    EXPECT_TRUE(Same(top->rect, Rect(49, 48, 305, 177)));
    // Tab on the top object wraps to the bottom one.
    QTest::keyClick(&View(), Qt::Key_Tab);
    EXPECT_NE(Selection(), top);
    EXPECT_EQ(Doc().SelectionNumber(), 1);
    QTest::keyClick(&View(), Qt::Key_Backtab);
    EXPECT_EQ(Selection(), top);

    // Lock: the arrows do nothing then.
    Frame().Registry().Trigger(32806);
    EXPECT_TRUE(Frame().Registry().Action(32806)->isChecked());
    QTest::keyClick(&View(), Qt::Key_Left);
    EXPECT_TRUE(Same(top->rect, Rect(49, 48, 305, 177)));

    // Zoom: the box follows, the level is stored.
    const int level = View().ZoomLevel();
    Frame().Registry().Trigger(32814);  // zoom in
    EXPECT_EQ(View().ZoomLevel(), level - 1);
    EXPECT_EQ(Frame().MainToolBar()->ZoomBox()->currentIndex(), level - 1);
    EXPECT_EQ(QSettings().value(QStringLiteral("ViewEdit/ZoomFactor")).toInt(), level - 1);
    EXPECT_EQ(Frame().MainToolBar()->ZoomBox()->itemText(0), QStringLiteral("100%"));

    // Delete asks first; No keeps the object.
    EditorFixture::WhenModalOpens([](QWidget* box) {
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    Frame().Registry().Trigger(32807);
    EXPECT_EQ(Doc().page.LiveCount(), 2);
    EditorFixture::WhenModalOpens([](QWidget* box) {
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
    });
    Frame().Registry().Trigger(32807);
    EXPECT_EQ(Doc().page.LiveCount(), 1);
    EXPECT_EQ(Selection(), nullptr);
    EXPECT_TRUE(Frame().StatusBar()->GeometryPane()->text().isEmpty());
}

}  // namespace

namespace {

// The page as the canvas paints it: the checkerboard with 10 % margins,
// three objects (the middle one locked, the top one selected with its
// handles), at 100 % and at 50 % (scaled without smoothing).
TEST_F(Canvas, PaintedPageMatchesGoldenAt100And50Percent)
{
    QSettings().setValue(QStringLiteral("View/MarginH"), 10);
    QSettings().setValue(QStringLiteral("View/MarginV"), 10);
    Start(true);
    struct Box
    {
        CRect rect;
        quint32 colour;
        int locked;
    };
    const Box boxes[] = {{{100, 100, 700, 400}, 0xFF2E7D32u, 0},
                         {{500, 300, 1100, 700}, 0x80C62828u, 1},
                         {{1000, 600, 1800, 1000}, 0xFF1565C0u, 0}};
    CFrame* top = nullptr;
    for (const Box& box : boxes) {
        auto object = std::make_unique<CFrame>();
        object->rect = box.rect;
        object->backgroundColor = box.colour;
        object->locked = box.locked;
        top = object.get();
        ASSERT_TRUE(Doc().page.AddObject(object));
    }
    Doc().SetSelection(top);

    for (const auto& [level, name] : {std::pair{0, "painted_100.png"}, std::pair{3, "painted_50.png"}}) {
        CMainView view(Doc(), true);
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.resize(2100, 1300);
        view.show();
        view.SetZoomLevel(level);
        QApplication::processEvents();
        emit Doc().UpdateAllViews(kUpdatePage, {});
        QImage screen(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        view.viewport()->render(&screen);
        const double factor = level == 0 ? 1.0 : 0.5;
        const QRect page(view.PageOrigin(), QSize(static_cast<int>(1920 * factor), static_cast<int>(1080 * factor)));
        edittest::ExpectGolden(screen.copy(page.adjusted(-8, -8, 8, 8)), QStringLiteral("canvas/") + QLatin1String(name));
    }
}

}  // namespace
