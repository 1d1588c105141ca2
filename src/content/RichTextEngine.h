#pragma once

#include "content/RichTextFormat.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <cstddef>
#include <functional>

class QImage;

// What a layout of a character range reports (FormatRange).
struct FormatRangeResult
{
    int nextChar = 0;  // first character not laid out; the start when nothing fitted
    int right = 0;     // twips: right edge of the area used (the formatting width)
    int bottom = 0;    // twips: bottom of the last line laid out
};

// The rich text engine that holds an object's text while it is edited, while
// a text source substitutes into it and while the text thread lays it out.
// Character positions count UTF-16 code units; each paragraph break counts
// one. Lengths are twips (1/1440 inch) where the formatting commands use
// them, pixels for positions.
//
// One instance is used by one thread at a time; only StreamIn and StreamOut
// lock, so that the text thread and a reader of the stored text can meet.
class IRichTextEngine
{
public:
    virtual ~IRichTextEngine() = default;

    // Replaces the whole content with the RTF document; the undo history is
    // dropped. Returns false when the bytes are not RTF (the control is then
    // empty). Cheap to call repeatedly; the text thread does so per chunk.
    virtual bool StreamIn(const char* data, std::size_t size) = 0;
    bool StreamIn(const QByteArray& rtf) { return StreamIn(rtf.constData(), static_cast<std::size_t>(rtf.size())); }
    // The content as RTF, without embedded objects; deterministic.
    virtual QByteArray StreamOut() const = 0;

    // Number of characters, not counting the end of the text.
    virtual int TextLength() const = 0;
    // The plain text, paragraphs separated by "\r".
    virtual QString Text() const = 0;
    // Top-left corner of a character in the layout at the current formatting
    // width (SetFormattingWidth), in pixels; index TextLength() is the end of
    // the text.
    virtual QPoint PositionFromChar(int index) = 0;
    // Layout width for positions and for the editor: pixels, or 0 for no
    // limit (a single-line control never wraps anyway).
    virtual void SetFormattingWidth(int pixels) = 0;

    // First occurrence of text at or after position from, case-insensitive
    // (as the find of rich edit controls without "match case"); -1 when none.
    virtual int FindText(const QString& text, int from = 0) = 0;
    virtual void SetSelection(int start, int end) = 0;  // end -1: the end of the text
    virtual void GetSelection(int& start, int& end) const = 0;
    // Replaces the selection with text in the character format of the
    // selection's first character, without recording undo (the undo history
    // is dropped). Line breaks in text start new paragraphs (spaces in a
    // single-line control). The selection becomes empty after the new text.
    virtual void ReplaceSelection(const QString& text) = 0;
    // Sets the alignment of every paragraph, right or left (the ticker's
    // direction), without recording undo (the undo history is dropped).
    virtual void SetAlignment(bool right) = 0;

    // Lays out the characters from firstChar at widthTwips (word wrap at the
    // width, or one line that never breaks in a single-line control) into
    // at most heightTwips: lines are taken while they fit, and the first line
    // always. With a target the range is drawn at its top-left corner over
    // the background colour, clipped to the lines laid out; without one it is
    // only measured.
    virtual FormatRangeResult FormatRange(int firstChar, int widthTwips, int heightTwips, QImage* target) = 0;
    virtual void SetBackgroundColor(ColorRef color) = 0;
    virtual ColorRef BackgroundColor() const = 0;

    // Character format of the selection: mask bits are set for the fields
    // that are the same over the whole selection (an empty selection: the
    // format at the insertion point). Setting changes the fields the mask
    // names, on the selection or, when it is empty, for the next text typed.
    virtual CCharFormat GetSelectionCharFormat() const = 0;
    virtual void SetSelectionCharFormat(const CCharFormat& format) = 0;
    // Paragraph format of the paragraphs the selection touches, likewise.
    virtual CParaFormat GetSelectionParaFormat() const = 0;
    virtual void SetSelectionParaFormat(const CParaFormat& format) = 0;

    virtual bool CanUndo() const = 0;
    virtual bool CanRedo() const = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;

    // Zoom ratio of the view (numerator, denominator); 0, 0 is off (100 %).
    // The engine only keeps it: the view that shows the text applies it.
    virtual void SetZoom(int numerator, int denominator) = 0;
    virtual void GetZoom(int& numerator, int& denominator) const = 0;
    // Called after every change of the text or its formats, and after every
    // change of the selection through this interface.
    virtual void SetChangeNotify(std::function<void()> notify) = 0;
    virtual void SetSelectionChangeNotify(std::function<void()> notify) = 0;

    // 1440 divided by the logical dots per inch, taken at creation.
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
};
