#pragma once

#include "model/Frame.h"
#include "playback/ClockText.h"

class CRichEditTextRenderer;

// An object's text laid out into pictures: on the text thread, chunk by
// chunk, for the render thread to upload into the object's text texture;
// and as one whole picture for the editor (content/FramePreview.h).
class CFrameTextLayout
{
public:
    // clock: where a clock source takes the time from (null: the machine's clock).
    explicit CFrameTextLayout(CFrame& object, const ClockTimeSource* clock = nullptr) : o_(object), clock_(clock) {}

    // One text thread pass for a playing object: keeps the source up to date
    // and lays out the next chunk of text. Returns 1 when it did any work.
    int InvokeRender(CRichEditTextRenderer& textRenderer);
    // Lays the text out from `position` into `target` (straight BGRA, with
    // textAlpha); whole-text mode is the editor's picture of the object.
    // Returns 1 and advances `position` when something was laid out.
    int RenderTextChunk(CPicture& target, int& position, CRichEditTextRenderer& textRenderer, bool wholeText,
                        int& totalChars, int& renderedWidth, int& renderedHeight);

private:
    CFrame& o_;
    const ClockTimeSource* clock_;
};
