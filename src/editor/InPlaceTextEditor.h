#pragma once

#include "content/RichEditExCtrl.h"
#include "document/TextFormatCommands.h"

#include <QGraphicsView>

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
    // Whether the text differs from what was loaded. Compared with the
    // loaded text as this editor writes it, not with the stored bytes: a
    // page written elsewhere may spell the same text differently.
    bool TextChanged() const { return RichText() != loadedText_; }
    bool Loaded() const { return loaded_; }

    bool HasSelection() const;
    bool CanUndo() const;
    bool CanRedo() const;
    // The clipboard keeps RTF, HTML and plain text of a copy; a paste takes
    // only what the page can store.
    void Copy();
    void Cut();
    void Paste();
    void Undo();
    void Redo();

    // The formatting commands at the editor's selection.
    HostCommandState FormatState(int id);
    void RunFormat(int id, ITextFormatDialogs& dialogs);
    void SetFace(const QString& face, ITextFormatDialogs& dialogs);
    void SetSizePoints(int points, ITextFormatDialogs& dialogs);
    // What the font boxes show, when the formats were read again.
    std::optional<QString> TakeFaceForBox();
    std::optional<int> TakeSizeForBox();

signals:
    // Esc: the operator is done.
    void Finished();
    void Changed();
    // The selection moved or its formats changed: the format toolbar
    // shows them again.
    void SelectionFormatChanged();
    // The operator asked for the editing context menu at a screen point.
    void ContextMenuRequested(QPoint globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The engine keeps a selection of its own: the view's is copied into it
    // before formats are read or set, and back after a command moved it.
    void SelectionToEngine();
    void SelectionFromEngine();
    template <typename Command>
    void WithEngineSelection(Command command);

    CRichEditExCtrl engine_;
    CTextFormatCommands formats_;
    QGraphicsTextItem* item_;
    bool singleLine_;
    bool loaded_ = false;
    QByteArray loadedText_;
    int pageWidth_ = 0;
};
