#pragma once

#include "editor/PicCtrl.h"

class CMainDoc;

// The thumbnail pane: the picture stored in the page file selected in the
// pages pane, or the pane colour when there is none (a script, a folder, a
// page saved without one).
class CThumbnailView : public CPicCtrl
{
    Q_OBJECT

public:
    CThumbnailView(CMainDoc& doc, QWidget* parent = nullptr);

private:
    void ShowThumbnail();

    CMainDoc& doc_;
};
