// The object navigator with real clicks: its rows follow what happens to the
// page, a row chosen selects the object on the canvas and back, a double
// click plays, and the column widths are kept.
#include "EditorTestSupport.h"

#include "editor/ObjectsListView.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using edittest::EditorFixture;

class Navigator : public ::testing::Test, public EditorFixture
{
protected:
    CObjectsListView& List() { return *Frame().Panes().objects; }
    QString Cell(int row, int column) { return List().model()->index(row, column).data().toString(); }
    bool HasImage(int row, int column)
    {
        return !List().model()->index(row, column).data(Qt::DecorationRole).isNull();
    }
    void ClickRow(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect cell = List().visualRect(List().model()->index(row, kColumnGroup));
        QTest::mouseClick(List().viewport(), button, {}, cell.center());
    }
    CFrame* Add(const QString& group)
    {
        Frame().Registry().Trigger(32815);
        CFrame* object = Doc().Selection();
        object->group = group;
        emit Doc().UpdateAllViews(kUpdatePage, {});
        return object;
    }
};

TEST_F(Navigator, RowsFollowThePageAndTheSelectionBothWays)
{
    Start();
    Frame().Registry().Trigger(32883);  // the navigator in place of the pages pane
    ASSERT_TRUE(List().isVisible());
    CFrame* first = Add(QStringLiteral("Bottom"));
    Add(QStringLiteral("Middle"));
    CFrame* third = Add(QStringLiteral("Top"));
    ASSERT_EQ(List().model()->rowCount(), 3);
    EXPECT_EQ(Cell(0, kColumnNumber), QStringLiteral("1"));
    EXPECT_EQ(Cell(2, kColumnGroup), QStringLiteral("Top"));
    EXPECT_EQ(List().currentIndex().row(), 2);  // the canvas's selection

    // A row chosen selects its object on the canvas.
    ClickRow(0);
    EXPECT_EQ(Doc().Selection(), first);
    EXPECT_EQ(Doc().SelectionNumber(), 1);

    struct Step
    {
        const char* what;
        int command;
        std::vector<QString> groups;  // bottom to top afterwards
    };
    const Step steps[] = {
        {"move up", 32802, {QStringLiteral("Middle"), QStringLiteral("Bottom"), QStringLiteral("Top")}},
        {"clone", 32817, {QStringLiteral("Middle"), QStringLiteral("Bottom"), QStringLiteral("Top"), QStringLiteral("Bottom")}},
        {"move down", 32803, {QStringLiteral("Middle"), QStringLiteral("Bottom"), QStringLiteral("Bottom"), QStringLiteral("Top")}},
    };
    for (const Step& step : steps) {
        Frame().Registry().Trigger(step.command);
        ASSERT_EQ(List().model()->rowCount(), static_cast<int>(step.groups.size())) << step.what;
        for (size_t row = 0; row < step.groups.size(); ++row)
            EXPECT_EQ(Cell(static_cast<int>(row), kColumnGroup), step.groups[row]) << step.what << " row " << row;
        EXPECT_EQ(List().currentIndex().row(), Doc().SelectionNumber() - 1) << step.what;
    }

    // Lock shows its image; delete takes the row away and the selection
    // with it, without the navigator choosing another.
    Frame().Registry().Trigger(32806);
    EXPECT_TRUE(HasImage(Doc().SelectionNumber() - 1, kColumnLock));
    EditorFixture::WhenModalOpens([](QWidget* box) {
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
    });
    Frame().Registry().Trigger(32807);
    EXPECT_EQ(List().model()->rowCount(), 3);
    EXPECT_EQ(Doc().Selection(), nullptr);
    EXPECT_FALSE(List().selectionModel()->hasSelection());

    // Play by double click while the output runs; pause shows its image.
    Frame().Registry().Trigger(32818);
    ASSERT_TRUE(Doc().page.outputActive.load());
    const QRect topCell = List().visualRect(List().model()->index(2, kColumnGroup));
    QTest::mouseDClick(List().viewport(), Qt::LeftButton, {}, topCell.center());
    EXPECT_EQ(Doc().Selection(), third);
    EXPECT_EQ(third->playing.load(), 1);
    timer.Fire();  // the first tick starts the program; the monitor runs from the next
    timer.Fire();
    EXPECT_TRUE(HasImage(2, kColumnPlayState));
    third->playing = 0;
    third->paused = 1;
    timer.Fire();
    EXPECT_TRUE(HasImage(2, kColumnPlayState));
    EXPECT_EQ(List().model()->index(2, kColumnPlayState).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Paused"));
}

TEST_F(Navigator, ColumnWidthsAreKept)
{
    Start();
    EXPECT_EQ(List().columnWidth(kColumnGroup), 96);
    List().setColumnWidth(kColumnGroup, 150);
    Start();  // closes the window and opens it again
    EXPECT_EQ(List().columnWidth(kColumnGroup), 150);
    EXPECT_EQ(List().model()->headerData(kColumnText, Qt::Horizontal).toString(), QStringLiteral("Text"));
}

}  // namespace
