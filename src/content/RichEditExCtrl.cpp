#include "content/RichEditExCtrl.h"

#include "app/Log.h"
#include "app/CodePage.h"
#include "content/RtfReader.h"
#include "content/RtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace {

constexpr double kTwipsPerInch = 1440.0;

}  // namespace

CCharFormat CRichEditExCtrl::DefaultCharFormat()
{
    CCharFormat format;
    format.mask = kCfmAll;
    format.effects = kCfeAutoBackColor;
    format.height = 560;
    format.textColor = 0xFFFFFF;
    format.face = QStringLiteral("Arial");
    return format;
}

double CRichEditExCtrl::LayoutDotsPerInch()
{
    // The same resolution QTextDocument lays text out at without a paint
    // device, so that twips and pixels agree with the layout.
    static const double dpi = [] {
        if (QGuiApplication::testAttribute(Qt::AA_Use96Dpi))
            return 96.0;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return static_cast<double>(qRound(screen->logicalDotsPerInchY()));
        return 100.0;
    }();
    return dpi;
}

CRichEditExCtrl::CRichEditExCtrl(Kind kind)
    : CRichEditExCtrl(kind, codepage::AnsiCodePage(), LayoutDotsPerInch())
{
}

namespace {

// Text pictures look the same on every workstation, whatever its desktop's
// font settings: glyph edges are always antialiased in grey (a desktop that
// turns antialiasing off, or asks for colour subpixels, does so for its own
// screen, not for key and fill), and the metric-compatible Liberation faces
// stand in for the fonts pages name from the other system. The rules are
// added to this process's font configuration only, after the user's, so
// they decide.
constexpr char kTextFontRules[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
    <edit name="rgba" mode="assign"><const>none</const></edit>
  </match>
</fontconfig>
)";

void PrepareTextFonts()
{
    static const bool done = [] {
        FcConfig* config = FcConfigGetCurrent();
        if (!config || !FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kTextFontRules), FcTrue))
            WriteLog(kLogFailure, "CRichEditExCtrl: the font rules for text pictures could not be added");
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)done;
}

// Whether the font engine draws text into pictures with antialiased edges:
// a large "O" in white on black has grey pixels on its curves.
bool EngineAntialiasesGlyphs()
{
    static const bool antialiased = [] {
        QImage probe(64, 64, QImage::Format_RGB32);
        probe.fill(Qt::black);
        {
            QPainter painter(&probe);
            QFont font(QStringLiteral("Liberation Sans"));
            font.setPixelSize(40);
            font.setStyleStrategy(QFont::NoSubpixelAntialias);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            painter.drawText(8, 52, QStringLiteral("O"));
        }
        for (int y = 0; y < probe.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
            for (int x = 0; x < probe.width(); ++x) {
                const int grey = qGreen(row[x]);
                if (grey > 0 && grey < 255)
                    return true;
            }
        }
        WriteLog(kLogLifecycle, "CRichEditExCtrl: glyphs come out aliased; text pictures fill glyph outlines");
        return false;
    }();
    return antialiased;
}

std::atomic<bool> forceGlyphOutlines{false};

}  // namespace

void CRichEditExCtrl::PrepareFonts()
{
    PrepareTextFonts();
}

bool CRichEditExCtrl::DrawsGlyphOutlines()
{
    return forceGlyphOutlines.load() || !EngineAntialiasesGlyphs();
}

void CRichEditExCtrl::ForceGlyphOutlines(bool force)
{
    forceGlyphOutlines.store(force);
}

