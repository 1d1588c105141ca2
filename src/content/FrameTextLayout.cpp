// The text thread's side of an object's text: keeping its source up to date
// and laying the rich text out into chunks that the render thread uploads
// into the object's text texture.
#include "content/FrameTextLayout.h"

#include "content/RichEditSourceControl.h"
#include "content/RichEditTextRenderer.h"
#include "playback/FrameTextSource.h"

#include "app/Log.h"

#include <QImage>

#include <algorithm>
#include <cmath>

namespace {

// Rolling text is laid out this many pixels at a time, so that a long text
// never needs one huge picture.
constexpr int kRollChunkHeight = 2048;
// Pictures are limited to this many pixels either way.
constexpr int kMaxRenderExtent = 32000;

int ToTwips(int pixels, double twipsPerPixel)
{
    return static_cast<int>(std::floor(pixels * twipsPerPixel + 0.5));
}

int ToPixels(int twips, double twipsPerPixel)
{
    return static_cast<int>(std::floor(twips / twipsPerPixel + 0.5));
}

// The picture's pixels as an opaque image to paint into (B, G, R, A bytes
// are the memory layout of Format_RGB32 on little-endian machines).
QImage PaintableImage(CPicture& picture)
{
    return QImage(reinterpret_cast<uchar*>(picture.pixels.data()), picture.width, picture.height,
                  static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGB32);
}

// Keeps the top `rows` rows of the picture.
void CutToHeight(CPicture& picture, int rows)
{
    if (rows <= 0 || rows >= picture.height)
        return;
    picture.height = rows;
    picture.pixels.resize(picture.PixelCount());
}

// The text put behind a transparent lead of `lead` columns (scroll) or rows
// (roll): in front of it, or behind it with reverse.
void AddBlankLead(CPicture& picture, int lead, bool vertical, bool reverse)
{
    CPicture led;
    if (vertical) {
        led.Resize(picture.width, picture.height + lead);
        led.Fill(0, 0);
        led.Blit(picture, 0, reverse ? 0 : lead, picture.width, picture.height, 0, 0, 0);
    } else {
        led.Resize(picture.width + lead, picture.height);
        led.Fill(0, 0);
        led.Blit(picture, reverse ? 0 : lead, 0, picture.width, picture.height, 0, 0, 0);
    }
    picture = std::move(led);
}

}  // namespace

int CFrameTextLayout::RenderTextChunk(CPicture& target, int& position, CRichEditTextRenderer& textRenderer, bool wholeText,
                            int& totalChars, int& renderedWidth, int& renderedHeight)
{
    totalChars = 0;
    renderedWidth = 0;
    renderedHeight = 0;
    const bool scroll = o_.movement == kMovementScroll;
    const bool roll = o_.movement == kMovementRoll;
    CRichEditExCtrl& control = textRenderer.ControlFor(o_.movement);
    CRichEditSourceControl source(control);
    if (!CFrameTextSource(o_).LoadContent(source))
        return 0;
    // A ticker is measured left aligned: its pixels start at x = 0.
    if (scroll)
        control.SetAlignment(false);
    int total = control.TextLength();
    if (total <= 0)
        return 0;

    const int objectWidth = o_.rect.Width();
    const int objectHeight = o_.rect.Height();
    if (objectWidth <= 0 || objectHeight <= 0)
        return 0;
    const double twipsX = control.TwipsPerPixelX();
    const double twipsY = control.TwipsPerPixelY();
    int width = objectWidth;
    int height = objectHeight;
    if (scroll) {
        control.SetFormattingWidth(0);
        if (!wholeText || o_.reverse) {
            // The ticker is as wide as its one line: the last character
            // that lies right of the start ends it.
            for (int i = total; i >= 0; --i) {
                const int x = control.PositionFromChar(i).x();
                if (x > 0) {
                    width = x;
                    total = i;
                    break;
                }
            }
        }
        if (wholeText && o_.reverse)
            control.SetAlignment(true);
    } else {
        control.SetFormattingWidth(objectWidth);
        if (roll && o_.reverse) {
            // A reverse roll shows the end of the text first: the whole
            // text is one chunk, as tall as the text.
            const FormatRangeResult measured =
                control.FormatRange(position, ToTwips(objectWidth, twipsX), ToTwips(kMaxRenderExtent, twipsY), nullptr);
            height = std::max(1, ToPixels(measured.bottom, twipsY));
        } else if (roll && !wholeText) {
            height = kRollChunkHeight;
        }
    }
    width = std::min(width, kMaxRenderExtent);
    height = std::min(height, kMaxRenderExtent);

    int formatWidth = width;
    int formatHeight = height;
    if (wholeText && !o_.reverse) {
        if (scroll)
            formatWidth = objectWidth + width;
        else if (roll)
            formatHeight = height + objectHeight;
    }
    // Fixed text: a line that starts inside the object is drawn even when it
    // does not end there; the picture cuts it at the object's bottom edge.
    if (o_.movement == kMovementFixed)
        formatHeight = height + objectHeight / 2;

    CPicture& black = textRenderer.blackRender;
    CPicture& white = textRenderer.whiteRender;
    black.Resize(width, height);
    white.Resize(width, height);
    const int widthTwips = ToTwips(formatWidth, twipsX);
    // One line only for a ticker: the first line is always laid out.
    const int heightTwips = scroll ? 1 : ToTwips(formatHeight, twipsY);
    WriteLog(kLogDetail, "render size: %d x %d", widthTwips, heightTwips);

    FormatRangeResult laidOut;
    for (CPicture* render : {&black, &white}) {
        const ColorRef background = render == &black ? 0x000000u : 0xFFFFFFu;
        QImage image = PaintableImage(*render);
        image.fill(QColor(render == &black ? Qt::black : Qt::white));
        control.SetBackgroundColor(background);
        laidOut = control.FormatRange(position, widthTwips, heightTwips, &image);
    }
    if (laidOut.nextChar <= position)
        return 0;

    // Coverage becomes alpha and the colour is taken back unpremultiplied,
    // so edges over transparency keep the text's true colour.
    target.CombineBlackWhite(white, black, std::clamp(o_.textAlpha, 0, 255));

    renderedWidth = std::min(width, ToPixels(laidOut.right, twipsX));
    renderedHeight = std::min(height, ToPixels(laidOut.bottom, twipsY));
    WriteLog(kLogDetail, "target size: %d x %d", width, height);
    WriteLog(kLogDetail, "dest size: %d x %d", ToPixels(laidOut.right, twipsX), ToPixels(laidOut.bottom, twipsY));
    CutToHeight(target, renderedHeight);

    if ((scroll || roll) && !wholeText && !o_.leadDone.load()) {
        // The text enters from the object's edge instead of starting in place.
        AddBlankLead(target, roll ? objectHeight : objectWidth, roll, o_.reverse != 0);
        if (roll)
            renderedHeight = target.height;
        else
            renderedWidth += objectWidth;
        o_.leadDone.store(1);
    }
    position = laidOut.nextChar;
    totalChars = total;
    return 1;
}

