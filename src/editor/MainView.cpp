#include "editor/MainView.h"

#include "app/SettingsRegister.h"
#include "app/StringTable.h"
#include "document/CanvasGeometry.h"
#include "document/CommandIds.h"
#include "document/MainDoc.h"
#include "editor/DlgFrameProps.h"
#include "editor/DlgPreferences.h"
#include "editor/FileChoosers.h"
#include "editor/FontSelectComboBox.h"
#include "editor/FontSizeComboBox.h"
#include "editor/FormatToolBar.h"
#include "editor/ImportFeedbackDialog.h"
#include "editor/InPlaceTextEditor.h"
#include "editor/TextFormatDialogs.h"
#include "model/FrameUndo.h"
#include "render/display/VideoMode.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kPageFullId = 10209;
constexpr int kDeleteQuestionId = 10716;
constexpr int kPicturesFilterId = 10210;
constexpr int kOpenTitleId = 61441;
constexpr int kHandleSize = 6;
constexpr int kEditingMenu = 202;
constexpr CRect kNewObjectRect{32, 32, 288, 160};
const QColor kSelectionPen(255, 0, 255);

struct OutlinePen
{
    QColor colour;
    int width;
};
const OutlinePen kOutlinePens[] = {
    {QColor(200, 0, 0), 3}, {QColor(200, 0, 100), 2}, {QColor(200, 200, 0), 3}, {QColor(0, 200, 0), 3}};

}  // namespace

CMainView::CMainView(CMainDoc& doc, bool editMode, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), editMode_(editMode)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    ReadSettings();
    connect(&doc_, &CMainDoc::UpdateAllViews, this, &CMainView::OnViewUpdate);
    connect(&doc_, &CMainDoc::CommandForCanvas, this, &CMainView::OnCommand);
    connect(&doc_, &CMainDoc::PageAboutToBeReplaced, this, [this] {
        DropTextEditor();
        EndTracking(false);
    });
    Recompose({});
    UpdatePageLayout();
}

CMainView::~CMainView()
{
    EndTextEdit(true);
}

// --- In-place text editing -----------------------------------------------

void CMainView::BeginTextEdit()
{
    CFrame* object = doc_.Selection();
    if (object == nullptr || editor_ != nullptr || object->textSource == kSourceRtfFile)
        return;
    doc_.ScriptStop();
    if (doc_.page.outputActive.load())
        object->StopOutput();
    auto editor = std::make_unique<CInPlaceTextEditor>(*object, object->movement == kMovementScroll,
                                                       object->reverse != 0, viewport());
    if (!editor->Loaded())
        return;
    editor_ = std::move(editor);
    edited_ = object;
    modifiedBeforeEdit_ = doc_.IsModified();
    connect(editor_.get(), &CInPlaceTextEditor::Finished, this, [this] { EndTextEdit(false); });
    connect(editor_.get(), &CInPlaceTextEditor::Changed, this, [this] { doc_.SetModifiedFlag(true); });
    connect(editor_.get(), &CInPlaceTextEditor::SelectionFormatChanged, this, &CMainView::ShowSelectionFont);
    connect(editor_.get(), &CInPlaceTextEditor::ContextMenuRequested, this, [this](QPoint globalPos) {
        doc_.ScriptStop();
        emit ContextMenuRequested(kEditingMenu, globalPos);
    });
    PlaceTextEditor();
    // The object is shown without its text beneath the editor.
    Recompose(object->rect);
    viewport()->update();
    editor_->show();
    editor_->setFocus();
    ShowSelectionFont();
}

void CMainView::EndTextEdit(bool silent)
{
    if (editor_ == nullptr)
        return;
    CFrame* object = edited_;
    doc_.RecordUndoStep(TextEdited, *object, 1);
    if (editor_->TextChanged()) {
        object->richText = editor_->RichText();
        object->InvalidatePreview();
        doc_.SetModifiedFlag(true);
    } else {
        doc_.DropLastUndoStep();
        // Opening and closing on unchanged text leaves the page as it was.
        doc_.SetModifiedFlag(modifiedBeforeEdit_);
    }
    editor_.reset();
    edited_ = nullptr;
    setFocus();
    // The boxes are empty while no text is edited.
    if (formatToolBar_ != nullptr) {
        formatToolBar_->FontNameBox()->ShowFontName(QString());
        formatToolBar_->FontSizeBox()->ShowFontSize(0);
    }
    if (!silent) {
        emit doc_.UpdateAllViews(kUpdatePage, ToQRect(object->rect));
    }
}

