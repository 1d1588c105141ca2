#include "document/CanvasGeometry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

struct ZoomStep
{
    double factor;
    int percent;
};
constexpr std::array<ZoomStep, kZoomLevelCount> kZoomTable{{
    {1.0, 100},
    {0.75, 75},
    {0.66, 66},
    {0.5, 50},
    {0.33, 33},
    {0.25, 25},
}};

const ZoomStep& ZoomStepOf(int level)
{
    return kZoomTable[static_cast<size_t>(std::clamp(level, 0, kLowestZoomLevel))];
}

// Truncation towards zero, as the page and the view have always been mapped.
int Scale(int c, double factor)
{
    return static_cast<int>(c * factor);
}

int Unscale(int v, double factor)
{
    return static_cast<int>(v / factor);
}

// Clamps [low, high) into [0, extent]: keep moves the span back inside,
// otherwise the crossing end is cut.
void ClampSpan(int& low, int& high, int extent, bool keep)
{
    if (low < 0) {
        if (keep)
            high -= low;
        low = 0;
    } else if (high > extent) {
        if (keep)
            low += extent - high;
        high = extent;
    }
}

// Adds d to red, green and blue of the pixels [x0, x1) x [y0, y1), clamped;
// alpha stays.
void ShadeBand(QImage& image, int x0, int y0, int x1, int y1, int d)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width());
    y1 = std::min(y1, image.height());
    if (x1 <= x0 || y1 <= y0)
        return;
    std::array<uint8_t, 256> shade{};
    for (int v = 0; v < 256; ++v)
        shade[static_cast<size_t>(v)] = static_cast<uint8_t>(std::clamp(v + d, 0, 255));
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const QRgb p = line[x];
            line[x] = (p & 0xFF000000u) | (uint32_t{shade[qRed(p)]} << 16) | (uint32_t{shade[qGreen(p)]} << 8)
                      | shade[qBlue(p)];
        }
    }
}

}  // namespace

double ZoomFactorOf(int level)
{
    return ZoomStepOf(level).factor;
}

int ZoomPercentOf(int level)
{
    return ZoomStepOf(level).percent;
}

QString ZoomBoxText(int level)
{
    return QString::asprintf("%d%%", ZoomPercentOf(level));
}

int ZoomLevelFromSetting(int stored)
{
    return stored < 0 || stored > kLowestZoomLevel ? kLowestZoomLevel : stored;
}

int ZoomLevelFromBox(int index)
{
    return std::clamp(index, 0, kLowestZoomLevel);
}

CPageLayout PageLayout(int pageWidth, int pageHeight, double factor, QSize client, int borderX, int borderY)
{
    const int zoomedWidth = Scale(pageWidth, factor);
    const int zoomedHeight = Scale(pageHeight, factor);
    CPageLayout layout;
    layout.factor = factor;
    layout.scrollExtent = QSize(zoomedWidth + 2 * borderX, zoomedHeight + 2 * borderY);
    layout.origin = QPoint(std::max(borderX, (client.width() - 2 * borderX - zoomedWidth) / 2),
                           std::max(borderY, (client.height() - 2 * borderY - zoomedHeight) / 2));
    return layout;
}

CRect PageToView(const CRect& page, QPoint origin, double factor)
{
    return {Scale(page.left, factor) + origin.x(), Scale(page.top, factor) + origin.y(),
            Scale(page.right, factor) + origin.x(), Scale(page.bottom, factor) + origin.y()};
}

CRect ViewToPage(const CRect& view, QPoint origin, double factor)
{
    return {Unscale(view.left - origin.x(), factor), Unscale(view.top - origin.y(), factor),
            Unscale(view.right - origin.x(), factor), Unscale(view.bottom - origin.y(), factor)};
}

CFrame* HitTestObject(QPoint viewPoint, QPoint origin, double factor, const FrameList& live)
{
    for (auto it = live.rbegin(); it != live.rend(); ++it) {
        CFrame* object = *it;
        const CRect r = PageToView(object->rect, origin, factor);
        const int slack = object->locked ? 0 : kClickSlack;
        if (viewPoint.x() >= r.left - slack && viewPoint.x() < r.right + slack && viewPoint.y() >= r.top - slack
            && viewPoint.y() < r.bottom + slack)
            return object;
    }
    return nullptr;
}

int SnapToGrid(int c, int step)
{
    if (step < 2)
        return c;
    const int r = c % step;  // keeps the sign of c
    return r > step / 2 ? c + (step - r) : c - r;
}

CRect PlaceObjectRect(CRect rect, int gridStep, int pageWidth, int pageHeight, bool keepWidth, bool keepHeight)
{
    rect.left = SnapToGrid(rect.left, gridStep);
    rect.top = SnapToGrid(rect.top, gridStep);
    rect.right = SnapToGrid(rect.right, gridStep);
    rect.bottom = SnapToGrid(rect.bottom, gridStep);
    ClampSpan(rect.left, rect.right, pageWidth, keepWidth);
    ClampSpan(rect.top, rect.bottom, pageHeight, keepHeight);
    return rect;
}