CRichEditExCtrl::CRichEditExCtrl(Kind kind, int ansiCodePage, double dotsPerInch)
    : kind_(kind),
      ansiCodePage_(ansiCodePage),
      converter_(kTwipsPerInch / dotsPerInch, kTwipsPerInch / dotsPerInch, DefaultCharFormat()),
      document_(std::make_unique<QTextDocument>())
{
    PrepareTextFonts();
    document_->setDocumentMargin(0);
    document_->setUseDesignMetrics(true);
    const CCharFormat defaults = DefaultCharFormat();
    QFont font(defaults.face);
    font.setPointSizeF(defaults.height / 20.0);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    document_->setDefaultFont(font);
    QTextOption option = document_->defaultTextOption();
    option.setWrapMode(kind_ == kSingleLine ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    document_->setDefaultTextOption(option);
    selection_ = QTextCursor(document_.get());
    ResetEmptyFormats();
    document_->clearUndoRedoStacks();
    QObject::connect(document_.get(), &QTextDocument::contentsChanged, [this] {
        ++contentVersion_;
        if (changeNotify_ && !streaming_)
            changeNotify_();
    });
}

CRichEditExCtrl::~CRichEditExCtrl() = default;

template <typename Change>
void CRichEditExCtrl::WithoutUndo(Change change)
{
    const bool undo = document_->isUndoRedoEnabled();
    document_->setUndoRedoEnabled(false);
    change();
    document_->setUndoRedoEnabled(undo);
}

void CRichEditExCtrl::ResetEmptyFormats()
{
    // An empty control types in the default format, left aligned.
    WithoutUndo([this] {
        QTextCursor cursor(document_.get());
        const QTextCharFormat format = converter_.ToQt(DefaultCharFormat());
        cursor.setBlockCharFormat(format);
        cursor.setCharFormat(format);
        cursor.setBlockFormat(converter_.ToQt(CParaFormat(), cursor.blockFormat()));
    });
}

bool CRichEditExCtrl::StreamIn(const char* data, std::size_t size)
{
    bool ok = false;
    bool changed = true;
    {
        std::lock_guard guard(streamLock_);
        // The text thread loads the same text before every chunk: when the
        // control still holds exactly what these bytes gave, the document
        // and its layout stay.
        const QByteArrayView bytes(data, static_cast<qsizetype>(size));
        if (contentVersion_ == streamedVersion_ && streamedOk_ && bytes == QByteArrayView(streamed_)) {
            ok = true;
            changed = false;
        } else {
            // Notifications wait until the lock is released, so that a
            // receiver may stream the text out again.
            streaming_ = true;
            CRtfReader reader(converter_, ansiCodePage_, kind_ == kSingleLine);
            ok = reader.Read(data, size, *document_);
            streamError_ = reader.Error();
            if (!streamError_.isEmpty())
                WriteLog(kLogFailure, "CRichEditExCtrl::StreamIn(%08X): %s", LogAddress(this),
                         qUtf8Printable(streamError_));
            if (!ok)
                ResetEmptyFormats();
            layoutWidth_ = -2.0;  // the new content is laid out afresh
            streaming_ = false;
            streamed_ = bytes.toByteArray();
            streamedOk_ = ok;
            streamedVersion_ = contentVersion_;
        }
        document_->clearUndoRedoStacks();
        selection_ = QTextCursor(document_.get());
    }
    if (changed && changeNotify_)
        changeNotify_();
    NotifySelection();
    return ok;
}

QByteArray CRichEditExCtrl::StreamOut() const
{
    std::lock_guard guard(streamLock_);
    return CRtfWriter(converter_, ansiCodePage_).Write(*document_);
}

QString CRichEditExCtrl::StreamError() const
{
    std::lock_guard guard(streamLock_);
    return streamError_;
}

int CRichEditExCtrl::TextLength() const
{
    return document_->characterCount() - 1;
}

QString CRichEditExCtrl::Text() const
{
    QString text;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
        if (block != document_->begin())
            text.append(QChar(u'\r'));
        text.append(block.text());
    }
    text.replace(QChar(QChar::LineSeparator), QChar(u'\v'));
    return text;
}

void CRichEditExCtrl::ApplyLayoutWidth(double pixels)
{
    if (pixels == layoutWidth_)
        return;
    layoutWidth_ = pixels;
    document_->setTextWidth(pixels > 0 ? pixels : -1.0);
}

void CRichEditExCtrl::EnsureLaidOut(const QTextBlock& block)
{
    document_->documentLayout()->blockBoundingRect(block);
}

void CRichEditExCtrl::SetFormattingWidth(int pixels)
{
    ApplyLayoutWidth(pixels > 0 ? pixels : 0);
}

