#pragma once

#include "content/RichEditExCtrl.h"

#include <QGraphicsView>
#include <QTextCharFormat>

class CFrame;
class QGraphicsTextItem;

// The in-place editor of an object's rich text: the rich text engine's
// document in a transparent view over the object, scaled by the canvas's
// zoom so that explicit font sizes scale too. The canvas places it, and
// stores its text when editing ends.
class CInPlaceTextEditor : public QGraphicsView
{
    Q_OBJECT

public:
    // Loads the object's stored text; singleLine for objects that move
    // horizontally (line breaks become spaces), reverse for their Reverse.
    CInPlaceTextEditor(const CFrame& object, bool singleLine, bool reverse, QWidget* parent);

    // Places the editor on the object's rectangle in the parent's
    // coordinates at the canvas's zoom.
    void Place(const QRect& frame, double factor);
    // The text as the page stores it.
    QByteArray RichText() const;
    bool Loaded() const { return loaded_; }

    bool HasSelection() const;
    bool CanUndo() const;
    bool CanRedo() const;
    // Runs a standard edit (copy, cut, paste, undo, redo) as its key would.
    void RunStandardKey(QKeySequence::StandardKey key);

    // The formats at the selection, and changing them: with a selection it
    // changes, without one the text typed next.
    QTextCharFormat SelectionCharFormat() const;
    Qt::Alignment SelectionAlignment() const;
    void MergeCharFormat(const QTextCharFormat& format);
    void SetParagraphAlignment(Qt::Alignment alignment);
    bool SingleLine() const { return singleLine_; }

signals:
    // Esc: the operator is done.
    void Finished();
    void Changed();
    // The selection moved or its formats changed: the format toolbar
    // shows them again.
    void SelectionFormatChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CRichEditExCtrl engine_;
    QGraphicsTextItem* item_;
    bool singleLine_;
    bool loaded_ = false;
    int pageWidth_ = 0;
};
