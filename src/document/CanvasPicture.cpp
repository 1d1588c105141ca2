#include "document/CanvasPicture.h"

#include "content/FramePreview.h"
#include "content/RichEditTextRenderer.h"
#include "document/CanvasGeometry.h"
#include "model/FrameSet.h"
#include "model/Picture.h"

#include <QPainter>

#include <algorithm>

namespace {

CRect Intersection(const CRect& a, const CRect& b)
{
    return CRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
}

// Blends the part of `picture`, placed with its top-left corner at `origin`,
// that lies inside `area` (straight alpha, source over). Returns whether
// anything of it was inside.
bool BlendPicture(QPainter& painter, const CPicture& picture, int originX, int originY, const CRect& area)
{
    if (picture.IsEmpty())
        return false;
    const CRect placed{originX, originY, originX + picture.width, originY + picture.height};
    const CRect part = Intersection(placed, area);
    if (part.IsEmpty())
        return false;
    // The picture's pixels (0xAARRGGBB, straight alpha) are what QImage
    // calls ARGB32: wrapped, not copied.
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                       picture.width * 4, QImage::Format_ARGB32);
    painter.drawImage(QPoint(part.left, part.top), image,
                      QRect(part.left - originX, part.top - originY, part.Width(), part.Height()));
    return true;
}

}  // namespace

void CCanvasPicture::SetBackground(const QImage& background)
{
    // Premultiplied: the raster engine blends into it without converting.
    background_ = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    composed_ = background_.copy();
}

RecomposeResult CCanvasPicture::Recompose(CFrameSet& page, CRect hint, const CFrame* editedObject,
                                          CRichEditTextRenderer& textRenderer)
{
    FrameList objects;
    page.TakeSnapshot(objects);
    const RecomposeResult result = Recompose(objects, hint, editedObject, textRenderer);
    page.ReleaseSnapshot();
    return result;
}

RecomposeResult CCanvasPicture::Recompose(const FrameList& objects, CRect hint, const CFrame* editedObject,
                                          CRichEditTextRenderer& textRenderer)
{
    RecomposeResult result;
    const CRect pageRect{0, 0, composed_.width(), composed_.height()};
    // A hint wholly off the page recomposes nothing, not the whole page.
    result.area = hint.IsEmpty() ? pageRect : Intersection(hint, pageRect);
    if (result.area.IsEmpty())
        result.area = CRect{};

    if (!objects.empty()) {
        result.bottomObject = objects.front();
        result.topObject = objects.back();
    }
    if (result.area.IsEmpty())
        return result;
    const CRect& a = result.area;
    const qsizetype rowBytes = static_cast<qsizetype>(a.Width()) * 4;
    for (int y = a.top; y < a.bottom; ++y)
        std::copy_n(background_.constScanLine(y) + static_cast<qsizetype>(a.left) * 4, rowBytes,
                    composed_.scanLine(y) + static_cast<qsizetype>(a.left) * 4);
    QPainter painter(&composed_);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (CFrame* object : objects) {
        if (Intersection(object->rect, a).IsEmpty())
            continue;
        CFramePreview preview(*object);
        BlendPicture(painter, preview.GetBackgroundPreview(), object->rect.left, object->rect.top, a);
        if (object == editedObject)
            continue;
        if (BlendPicture(painter, preview.GetTextPreview(textRenderer), object->rect.left, object->rect.top, a))
            result.textDrawn = true;
    }
    return result;
}

CPicture PictureOfImage(const QImage& image)
{
    // Straight ARGB32 is the page file's pixel layout (0xAARRGGBB).
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    CPicture picture(straight.width(), straight.height());
    for (int y = 0; y < straight.height(); ++y)
        std::copy_n(reinterpret_cast<const uint32_t*>(straight.constScanLine(y)), straight.width(), picture.Row(y));
    return picture;
}

CPicture ComposePagePicture(const FrameList& objects, int pageWidth, int pageHeight)
{
    CCanvasPicture picture;
    picture.SetBackground(BuildCanvasBackground(pageWidth, pageHeight, false, 0, 0, 0));
    CRichEditTextRenderer textRenderer;
    picture.Recompose(objects, {}, nullptr, textRenderer);
    return PictureOfImage(picture.Composed());
}
