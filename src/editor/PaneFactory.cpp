#include "editor/PaneFactory.h"

#include "editor/EmptyPane.h"
#include "editor/MainView.h"
#include "editor/PropertiesView.h"

#include "app/StringTable.h"

namespace {

constexpr int kCanvasNameId = 10700;
constexpr int kNavigatorNameId = 10702;
constexpr int kPagesNameId = 10703;
constexpr int kThumbnailNameId = 10704;

QWidget* Empty(int nameId, const char* objectName, QWidget* parent)
{
    auto* pane = new CEmptyPane(nameId, parent);
    pane->setObjectName(QString::fromLatin1(objectName));
    return pane;
}

}  // namespace

EditorPanes CreateEditorPanes(CMainDoc& doc, bool editMode, QWidget* parent)
{
    EditorPanes panes;
    panes.pages = Empty(kPagesNameId, "pagesPane", parent);
    panes.navigator = Empty(kNavigatorNameId, "navigatorPane", parent);
    panes.thumbnail = Empty(kThumbnailNameId, "thumbnailPane", parent);
    panes.view = new CMainView(doc, editMode, parent);
    panes.view->setObjectName(QStringLiteral("canvasPane"));
    panes.view->setAccessibleName(LoadText(kCanvasNameId));
    panes.canvas = panes.view;
    panes.properties = new CPropertiesView(doc, parent);
    return panes;
}
