#include "editor/InPlaceTextEditor.h"

#include "model/Frame.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QKeyEvent>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

CInPlaceTextEditor::CInPlaceTextEditor(const CFrame& object, bool singleLine, bool reverse, QWidget* parent)
    : QGraphicsView(parent),
      engine_(singleLine ? CRichEditExCtrl::kSingleLine : CRichEditExCtrl::kMultiLine),
      item_(new QGraphicsTextItem),
      singleLine_(singleLine)
{
    setObjectName(QStringLiteral("textEditor"));
    setFrameStyle(QFrame::NoFrame);
    setStyleSheet(QStringLiteral("background: transparent"));
    setAttribute(Qt::WA_TranslucentBackground);
    setHorizontalScrollBarPolicy(singleLine ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(singleLine ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScene(new QGraphicsScene(this));

    loaded_ = object.richText.isEmpty() || engine_.StreamIn(object.richText.constData(), object.richText.size());
    if (singleLine)
        engine_.SetAlignment(reverse != 0);
    item_->setDocument(engine_.Document());
    item_->setTextInteractionFlags(Qt::TextEditorInteraction);
    pageWidth_ = object.rect.Width();
    if (!singleLine)
        item_->setTextWidth(pageWidth_);
    scene()->addItem(item_);
    connect(engine_.Document(), &QTextDocument::contentsChanged, this, &CInPlaceTextEditor::Changed);
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

void CInPlaceTextEditor::RunStandardKey(QKeySequence::StandardKey key)
{
    if (key == QKeySequence::Undo) {
        engine_.Document()->undo();
        return;
    }
    if (key == QKeySequence::Redo) {
        engine_.Document()->redo();
        return;
    }
    // The text item's own clipboard handling, as its key would run it.
    const QKeySequence sequence(key);
    if (sequence.isEmpty())
        return;
    const QKeyCombination combination = sequence[0];
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QApplication::sendEvent(scene(), &press);
}

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
    QGraphicsView::keyPressEvent(event);
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    emit SelectionFormatChanged();
}

QTextCharFormat CInPlaceTextEditor::SelectionCharFormat() const
{
    return item_->textCursor().charFormat();
}

Qt::Alignment CInPlaceTextEditor::SelectionAlignment() const
{
    return item_->textCursor().blockFormat().alignment();
}

void CInPlaceTextEditor::MergeCharFormat(const QTextCharFormat& format)
{
    QTextCursor cursor = item_->textCursor();
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
    } else {
        // The text typed next takes it.
        QTextCharFormat next = cursor.charFormat();
        next.merge(format);
        cursor.setCharFormat(next);
    }
    item_->setTextCursor(cursor);
    emit SelectionFormatChanged();
}

void CInPlaceTextEditor::SetParagraphAlignment(Qt::Alignment alignment)
{
    QTextCursor cursor = item_->textCursor();
    QTextBlockFormat block;
    block.setAlignment(alignment);
    cursor.mergeBlockFormat(block);
    item_->setTextCursor(cursor);
    emit SelectionFormatChanged();
}
