#include "editor/CommandToolBar.h"

#include "app/CommandTable.h"
#include "editor/ActionRegistry.h"

namespace {

constexpr int kSmallImage = 16;
constexpr int kLargeImage = 32;

}  // namespace

CCommandToolBar::CCommandToolBar(int toolBarId, const QString& title, bool large, QWidget* parent)
    : QToolBar(title, parent), toolBarId_(toolBarId)
{
    setObjectName(QStringLiteral("toolBar%1").arg(toolBarId));
    setAccessibleName(title);
    setIconSize(QSize(large ? kLargeImage : kSmallImage, large ? kLargeImage : kSmallImage));
    setProperty("tavrelId", toolBarId);
}

void CCommandToolBar::Build(CActionRegistry& registry, const std::function<QWidget*(int boxId)>& box)
{
    for (const int entry : ToolBarEntries(toolBarId_)) {
        if (entry == kSeparator) {
            addSeparator();
        } else if (entry == kZoomBox || entry == kFontNameBox || entry == kFontSizeBox) {
            if (QWidget* control = box(entry)) {
                control->setToolTip(CommandToolTip(entry));
                control->setStatusTip(CommandPrompt(entry));
                control->setAccessibleName(CommandToolTip(entry));
                addWidget(control);
            }
        } else if (QAction* action = registry.Action(entry)) {
            addAction(action);
        }
    }
}
