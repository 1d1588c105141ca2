#include "document/LayoutSettings.h"

#include "app/SettingsRegister.h"

#include <algorithm>

namespace {

QString Section(bool editMode)
{
    return QString::fromLatin1(settings::LayoutSection(editMode));
}

}  // namespace

CLayoutSettings::CLayoutSettings(bool editMode, ISettingsStore& store) : editMode_(editMode), store_(store) {}

QRect CLayoutSettings::Placement(const QRect& workArea) const
{
    const QString section = Section(editMode_);
    const QRect stored(store_.ReadInt(section, QString::fromLatin1(settings::kLayoutLeft), workArea.left()),
                       store_.ReadInt(section, QString::fromLatin1(settings::kLayoutTop), workArea.top()),
                       store_.ReadInt(section, QString::fromLatin1(settings::kLayoutWidth), workArea.width()),
                       store_.ReadInt(section, QString::fromLatin1(settings::kLayoutHeight), workArea.height()));
    // A hand-edited or damaged entry must not give an invisible window.
    return stored.width() > 0 && stored.height() > 0 ? stored : workArea;
}

bool CLayoutSettings::Maximized() const
{
    return Read(settings::Maximize(editMode_), store_) != 0;
}

int CLayoutSettings::PaneWidth() const
{
    return std::max(0, Read(settings::PaneWidth(editMode_), store_));
}

int CLayoutSettings::PropsWidth() const
{
    return std::max(0, Read(settings::PropsWidth(editMode_), store_));
}

int CLayoutSettings::ThumbHeight() const
{
    return std::max(0, Read(settings::ThumbHeight(editMode_), store_));
}

int CLayoutSettings::PreviewHeight() const
{
    return std::max(0, Read(settings::PreviewHeight(editMode_), store_));
}

bool CLayoutSettings::LargeToolbar() const
{
    return Read(settings::kLargeToolbar, store_) != 0;
}

void CLayoutSettings::StoreThumbHeight(int height)
{
    Write(settings::ThumbHeight(editMode_), height, store_);
}

void CLayoutSettings::StorePreviewHeight(int height)
{
    Write(settings::PreviewHeight(editMode_), height, store_);
}

void CLayoutSettings::StoreOnClose(const Closing& layout)
{
    const QString section = Section(editMode_);
    store_.WriteInt(section, QString::fromLatin1(settings::kLayoutLeft), layout.normalGeometry.left());
    store_.WriteInt(section, QString::fromLatin1(settings::kLayoutTop), layout.normalGeometry.top());
    store_.WriteInt(section, QString::fromLatin1(settings::kLayoutWidth), layout.normalGeometry.width());
    store_.WriteInt(section, QString::fromLatin1(settings::kLayoutHeight), layout.normalGeometry.height());
    Write(settings::Maximize(editMode_), layout.maximized ? 1 : 0, store_);
    Write(settings::PaneWidth(editMode_), layout.paneWidth, store_);
    Write(settings::PropsWidth(editMode_), layout.propsWidth, store_);
    if (!layout.navigatorShown)
        StoreThumbHeight(layout.thumbHeight);
    if (layout.previewHeight > 0)
        StorePreviewHeight(layout.previewHeight);
    store_.Flush();
}
