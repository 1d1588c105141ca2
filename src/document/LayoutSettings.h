#pragma once

#include "app/SettingsStore.h"

#include <QRect>

// The main window's layout values ("Layout" in the playout instance,
// "LayoutEdit" in an edit-only one): read when the window is made, written
// when it closes, except the two row heights that are stored the moment
// their rows collapse.
class CLayoutSettings
{
public:
    explicit CLayoutSettings(bool editMode, ISettingsStore& store = Settings());

    // The window's normal (restored) rectangle; the work area when none is
    // stored or the stored one is empty.
    QRect Placement(const QRect& workArea) const;
    bool Maximized() const;
    // Widths and heights of the panes, never negative.
    int PaneWidth() const;
    int PropsWidth() const;
    int ThumbHeight() const;
    int PreviewHeight() const;
    // The "LargeToolbar" choice (the playout instance's section in both kinds).
    bool LargeToolbar() const;

    // The thumbnail row collapses for the navigator; the preview row for the
    // end of the preview. Each stores its height then.
    void StoreThumbHeight(int height);
    void StorePreviewHeight(int height);

    // What closing the window writes. thumbHeight counts only while the
    // navigator is hidden (the row shows), previewHeight only when the
    // preview row is open.
    struct Closing
    {
        QRect normalGeometry;
        bool maximized = false;
        int paneWidth = 0;
        int propsWidth = 0;
        bool navigatorShown = false;
        int thumbHeight = 0;
        int previewHeight = 0;
    };
    void StoreOnClose(const Closing& layout);

private:
    bool editMode_;
    ISettingsStore& store_;
};
