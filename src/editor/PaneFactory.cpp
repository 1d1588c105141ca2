#include "editor/PaneFactory.h"

#include "editor/MainView.h"
#include "editor/ObjectsListView.h"
#include "editor/PropertiesView.h"
#include "editor/ThumbnailView.h"
#include "pages/FileTreeView.h"

#include "app/StringTable.h"

namespace {

constexpr int kCanvasNameId = 10700;

}  // namespace

EditorPanes CreateEditorPanes(CMainDoc& doc, bool editMode, QWidget* parent)
{
    EditorPanes panes;
    panes.files = new CFileTreeView(doc, parent);
    panes.pages = panes.files;
    panes.objects = new CObjectsListView(doc, parent);
    panes.navigator = panes.objects;
    panes.thumbnail = new CThumbnailView(doc, parent);
    panes.view = new CMainView(doc, editMode, parent);
    panes.view->setObjectName(QStringLiteral("canvasPane"));
    panes.view->setAccessibleName(LoadText(kCanvasNameId));
    panes.canvas = panes.view;
    panes.properties = new CPropertiesView(doc, parent);
    return panes;
}
