// The rich text control: defaults, substitution, layout of character ranges,
// formats of the selection, undo and notifications.
#include "RichTextTestSupport.h"

#include <QFontInfo>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

#include <algorithm>

using namespace richtext_test;

namespace {

constexpr double kTwips = 15.0;  // per pixel at 96 dots per inch

QByteArray Document(const char* body)
{
    return QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"
                      "{\\colortbl ;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}") +
           body + "}";
}

QByteArray Words(int count, const char* format = "\\fs56 ")
{
    QByteArray text(format);
    for (int i = 0; i < count; ++i)
        text += "word" + QByteArray::number(i) + " ";
    return Document(text.constData());
}

// Rows of the picture that hold any pixel other than the background.
std::pair<int, int> InkRows(const QImage& image, QRgb background)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (std::any_of(row, row + image.width(), [&](QRgb p) { return (p & 0xFFFFFF) != (background & 0xFFFFFF); })) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return {first, last};
}

int InkRightmostColumn(const QImage& image, QRgb background)
{
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = image.width() - 1; x > right; --x) {
            if ((row[x] & 0xFFFFFF) != (background & 0xFFFFFF))
                right = x;
        }
    }
    return right;
}

TEST(RichEditExCtrl, StartsWithWhiteArial28LeftAligned)
{
    CRichEditExCtrl control;
    EXPECT_NEAR(control.TwipsPerPixelX(), 1440.0 / CRichEditExCtrl::LayoutDotsPerInch(), 1e-9);
    const CCharFormat format = control.GetSelectionCharFormat();
    EXPECT_EQ(format.face, QStringLiteral("Arial"));
    EXPECT_EQ(format.height, 560);
    EXPECT_EQ(format.textColor, 0xFFFFFFu);
    EXPECT_FALSE(format.effects & kCfeAutoColor);
    EXPECT_EQ(control.GetSelectionParaFormat().alignment, kAlignLeft);
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Arial"))).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(control.TextLength(), 0);
    EXPECT_FALSE(control.CanUndo());
}

TEST(RichEditExCtrl, SubstitutedTextTakesThePlaceholdersFormatWithoutUndo)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("\\fs40 Time: {\\cf2\\b\\fs56 %1%} now\\par")));
    const int at = control.FindText(QStringLiteral("%1%"));
    ASSERT_EQ(at, 6);
    control.SetSelection(at, at + 3);
    control.ReplaceSelection(QStringLiteral("09:05:03"));
    EXPECT_EQ(control.Text(), QStringLiteral("Time: 09:05:03 now"));
    EXPECT_FALSE(control.CanUndo());
    int start = 0;
    int end = 0;
    control.GetSelection(start, end);
    EXPECT_EQ(start, 14);
    EXPECT_EQ(end, 14);
    const CCharFormat replaced = FormatOf(control, QStringLiteral("09:05:03"));
    EXPECT_EQ(replaced.mask, kCfmAll);
    EXPECT_EQ(replaced.textColor, 0x0000FFu);
    EXPECT_TRUE(replaced.effects & kCfeBold);
    EXPECT_EQ(replaced.height, 560);
    const CCharFormat before = FormatOf(control, QStringLiteral("Time:"));
    EXPECT_EQ(before.height, 400);
    EXPECT_FALSE(before.effects & kCfeBold);
    EXPECT_TRUE(control.StreamOut().contains("\\cf1\\b\\fs56 09:05:03")) << control.StreamOut().toStdString();
}