void CMainView::DropTextEditor()
{
    editor_.reset();
    edited_ = nullptr;
}

void CMainView::PlaceTextEditor()
{
    if (editor_ != nullptr && edited_ != nullptr)
        editor_->Place(FrameOfPageRect(edited_->rect).adjusted(0, 0, 1, 1), ZoomFactorOf(zoomLevel_));
}

void CMainView::ReadSettings()
{
    pageWidth_ = CanvasWidthOfMode(doc_.Preferences().mode);
    pageHeight_ = CanvasHeightOfMode(doc_.Preferences().mode);
    zoomLevel_ = ZoomLevelFromSetting(Read(settings::ZoomFactor(editMode_)));
    snapToGrid_ = Read(settings::SnapToGrid(editMode_)) != 0;
    gridStep_ = std::clamp(Read(settings::GridStep(editMode_)), settings::kGridStepMin, settings::kGridStepMax);
    const bool solid = Read(settings::kBackground) != 0;
    const int colour = Read(settings::kBackgroundColor);  // 0x00BBGGRR
    const QRgb rgb = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    picture_.SetBackground(BuildCanvasBackground(pageWidth_, pageHeight_, solid, rgb, Read(settings::kMarginH),
                                                 Read(settings::kMarginV)));
}

void CMainView::SetZoomBox(QComboBox* box)
{
    zoomBox_ = box;
    if (zoomBox_ == nullptr)
        return;
    zoomBox_->clear();
    for (int level = 0; level < kZoomLevelCount; ++level)
        zoomBox_->addItem(ZoomBoxText(level));
    zoomBox_->setCurrentIndex(zoomLevel_);
}

void CMainView::SetFormatToolBar(CFormatToolBar* toolBar)
{
    formatToolBar_ = toolBar;
}

void CMainView::ShowSelectionFont()
{
    if (editor_ == nullptr || formatToolBar_ == nullptr)
        return;
    if (const std::optional<QString> face = editor_->TakeFaceForBox())
        formatToolBar_->FontNameBox()->ShowFontName(*face);
    if (const std::optional<int> size = editor_->TakeSizeForBox())
        formatToolBar_->FontSizeBox()->ShowFontSize(*size);
}

void CMainView::ApplyTextFormat(int id)
{
    CTextFormatDialogs dialogs(window());
    switch (id) {
    // The boxes have taken the operator's choice already.
    case cmd::kFontNameBox:
        if (formatToolBar_ != nullptr)
            editor_->SetFace(formatToolBar_->ChosenFont(), dialogs);
        break;
    case cmd::kFontSizeBox:
        if (formatToolBar_ != nullptr)
            editor_->SetSizePoints(formatToolBar_->ChosenSize(), dialogs);
        break;
    default: editor_->RunFormat(id, dialogs); break;
    }
}

// --- Layout and painting -------------------------------------------------

