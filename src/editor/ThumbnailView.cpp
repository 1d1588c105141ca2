#include "editor/ThumbnailView.h"

#include "app/StringTable.h"
#include "document/MainDoc.h"

namespace {

constexpr int kPaneNameText = 10704;
constexpr int kEmptySide = 100;

}  // namespace

CThumbnailView::CThumbnailView(CMainDoc& doc, QWidget* parent) : CPicCtrl(parent), doc_(doc)
{
    setObjectName(QStringLiteral("thumbnailPane"));
    setAccessibleName(LoadText(kPaneNameText));
    SetColour(palette().color(QPalette::Dark), kEmptySide, kEmptySide);
    connect(&doc_, &CMainDoc::UpdateAllViews, this, [this](int code, QRect) {
        if (code == kUpdateThumbnail)
            ShowThumbnail();
    });
}

void CThumbnailView::ShowThumbnail()
{
    const CPagesPaneController& pages = doc_.PagesPane();
    if (pages.ThumbnailValid())
        SetPicture(pages.Thumbnail());
    else
        SetColour(palette().color(QPalette::Dark), kEmptySide, kEmptySide);
}
