// The text thread's side of an object's text: keeping its source up to date
// and laying the rich text out into chunks that the render thread uploads
// into the object's text texture; and the editor's picture of the text.
#include "content/RichEditSourceControl.h"
#include "content/RichEditTextRenderer.h"
#include "model/Frame.h"

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
// The editor caption: this many characters, then "...".
constexpr int kCaptionLength = 20;

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

int CFrame::RenderTextChunk(CPicture& target, int& position, CRichEditTextRenderer& textRenderer, bool wholeText,
                            int& totalChars, int& renderedWidth, int& renderedHeight)
{
    totalChars = 0;
    renderedWidth = 0;
    renderedHeight = 0;
    const bool scroll = movement == kMovementScroll;
    const bool roll = movement == kMovementRoll;
    CRichEditExCtrl& control = textRenderer.ControlFor(movement);
    CRichEditSourceControl source(control);
    if (!LoadContent(source))
        return 0;
    // A ticker is measured left aligned: its pixels start at x = 0.
    if (scroll)
        control.SetAlignment(false);
    int total = control.TextLength();
    if (total <= 0)
        return 0;

    const int objectWidth = rect.Width();
    const int objectHeight = rect.Height();
    if (objectWidth <= 0 || objectHeight <= 0)
        return 0;
    const double twipsX = control.TwipsPerPixelX();
    const double twipsY = control.TwipsPerPixelY();
    int width = objectWidth;
    int height = objectHeight;
    if (scroll) {
        control.SetFormattingWidth(0);
        if (!wholeText || reverse) {
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
        if (wholeText && reverse)
            control.SetAlignment(true);
    } else {
        control.SetFormattingWidth(objectWidth);
        if (roll && reverse) {
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
    if (wholeText && !reverse) {
        if (scroll)
            formatWidth = objectWidth + width;
        else if (roll)
            formatHeight = height + objectHeight;
    }
    // Fixed text: a line that starts inside the object is drawn even when it
    // does not end there; the picture cuts it at the object's bottom edge.
    if (movement == kMovementFixed)
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
    target.CombineBlackWhite(white, black, std::clamp(textAlpha, 0, 255));

    renderedWidth = std::min(width, ToPixels(laidOut.right, twipsX));
    renderedHeight = std::min(height, ToPixels(laidOut.bottom, twipsY));
    WriteLog(kLogDetail, "target size: %d x %d", width, height);
    WriteLog(kLogDetail, "dest size: %d x %d", ToPixels(laidOut.right, twipsX), ToPixels(laidOut.bottom, twipsY));
    CutToHeight(target, renderedHeight);

    if ((scroll || roll) && !wholeText && !leadDone.load()) {
        // The text enters from the object's edge instead of starting in place.
        AddBlankLead(target, roll ? objectHeight : objectWidth, roll, reverse != 0);
        if (roll)
            renderedHeight = target.height;
        else
            renderedWidth += objectWidth;
        leadDone.store(1);
    }
    position = laidOut.nextChar;
    totalChars = total;
    return 1;
}

int CFrame::InvokeRender(CRichEditTextRenderer& textRenderer)
{
    const void* self = this;
    int work = 0;
    if (!chunkReady.load()) {
        CRichEditSourceControl source(textRenderer.ControlFor(movement));
        const SourceStepResult step = RunSourceSteps(source);
        // A source that cannot be read is tried again on the next pass. It
        // does not count as work: a missing file must not keep the text
        // thread from resting, or it takes a whole core from the render thread.
        if (step == kSourceFailed)
            return 0;
        if (step == kSourceRestarted) {
            // The text is rendered again from its beginning.
            noMoreChunks.store(0);
            chunkPosition.store(0);
        }
        if (step != kSourceIdle) {
            if (chunksRendered.load() == 0 || movement == kMovementFixed)
                textWriteRect = CRect{0, 0, textTextureWidth, textTextureHeight};
            work = 1;
        }
    }
    if (!sourceReady.load() || noMoreChunks.load() || chunkReady.load())
        return work;

    const int firstChunk = chunksRendered.load() == 0;
    int position = chunkPosition.load();
    int total = 0;
    int width = 0;
    int height = 0;
    int noMore = 1;
    const int rendered = RenderTextChunk(chunkPicture, position, textRenderer, false, total, width, height);
    if (!firstChunk && chunksRendered.load() == 0) {
        // A repeat restarted the timeline while this chunk was laid out: it
        // belongs to the last presentation, and the next pass starts afresh.
        return 1;
    }
    if (rendered) {
        chunkRect = CRect{0, 0, width, height};
        noMore = movement == kMovementRoll && position < total ? 0 : 1;
        int next = position;
        if (noMore && textSource == kSourceCsvFile) {
            // The rows follow one another as chunks.
            ++csvData.currentRow;
            if (static_cast<size_t>(csvData.currentRow) < csvData.rows.size()) {
                noMore = 0;
                next = 0;
            }
        }
        // On every chunk: a restart on the render thread clears it, also
        // while the first chunk is being laid out.
        hasText.store(1);
        chunkPosition.store(next);
        noMoreChunks.store(noMore);
        // Last: from here on the render thread owns the chunk.
        chunkReady.exchange(1);
    } else {
        noMoreChunks.store(1);
        if (firstChunk)
            hasText.store(0);
    }
    const int count = chunksRendered.fetch_add(1) + 1;
    WriteLog(kLogDetail, "CFrame::InvokeRender(%08X): rendered chunk %d (no more: %d), %d x %d", LogAddress(self),
             count, noMore, width, height);
    return 1;
}

const CPicture& CFrame::GetTextPreview(CRichEditTextRenderer& textRenderer)
{
    if (previewTextValid)
        return previewText;
    const int objectWidth = std::max(rect.Width(), 0);
    const int objectHeight = std::max(rect.Height(), 0);
    if (playing.load()) {
        // The text thread owns the source state of a playing object; the
        // picture is made once the object has stopped.
        if (previewText.width != objectWidth || previewText.height != objectHeight) {
            previewText.Resize(objectWidth, objectHeight);
            previewText.Fill(0, 0);
        }
        return previewText;
    }
    previewText.Resize(objectWidth, objectHeight);
    previewText.Fill(0, 0);
    CRichEditExCtrl& control = textRenderer.ControlFor(movement);
    CRichEditSourceControl source(control);
    if (!InitSource(source)) {
        sourceError.exchange(1);
    } else {
        sourceError.exchange(0);
        CPicture picture;
        int position = 0;
        int total = 0;
        int width = 0;
        int height = 0;
        const bool rendered = RenderTextChunk(picture, position, textRenderer, true, total, width, height) != 0;
        caption = control.Text();
        if (caption.size() > kCaptionLength)
            caption = caption.left(kCaptionLength) + QStringLiteral("...");
        if (rendered) {
            int x = 0, y = 0, sourceX = 0, sourceY = 0;
            if (reverse && movement == kMovementScroll) {
                x = std::max(0, objectWidth - width);
                sourceX = std::max(0, width - objectWidth);
            } else if (reverse && movement == kMovementRoll) {
                y = std::max(0, objectHeight - height);
                sourceY = std::max(0, height - objectHeight);
            }
            previewText.Blit(picture, x, y, std::min(width, objectWidth), std::min(height, objectHeight), sourceX,
                             sourceY, 0);
        }
    }
    preparedRtf.clear();
    previewTextValid = 1;
    return previewText;
}