void CMainView::UpdatePageLayout()
{
    const int borderX = verticalScrollBar()->sizeHint().width();
    const int borderY = horizontalScrollBar()->sizeHint().height();
    const CPageLayout layout = PageLayout(pageWidth_, pageHeight_, ZoomFactorOf(zoomLevel_), viewport()->size(),
                                          borderX, borderY);
    horizontalScrollBar()->setRange(0, std::max(0, layout.scrollExtent.width() - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, layout.scrollExtent.height() - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    origin_ = layout.origin;
    PlaceTextEditor();
    viewport()->update();
}

void CMainView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdatePageLayout();
}

void CMainView::scrollContentsBy(int, int)
{
    PlaceTextEditor();
    viewport()->update();
}

QPoint CMainView::ContentPoint(QPoint viewportPoint) const
{
    return viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

// The page origin in viewport coordinates: where the scroll position puts it.
QPoint CMainView::ViewportOrigin() const
{
    return origin_ - QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect CMainView::FrameOfPageRect(const CRect& rect) const
{
    return ToQRect(PageToView(rect, ViewportOrigin(), ZoomFactorOf(zoomLevel_)));
}

CRect CMainView::PageRectOfFrame(const QRect& frame) const
{
    return ViewToPage(ToCRect(frame), ViewportOrigin(), ZoomFactorOf(zoomLevel_));
}

QRect CMainView::SelectionFrame() const
{
    if (tracking_ != kNoHandle)
        return trackFrame_;
    const CFrame* selection = doc_.Selection();
    return selection != nullptr ? FrameOfPageRect(selection->rect) : QRect();
}

void CMainView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const double f = ZoomFactorOf(zoomLevel_);
    const QRect page = FrameOfPageRect(CRect{0, 0, pageWidth_, pageHeight_});
    // Around the page, then the page scaled without smoothing.
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    const QRect visible = page.intersected(event->rect());
    if (!visible.isEmpty()) {
        const QRectF source((visible.left() - page.left()) / f, (visible.top() - page.top()) / f,
                            visible.width() / f, visible.height() / f);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRectF(visible), picture_.Composed(), source);
    }
    // The outlines of playing and failed objects.
    {
        std::lock_guard guard(doc_.overlay.lock);
        for (const RTypeRect& entry : doc_.overlay.entries) {
            const OutlinePen& pen = kOutlinePens[std::clamp(entry.type, 0, 3)];
            QRect outline = FrameOfPageRect(CRect{entry.left, entry.top, entry.right, entry.bottom});
            outline.adjust(0, 0, 2 - pen.width, 2 - pen.width);
            painter.setPen(QPen(pen.colour, pen.width));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(outline);
        }
    }
    // The selection frame, and the handles of an unlocked object.
    const CFrame* selection = doc_.Selection();
    if (selection != nullptr) {
        const QRect frame = SelectionFrame();
        painter.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
        painter.setPen(QPen(kSelectionPen, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame);
        painter.drawRect(frame.adjusted(-1, -1, 1, 1));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (!selection->locked) {
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::white);
            const QRect outer = frame.adjusted(-kHandleSize, -kHandleSize, kHandleSize, kHandleSize);
            const int xs[] = {outer.left(), (outer.left() + outer.right() - kHandleSize) / 2, outer.right() - kHandleSize + 1};
            const int ys[] = {outer.top(), (outer.top() + outer.bottom() - kHandleSize) / 2, outer.bottom() - kHandleSize + 1};
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    if (i == 1 && j == 1)
                        continue;
                    // Side handles only where the frame leaves room for them.
                    if ((i == 1 && frame.width() < 3 * kHandleSize) || (j == 1 && frame.height() < 3 * kHandleSize))
                        continue;
                    painter.drawRect(xs[i], ys[j], kHandleSize - 1, kHandleSize - 1);
                }
            }
        }
    }
}

// --- Document updates ----------------------------------------------------

void CMainView::OnViewUpdate(int code, QRect hint)
{
    if (code == kUpdateThumbnail || code == kUpdateRecomposed)
        return;
    if (code == kUpdateSelectNumber) {
        FrameList live;
        doc_.page.TakeSnapshot(live);
        doc_.page.ReleaseSnapshot();
        const int number = hint.isNull() ? 0 : hint.left();
        // The navigator chose it: selected where it is, without scrolling.
        SetSelection(number >= 1 && number <= static_cast<int>(live.size()) ? live[number - 1] : nullptr, false);
        return;
    }
    if (code == kUpdatePreferences) {
        // The grid, the background and, after a new mode, the page's size.
        ReadSettings();
        Recompose({});
        UpdatePageLayout();
    } else if (code != kUpdateRepaint) {
        Recompose(hint.isNull() ? CRect{} : ToCRect(hint));
    }
    UpdateGeometryPane();
    viewport()->update();
}

void CMainView::Recompose(CRect hint)
{
    const RecomposeResult result = picture_.Recompose(doc_.page, hint, edited_, textRenderer_);
    bottomObject_ = result.bottomObject;
    topObject_ = result.topObject;
    if (result.textDrawn)
        emit doc_.UpdateAllViews(kUpdateRecomposed, {});
}

void CMainView::UpdateGeometryPane()
{
    const CFrame* selection = doc_.Selection();
    emit GeometryChanged(SelectionGeometryText(selection, doc_.SelectionNumber()));
}

// --- Selection -----------------------------------------------------------

void CMainView::SetSelection(CFrame* object, bool scrollIntoView)
{
    if (object == doc_.Selection())
        return;
    EndTextEdit(false);
    doc_.SetSelection(object);
    if (object != nullptr && scrollIntoView)
        ScrollIntoView(*object);
    UpdateGeometryPane();
    emit doc_.UpdateAllViews(kUpdateRepaint, {});
}

