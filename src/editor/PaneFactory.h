#pragma once

class CMainDoc;
class CMainView;
class CFileTreeView;
class CObjectsListView;
class QWidget;

// The panes the main window places. Each is one widget class; a pane this
// version does not have yet is an honest empty one.
struct EditorPanes
{
    QWidget* pages = nullptr;       // the pages pane (shared place with the navigator)
    CFileTreeView* files = nullptr; // the same, as the pages pane it is
    QWidget* navigator = nullptr;   // the object navigator
    CObjectsListView* objects = nullptr;  // the same, as the navigator it is
    QWidget* thumbnail = nullptr;   // the selected page file's thumbnail
    QWidget* canvas = nullptr;      // the page canvas
    CMainView* view = nullptr;      // the same, as the canvas it is
    QWidget* properties = nullptr;  // the object properties
};

EditorPanes CreateEditorPanes(CMainDoc& doc, bool editMode, QWidget* parent);
