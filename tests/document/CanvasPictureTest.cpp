// The editor's composed picture of the page: objects blended over the editor
// background, bottom to top, and recomposed only where an edit touched.
#include "document/CanvasPicture.h"

#include "content/RichEditTextRenderer.h"
#include "content/TextPlayout.h"
#include "model/FrameSet.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kPageWidth = 320;
constexpr int kPageHeight = 180;

// The editor's checkerboard: 16-pixel squares, the top-left one dark.
QImage Checkerboard(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = ((x / 16 + y / 16) % 2 == 0) ? 0xFF707070u : 0xFFA0A0A0u;
    }
    return image;
}

// Largest difference of any channel; 256 when the sizes differ.
int MaxDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(static_cast<int>((p[col] >> shift) & 0xFF) -
                                                 static_cast<int>((q[col] >> shift) & 0xFF)));
    }
    return worst;
}

CRect Inflated(CRect r, int by) { return CRect{r.left - by, r.top - by, r.right + by, r.bottom + by}; }
CRect Union(const CRect& a, const CRect& b)
{
    return CRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom)};
}

// A page of three objects over a checkerboard: an opaque green box, a text
// on a clear background across it, and a half-transparent red box on top
// that runs off the right edge of the page.
class CanvasPicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        box = Add(CRect{16, 16, 176, 112}, 0xFF208020u);  // colour references: red in bits 0-7
        text = Add(CRect{40, 40, 280, 100}, 0x00000000u);
        text->richText = RtfOfParagraphs({QStringLiteral("Tavrel 42 on air"), QStringLiteral("under the veil")});
        veil = Add(CRect{160, 80, 360, 160}, 0x800000FFu);
        canvas.SetBackground(Checkerboard(kPageWidth, kPageHeight));
    }

    CFrame* Add(const CRect& rect, uint32_t colour)
    {
        auto object = std::make_unique<CFrame>();
        object->rect = rect;
        object->backgroundColor = colour;
        CFrame* raw = object.get();
        page.AddObject(object);
        return raw;
    }

    // A fresh picture of the page composed whole.
    QImage ComposedWhole(const CFrame* edited = nullptr)
    {
        CCanvasPicture fresh;
        fresh.SetBackground(Checkerboard(kPageWidth, kPageHeight));
        fresh.Recompose(page, CRect{}, edited, renderer);
        return fresh.Composed();
    }

    CFrameSet page;
    CRichEditTextRenderer renderer;
    CCanvasPicture canvas;
    CFrame* box = nullptr;
    CFrame* text = nullptr;
    CFrame* veil = nullptr;
};

// Compared with pictures once checked by eye; TAVREL_UPDATE_GOLDEN=1 writes
// them anew after an intended change.
void ExpectGolden(const QImage& image, const char* name)
{
    const QString path = QStringLiteral(TAVREL_FIXTURES_DIR "/canvas/") + QLatin1String(name);
    if (qEnvironmentVariableIntValue("TAVREL_UPDATE_GOLDEN") == 1) {
        ASSERT_TRUE(image.convertToFormat(QImage::Format_ARGB32).save(path));
        return;
    }
    const QImage golden(path);
    ASSERT_FALSE(golden.isNull()) << path.toStdString();
    // Text edges may differ by a step of antialiasing between font builds.
    EXPECT_LE(MaxDifference(golden, image), 2) << name;
}

TEST_F(CanvasPicture, WholePageMatchesGoldenAndBlendsSourceOver)
{
    const RecomposeResult result = canvas.Recompose(page, CRect{}, nullptr, renderer);
    EXPECT_TRUE(result.textDrawn);
    EXPECT_EQ(result.area, (CRect{0, 0, kPageWidth, kPageHeight}));
    EXPECT_EQ(result.bottomObject, box);
    EXPECT_EQ(result.topObject, veil);
    const QImage& composed = canvas.Composed();
    ASSERT_EQ(composed.size(), QSize(kPageWidth, kPageHeight));
    ExpectGolden(composed, "page.png");

    // Straight-alpha pictures blended "source over" onto opaque pixels.
    struct Probe
    {
        int x, y;
        QRgb expected;
    } const probes[] = {
        {0, 0, 0xFF707070u},      // background, dark square
        {16, 0, 0xFFA0A0A0u},     // background, light square
        {20, 20, 0xFF208020u},    // the opaque box (blue and red exchanged from the colour reference)
        {300, 165, 0xFF707070u},  // below the veil
        // Half red over a dark square: 255 * 128/255 + 112 * 127/255.
        {305, 150, qRgb(184, 56, 56)},
        // Half red over the green box.
        {170, 108, qRgb(144, 64, 16)},
    };
    for (const Probe& p : probes) {
        const QRgb got = composed.pixel(p.x, p.y);
        SCOPED_TRACE(testing::Message() << "at " << p.x << "," << p.y << " got " << std::hex << got);
        EXPECT_EQ(qAlpha(got), 255);
        EXPECT_NEAR(qRed(got), qRed(p.expected), 1);
        EXPECT_NEAR(qGreen(got), qGreen(p.expected), 1);
        EXPECT_NEAR(qBlue(got), qBlue(p.expected), 1);
    }
}

