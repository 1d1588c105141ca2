#pragma once

#include <QByteArray>
#include <QString>

// What a text source needs of the rich text control it substitutes into
// (one of the text renderer's hidden controls). The rich text engine
// implements it; positions are character positions of the plain text the
// control holds.
class ISourceTextControl
{
public:
    virtual ~ISourceTextControl() = default;

    // Replaces the content with the RTF document, holding the control's lock
    // while streaming. Returns 1, or 0 when the document could not be read.
    virtual int StreamIn(const QByteArray& rtf) = 0;
    // The content as RTF (without embedded objects).
    virtual QByteArray StreamOut() = 0;

    // Number of characters.
    virtual int TextLength() const = 0;
    // Position of the first occurrence of text at or after from, or -1.
    virtual int Find(const QString& text, int from) const = 0;
    // Replaces length characters at start by text without recording undo.
    // The new text takes the character format of the first replaced
    // character (a placeholder's font, size and colour become the text's).
    virtual void Replace(int start, int length, const QString& text) = 0;
};