void CMainView::ScrollIntoView(const CFrame& object)
{
    const QRect frame = FrameOfPageRect(object.rect);
    if (frame.intersects(viewport()->rect()))
        return;
    const CRect zoomed = PageToView(object.rect, QPoint(0, 0), ZoomFactorOf(zoomLevel_));
    horizontalScrollBar()->setValue(std::max(0, zoomed.left));
    verticalScrollBar()->setValue(std::max(0, zoomed.top));
}

bool CMainView::ApplyObjectRect(CRect rect, bool keepWidth, bool keepHeight)
{
    CFrame* object = doc_.Selection();
    if (object == nullptr)
        return false;
    const CRect placed =
        PlaceObjectRect(rect, snapToGrid_ ? gridStep_ : 0, pageWidth_, pageHeight_, keepWidth, keepHeight);
    const CRect old = object->rect;
    if (placed == old)
        return false;
    // The renderer lets go of an object before its rectangle changes.
    if (doc_.page.outputActive.load())
        object->StopOutput();
    object->rect = placed;
    if (placed.Width() != old.Width() || placed.Height() != old.Height())
        object->InvalidatePreview();
    doc_.SetModifiedFlag(true);
    doc_.RefreshOverlay(0);
    emit doc_.UpdateAllViews(kUpdatePage, ToQRect(HintRect(old, placed)));
    return true;
}

// --- Mouse ---------------------------------------------------------------

int CMainView::HandleAt(QPoint point) const
{
    const CFrame* selection = doc_.Selection();
    if (selection == nullptr || selection->locked)
        return kNoHandle;
    const QRect frame = SelectionFrame();
    const QRect outer = frame.adjusted(-kHandleSize, -kHandleSize, kHandleSize, kHandleSize);
    if (!outer.contains(point))
        return kNoHandle;
    int handle = 0;
    if (point.x() < frame.left())
        handle |= kLeft;
    else if (point.x() > frame.right())
        handle |= kRight;
    if (point.y() < frame.top())
        handle |= kTop;
    else if (point.y() > frame.bottom())
        handle |= kBottom;
    return handle;
}

void CMainView::UpdateCursor(QPoint point)
{
    static const std::pair<int, Qt::CursorShape> shapes[] = {
        {kMove, Qt::SizeAllCursor},          {kLeft, Qt::SizeHorCursor},          {kRight, Qt::SizeHorCursor},
        {kTop, Qt::SizeVerCursor},           {kBottom, Qt::SizeVerCursor},        {kLeft | kTop, Qt::SizeFDiagCursor},
        {kRight | kBottom, Qt::SizeFDiagCursor}, {kRight | kTop, Qt::SizeBDiagCursor}, {kLeft | kBottom, Qt::SizeBDiagCursor}};
    const int handle = HandleAt(point);
    for (const auto& [h, shape] : shapes) {
        if (h == handle) {
            viewport()->setCursor(shape);
            return;
        }
    }
    viewport()->unsetCursor();
}

void CMainView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    // A click beside the editor ends the editing.
    EndTextEdit(false);
    setFocus();
    const int handle = HandleAt(event->position().toPoint());
    if (handle != kNoHandle && event->button() == Qt::LeftButton) {
        trackStart_ = SelectionFrame();
        trackFrame_ = trackStart_;
        pressPoint_ = event->position().toPoint();
        tracking_ = handle;
        return;
    }
    FrameList live;
    doc_.page.TakeSnapshot(live);
    CFrame* hit = HitTestObject(ContentPoint(event->position().toPoint()), origin_, ZoomFactorOf(zoomLevel_), live);
    doc_.page.ReleaseSnapshot();
    // A click on another object only selects it.
    SetSelection(hit, false);
}