int CFrameTextLayout::InvokeRender(CRichEditTextRenderer& textRenderer)
{
    const void* self = &o_;
    int work = 0;
    if (!o_.chunkReady.load()) {
        CRichEditSourceControl source(textRenderer.ControlFor(o_.movement));
        const SourceStepResult step = CFrameTextSource(o_, clock_).RunSourceSteps(source);
        // A source that cannot be read is tried again on the next pass. It
        // does not count as work: a missing file must not keep the text
        // thread from resting, or it takes a whole core from the render thread.
        if (step == kSourceFailed)
            return 0;
        if (step == kSourceRestarted) {
            // The text is rendered again from its beginning.
            o_.noMoreChunks.store(0);
            o_.chunkPosition.store(0);
        }
        if (step != kSourceIdle) {
            if (o_.chunksRendered.load() == 0 || o_.movement == kMovementFixed)
                o_.textWriteRect = CRect{0, 0, o_.textTextureWidth, o_.textTextureHeight};
            work = 1;
        }
    }
    if (!o_.sourceReady.load() || o_.noMoreChunks.load() || o_.chunkReady.load())
        return work;

    const int firstChunk = o_.chunksRendered.load() == 0;
    int position = o_.chunkPosition.load();
    int total = 0;
    int width = 0;
    int height = 0;
    int noMore = 1;
    const int rendered = RenderTextChunk(o_.chunkPicture, position, textRenderer, false, total, width, height);
    if (!firstChunk && o_.chunksRendered.load() == 0) {
        // A repeat restarted the timeline while this chunk was laid out: it
        // belongs to the last presentation, and the next pass starts afresh.
        return 1;
    }
    if (rendered) {
        o_.chunkRect = CRect{0, 0, width, height};
        noMore = o_.movement == kMovementRoll && position < total ? 0 : 1;
        int next = position;
        if (noMore && o_.textSource == kSourceCsvFile) {
            // The rows follow one another as chunks.
            ++o_.csvData.currentRow;
            if (static_cast<size_t>(o_.csvData.currentRow) < o_.csvData.rows.size()) {
                noMore = 0;
                next = 0;
            }
        }
        // On every chunk: a restart on the render thread clears it, also
        // while the first chunk is being laid out.
        o_.hasText.store(1);
        o_.chunkPosition.store(next);
        o_.noMoreChunks.store(noMore);
        // Last: from here on the render thread owns the chunk.
        o_.chunkReady.exchange(1);
    } else {
        o_.noMoreChunks.store(1);
        if (firstChunk)
            o_.hasText.store(0);
    }
    const int count = o_.chunksRendered.fetch_add(1) + 1;
    WriteLog(kLogDetail, "CFrame::InvokeRender(%08X): rendered chunk %d (no more: %d), %d x %d", LogAddress(self),
             count, noMore, width, height);
    return 1;
}