QPoint CRichEditExCtrl::PositionFromChar(int index)
{
    if (layoutWidth_ < -1.0)
        ApplyLayoutWidth(0);
    index = std::clamp(index, 0, TextLength());
    const QTextBlock block = document_->findBlock(index);
    if (!block.isValid())
        return {};
    EnsureLaidOut(block);
    const QTextLayout* layout = block.layout();
    const int inBlock = index - block.position();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return layout->position().toPoint();
    const double x = layout->position().x() + line.cursorToX(inBlock);
    const double y = layout->position().y() + line.y();
    return QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

int CRichEditExCtrl::FindText(const QString& text, int from)
{
    if (text.isEmpty())
        return -1;
    const QTextCursor found = document_->find(text, std::clamp(from, 0, TextLength()));
    return found.isNull() ? -1 : found.selectionStart();
}

void CRichEditExCtrl::SetSelection(int start, int end)
{
    const int length = TextLength();
    if (end < 0 || end > length)
        end = length;
    start = std::clamp(start, 0, length);
    selection_.setPosition(start);
    selection_.setPosition(end, QTextCursor::KeepAnchor);
    NotifySelection();
}

void CRichEditExCtrl::GetSelection(int& start, int& end) const
{
    start = selection_.selectionStart();
    end = selection_.selectionEnd();
}

void CRichEditExCtrl::NotifySelection()
{
    if (selectionNotify_)
        selectionNotify_();
}

QString CRichEditExCtrl::PrepareInsertedText(const QString& text) const
{
    QString result;
    result.reserve(text.size());
    const QChar lineBreak = kind_ == kSingleLine ? QChar(u' ') : QChar(u'\n');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == QChar(u'\n'))
                ++i;
            result.append(lineBreak);
        } else if (c == u'\n' || c == QChar::ParagraphSeparator) {
            result.append(lineBreak);
        } else if (c == u'\t' || (c >= 0x20 && c != 0xFFFC && !(c >= 0xFDD0 && c <= 0xFDEF))) {
            result.append(QChar(c));
        }
    }
    return result;
}

std::optional<QTextDocumentFragment> CRichEditExCtrl::ClipboardFragment(const QMimeData& data) const
{
    const double dotsPerInch = kTwipsPerInch / converter_.TwipsPerPixelX();
    QByteArray rtf;
    for (const char* type : {"text/rtf", "application/rtf", "text/richtext"}) {
        if (data.hasFormat(QLatin1String(type))) {
            rtf = data.data(QLatin1String(type));
            break;
        }
    }
    if (rtf.isEmpty() && data.hasHtml()) {
        // Through RTF, so that what a page cannot store (pictures, tables,
        // links, lists) is gone before it reaches the text.
        CRichEditExCtrl html(kMultiLine, ansiCodePage_, dotsPerInch);
        html.selection_.insertFragment(QTextDocumentFragment::fromHtml(data.html()));
        rtf = html.StreamOut();
    }
    if (rtf.isEmpty())
        return std::nullopt;
    CRichEditExCtrl read(kind_, ansiCodePage_, dotsPerInch);
    if (!read.StreamIn(rtf.constData(), static_cast<std::size_t>(rtf.size())) || read.TextLength() == 0)
        return std::nullopt;
    QTextCursor all(read.document_.get());
    all.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    return all.selection();
}

QByteArray CRichEditExCtrl::RtfOfFragment(const QTextDocumentFragment& fragment) const
{
    CRichEditExCtrl copy(kind_, ansiCodePage_, kTwipsPerInch / converter_.TwipsPerPixelX());
    copy.selection_.insertFragment(fragment);
    return copy.StreamOut();
}

void CRichEditExCtrl::ReplaceSelection(const QString& text)
{
    // The new text takes the format of the selection's first character, so
    // that a placeholder's font, size and colour become the text's.
    QTextCursor probe(document_.get());
    const int start = selection_.selectionStart();
    probe.setPosition(start);
    if (selection_.hasSelection() && start < TextLength())
        probe.setPosition(start + 1);
    const QTextCharFormat format = selection_.hasSelection() ? probe.charFormat() : selection_.charFormat();
    const QString prepared = PrepareInsertedText(text);
    WithoutUndo([&] {
        if (prepared.isEmpty())
            selection_.removeSelectedText();
        else
            selection_.insertText(prepared, format);
    });
    NotifySelection();
}

void CRichEditExCtrl::SetAlignment(bool right)
{
    CParaFormat change;
    change.mask = kPfmAlignment;
    change.alignment = right ? kAlignRight : kAlignLeft;
    WithoutUndo([&] {
        QTextCursor cursor(document_.get());
        cursor.beginEditBlock();
        for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
            CParaFormat format = converter_.FromQt(block.blockFormat());
            CRichTextFormatConverter::Apply(format, change);
            cursor.setPosition(block.position());
            cursor.setBlockFormat(converter_.ToQt(format, block.blockFormat()));
        }
        cursor.endEditBlock();
    });
}

