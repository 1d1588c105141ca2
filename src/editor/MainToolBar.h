#pragma once

#include "editor/CommandToolBar.h"

class QComboBox;

// The main toolbar: files, editing, objects, view, output and playback,
// with the zoom box.
class CMainToolBar : public CCommandToolBar
{
    Q_OBJECT

public:
    CMainToolBar(CActionRegistry& registry, bool large, QWidget* parent = nullptr);

    // Empty until the page canvas fills it with its zoom levels.
    QComboBox* ZoomBox() const { return zoomBox_; }

private:
    QComboBox* zoomBox_ = nullptr;
};
