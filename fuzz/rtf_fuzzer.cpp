// RTF comes from files and page files: any bytes must load without crash,
// hang or runaway memory, and whatever loads must write out as RTF that reads
// back to the same bytes.
#include "content/RichEditExCtrl.h"

#include <QGuiApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRichEditExCtrl control(CRichEditExCtrl::kMultiLine, 1251, 96.0);
    if (!control.StreamIn(reinterpret_cast<const char*>(data), size))
        return 0;
    const QByteArray written = control.StreamOut();
    CRichEditExCtrl copy(CRichEditExCtrl::kMultiLine, 1251, 96.0);
    if (!copy.StreamIn(written) || copy.StreamOut() != written || copy.Text() != control.Text())
        __builtin_trap();

    // Lay out and draw the first chunk of small documents, as the text thread does.
    if (control.TextLength() < 2000) {
        QImage picture(256, 128, QImage::Format_RGB32);
        const FormatRangeResult chunk = control.FormatRange(0, 256 * 15, 128 * 15, &picture);
        if (control.TextLength() > 0 && chunk.nextChar <= 0)
            __builtin_trap();
    }
    return 0;
}
