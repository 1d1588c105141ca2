#pragma once

#include <QSize>
#include <QWidget>

class QWindow;

// The preview pane: a native window inside the main window that the
// renderer draws the output into while the preview is on. The window keeps
// the page's proportions inside the pane, with dark bars beside or above.
class CPreView : public QWidget
{
    Q_OBJECT

public:
    explicit CPreView(QWidget* parent = nullptr);

    QWindow* PreviewWindow() const { return window_; }
    // The page size of the output's video mode.
    void SetPageSize(int width, int height);
    // Where the page is shown inside the pane.
    QRect PageRect() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceWindow();

    QWindow* window_;
    QWidget* container_;
    QSize page_{1920, 1080};
};