TEST(RichEditExCtrl, LoadingTheSameBytesAgainGivesTheSameDocument)
{
    // The text thread loads the object's text before every chunk and then
    // substitutes into it.
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    int changes = 0;
    control.SetChangeNotify([&] { ++changes; });
    const QByteArray rtf = Document("\\b %1% and more\\par");
    for (const char* value : {"first", "second", ""}) {
        ASSERT_TRUE(control.StreamIn(rtf));
        EXPECT_EQ(control.Text(), QStringLiteral("%1% and more"));
        control.SetSelection(0, 3);
        control.ReplaceSelection(QLatin1String(value));
        EXPECT_EQ(control.Text(), QLatin1String(value) + QStringLiteral(" and more"));
    }
    // Unchanged since it was loaded: loaded again, nothing changes, and the
    // selection and the undo history start afresh as after any load.
    ASSERT_TRUE(control.StreamIn(rtf));
    control.SetSelection(0, 3);
    CCharFormat italic;
    italic.mask = kCfmItalic;
    italic.effects = kCfeItalic;
    control.SetSelectionCharFormat(italic);
    control.Undo();
    ASSERT_TRUE(control.CanRedo());
    const int before = changes;
    ASSERT_TRUE(control.StreamIn(rtf));
    EXPECT_GT(changes, before) << "undo and redo changed it: read again";
    const int loaded = changes;
    ASSERT_TRUE(control.StreamIn(rtf));
    EXPECT_EQ(changes, loaded);
    EXPECT_FALSE(control.CanRedo());
    int start = -1;
    int end = -1;
    control.GetSelection(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    EXPECT_FALSE(FormatOf(control, 0, 3).effects & kCfeItalic);
}

TEST(RichEditExCtrl, FindIsCaseInsensitiveAndGoesForward)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("%Name% and %NAME%\\par %name%")));
    EXPECT_EQ(control.FindText(QStringLiteral("%name%")), 0);
    EXPECT_EQ(control.FindText(QStringLiteral("%name%"), 1), 11);
    EXPECT_EQ(control.FindText(QStringLiteral("%name%"), 12), 18);
    EXPECT_EQ(control.FindText(QStringLiteral("%name%"), 19), -1);
    EXPECT_EQ(control.FindText(QString()), -1);
    // Replacing every occurrence, as CSV rows are put in.
    for (int found = control.FindText(QStringLiteral("%name%")); found >= 0;
         found = control.FindText(QStringLiteral("%name%"))) {
        control.SetSelection(found, found + 6);
        control.ReplaceSelection(QStringLiteral("Tom"));
    }
    EXPECT_EQ(control.Text(), QStringLiteral("Tom and Tom\rTom"));
}

TEST(RichEditExCtrl, LineBreaksInReplacedTextStartParagraphsOrSpaces)
{
    CRichEditExCtrl multi(kMulti, 1252, 96.0);
    multi.ReplaceSelection(QStringLiteral("a\r\nb\nc\rd"));
    EXPECT_EQ(multi.Text(), QStringLiteral("a\rb\rc\rd"));
    EXPECT_EQ(multi.TextLength(), 7);
    CRichEditExCtrl single(kSingle, 1252, 96.0);
    single.ReplaceSelection(QStringLiteral("a\r\nb\nc"));
    EXPECT_EQ(single.Text(), QStringLiteral("a b c"));
}

TEST(RichEditExCtrl, FormatRangeTakesLinesWhileTheyFitAndAlwaysTheFirst)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Words(300)));
    const int length = control.TextLength();

    // Chunks of at most 200 pixels at 300 pixels width cover the text once,
    // each starting at the start of a line.
    int position = 0;
    int chunks = 0;
    int totalHeight = 0;
    while (position < length) {
        const FormatRangeResult chunk = control.FormatRange(position, 300 * 15, 200 * 15, nullptr);
        ASSERT_GT(chunk.nextChar, position);
        EXPECT_LE(chunk.bottom, 200 * 15);
        EXPECT_EQ(chunk.right, 300 * 15);
        if (chunk.nextChar < length) {
            EXPECT_GT(chunk.bottom, 150 * 15) << "four lines of about 43 pixels fit";
            EXPECT_EQ(control.PositionFromChar(chunk.nextChar).x(), 0) << "a chunk ends before a line start";
        }
        totalHeight += chunk.bottom;
        position = chunk.nextChar;
        ++chunks;
    }
    EXPECT_EQ(position, length);
    const FormatRangeResult whole = control.FormatRange(0, 300 * 15, 1000000, nullptr);
    EXPECT_EQ(whole.nextChar, length);
    EXPECT_GT(chunks, 10);
    EXPECT_NEAR(totalHeight, whole.bottom, chunks * 15) << "chunks stitch into the whole text";

    // One twip of height still lays out the first line.
    const FormatRangeResult first = control.FormatRange(0, 300 * 15, 1, nullptr);
    EXPECT_GT(first.nextChar, 0);
    EXPECT_LT(first.nextChar, 40);
    EXPECT_GT(first.bottom, 30 * 15);
    // Nothing is laid out from the end of the text.
    const FormatRangeResult end = control.FormatRange(length, 300 * 15, 200 * 15, nullptr);
    EXPECT_EQ(end.nextChar, length);
    EXPECT_EQ(end.bottom, 0);
}

