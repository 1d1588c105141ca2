#pragma once

#include "content/RichTextFormat.h"

#include <QString>

#include <cstddef>

class QTextDocument;

// Reads RTF into a QTextDocument: the dialect that rich edit controls,
// WordPad and word processors write (font and colour tables, \ansicpg and
// \fcharset code pages, \u with \uc fallbacks, \'hh bytes, character and
// paragraph formatting, ignorable destinations). Pictures, objects, tables,
// fields' instructions, headers and footers are left out; table cells become
// tabs and rows paragraphs.
//
// Hostile input is read in one pass over the bytes with bounded memory:
// nesting deeper than kMaxDepth is skipped, numbers saturate, control words
// longer than 32 letters are ignored, \bin data is skipped, a missing closing
// brace ends the document and text after the closing brace is ignored.
class CRtfReader
{
public:
    static constexpr std::size_t kMaxInputSize = 64u * 1024u * 1024u;
    static constexpr int kMaxDepth = 256;
    // Text beyond this many characters, or beyond this many runs of one
    // format and paragraphs together, is dropped: building and laying out
    // more would take seconds and hundreds of megabytes. Real documents of
    // several megabytes stay well below both.
    static constexpr qsizetype kMaxTextLength = 2 * 1024 * 1024;
    static constexpr int kMaxPieces = 200000;

    // ansiCodePage: the code page of \'hh bytes when the document names none.
    // singleLine: paragraph and line breaks become spaces (the one-line
    // ticker control keeps its text in one paragraph).
    CRtfReader(const CRichTextFormatConverter& converter, int ansiCodePage, bool singleLine);

    // Replaces the content of document (dropping its undo history). On
    // failure the document is left empty and Error() says why; a text cut
    // at kMaxTextLength loads, with Error() saying so.
    bool Read(const char* data, std::size_t size, QTextDocument& document);
    QString Error() const { return error_; }

private:
    const CRichTextFormatConverter& converter_;
    int ansiCodePage_;
    bool singleLine_;
    QString error_;
};
