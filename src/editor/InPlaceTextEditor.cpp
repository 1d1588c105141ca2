#include "editor/InPlaceTextEditor.h"

#include "model/Frame.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

CInPlaceTextEditor::CInPlaceTextEditor(const CFrame& object, bool singleLine, bool reverse, QWidget* parent)
    : QGraphicsView(parent),
      engine_(singleLine ? CRichEditExCtrl::kSingleLine : CRichEditExCtrl::kMultiLine),
      formats_(engine_, singleLine, reverse),
      item_(new QGraphicsTextItem),
      singleLine_(singleLine)
{
    setObjectName(QStringLiteral("textEditor"));
    setAccessibleName(QStringLiteral("Text"));
    setFrameStyle(QFrame::NoFrame);
    setStyleSheet(QStringLiteral("background: transparent"));
    setAttribute(Qt::WA_TranslucentBackground);
    setHorizontalScrollBarPolicy(singleLine ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(singleLine ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Drops would bring in what the page cannot store; pastes are filtered.
    setAcceptDrops(false);
    setScene(new QGraphicsScene(this));

    loaded_ = object.richText.isEmpty() || engine_.StreamIn(object.richText.constData(), object.richText.size());
    if (singleLine)
        engine_.SetAlignment(reverse != 0);
    loadedText_ = engine_.StreamOut();
    item_->setDocument(engine_.Document());
    item_->setTextInteractionFlags(Qt::TextEditorInteraction);
    pageWidth_ = object.rect.Width();
    if (!singleLine)
        item_->setTextWidth(pageWidth_);
    scene()->addItem(item_);
    connect(engine_.Document(), &QTextDocument::contentsChanged, this, [this] {
        formats_.SelectionChanged();
        emit Changed();
    });
    item_->setFocus();
}

void CInPlaceTextEditor::Place(const QRect& frame, double factor)
{
    resetTransform();
    scale(factor, factor);
    setGeometry(frame);
    setSceneRect(QRectF(0, 0, std::max(static_cast<double>(pageWidth_), item_->boundingRect().width()),
                        std::max(frame.height() / factor, item_->boundingRect().height())));
}

QByteArray CInPlaceTextEditor::RichText() const
{
    return engine_.StreamOut();
}

bool CInPlaceTextEditor::HasSelection() const
{
    return item_->textCursor().hasSelection();
}

bool CInPlaceTextEditor::CanUndo() const
{
    return engine_.Document()->isUndoAvailable();
}

bool CInPlaceTextEditor::CanRedo() const
{
    return engine_.Document()->isRedoAvailable();
}

// --- Clipboard and undo ----------------------------------------------------

void CInPlaceTextEditor::Copy()
{
    const QTextCursor cursor = item_->textCursor();
    if (!cursor.hasSelection())
        return;
    const QTextDocumentFragment fragment = cursor.selection();
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/rtf"), engine_.RtfOfFragment(fragment));
    data->setHtml(fragment.toHtml());
    QString text = fragment.toPlainText();
    text.replace(QChar::ParagraphSeparator, QChar(u'\n'));
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

void CInPlaceTextEditor::Cut()
{
    QTextCursor cursor = item_->textCursor();
    if (!cursor.hasSelection())
        return;
    Copy();
    cursor.removeSelectedText();
    item_->setTextCursor(cursor);
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::Paste()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr)
        return;
    QTextCursor cursor = item_->textCursor();
    if (const std::optional<QTextDocumentFragment> fragment = engine_.ClipboardFragment(*data))
        cursor.insertFragment(*fragment);
    else if (data->hasText())
        cursor.insertText(engine_.PrepareInsertedText(data->text()));  // in the format at the cursor
    else
        return;
    item_->setTextCursor(cursor);
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::Undo()
{
    QTextCursor cursor = item_->textCursor();
    engine_.Document()->undo(&cursor);
    item_->setTextCursor(cursor);
    formats_.SelectionChanged();
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::Redo()
{
    QTextCursor cursor = item_->textCursor();
    engine_.Document()->redo(&cursor);
    item_->setTextCursor(cursor);
    formats_.SelectionChanged();
    emit SelectionFormatChanged();
}

// --- Events ------------------------------------------------------------------

void CInPlaceTextEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit Finished();
        return;
    }
    // One line: Enter types a space.
    if (singleLine_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        QTextCursor cursor = item_->textCursor();
        cursor.insertText(QStringLiteral(" "));
        item_->setTextCursor(cursor);
        return;
    }
    // The clipboard keys of the text item would bypass the filter.
    const std::pair<QKeySequence::StandardKey, void (CInPlaceTextEditor::*)()> clipboardKeys[] = {
        {QKeySequence::Copy, &CInPlaceTextEditor::Copy},
        {QKeySequence::Cut, &CInPlaceTextEditor::Cut},
        {QKeySequence::Paste, &CInPlaceTextEditor::Paste},
        {QKeySequence::Undo, &CInPlaceTextEditor::Undo},
        {QKeySequence::Redo, &CInPlaceTextEditor::Redo},
    };
    for (const auto& [key, run] : clipboardKeys) {
        if (event->matches(key)) {
            (this->*run)();
            return;
        }
    }
    QGraphicsView::keyPressEvent(event);
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::contextMenuEvent(QContextMenuEvent* event)
{
    // The canvas's editing menu, not the text item's own.
    emit ContextMenuRequested(event->reason() == QContextMenuEvent::Keyboard ? QCursor::pos() : event->globalPos());
}

// --- Formats -----------------------------------------------------------------

void CInPlaceTextEditor::SelectionToEngine()
{
    const QTextCursor view = item_->textCursor();
    QTextCursor& engine = engine_.Selection();
    if (engine.anchor() != view.anchor() || engine.position() != view.position())
        formats_.SelectionChanged();
    engine = view;
}

void CInPlaceTextEditor::SelectionFromEngine()
{
    item_->setTextCursor(engine_.Selection());
}

template <typename Command>
void CInPlaceTextEditor::WithEngineSelection(Command command)
{
    SelectionToEngine();
    command();
    SelectionFromEngine();
    setFocus();
    emit SelectionFormatChanged();
}

HostCommandState CInPlaceTextEditor::FormatState(int id)
{
    SelectionToEngine();
    return formats_.State(id);
}

void CInPlaceTextEditor::RunFormat(int id, ITextFormatDialogs& dialogs)
{
    WithEngineSelection([&] { formats_.Run(id, dialogs); });
}

void CInPlaceTextEditor::SetFace(const QString& face, ITextFormatDialogs& dialogs)
{
    WithEngineSelection([&] { formats_.SetFace(face, dialogs); });
}

void CInPlaceTextEditor::SetSizePoints(int points, ITextFormatDialogs& dialogs)
{
    WithEngineSelection([&] { formats_.SetSizePoints(points, dialogs); });
}

std::optional<QString> CInPlaceTextEditor::TakeFaceForBox()
{
    SelectionToEngine();
    return formats_.TakeFaceForBox();
}

std::optional<int> CInPlaceTextEditor::TakeSizeForBox()
{
    SelectionToEngine();
    return formats_.TakeSizeForBox();
}