TEST(RichEditExCtrl, SingleLineControlNeverBreaks)
{
    CRichEditExCtrl control(kSingle, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Words(100)));
    const int length = control.TextLength();
    const FormatRangeResult line = control.FormatRange(0, 100 * 15, 1, nullptr);
    EXPECT_EQ(line.nextChar, length);
    EXPECT_GT(line.bottom, 30 * 15);
    EXPECT_LT(line.bottom, 60 * 15);
    // Positions run along one line: the end of the text is the text's width.
    int previous = -1;
    for (int i = 0; i <= length; i += 7) {
        const QPoint point = control.PositionFromChar(i);
        EXPECT_EQ(point.y(), 0);
        EXPECT_GT(point.x(), previous);
        previous = point.x();
    }
    EXPECT_GT(control.PositionFromChar(length).x(), 3000);
}

TEST(RichEditExCtrl, RendersOverTheBackgroundClippedToTheLinesLaidOut)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Words(40)));
    QImage black(300, 400, QImage::Format_RGB32);
    black.fill(Qt::blue);
    control.SetBackgroundColor(0x000000);
    const FormatRangeResult chunk = control.FormatRange(0, 300 * 15, 100 * 15, &black);
    const int used = static_cast<int>(chunk.bottom / kTwips + 0.5);
    ASSERT_GT(used, 40);
    ASSERT_LE(used, 100);
    EXPECT_EQ(black.pixel(10, 150), qRgb(0, 0, 255)) << "the background fills the formatting rectangle only";
    // The ink lies inside the lines laid out, in the default white.
    const auto [inkTop, inkBottom] = InkRows(black.copy(0, 0, 300, 100), qRgb(0, 0, 0));
    EXPECT_LT(inkBottom, used);
    int white = 0;
    for (int y = inkTop; y <= inkBottom; ++y)
        for (int x = 0; x < 300; ++x)
            white += black.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_GT(white, 50);

    // Red text on a white background keeps its colour.
    ASSERT_TRUE(control.StreamIn(Document("\\cf2\\fs56 Red")));
    QImage white2(200, 60, QImage::Format_RGB32);
    control.SetBackgroundColor(0xFFFFFF);
    control.FormatRange(0, 200 * 15, 60 * 15, &white2);
    int red = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            red += white2.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 50);
}

TEST(RichEditExCtrl, RightAlignmentPutsTheLineAtTheRightEdge)
{
    CRichEditExCtrl control(kSingle, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("\\fs56 Ticker")));
    QImage image(400, 50, QImage::Format_RGB32);
    image.fill(Qt::black);
    control.FormatRange(0, 400 * 15, 1, &image);
    const int leftAligned = InkRightmostColumn(image, qRgb(0, 0, 0));
    control.SetAlignment(true);
    EXPECT_EQ(ParaFormatAt(control, 0).alignment, kAlignRight);
    control.FormatRange(0, 400 * 15, 1, &image);
    EXPECT_LT(leftAligned, 300);
    EXPECT_GE(InkRightmostColumn(image, qRgb(0, 0, 0)), 390);
}

TEST(RichEditExCtrl, BoldTogglesOverAPartlyBoldSelection)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("ab\\b cd\\b0 ef")));
    control.SetSelection(0, 6);
    CCharFormat format = control.GetSelectionCharFormat();
    EXPECT_FALSE(format.mask & kCfmBold) << "partly bold";
    EXPECT_TRUE(format.mask & kCfmSize);
    CCharFormat bold;
    bold.mask = kCfmBold;
    bold.effects = (format.mask & kCfmBold) ? (format.effects ^ kCfeBold) : kCfeBold;
    control.SetSelectionCharFormat(bold);
    format = control.GetSelectionCharFormat();
    EXPECT_TRUE((format.mask & kCfmBold) && (format.effects & kCfeBold));
    bold.effects = format.effects ^ kCfeBold;
    control.SetSelectionCharFormat(bold);
    format = control.GetSelectionCharFormat();
    EXPECT_TRUE((format.mask & kCfmBold) && !(format.effects & kCfeBold));
    EXPECT_EQ(FormatOf(control, 0, 1).height, 240) << "only the bold mask changed";
}