FormatRangeResult CRichEditExCtrl::FormatRange(int firstChar, int widthTwips, int heightTwips, QImage* target)
{
    FormatRangeResult result;
    const int length = TextLength();
    firstChar = std::clamp(firstChar, 0, std::max(length, 0));
    result.nextChar = firstChar;
    result.right = std::max(widthTwips, 0);
    const double width = std::max(widthTwips, 1) / converter_.TwipsPerPixelX();
    const double height = std::max(heightTwips, 0) / converter_.TwipsPerPixelY();
    if (firstChar >= length)
        return result;
    ApplyLayoutWidth(width);

    // Lines from the one holding firstChar, while they fit into the height;
    // the first line always. A range starts and ends on whole pixels of the
    // whole text's layout (the top of its first line rounded down, the top
    // of the line after it rounded down), so that ranges laid out one after
    // the other stitch into exactly the picture of the whole text.
    QTextBlock block = document_->findBlock(firstChar);
    EnsureLaidOut(block);
    int lineIndex = block.layout()->lineForTextPosition(firstChar - block.position()).lineNumber();
    if (lineIndex < 0)
        lineIndex = 0;
    const QTextBlock firstBlock = block;
    QTextBlock lastBlock = block;
    constexpr double kSnap = 1e-3;  // layout positions a rounding error off a whole pixel count as whole
    auto floorPixel = [](double y) { return std::floor(y + kSnap); };
    auto ceilPixel = [](double y) { return std::ceil(y - kSnap); };
    double origin = 0.0;
    double usedBottom = 0.0;  // whole pixels, from origin
    bool first = true;
    int next = length;
    while (block.isValid()) {
        EnsureLaidOut(block);
        const QTextLayout* layout = block.layout();
        bool stopped = false;
        for (; lineIndex < layout->lineCount(); ++lineIndex) {
            const QTextLine line = layout->lineAt(lineIndex);
            const double lineTop = layout->position().y() + line.y();
            const double lineBottom = lineTop + line.height();
            if (first) {
                origin = floorPixel(lineTop);
            } else {
                // The gap up to this line belongs to the lines above.
                usedBottom = std::max(usedBottom, std::min(floorPixel(lineTop) - origin, height));
                if (ceilPixel(lineBottom) - origin > height) {
                    next = block.position() + line.textStart();
                    stopped = true;
                    break;
                }
            }
            first = false;
            usedBottom = std::max(usedBottom, ceilPixel(lineBottom) - origin);
            lastBlock = block;
        }
        if (stopped)
            break;
        block = block.next();
        lineIndex = 0;
    }
    if (first)
        return result;
    if (!block.isValid()) {
        // The whole rest of the text fitted; its last paragraph's spacing
        // after still belongs to it.
        const double withSpacing = ceilPixel(origin + usedBottom + lastBlock.blockFormat().bottomMargin()) - origin;
        usedBottom = std::min(withSpacing, std::max(usedBottom, std::floor(height)));
    }
    const double used = usedBottom;
    const double top = origin;
    result.nextChar = std::max(next, firstChar + 1);
    result.bottom = static_cast<int>(std::lround(used * converter_.TwipsPerPixelY()));

    if (target && !target->isNull()) {
        QPainter painter(target);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.fillRect(QRectF(0, 0, width, std::max(height, used)), QColorFromColorRef(background_));
        painter.setClipRect(QRectF(0, 0, width, used));
        if (DrawsGlyphOutlines()) {
            // A projective transform that maps like the plain translation:
            // the paint engine fills glyph outlines under it, antialiased by
            // the painter, instead of taking the font engine's glyph images.
            constexpr double k = 1.0 + 1.0 / 1024.0;
            painter.setTransform(QTransform(k, 0, 0, 0, k, 0, 0, -top * k, k));
        } else {
            painter.translate(0, -top);
        }
        painter.setPen(QColorFromColorRef(DefaultCharFormat().textColor));
        const QRectF clip(0, top, width, used);
        // The paragraphs on either side are drawn too, clipped: a descender
        // of the line above or an accent of the line below that reaches
        // into the range's rows is part of them in the whole text's picture.
        const QTextBlock before = firstBlock.previous();
        const QTextBlock after = lastBlock.next();
        for (QTextBlock b = before.isValid() ? before : firstBlock; b.isValid(); b = b.next()) {
            const QTextBlockFormat blockFormat = b.blockFormat();
            QTextLayout* layout = b.layout();
            EnsureLaidOut(b);
            if (blockFormat.hasProperty(QTextFormat::BackgroundBrush))
                painter.fillRect(layout->boundingRect().translated(layout->position()), blockFormat.background());
            layout->draw(&painter, QPointF(0, 0), {}, clip);
            if (b == after || (!after.isValid() && b == lastBlock))
                break;
        }
    }
    return result;
}