void CMainView::TrackTo(QPoint point)
{
    const QPoint delta = point - pressPoint_;
    QRect frame = trackStart_;
    if (tracking_ == kMove) {
        frame.translate(delta);
    } else {
        if (tracking_ & kLeft)
            frame.setLeft(std::min(trackStart_.left() + delta.x(), frame.right()));
        if (tracking_ & kRight)
            frame.setRight(std::max(trackStart_.right() + delta.x(), frame.left()));
        if (tracking_ & kTop)
            frame.setTop(std::min(trackStart_.top() + delta.y(), frame.bottom()));
        if (tracking_ & kBottom)
            frame.setBottom(std::max(trackStart_.bottom() + delta.y(), frame.top()));
        // At least 16 page pixels, in view pixels.
        const int least = static_cast<int>(kMinObjectSize * ZoomFactorOf(zoomLevel_));
        if (frame.width() < least) {
            if (tracking_ & kLeft)
                frame.setLeft(frame.right() - least + 1);
            else
                frame.setRight(frame.left() + least - 1);
        }
        if (frame.height() < least) {
            if (tracking_ & kTop)
                frame.setTop(frame.bottom() - least + 1);
            else
                frame.setBottom(frame.top() + least - 1);
        }
    }
    trackFrame_ = frame;
    viewport()->update();
}

void CMainView::EndTracking(bool apply)
{
    if (tracking_ == kNoHandle)
        return;
    tracking_ = kNoHandle;
    CFrame* selection = doc_.Selection();
    if (apply && selection != nullptr && trackFrame_ != trackStart_) {
        const bool keepWidth = trackFrame_.width() == trackStart_.width();
        const bool keepHeight = trackFrame_.height() == trackStart_.height();
        doc_.RecordUndoStep(ObjectMovedOrResized, *selection, 1);
        if (!ApplyObjectRect(PageRectOfFrame(trackFrame_), keepWidth, keepHeight))
            doc_.DropLastUndoStep();
    }
    viewport()->update();
}

void CMainView::mouseMoveEvent(QMouseEvent* event)
{
    if (tracking_ != kNoHandle)
        TrackTo(event->position().toPoint());
    else
        UpdateCursor(event->position().toPoint());
}

void CMainView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        EndTracking(true);
}

void CMainView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Plays the selection, or ends it when it plays.
    if (event->button() == Qt::LeftButton)
        doc_.TogglePlayEndSelection();
}

void CMainView::contextMenuEvent(QContextMenuEvent* event)
{
    doc_.ScriptStop();
    const int menu = doc_.Selection() != nullptr ? 203 : 204;
    emit ContextMenuRequested(menu, event->globalPos());
}

// --- Keys ----------------------------------------------------------------