TEST(RichEditExCtrl, SuperscriptRaisesTheText)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("\\fs56 X")));
    QImage normal(100, 120, QImage::Format_RGB32);
    control.FormatRange(0, 100 * 15, 120 * 15, &normal);
    for (int i = 0; i < 2; ++i) {
        control.SetSelection(0, 1);
        const CCharFormat current = control.GetSelectionCharFormat();
        CCharFormat raise;
        raise.mask = kCfmOffset;
        raise.offset = ((current.mask & kCfmOffset) ? current.offset : 0) +
                       ((current.mask & kCfmSize) ? current.height / 5 : 100);
        control.SetSelectionCharFormat(raise);
    }
    EXPECT_EQ(FormatOf(control, 0, 1).offset, 224);
    QImage raised(100, 120, QImage::Format_RGB32);
    control.FormatRange(0, 100 * 15, 120 * 15, &raised);
    const int shift = InkRows(normal, qRgb(0, 0, 0)).second - InkRows(raised, qRgb(0, 0, 0)).second;
    EXPECT_NEAR(shift, 224 / kTwips, 2.0);
}

TEST(RichEditExCtrl, BackgroundColourSetAndRemoved)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("abc")));
    control.SetSelection(0, 3);
    CCharFormat change;
    change.mask = kCfmBackColor;
    change.backColor = 0x00FF00;
    control.SetSelectionCharFormat(change);
    CCharFormat format = control.GetSelectionCharFormat();
    EXPECT_TRUE((format.mask & kCfmBackColor) && !(format.effects & kCfeAutoBackColor));
    EXPECT_EQ(format.backColor, 0x00FF00u);
    change.effects = kCfeAutoBackColor;
    control.SetSelectionCharFormat(change);
    EXPECT_TRUE(control.GetSelectionCharFormat().effects & kCfeAutoBackColor);
}

TEST(RichEditExCtrl, ParagraphFormatOfTheSelection)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("\\qc one\\par\\pard two\\par three")));
    control.SetSelection(0, 6);
    EXPECT_FALSE(control.GetSelectionParaFormat().mask & kPfmAlignment) << "centred and left";
    CParaFormat change;
    change.mask = kPfmAlignment | kPfmLineSpacing | kPfmStartIndent | kPfmOffset;
    change.alignment = kAlignRight;
    change.lineSpacingRule = kSpacingMultiple;
    change.lineSpacing = 40;
    change.startIndent = 600;
    change.offset = -300;
    control.SetSelectionParaFormat(change);
    const CParaFormat format = control.GetSelectionParaFormat();
    EXPECT_EQ(format.mask, kPfmAll);
    EXPECT_EQ(format.alignment, kAlignRight);
    EXPECT_EQ(format.lineSpacingRule, kSpacingMultiple);
    EXPECT_EQ(format.lineSpacing, 40);
    EXPECT_EQ(format.startIndent, 600);
    EXPECT_EQ(format.offset, -300);
    EXPECT_EQ(ParaFormatAt(control, control.FindText(QStringLiteral("three"))).alignment, kAlignLeft);
    // Double spacing doubles the distance between the lines of a paragraph.
    ASSERT_TRUE(control.StreamIn(Words(30)));
    const int single = control.FormatRange(0, 200 * 15, 100000, nullptr).bottom;
    control.SetSelection(0, -1);
    change.mask = kPfmLineSpacing;
    change.lineSpacing = 40;
    control.SetSelectionParaFormat(change);
    const int doubled = control.FormatRange(0, 200 * 15, 100000, nullptr).bottom;
    EXPECT_NEAR(doubled, 2 * single, single / 10);
}

TEST(RichEditExCtrl, UndoAndRedoOfFormatChanges)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    ASSERT_TRUE(control.StreamIn(Document("abc")));
    EXPECT_FALSE(control.CanUndo());
    control.SetSelection(0, 3);
    CCharFormat italic;
    italic.mask = kCfmItalic;
    italic.effects = kCfeItalic;
    control.SetSelectionCharFormat(italic);
    ASSERT_TRUE(control.CanUndo());
    control.Undo();
    EXPECT_FALSE(FormatOf(control, 0, 3).effects & kCfeItalic);
    ASSERT_TRUE(control.CanRedo());
    control.Redo();
    EXPECT_TRUE(FormatOf(control, 0, 3).effects & kCfeItalic);
    // Loading drops the history.
    ASSERT_TRUE(control.StreamIn(Document("x")));
    EXPECT_FALSE(control.CanUndo());
    EXPECT_FALSE(control.CanRedo());
}