CRect HintRect(const CRect& before, const CRect& after)
{
    CRect hint;
    if (before.IsEmpty())
        hint = after;
    else if (after.IsEmpty())
        hint = before;
    else
        hint = {std::min(before.left, after.left), std::min(before.top, after.top), std::max(before.right, after.right),
                std::max(before.bottom, after.bottom)};
    return {hint.left - kHintMargin, hint.top - kHintMargin, hint.right + kHintMargin, hint.bottom + kHintMargin};
}

std::optional<CRectChange> ArrowKeyRect(const CRect& rect, ArrowKey key, bool shift, int step)
{
    const int delta = key == ArrowKey::Left || key == ArrowKey::Up ? -step : step;
    const bool horizontal = key == ArrowKey::Left || key == ArrowKey::Right;
    CRectChange change{rect, true, true};
    if (horizontal) {
        if (!shift)
            change.rect.left += delta;
        change.rect.right += delta;
        change.keepWidth = !shift;
    } else {
        if (!shift)
            change.rect.top += delta;
        change.rect.bottom += delta;
        change.keepHeight = !shift;
    }
    if (change.rect.Width() < kMinObjectSize || change.rect.Height() < kMinObjectSize)
        return std::nullopt;
    return change;
}

CFrame* NextByTab(const FrameList& live, const CFrame* selection, bool backwards)
{
    if (live.empty())
        return nullptr;
    const auto at = std::find(live.begin(), live.end(), selection);
    if (selection == nullptr || at == live.end())
        return backwards ? live.back() : live.front();
    const size_t count = live.size();
    const size_t index = static_cast<size_t>(at - live.begin());
    return live[backwards ? (index + count - 1) % count : (index + 1) % count];
}

QImage BuildCanvasBackground(int pageWidth, int pageHeight, bool solid, QRgb colour, int marginH, int marginV)
{
    if (pageWidth <= 0 || pageHeight <= 0)
        return {};
    QImage image(pageWidth, pageHeight, QImage::Format_ARGB32);
    if (image.isNull())
        return {};

    if (solid) {
        image.fill(colour | 0xFF000000u);
    } else {
        // Two line patterns, one starting dark and one starting light, copied
        // row by row.
        std::vector<QRgb> startsDark(static_cast<size_t>(pageWidth));
        std::vector<QRgb> startsLight(static_cast<size_t>(pageWidth));
        for (int x = 0; x < pageWidth; ++x) {
            const bool even = (x / kCheckerSquare) % 2 == 0;
            startsDark[static_cast<size_t>(x)] = even ? kCheckerDark : kCheckerLight;
            startsLight[static_cast<size_t>(x)] = even ? kCheckerLight : kCheckerDark;
        }
        const size_t bytes = static_cast<size_t>(pageWidth) * sizeof(QRgb);
        for (int y = 0; y < pageHeight; ++y) {
            const bool even = (y / kCheckerSquare) % 2 == 0;
            std::memcpy(image.scanLine(y), even ? startsDark.data() : startsLight.data(), bytes);
        }
    }

    if (marginH == 0 && marginV == 0)
        return image;
    const int d = solid ? 160 - std::max({qRed(colour), qGreen(colour), qBlue(colour)}) : -40;
    // 64-bit products: a wild percentage from the settings must not overflow.
    const int mH = static_cast<int>(static_cast<long long>(marginH) * pageWidth / 100);
    const int mV = static_cast<int>(static_cast<long long>(marginV) * pageHeight / 100);
    if (mH > 0 && mH < pageWidth / 2) {
        ShadeBand(image, 0, 0, mH, pageHeight, d);
        ShadeBand(image, pageWidth - mH, 0, pageWidth, pageHeight, d);
    }
    if (mV > 0 && mV < pageHeight / 2) {
        // Between the side bands, so that the corners change once.
        ShadeBand(image, mH, 0, pageWidth - mH, mV, d);
        ShadeBand(image, mH, pageHeight - mV, pageWidth - mH, pageHeight, d);
    }
    return image;
}

QString SelectionGeometryText(const CFrame* selection, int number)
{
    if (selection == nullptr)
        return {};
    const CRect& r = selection->rect;
    return QString::asprintf(" %d: %d,%d - %d,%d (%dx%d)", number, r.left, r.top, r.right, r.bottom, r.Width(),
                             r.Height());
}

double PixelAspectOfPage(int pageHeight)
{
    switch (pageHeight) {
    case 576: return 0.9375;
    case 488: return 1.125;
    default: return 1.0;
    }
}

QRect PreviewTargetRect(QSize client, int pageWidth, int pageHeight)
{
    if (client.width() <= 0 || client.height() <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return {};
    const double aspect = PixelAspectOfPage(pageHeight);
    int w = std::max(client.width(), 100);
    const int h = std::max(client.height(), 100);
    w = std::min(w, static_cast<int>(h * pageWidth / (aspect * pageHeight)));
    const int height = static_cast<int>(aspect * w * pageHeight / pageWidth);
    return QRect((client.width() - w) / 2, (client.height() - height) / 2, w, height);
}
