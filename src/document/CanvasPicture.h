#pragma once

#include "model/Rect.h"

#include <QImage>

#include "model/FrameSet.h"

class CFrame;
class CPicture;
class CRichEditTextRenderer;

// What one recomposition did.
struct RecomposeResult
{
    // The page rectangle that was recomposed (the hint clamped to the page);
    // empty when nothing was.
    CRect area;
    // At least one object's text picture was drawn: the other panes showing
    // the composed picture are told it changed.
    bool textDrawn = false;
    // The first and last live object of the page at this recomposition (null
    // on an empty page). For comparison only (Move Up / Move Down): the page
    // may have destroyed them since.
    const CFrame* bottomObject = nullptr;
    const CFrame* topObject = nullptr;
};

// The editor's picture of the page at full page resolution: every object's
// background and text drawn bottom to top over the editor background. The
// canvas shows it (copied, or stretched without smoothing); only the
// rectangle an edit touched is composed again. User-interface thread only.
class CCanvasPicture
{
public:
    CCanvasPicture() = default;
    CCanvasPicture(const CCanvasPicture&) = delete;
    CCanvasPicture& operator=(const CCanvasPicture&) = delete;

    // The editor background (checkerboard or solid colour with the margin
    // bands); its size is the page's. The composed picture becomes a copy of
    // it: the caller recomposes the whole page next.
    void SetBackground(const QImage& background);

    // Copies `hint` (an empty hint: the whole page), clamped to the page, from
    // the background into the composed picture and blends over it, bottom to
    // top, every live object whose rectangle meets it: its background
    // picture, then its text picture unless it is `editedObject` (the
    // in-place editor shows that text). The objects' pictures are made here
    // when they are not yet (CFramePreview), with `textRenderer`.
    RecomposeResult Recompose(CFrameSet& page, CRect hint, const CFrame* editedObject,
                              CRichEditTextRenderer& textRenderer);
    // The same over a list of objects, bottom first, that the caller keeps
    // alive and off the output.
    RecomposeResult Recompose(const FrameList& objects, CRect hint, const CFrame* editedObject,
                              CRichEditTextRenderer& textRenderer);

    // The composed picture, Format_ARGB32_Premultiplied, the page's size.
    const QImage& Composed() const { return composed_; }
    const QImage& Background() const { return background_; }
    int Width() const { return composed_.width(); }
    int Height() const { return composed_.height(); }

private:
    QImage background_;
    QImage composed_;
};

// The page as the editor composes it, over the checkerboard without margin
// bands, at the page's full resolution: the source of the thumbnail a page
// file stores when no editor has it on screen (the tool's pages, a page
// saved without a canvas).
CPicture ComposePagePicture(const FrameList& objects, int pageWidth, int pageHeight);
// A composed picture as the page file's pictures hold it.
CPicture PictureOfImage(const QImage& image);
