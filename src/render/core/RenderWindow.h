#pragma once

#include "model/Rect.h"

#include <QWindow>

// The output window: frameless, above every other window, no taskbar
// entry, an invisible cursor, covering exactly the output display's pixels
// whatever Qt's window scaling (displayRect is in native pixels). The
// pointer can never rest on it: any movement over it puts the cursor just
// left of the display, at the same height.
class CRenderWindow final : public QWindow
{
public:
    explicit CRenderWindow(const CRect& displayRect);

    CRect displayRect;

protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};