CCharFormat CRichEditExCtrl::GetSelectionCharFormat() const
{
    if (!selection_.hasSelection())
        return converter_.FromQt(selection_.charFormat());
    const int start = selection_.selectionStart();
    const int end = selection_.selectionEnd();
    CCharFormat result;
    bool any = false;
    for (QTextBlock block = document_->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= end || fragment.position() + fragment.length() <= start)
                continue;
            const CCharFormat format = converter_.FromQt(fragment.charFormat());
            if (!any) {
                result = format;
                any = true;
            } else {
                CRichTextFormatConverter::KeepCommon(result, format);
            }
        }
    }
    return any ? result : converter_.FromQt(selection_.charFormat());
}

void CRichEditExCtrl::SetSelectionCharFormat(const CCharFormat& change)
{
    if (!selection_.hasSelection()) {
        CCharFormat format = converter_.FromQt(selection_.charFormat());
        CRichTextFormatConverter::Apply(format, change);
        const QTextCharFormat qtFormat = converter_.ToQt(format);
        selection_.setCharFormat(qtFormat);
        if (selection_.block().length() == 1)
            selection_.setBlockCharFormat(qtFormat);  // an empty line takes the new height too
        return;
    }
    const int start = selection_.selectionStart();
    const int end = selection_.selectionEnd();
    struct Range
    {
        int from;
        int to;
        QTextCharFormat format;
    };
    std::vector<Range> ranges;
    std::vector<QTextBlock> marks;  // paragraphs whose end lies in the selection
    for (QTextBlock block = document_->findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from < to)
                ranges.push_back({from, to, fragment.charFormat()});
        }
        const int blockEnd = block.position() + block.length() - 1;
        if (blockEnd >= start && blockEnd < end)
            marks.push_back(block);
    }
    QTextCursor cursor(document_.get());
    cursor.beginEditBlock();
    for (const Range& range : ranges) {
        CCharFormat format = converter_.FromQt(range.format);
        CRichTextFormatConverter::Apply(format, change);
        cursor.setPosition(range.from);
        cursor.setPosition(range.to, QTextCursor::KeepAnchor);
        cursor.setCharFormat(converter_.ToQt(format));
    }
    for (const QTextBlock& block : marks) {
        CCharFormat format = converter_.FromQt(block.charFormat());
        CRichTextFormatConverter::Apply(format, change);
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(converter_.ToQt(format));
    }
    cursor.endEditBlock();
}

CParaFormat CRichEditExCtrl::GetSelectionParaFormat() const
{
    const QTextBlock first = document_->findBlock(selection_.selectionStart());
    const QTextBlock last = document_->findBlock(selection_.selectionEnd());
    CParaFormat result = converter_.FromQt(first.blockFormat());
    for (QTextBlock block = first; block.isValid() && block != last;) {
        block = block.next();
        if (block.isValid())
            CRichTextFormatConverter::KeepCommon(result, converter_.FromQt(block.blockFormat()));
    }
    return result;
}

void CRichEditExCtrl::SetSelectionParaFormat(const CParaFormat& change)
{
    const QTextBlock first = document_->findBlock(selection_.selectionStart());
    const QTextBlock last = document_->findBlock(selection_.selectionEnd());
    QTextCursor cursor(document_.get());
    cursor.beginEditBlock();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        CParaFormat format = converter_.FromQt(block.blockFormat());
        CRichTextFormatConverter::Apply(format, change);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(converter_.ToQt(format, block.blockFormat()));
        if (block == last)
            break;
    }
    cursor.endEditBlock();
}

bool CRichEditExCtrl::CanUndo() const
{
    return document_->isUndoAvailable();
}

bool CRichEditExCtrl::CanRedo() const
{
    return document_->isRedoAvailable();
}

void CRichEditExCtrl::Undo()
{
    document_->undo(&selection_);
    NotifySelection();
}

void CRichEditExCtrl::Redo()
{
    document_->redo(&selection_);
    NotifySelection();
}

void CRichEditExCtrl::SetZoom(int numerator, int denominator)
{
    if (numerator <= 0 || denominator <= 0)
        numerator = denominator = 0;
    zoomNumerator_ = numerator;
    zoomDenominator_ = denominator;
}

void CRichEditExCtrl::GetZoom(int& numerator, int& denominator) const
{
    numerator = zoomNumerator_;
    denominator = zoomDenominator_;
}
