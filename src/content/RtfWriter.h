#pragma once

#include "content/RichTextFormat.h"

#include <QByteArray>

class QTextDocument;

// Writes a QTextDocument as RTF in the dialect rich edit controls write:
// header with \ansicpg, font table, colour table, \pard paragraphs with
// alignment, indents, spacing and line spacing, and character formatting
// written as changes from the previous text. Characters outside ASCII are
// written as \uN with one fallback character in the ANSI code page (or "?"),
// so that every reader gets the text whatever its code page.
//
// The output depends only on the document, the converter and the code page:
// the same document always gives the same bytes, and reading the output back
// and writing it again gives the same bytes once more. Embedded objects are
// left out.
class CRtfWriter
{
public:
    CRtfWriter(const CRichTextFormatConverter& converter, int ansiCodePage);

    QByteArray Write(const QTextDocument& document) const;

private:
    const CRichTextFormatConverter& converter_;
    int ansiCodePage_;
};