void CMainView::keyPressEvent(QKeyEvent* event)
{
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (tracking_ != kNoHandle) {
            EndTracking(false);
            return;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if ((event->modifiers() & Qt::ControlModifier) == 0) {
            MoveByKey(event->key(), shift);
            return;
        }
        break;
    case Qt::Key_Tab:
        SelectByTab(false);
        return;
    case Qt::Key_Backtab:
        SelectByTab(true);
        return;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool CMainView::focusNextPrevChild(bool next)
{
    // Tab walks through the objects while the canvas has the focus.
    if (hasFocus()) {
        SelectByTab(!next);
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void CMainView::MoveByKey(int key, bool shift)
{
    CFrame* selection = doc_.Selection();
    if (selection == nullptr || selection->locked)
        return;
    const ArrowKey arrow = key == Qt::Key_Left    ? ArrowKey::Left
                           : key == Qt::Key_Right ? ArrowKey::Right
                           : key == Qt::Key_Up    ? ArrowKey::Up
                                                  : ArrowKey::Down;
    const std::optional<CRectChange> move = ArrowKeyRect(selection->rect, arrow, shift, snapToGrid_ ? gridStep_ : 1);
    if (!move)
        return;
    doc_.RecordUndoStep(ObjectMovedOrResized, *selection, 1);
    if (!ApplyObjectRect(move->rect, move->keepWidth, move->keepHeight))
        doc_.DropLastUndoStep();
}

void CMainView::SelectByTab(bool backwards)
{
    FrameList live;
    doc_.page.TakeSnapshot(live);
    CFrame* next = NextByTab(live, doc_.Selection(), backwards);
    doc_.page.ReleaseSnapshot();
    if (next != nullptr)
        SetSelection(next, true);
}

// --- Commands ------------------------------------------------------------

HostCommandState CMainView::CommandState(int id) const
{
    CanvasState state;
    const CFrame* selection = doc_.Selection();
    state.hasSelection = selection != nullptr;
    state.selectionLocked = selection != nullptr && selection->locked != 0;
    state.selectionIsTop = selection != nullptr && selection == topObject_;
    state.selectionIsBottom = selection != nullptr && selection == bottomObject_;
    state.snapToGrid = snapToGrid_;
    state.zoomLevel = zoomLevel_;
    state.clipboardFull = doc_.objectClipboard != nullptr;
    state.undoSteps = !doc_.Undo().undoSteps.empty();
    state.redoSteps = !doc_.Undo().redoSteps.empty();
    if (editor_ != nullptr) {
        state.editing = true;
        state.editorHasSelection = editor_->HasSelection();
        state.editorCanPaste = true;
        state.editorCanUndo = editor_->CanUndo();
        state.editorCanRedo = editor_->CanRedo();
    }
    if (CTextFormatCommands::IsFormatCommand(id))
        return editor_ != nullptr ? editor_->FormatState(id) : HostCommandState{};
    return CanvasCommandState(id, state);
}

void CMainView::OnCommand(int id)
{
    if (!CommandState(id).enabled)
        return;
    // While text is edited, the clipboard and undo act on the text.
    if (editor_ != nullptr) {
        const std::pair<int, void (CInPlaceTextEditor::*)()> textCommands[] = {
            {57634, &CInPlaceTextEditor::Copy}, {57635, &CInPlaceTextEditor::Cut},
            {57637, &CInPlaceTextEditor::Paste}, {57643, &CInPlaceTextEditor::Undo},
            {57644, &CInPlaceTextEditor::Redo}};
        for (const auto& [command, run] : textCommands) {
            if (command == id) {
                (editor_.get()->*run)();
                return;
            }
        }
        if (CTextFormatCommands::IsFormatCommand(id)) {
            ApplyTextFormat(id);
            return;
        }
        if (id != 32834)
            EndTextEdit(false);
    }
    switch (id) {
    case 32834:
        if (editor_ != nullptr)
            EndTextEdit(false);
        else
            BeginTextEdit();
        break;
    case 32835: EditProperties(); break;
    case cmd::kPreferences: EditPreferences(); break;
    case 32815: AddSimpleObject(); break;
    case 32816: AddPictureObject(); break;
    case 32817: CloneSelection(); break;
    case 32807: DeleteSelection(true); break;
    case 32802: MoveSelection(1); break;
    case 32803: MoveSelection(0); break;
    case 32806: ToggleLock(); break;
    case 32805: ToggleSnap(); break;
    case 32814: SetZoomLevel(zoomLevel_ - 1); break;
    case 32813: SetZoomLevel(zoomLevel_ + 1); break;
    case 32804:
        if (zoomBox_ != nullptr)
            SetZoomLevel(ZoomLevelFromBox(zoomBox_->currentIndex()), true);
        break;
    case 57634: CopySelection(); break;
    case 57635:
        CopySelection();
        DeleteSelection(false);
        break;
    case 57637: Paste(); break;
    case 57643: doc_.UndoObjectEdit(1); break;
    case 57644: doc_.UndoObjectEdit(0); break;
    default: break;
    }
}

void CMainView::SetZoomLevel(int level, bool fromBox)
{
    level = std::clamp(level, 0, kZoomLevelCount - 1);
    if (level == zoomLevel_)
        return;
    setFocus();
    zoomLevel_ = level;
    UpdatePageLayout();
    if (zoomBox_ != nullptr && !fromBox) {
        const QSignalBlocker quiet(zoomBox_);
        zoomBox_->setCurrentIndex(level);
    }
    Write(settings::ZoomFactor(editMode_), level);
    emit doc_.UpdateAllViews(kUpdateRepaint, {});
}

void CMainView::ToggleSnap()
{
    snapToGrid_ = !snapToGrid_;
    Write(settings::SnapToGrid(editMode_), snapToGrid_ ? 1 : 0);
}

bool CMainView::PageFull()
{
    if (doc_.page.LiveCount() < CFrameSet::kMaxObjects)
        return false;
    doc_.Host().ShowMessage(CUserMessage{kPageFullId, kMessageError, LoadText(kPageFullId)});
    return true;
}

CFrame* CMainView::PutOnTop(std::unique_ptr<CFrame> object)
{
    CFrame* added = object.get();
    if (!doc_.page.AddObject(object))
        return nullptr;
    added->framePeriod = FramePeriodOfMode(doc_.Preferences().mode);
    added->InvalidatePreview();
    doc_.SetSelection(added);
    ScrollIntoView(*added);
    return added;
}

bool CMainView::AddNewObject(std::unique_ptr<CFrame> object)
{
    if (PageFull())
        return false;
    CFrame* added = PutOnTop(std::move(object));
    if (added == nullptr)
        return false;
    doc_.RecordUndoStep(ObjectCreated, *added, 1);
    doc_.SetModifiedFlag(true);
    emit doc_.UpdateAllViews(kUpdatePage, {});
    return true;
}

void CMainView::AddSimpleObject()
{
    auto object = std::make_unique<CFrame>();
    object->rect = kNewObjectRect;
    AddNewObject(std::move(object));
}

void CMainView::AddPictureObject()
{
    const QString patterns = QString::fromLatin1(kPictureImportPatterns).replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString filter = QStringLiteral("%1 (%2)").arg(LoadText(kPicturesFilterId), patterns);
    const QString path = ChooseExistingFile(this, LoadText(kOpenTitleId), doc_.Preferences().rootFolder, filter);
    if (path.isEmpty() || PageFull())
        return;
    CImportTarget target;
    target.canvasWidth = pageWidth_;
    target.canvasHeight = pageHeight_;
    target.framePeriod = FramePeriodOfMode(doc_.Preferences().mode);
    CImportFeedbackDialog feedback(doc_, this);
    CPictureImportResult result = ImportPictureObject(path, target, feedback);
    if (result.object == nullptr)
        return;
    if (!AddNewObject(std::move(result.object)))
        return;
    // Cropped or truncated: said once the object is on the page.
    for (const CUserMessage& warning : result.warnings)
        doc_.Host().ShowMessage(warning);
}

void CMainView::CloneSelection()
{
    CFrame* selection = doc_.Selection();
    if (selection == nullptr)
        return;
    auto copy = std::make_unique<CFrame>(*selection);
    if (!AddNewObject(std::move(copy)))
        return;
    CFrame* added = doc_.Selection();
    ApplyObjectRect(CloneOffsetRect(added->rect, pageWidth_, pageHeight_), true, true);
}

void CMainView::DeleteSelection(bool ask)
{
    CFrame* selection = doc_.Selection();
    if (selection == nullptr)
        return;
    if (ask && QMessageBox::question(this, LoadText(57344), LoadText(kDeleteQuestionId)) != QMessageBox::Yes)
        return;
    doc_.RecordUndoStep(ObjectDeleted, *selection, 1);
    doc_.SetSelection(nullptr);
    selection->StopOutput();
    doc_.page.RemoveObject(selection);
    doc_.SetModifiedFlag(true);
    emit doc_.UpdateAllViews(kUpdatePage, {});
}

void CMainView::MoveSelection(int up)
{
    CFrame* selection = doc_.Selection();
    if (selection == nullptr || !doc_.page.MoveObject(selection, up))
        return;
    doc_.SetSelection(selection);  // its number changed
    doc_.SetModifiedFlag(true);
    emit doc_.UpdateAllViews(kUpdatePage, {});
}

void CMainView::EditPreferences()
{
    const PreferencesDialogState state = BuildPreferencesState(doc_);
    // The outputs are asked for only when the list of them shows.
    const bool listsOutputs = !state.editMode && state.canChangeMode;
    CDlgPreferences dialog(state, listsOutputs && displayDevices_ ? displayDevices_() : std::vector<DisplayDeviceInfo>{},
                           window());
    if (dialog.exec() == QDialog::Accepted)
        ApplyPreferencesState(doc_, dialog.State());
}

void CMainView::EditProperties()
{
    CFrame* object = doc_.Selection();
    if (object == nullptr)
        return;
    CDlgFrameProps dialog(doc_, *object, window());
    dialog.exec();
}

void CMainView::ToggleLock()
{
    CFrame* selection = doc_.Selection();
    if (selection == nullptr)
        return;
    selection->locked = selection->locked ? 0 : 1;
    doc_.SetModifiedFlag(true);
    emit doc_.UpdateAllViews(kUpdateRepaint, {});
}

void CMainView::CopySelection()
{
    const CFrame* selection = doc_.Selection();
    doc_.objectClipboard = selection != nullptr ? std::make_unique<CFrame>(*selection) : nullptr;
}

void CMainView::Paste()
{
    // A full page takes nothing, without a message.
    if (doc_.objectClipboard == nullptr || PutOnTop(std::make_unique<CFrame>(*doc_.objectClipboard)) == nullptr)
        return;
    doc_.SetModifiedFlag(true);
    emit doc_.UpdateAllViews(kUpdatePage, {});
}
