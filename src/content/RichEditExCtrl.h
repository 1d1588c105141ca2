#pragma once

#include "content/RichTextEngine.h"
#include "content/RichTextFormat.h"

#include <QByteArray>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <cstdint>

#include <memory>
#include <mutex>
#include <optional>

class QMimeData;
class QTextBlock;
class QTextDocument;

// The rich text control: the rich text engine on a QTextDocument (QtGui
// only, usable on any one thread). The text renderer owns a multi-line and a
// single-line one for layout; the in-place editor shows the Document() of
// its own control in a text view.
//
// New controls start with face "Arial" (Liberation Sans stands in), 28 pt,
// white, left aligned; text that RTF gives no colour is drawn white too.
class CRichEditExCtrl : public IRichTextEngine
{
public:
    enum Kind : int {
        kMultiLine = 0,   // word wrap at the formatting width
        kSingleLine = 1,  // one line that never breaks; paragraph breaks read as spaces
    };

    explicit CRichEditExCtrl(Kind kind = kMultiLine);
    // A control with its own ANSI code page and resolution (tests, tools).
    CRichEditExCtrl(Kind kind, int ansiCodePage, double dotsPerInch);
    ~CRichEditExCtrl() override;
    CRichEditExCtrl(const CRichEditExCtrl&) = delete;
    CRichEditExCtrl& operator=(const CRichEditExCtrl&) = delete;

    static CCharFormat DefaultCharFormat();
    // Logical dots per inch of the text layout: the primary screen's.
    static double LayoutDotsPerInch();
    // Glyph edges are always antialiased in the pictures FormatRange draws.
    // Where the font engine of this process draws them aliased (a desktop
    // setting that Qt applies before any font rule), the glyphs are filled
    // as outlines instead; force makes it do so anyway (tests).
    static bool DrawsGlyphOutlines();
    // Sets up the fonts of text pictures for this process (font rules and
    // stand-in faces). The first control does it; programs call it on the
    // user-interface thread at start-up, before other threads use fonts.
    static void PrepareFonts();
    static void ForceGlyphOutlines(bool force);

    Kind ControlKind() const { return kind_; }
    int AnsiCodePage() const { return ansiCodePage_; }
    QTextDocument* Document() const { return document_.get(); }
    QTextCursor& Selection() { return selection_; }

    bool StreamIn(const char* data, std::size_t size) override;
    using IRichTextEngine::StreamIn;
    QByteArray StreamOut() const override;
    // Why the last StreamIn failed.
    QString StreamError() const;

    int TextLength() const override;
    QString Text() const override;
    QPoint PositionFromChar(int index) override;
    void SetFormattingWidth(int pixels) override;

    int FindText(const QString& text, int from = 0) override;
    void SetSelection(int start, int end) override;
    void GetSelection(int& start, int& end) const override;
    void ReplaceSelection(const QString& text) override;
    void SetAlignment(bool right) override;

    FormatRangeResult FormatRange(int firstChar, int widthTwips, int heightTwips, QImage* target) override;
    void SetBackgroundColor(ColorRef color) override { background_ = color; }
    ColorRef BackgroundColor() const override { return background_; }

    CCharFormat GetSelectionCharFormat() const override;
    void SetSelectionCharFormat(const CCharFormat& format) override;
    CParaFormat GetSelectionParaFormat() const override;
    void SetSelectionParaFormat(const CParaFormat& format) override;

    bool CanUndo() const override;
    bool CanRedo() const override;
    void Undo() override;
    void Redo() override;

    void SetZoom(int numerator, int denominator) override;
    void GetZoom(int& numerator, int& denominator) const override;
    void SetChangeNotify(std::function<void()> notify) override { changeNotify_ = std::move(notify); }
    void SetSelectionChangeNotify(std::function<void()> notify) override { selectionNotify_ = std::move(notify); }

    // Text as this control takes it: line breaks as paragraphs (spaces on
    // one line), no control characters.
    QString PrepareInsertedText(const QString& text) const;
    // The rich part of clipboard data (RTF, else HTML) reduced to what a
    // page's RTF holds, laid out for this control (one line: paragraph
    // breaks read as spaces); nothing when the data is plain text only.
    std::optional<QTextDocumentFragment> ClipboardFragment(const QMimeData& data) const;
    // A piece of text as RTF, for the clipboard.
    QByteArray RtfOfFragment(const QTextDocumentFragment& fragment) const;

    double TwipsPerPixelX() const override { return converter_.TwipsPerPixelX(); }
    double TwipsPerPixelY() const override { return converter_.TwipsPerPixelY(); }

private:
    void ResetEmptyFormats();
    void ApplyLayoutWidth(double pixels);
    void EnsureLaidOut(const QTextBlock& block);
    void NotifySelection();
    // Runs change with undo recording off; the history is dropped.
    template <typename Change>
    void WithoutUndo(Change change);

    Kind kind_;
    int ansiCodePage_;
    CRichTextFormatConverter converter_;
    std::unique_ptr<QTextDocument> document_;
    QTextCursor selection_;
    ColorRef background_ = 0x000000;
    int zoomNumerator_ = 0;
    int zoomDenominator_ = 0;
    double layoutWidth_ = -2.0;  // the width last given to the document
    std::function<void()> changeNotify_;
    std::function<void()> selectionNotify_;
    mutable std::mutex streamLock_;
    bool streaming_ = false;  // inside StreamIn: change notifications wait
    // The bytes of the last StreamIn and the content version they gave; any
    // change of the document since counts up contentVersion_.
    QByteArray streamed_;
    bool streamedOk_ = false;
    uint64_t contentVersion_ = 0;
    uint64_t streamedVersion_ = ~uint64_t(0);
    QString streamError_;
};
