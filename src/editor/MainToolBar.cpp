#include "editor/MainToolBar.h"

#include "app/CommandTable.h"
#include "app/StringTable.h"
#include "editor/ActionRegistry.h"

#include <QAbstractItemView>
#include <QComboBox>

#include <algorithm>

namespace {

constexpr int kMainToolBarTitleId = 10710;
constexpr int kZoomBoxWidth = 64;
constexpr int kZoomListHeight = 300;

}  // namespace

CMainToolBar::CMainToolBar(CActionRegistry& registry, bool large, QWidget* parent)
    : CCommandToolBar(kMainToolBar, LoadText(kMainToolBarTitleId), large, parent)
{
    Build(registry, [&](int box) -> QWidget* {
        if (box != kZoomBox)
            return nullptr;
        zoomBox_ = new QComboBox(this);
        zoomBox_->setObjectName(QStringLiteral("zoomBox"));
        zoomBox_->setFixedWidth(kZoomBoxWidth);
        zoomBox_->view()->setMinimumHeight(0);
        zoomBox_->setMaxVisibleItems(kZoomListHeight / std::max(1, zoomBox_->fontMetrics().height() + 4));
        connect(zoomBox_, &QComboBox::activated, this, [&registry] { registry.Trigger(kZoomBox); });
        return zoomBox_;
    });
}
