#pragma once

#include "document/ObjectNavigator.h"

#include <QAbstractTableModel>
#include <QTreeView>

class CMainDoc;

// The navigator's rows as a table model; only rows whose contents changed
// are reported, so refreshing every 200 ms repaints nothing else.
class CObjectListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CObjectListModel(QObject* parent = nullptr);

    // New states of the page's live objects (bottom first).
    void Refresh(const FrameList& objects);
    // The column titles again (the language changed).
    void RetranslateTitles();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    CObjectItemArray rows_;
    QStringList titles_;
    QIcon lockIcon_;
    QIcon playIcon_;
    QIcon pauseIcon_;
};

// The object navigator: the page's objects with number, group, text, play
// state and lock. Choosing a row selects the object on the canvas and the
// canvas's selection chooses the row; a double click plays or ends the
// object; the context menu is the object's.
class CObjectsListView : public QTreeView
{
    Q_OBJECT

public:
    CObjectsListView(CMainDoc& doc, QWidget* parent = nullptr);
    ~CObjectsListView() override;

    // The rows again from the page, and the row of the selection.
    void RefreshRows();
    CObjectListModel* Rows() const { return model_; }

signals:
    // The object menu (203) at a point of the screen.
    void ContextMenuRequested(int menuId, QPoint globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void OnViewUpdate(int code);
    void RowChosen(const QModelIndex& current);

    CMainDoc& doc_;
    CObjectListModel* model_;
    bool showingSelection_ = false;  // the row follows the document: not a choice
};
