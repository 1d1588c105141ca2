// The editor's pictures of an object: its background and its text at the
// object's size.
#include "content/FramePreview.h"

#include "content/FrameTextLayout.h"
#include "content/PictureImport.h"
#include "content/RichEditSourceControl.h"
#include "content/RichEditTextRenderer.h"
#include "playback/FrameTextSource.h"

#include <algorithm>

namespace {

// The editor caption: this many characters, then "...".
constexpr int kCaptionLength = 20;

}  // namespace

const CPicture& CFramePreview::GetBackgroundPreview()
{
    if (o_.previewBackgroundValid.load())
        return o_.previewBackground;
    const int w = o_.rect.Width(), h = o_.rect.Height();
    o_.previewBackground.Resize(w, h);
    if (o_.backgroundType == kBackgroundSolid) {
        o_.previewBackground.Fill(0, o_.backgroundColor);
        o_.previewBackgroundValid.store(1);
        return o_.previewBackground;
    }
    // While the object plays, its frames are the render thread's: it swaps
    // a changed linked image in under the hand-over's lock, and clears the
    // valid flag after that. The middle frame is copied under the lock (the
    // render thread tries again at its next frame), the flag set with it.
    if (!o_.playing.load())
        InitBackground(o_);
    CCompressedPicture middleFrame;
    bool loaded = false;
    {
        const std::unique_lock<std::mutex> lock = o_.linkedImage->Lock();
        loaded = !o_.backgroundFrames.empty();
        if (loaded)
            middleFrame = o_.backgroundFrames[o_.backgroundFrames.size() / 2].picture;
        o_.previewBackgroundValid.store(1);
    }
    if (loaded) {
        o_.backgroundError.exchange(0);
        CPicture middle;
        middleFrame.Decompress(middle);
        if (middle.width == w && middle.height == h)
            o_.previewBackground = std::move(middle);
        else
            o_.previewBackground.StretchFrom(middle, w, h);
    } else {
        o_.previewBackground.Fill(0, 0xFF000000u);
        o_.backgroundError.exchange(1);
    }
    return o_.previewBackground;
}

const CPicture& CFramePreview::GetTextPreview(CRichEditTextRenderer& textRenderer)
{
    if (o_.previewTextValid)
        return o_.previewText;
    const int objectWidth = std::max(o_.rect.Width(), 0);
    const int objectHeight = std::max(o_.rect.Height(), 0);
    if (o_.playing.load() || o_.inText.load()) {
        // The text thread owns the source state of a playing object (and of
        // one the render thread has just stopped, until its pass over it
        // ends); the picture is made once the object has stopped.
        if (o_.previewText.width != objectWidth || o_.previewText.height != objectHeight) {
            o_.previewText.Resize(objectWidth, objectHeight);
            o_.previewText.Fill(0, 0);
        }
        return o_.previewText;
    }
    o_.previewText.Resize(objectWidth, objectHeight);
    o_.previewText.Fill(0, 0);
    CRichEditExCtrl& control = textRenderer.ControlFor(o_.movement);
    CRichEditSourceControl source(control);
    if (!CFrameTextSource(o_).InitSource(source)) {
        o_.sourceError.exchange(1);
    } else {
        o_.sourceError.exchange(0);
        CPicture picture;
        int position = 0;
        int total = 0;
        int width = 0;
        int height = 0;
        const bool rendered = CFrameTextLayout(o_).RenderTextChunk(picture, position, textRenderer, true, total, width, height) != 0;
        o_.caption = control.Text();
        if (o_.caption.size() > kCaptionLength)
            o_.caption = o_.caption.left(kCaptionLength) + QStringLiteral("...");
        if (rendered) {
            int x = 0, y = 0, sourceX = 0, sourceY = 0;
            if (o_.reverse && o_.movement == kMovementScroll) {
                x = std::max(0, objectWidth - width);
                sourceX = std::max(0, width - objectWidth);
            } else if (o_.reverse && o_.movement == kMovementRoll) {
                y = std::max(0, objectHeight - height);
                sourceY = std::max(0, height - objectHeight);
            }
            o_.previewText.Blit(picture, x, y, std::min(width, objectWidth), std::min(height, objectHeight), sourceX,
                             sourceY, 0);
        }
    }
    o_.preparedRtf.clear();
    o_.previewTextValid = 1;
    return o_.previewText;
}
