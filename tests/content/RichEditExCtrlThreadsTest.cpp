// The text thread and the user-interface thread each lay text out with their
// own controls at the same time.
#include "RichTextTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace richtext_test;

namespace {

// Renders every chunk of a document, as the roll renderer does, and returns
// the pictures.
std::vector<QImage> RenderChunks(const QByteArray& rtf)
{
    CRichEditExCtrl control(kMulti, 1252, 96.0);
    std::vector<QImage> pictures;
    if (!control.StreamIn(rtf))
        return pictures;
    int position = 0;
    while (position < control.TextLength() && pictures.size() < 100) {
        QImage picture(320, 120, QImage::Format_RGB32);
        const FormatRangeResult chunk = control.FormatRange(position, 320 * 15, 120 * 15, &picture);
        if (chunk.nextChar <= position)
            break;
        position = chunk.nextChar;
        pictures.push_back(picture);
    }
    return pictures;
}

TEST(RichEditExCtrlThreads, ControlsOnTwoThreadsLayOutAsOnOne)
{
    QByteArray rtf = Fixture("libreoffice.rtf");
    rtf.chop(rtf.size() - rtf.lastIndexOf('}'));
    for (int i = 0; i < 20; ++i)
        rtf += "\\par line " + QByteArray::number(i) + " {\\b bold} \\u1044? {\\i italic}";
    rtf += "}";
    const std::vector<QImage> reference = RenderChunks(rtf);
    ASSERT_GT(reference.size(), 3u);

    std::vector<QImage> results[2];
    std::thread threads[2];
    for (int t = 0; t < 2; ++t)
        threads[t] = std::thread([&, t] {
            for (int round = 0; round < 5; ++round)
                results[t] = RenderChunks(rtf);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::vector<QImage>& result : results) {
        ASSERT_EQ(result.size(), reference.size());
        for (size_t i = 0; i < result.size(); ++i)
            EXPECT_EQ(result[i], reference[i]) << "chunk " << i;
    }
}

}  // namespace