// One mouse move: the hint covers the old and the new place, and composing
// it gives what composing the whole page gives.
TEST_F(CanvasPicture, HintAfterAMoveMatchesTheWholePage)
{
    const struct
    {
        const char* name;
        int object;  // 0 bottom, 1 middle, 2 top
        int dx, dy;
    } cases[] = {
        {"text object right", 1, 5, 0},
        {"bottom box down under the others", 0, 0, 7},
        {"veil further off the page", 2, 12, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        canvas.Recompose(page, CRect{}, nullptr, renderer);
        CFrame* const objects[] = {box, text, veil};
        CFrame* moved = objects[c.object];
        const CRect before = moved->rect;
        moved->rect.Offset(c.dx, c.dy);
        const RecomposeResult result =
            canvas.Recompose(page, Inflated(Union(before, moved->rect), 6), nullptr, renderer);
        EXPECT_FALSE(result.area.IsEmpty());
        EXPECT_EQ(MaxDifference(canvas.Composed(), ComposedWhole()), 0);
        moved->rect = before;
    }
}

// Pixels outside the hint keep what they had, even where an object changed.
TEST_F(CanvasPicture, HintRecomposesOnlyInsideIt)
{
    canvas.Recompose(page, CRect{}, nullptr, renderer);
    const QImage before = canvas.Composed().copy();
    box->backgroundColor = 0xFFFF0000u;  // blue
    box->InvalidatePreview();
    const CRect hint{20, 20, 60, 50};
    canvas.Recompose(page, hint, nullptr, renderer);
    const QImage& after = canvas.Composed();
    for (int y = 0; y < kPageHeight; ++y)
        for (int x = 0; x < kPageWidth; ++x) {
            const bool inside = x >= hint.left && x < hint.right && y >= hint.top && y < hint.bottom;
            if (!inside && after.pixel(x, y) != before.pixel(x, y)) {
                ADD_FAILURE() << "changed outside the hint at " << x << "," << y;
                return;
            }
        }
    EXPECT_EQ(after.pixel(22, 22), 0xFF0000FFu);
    EXPECT_EQ(before.pixel(22, 22), 0xFF208020u);
}

// Hints that reach off the page are clamped to it; one wholly off the page
// recomposes nothing.
TEST_F(CanvasPicture, HintIsClampedToThePage)
{
    canvas.Recompose(page, CRect{}, nullptr, renderer);
    const QImage whole = canvas.Composed().copy();
    const struct
    {
        CRect hint;
        CRect area;
    } cases[] = {
        {{-50, -40, 30, 25}, {0, 0, 30, 25}},
        {{300, 150, 900, 700}, {300, 150, kPageWidth, kPageHeight}},
        {{-100, -100, 1000, 1000}, {0, 0, kPageWidth, kPageHeight}},
        {{400, 10, 500, 20}, {}},
        {{-30, -30, -1, -1}, {}},
    };
    for (const auto& c : cases) {
        const RecomposeResult result = canvas.Recompose(page, c.hint, nullptr, renderer);
        EXPECT_EQ(result.area, c.area) << c.hint.left << "," << c.hint.top;
        EXPECT_EQ(MaxDifference(canvas.Composed(), whole), 0);
        EXPECT_EQ(result.bottomObject, box);
        EXPECT_EQ(result.topObject, veil);
    }
}

// The object being edited in place shows its background only: the editor
// draws its text.
TEST_F(CanvasPicture, EditedObjectsTextIsLeftOut)
{
    // Where the text object alone lies, no text picture is drawn while it is edited.
    const CRect textAlone{190, 45, 270, 75};
    EXPECT_FALSE(canvas.Recompose(page, textAlone, text, renderer).textDrawn);
    EXPECT_TRUE(canvas.Recompose(page, textAlone, nullptr, renderer).textDrawn);

    canvas.Recompose(page, CRect{}, text, renderer);
    ExpectGolden(canvas.Composed(), "page_editing_text.png");

    const QByteArray rtf = text->richText;
    text->richText.clear();
    text->InvalidatePreview();
    EXPECT_EQ(MaxDifference(canvas.Composed(), ComposedWhole()), 0);
    text->richText = rtf;
    text->InvalidatePreview();

    // Editing another object leaves this text in.
    EXPECT_TRUE(canvas.Recompose(page, text->rect, box, renderer).textDrawn);
    EXPECT_EQ(MaxDifference(canvas.Composed(), ComposedWhole()), 0);
    // A hint away from the text draws no text.
    EXPECT_FALSE(canvas.Recompose(page, CRect{0, 150, 100, 180}, nullptr, renderer).textDrawn);
}

TEST(CanvasPictureEmpty, EmptyPageGivesTheBackground)
{
    CFrameSet page;
    CRichEditTextRenderer renderer;
    CCanvasPicture canvas;
    const QImage background = Checkerboard(kPageWidth, kPageHeight);
    canvas.SetBackground(background);
    const RecomposeResult result = canvas.Recompose(page, CRect{}, nullptr, renderer);
    EXPECT_FALSE(result.textDrawn);
    EXPECT_EQ(result.bottomObject, nullptr);
    EXPECT_EQ(result.topObject, nullptr);
    EXPECT_EQ(MaxDifference(canvas.Composed(), background), 0);

    // Without a background there is no page: nothing is composed.
    CCanvasPicture none;
    EXPECT_TRUE(none.Recompose(page, CRect{}, nullptr, renderer).area.IsEmpty());
}

// Deleted objects are not drawn, and the bottom and top follow the live ones.
TEST_F(CanvasPicture, DeletedObjectsAreNotDrawn)
{
    page.RemoveObject(veil);
    const RecomposeResult result = canvas.Recompose(page, CRect{}, nullptr, renderer);
    EXPECT_EQ(result.topObject, text);
    EXPECT_EQ(canvas.Composed().pixel(305, 150), 0xFF707070u);
}

}  // namespace
