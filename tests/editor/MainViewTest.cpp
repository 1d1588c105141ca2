// The page canvas with real mouse and key events: adding, dragging and
// resizing as one undo step each, keys, zoom and the geometry pane.
#include "EditorTestSupport.h"

#include "editor/MainStatusBar.h"
#include "editor/MainToolBar.h"
#include "editor/MainView.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

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
