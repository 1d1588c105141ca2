#pragma once

#include <QTreeView>
#include <QWidget>

#include <memory>

class CMainDoc;
class QAbstractFileIconProvider;
class QAction;
class QFileSystemModel;
class QSortFilterProxyModel;
class QLabel;
class QStackedWidget;

// The tree of the pages pane: keys and the context menu of a file tree.
class CFileTreeCtrl : public QTreeView
{
    Q_OBJECT

public:
    using QTreeView::QTreeView;

signals:
    void OpenRequested(const QModelIndex& index);
    void MenuRequested(const QModelIndex& index, QPoint globalPos);
    void TrashRequested(const QModelIndex& index);
    void NewFolderRequested(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The pages pane: the pages folder as a tree of folders, page files and
// script files, filled lazily and kept current as files change. Opening a
// file runs the default action of the preferences; the context menu offers
// the page or script actions, a new folder and moving to the trash. The
// actions themselves are the document's (CPagesPaneController).
class CFileTreeView : public QWidget
{
    Q_OBJECT

public:
    CFileTreeView(CMainDoc& doc, QWidget* parent = nullptr);
    ~CFileTreeView() override;

    // Shows a root folder (the "RootFolder" preference) and reads it anew.
    void SetRoot(const QString& folder);
    QString Root() const { return root_; }
    // Starts renaming the selected item in place.
    void StartRename();
    // The path of the selected item; empty without one.
    QString SelectedPath() const;
    // Selects the item of a path (tests, the rename of a new folder).
    bool SelectPath(const QString& path);

    // What the file menus offer besides the page and script actions: a new
    // folder beside the file, the file moved to the trash.
    QList<QAction*> MenuExtras() const { return {newFolderAction_, trashAction_}; }

    CFileTreeCtrl* Tree() const { return tree_; }
    // The files as read (unsorted) and the tree's index of a path.
    QFileSystemModel* Files() const { return files_; }
    QModelIndex ViewIndexOf(const QString& path) const;

signals:
    // A context menu (205 page, 206 script) with its default command
    // (0: none) at a point of the screen.
    void ContextMenuRequested(int menuId, int defaultCommand, QPoint globalPos);

private:
    void OnCurrentChanged(const QModelIndex& current);
    void Open(const QModelIndex& index);
    void ShowMenu(const QModelIndex& index, QPoint globalPos);
    void NewFolder(const QModelIndex& index);
    void MoveToTrash(const QModelIndex& index);
    void ShowMissingRoot(bool missing);
    // The folder a new item goes into for the item at index.
    QString FolderFor(const QModelIndex& index) const;

    // The file of a tree index, and whether it is a folder.
    QString PathOf(const QModelIndex& viewIndex) const;
    bool IsFolder(const QModelIndex& viewIndex) const;

    CMainDoc& doc_;
    QString root_;
    // The model does not own its icon provider.
    std::unique_ptr<QAbstractFileIconProvider> icons_;
    QFileSystemModel* files_;
    QSortFilterProxyModel* sorted_;
    CFileTreeCtrl* tree_;
    QLabel* missing_;
    QStackedWidget* stack_;
    QAction* newFolderAction_;
    QAction* trashAction_;
};