TEST(RichEditExCtrl, NotifiesChangesAndSelectionChanges)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    int changes = 0;
    int selections = 0;
    QByteArray stored;
    // A receiver may store the text at once, as the editor does.
    control.SetChangeNotify([&] {
        ++changes;
        stored = control.StreamOut();
    });
    control.SetSelectionChangeNotify([&] { ++selections; });
    ASSERT_TRUE(control.StreamIn(Document("abc")));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(stored.contains("abc"));
    const int afterLoad = changes;
    control.SetSelection(0, 2);
    EXPECT_GT(selections, 0);
    CCharFormat bold;
    bold.mask = kCfmBold;
    bold.effects = kCfeBold;
    control.SetSelectionCharFormat(bold);
    EXPECT_GT(changes, afterLoad);
}

TEST(RichEditExCtrl, KeepsTheZoomRatio)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    int numerator = -1;
    int denominator = -1;
    control.GetZoom(numerator, denominator);
    EXPECT_EQ(numerator, 0);
    control.SetZoom(150, 100);
    control.GetZoom(numerator, denominator);
    EXPECT_EQ(numerator, 150);
    EXPECT_EQ(denominator, 100);
    control.SetZoom(50, 0);
    control.GetZoom(numerator, denominator);
    EXPECT_EQ(numerator, 0);
    EXPECT_EQ(denominator, 0);
}

TEST(RichEditExCtrl, ClipboardKeepsOnlyWhatAPageCanStore)
{
    QMimeData html;
    html.setHtml(QStringLiteral("<p>Top <b>bold</b> <a href='x'>link</a><img src='y.png'></p>"
                                "<table><tr><td>cell</td></tr></table><ul><li>item</li></ul>"));
    html.setText(QStringLiteral("plain"));
    QMimeData rtf;  // RTF wins over HTML and text
    rtf.setData(QStringLiteral("text/rtf"), Document("\\fs56 first\\par \\up10 raised\\par"));
    rtf.setHtml(QStringLiteral("<p>html</p>"));
    QMimeData plain;
    plain.setText(QStringLiteral("just text"));

    struct Case
    {
        const char* what;
        const QMimeData* data;
        CRichEditExCtrl::Kind kind;
        const char* text;  // of the fragment, paragraphs as \n
    };
    const Case cases[] = {
        {"html", &html, kMulti, "Top bold link\ncell\n\nitem"},
        {"html on one line", &html, kSingle, "Top bold link cell item"},
        {"rtf", &rtf, kMulti, "first\nraised"},
        {"rtf on one line", &rtf, kSingle, "first raised"},
    };
    for (const Case& c : cases) {
        CRichEditExCtrl control(c.kind, 1252, 96.0);
        const std::optional<QTextDocumentFragment> fragment = control.ClipboardFragment(*c.data);
        ASSERT_TRUE(fragment.has_value()) << c.what;
        QString text = fragment->toPlainText().trimmed();
        text.replace(QChar::ParagraphSeparator, QChar(u'\n'));
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.what;
        EXPECT_FALSE(text.contains(QChar(QChar::ObjectReplacementCharacter))) << c.what;
        control.Selection().insertFragment(*fragment);
        if (c.data == &html)
            EXPECT_TRUE(FormatOf(control, QStringLiteral("bold")).effects & kCfeBold) << c.what;
        else
            EXPECT_EQ(FormatOf(control, QStringLiteral("raised")).offset, 100) << c.what;
        EXPECT_FALSE(control.StreamOut().contains("y.png")) << c.what;
    }
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    EXPECT_FALSE(control.ClipboardFragment(plain).has_value());
    EXPECT_EQ(control.PrepareInsertedText(QStringLiteral("a\r\nb\x01")), QStringLiteral("a\nb"));

    // Copying gives RTF that pastes back with its formats.
    const QByteArray source = Document("\\fs40 small \\b\\up6 up\\b0\\up0  end\\par");
    ASSERT_TRUE(control.StreamIn(source.constData(), source.size()));
    control.SetSelection(6, 8);
    QMimeData copied;
    copied.setData(QStringLiteral("text/rtf"), control.RtfOfFragment(control.Selection().selection()));
    CRichEditExCtrl target(kMulti, 1252, 96.0);
    target.Selection().insertFragment(*target.ClipboardFragment(copied));
    const CCharFormat up = FormatOf(target, QStringLiteral("up"));
    EXPECT_TRUE(up.effects & kCfeBold);
    EXPECT_EQ(up.offset, 60);
    EXPECT_EQ(up.height, 400);
}

}  // namespace
