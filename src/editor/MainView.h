#pragma once

#include "content/RichEditTextRenderer.h"
#include "document/CanvasCommands.h"
#include "document/CanvasPicture.h"
#include "model/Rect.h"
#include "render/display/DisplayBackend.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class CFrame;
class CFormatToolBar;
class CInPlaceTextEditor;
class CMainDoc;
class QComboBox;

// The page canvas: the composed picture of the page at one of six zoom
// levels, the selection with its frame and handles, moving and resizing by
// mouse and keys, the outlines of playing and failed objects, and the
// editing commands the document hands over. The page is the document's; the
// canvas only shows it and changes it through the document's undo steps.
class CMainView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    CMainView(CMainDoc& doc, bool editMode, QWidget* parent = nullptr);
    ~CMainView() override;

    // The main toolbar's zoom box, which the canvas fills and follows.
    void SetZoomBox(QComboBox* box);
    // The text format toolbar, whose font boxes follow the edited selection.
    void SetFormatToolBar(CFormatToolBar* toolBar);
    // The display outputs the preferences offer for the output.
    void SetDisplayDevices(std::function<std::vector<DisplayDeviceInfo>()> devices)
    {
        displayDevices_ = std::move(devices);
    }

    HostCommandState CommandState(int id) const;
    void OnCommand(int id);

    int ZoomLevel() const { return zoomLevel_; }
    void SetZoomLevel(int level, bool fromBox = false);
    bool SnapToGrid() const { return snapToGrid_; }
    // Selects an object (null: none), scrolling it into view when asked.
    void SetSelection(CFrame* object, bool scrollIntoView);
    // Applies a new page rectangle to the selection (snapping, the page's
    // edges); false when nothing changed.
    bool ApplyObjectRect(CRect rect, bool keepWidth, bool keepHeight);
    const QImage& ComposedPicture() const { return picture_.Composed(); }

    // In-place text editing of the selection (nothing for a text read from
    // an RTF file). Ending stores the text as one undo step, none when it
    // did not change; silent ending leaves the page's views alone.
    void BeginTextEdit();
    void EndTextEdit(bool silent);
    bool Editing() const { return editor_ != nullptr; }
    CInPlaceTextEditor* TextEditor() const { return editor_.get(); }
    QPoint PageOrigin() const { return origin_; }
    // The selection's rectangle in viewport coordinates.
    QRect SelectionFrame() const;

signals:
    // The status bar's geometry pane.
    void GeometryChanged(const QString& text);
    // The operator asked for the context menu (203 with a selection, 204
    // without) at a point of the screen.
    void ContextMenuRequested(int menuId, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum Handle : int
    {
        kNoHandle = -1,
        kMove = 0,
        kLeft = 1,
        kTop = 2,
        kRight = 4,
        kBottom = 8,
    };

    void ReadSettings();
    // Drops the editor without storing its text (the page is replaced).
    void DropTextEditor();
    void PlaceTextEditor();
    void ShowSelectionFont();
    void ApplyTextFormat(int id);
    void UpdatePageLayout();
    void OnViewUpdate(int code, QRect hint);
    void Recompose(CRect hint);
    void UpdateGeometryPane();
    QPoint ContentPoint(QPoint viewportPoint) const;
    int HandleAt(QPoint viewportPoint) const;
    void UpdateCursor(QPoint viewportPoint);
    QPoint ViewportOrigin() const;
    CRect PageRectOfFrame(const QRect& frame) const;
    QRect FrameOfPageRect(const CRect& rect) const;
    void TrackTo(QPoint viewportPoint);
    void EndTracking(bool apply);
    void MoveByKey(int key, bool shift);
    void SelectByTab(bool backwards);
    void ScrollIntoView(const CFrame& object);

    void AddSimpleObject();
    void AddPictureObject();
    // Puts an object on top of the page and selects it; null on a full page.
    CFrame* PutOnTop(std::unique_ptr<CFrame> object);
    bool AddNewObject(std::unique_ptr<CFrame> object);
    void CloneSelection();
    void DeleteSelection(bool ask);
    void MoveSelection(int up);
    void ToggleLock();
    // The object properties dialog on the selection.
    void EditProperties();
    void EditPreferences();
    void CopySelection();
    void Paste();
    void ToggleSnap();
    bool PageFull();

    CMainDoc& doc_;
    bool editMode_;
    CRichEditTextRenderer textRenderer_;
    CCanvasPicture picture_;
    QComboBox* zoomBox_ = nullptr;
    // The main window may take its toolbars down before the canvas.
    QPointer<CFormatToolBar> formatToolBar_;
    std::function<std::vector<DisplayDeviceInfo>()> displayDevices_;
    int zoomLevel_ = 3;
    bool snapToGrid_ = false;
    int gridStep_ = 8;
    QPoint origin_;
    int pageWidth_ = 1920;
    int pageHeight_ = 1080;
    // For comparison only: the page may have destroyed them since.
    const CFrame* bottomObject_ = nullptr;
    const CFrame* topObject_ = nullptr;

    // Tracking the selection with the mouse.
    std::unique_ptr<CInPlaceTextEditor> editor_;
    CFrame* edited_ = nullptr;
    bool modifiedBeforeEdit_ = false;

    int tracking_ = kNoHandle;
    QPoint pressPoint_;
    QRect trackStart_;
    QRect trackFrame_;
};
