// Page files come from anywhere: any bytes must read as a page or as a
// failure status, without a crash, a hang or runaway memory, and whatever is
// accepted must hold together (object and frame limits, frame sizes, packets
// that cover their frames exactly).
#include "model/PageFile.h"
#include "model/UniFile.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

namespace {

void CheckObjects(const OwnedFrameList& objects)
{
    if (objects.size() > size_t(CFrameSet::kMaxObjects))
        __builtin_trap();
    for (const auto& object : objects) {
        if (object->backgroundFrames.size() > size_t(kMaxBackgroundFrames))
            __builtin_trap();
        if (object->speed < kSpeedSlow || object->speed > kSpeedFast)
            __builtin_trap();
        for (const CFrameBackground& frame : object->backgroundFrames) {
            const CCompressedPicture& picture = frame.picture;
            if (picture.width != object->backgroundWidth || picture.height != object->backgroundHeight)
                __builtin_trap();
            size_t bytes = 0;
            picture.DecompressSpans([&bytes](const uint8_t*, size_t count) { bytes += count; });
            if (bytes != picture.RawSize())
                __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = QStringLiteral("/fuzz/pages/page.tavrel");
    for (int thumbnailOnly = 0; thumbnailOnly <= 1; ++thumbnailOnly) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        CUniFile file;
        file.OpenRead(&buffer);
        CPicture thumbnail;
        CPageFileContext context;
        context.desktopDpi = 96;
        context.thumbnail = &thumbnail;
        OwnedFrameList objects;
        const int result = ReadPage(file, path, objects, thumbnailOnly, context);
        if (!result && !objects.empty())
            __builtin_trap();
        CheckObjects(objects);
    }
    return 0;
}
