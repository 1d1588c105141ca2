#include "model/PageFile.h"

#include "model/RelativePath.h"

#include "app/Log.h"
#include "model/UniFile.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxThumbnailWidth = 480;
constexpr int kLegacyHdWidth = 1920, kLegacyHdHeight = 1080;
constexpr int kLegacySdWidth = 720, kLegacySdHeight = 576;
// Pages saved on 480-line systems store 488; 480 and 486 mean the same raster.
constexpr int kNtscHeight = 488;

// The one way the page file reports to the operator: the text by its
// string id, logged, and handed to whoever shows it.
void PageFileMessage(const CPageFileContext& context, int stringId, int icon, const QString& text)
{
    WriteLog(kLogLifecycle, "PageFile: message %d: %s", stringId, text.toUtf8().constData());
    if (context.message)
        context.message(CUserMessage{stringId, icon, text});
}

void StatusMessage(const CPageFileContext& context, int status, const QString& path)
{
    const int stringId = 10310 + status;
    PageFileMessage(context, stringId, kMessageError, FormatText(stringId, path.toUtf8().constData()));
}

// An object whose animation frames differ in size was loaded without them.
constexpr int kFramesDroppedMessage = 10316;

void DpiMessage(const CPageFileContext& context, int fileDpi)
{
    QString size;
    switch (fileDpi) {
    case 96: size = LoadText(32921); break;
    case 120: size = LoadText(32922); break;
    case 144: size = LoadText(32923); break;
    default: break;
    }
    PageFileMessage(context, 10213, kMessageWarning, FormatText(10213, size.toUtf8().constData(), fileDpi));
}

CPageHeader ParseHeader(const uint8_t* block)
{
    CPageHeader header;
    std::memcpy(header.magic, block, 4);
    header.version = uint32_t(GetInt32(block, 4));
    header.legacyHd = GetInt32(block, 8);
    header.objectCount = GetInt32(block, 12);
    header.dpi = GetInt32(block, 16);
    header.width = GetInt32(block, 20);
    header.height = GetInt32(block, 24);
    header.thumbWidth = GetInt32(block, 28);
    header.thumbHeight = GetInt32(block, 32);
    header.thumbOffset = GetInt32(block, 36);
    return header;
}

void FormatHeader(const CPageHeader& header, uint8_t* block)
{
    std::memset(block, 0, CPageHeader::kSize);
    std::memcpy(block, header.magic, 4);
    PutInt32(block, 4, header.version);
    PutInt32(block, 8, header.legacyHd);
    PutInt32(block, 12, header.objectCount);
    PutInt32(block, 16, header.dpi);
    PutInt32(block, 20, header.width);
    PutInt32(block, 24, header.height);
    PutInt32(block, 28, header.thumbWidth);
    PutInt32(block, 32, header.thumbHeight);
    PutInt32(block, 36, header.thumbOffset);
}

int ReadThumbnail(CUniFile& file, const CPageHeader& header, CPicture* thumbnail)
{
    const int w = header.thumbWidth, h = header.thumbHeight;
    if (!thumbnail || w <= 0 || h <= 0 || header.thumbOffset <= 0 || w > CPicture::kMaxSide
        || h > CPicture::kMaxSide) {
        file.status = CUniFile::kCorrupt;
        return 0;
    }
    if (!file.Seek(header.thumbOffset) || !file.Available(int64_t(w) * h * 4))
        return 0;
    if (thumbnail->width != w || thumbnail->height != h)
        thumbnail->Resize(w, h);
    return file.ReadExact(thumbnail->pixels.data(), int64_t(w) * h * 4);
}

// The page's raster against the current mode (a mismatch ends the read) and
// its dots per inch against the desktop's (a warning only).
int CheckModeAndFontSize(CPageFileContext& context, const QString& path)
{
    const CPageHeader& header = context.header;
    int width = header.width, height = header.height;
    if (width == 0 && height == 0) {
        width = header.legacyHd == 1 ? kLegacyHdWidth : kLegacySdWidth;
        height = header.legacyHd == 1 ? kLegacyHdHeight : kLegacySdHeight;
    }
    if (height == 480 || height == 486)
        height = kNtscHeight;
    const bool checkMode = context.rasterWidth != 0 || context.rasterHeight != 0;
    if (checkMode && (width != context.rasterWidth || height != context.rasterHeight)) {
        context.modeMismatch = 1;
        PageFileMessage(context, 10315, kMessageError, FormatText(10315, width, height, path.toUtf8().constData()));
        return 0;
    }
    const int fileDpi = header.dpi == 0 ? 96 : header.dpi;
    if (context.desktopDpi != 0 && fileDpi != context.desktopDpi)
        DpiMessage(context, fileDpi);
    return 1;
}

int WriteObjects(CUniFile& file, const QString& path, const FrameList& objects, CPageFileContext& context)
{
    CPageHeader& header = context.header;
    header = CPageHeader();
    header.objectCount = int(objects.size());
    header.dpi = context.desktopDpi > 0 ? context.desktopDpi : 96;
    header.width = context.rasterWidth;
    header.height = context.rasterHeight;
    uint8_t block[CPageHeader::kSize];
    FormatHeader(header, block);
    file.WriteExact(block, sizeof block);
    for (const CFrame* object : objects) {
        if (!object->Save(file, path))
            break;
    }
    if (file.status == CUniFile::kOk && context.composedPage) {
        const CPicture thumbnail = PageThumbnail(*context.composedPage, context.rasterWidth, context.rasterHeight);
        // The header can only point at a thumbnail within the first 2 GB.
        if (!thumbnail.IsEmpty() && file.Position() <= INT32_MAX) {
            header.thumbWidth = thumbnail.width;
            header.thumbHeight = thumbnail.height;
            header.thumbOffset = int(file.Position());
            file.WriteExact(thumbnail.pixels.data(), int64_t(thumbnail.RawSize()));
            FormatHeader(header, block);
            file.Seek(0);
            file.WriteExact(block, sizeof block);
        }
    }
    return file.Commit();
}

}  // namespace

int ReadPage(const QString& path, OwnedFrameList& objects, int thumbnailOnly, CPageFileContext& context)
{
    CUniFile file;
    file.OpenRead(path);
    return ReadPage(file, path, objects, thumbnailOnly, context);
}

int ReadPage(CUniFile& file, const QString& path, OwnedFrameList& objects, int thumbnailOnly,
             CPageFileContext& context)
{
    objects.clear();
    context.modeMismatch = 0;
    context.header = CPageHeader();
    bool framesDropped = false;
    uint8_t block[CPageHeader::kSize];
    if (file.ReadExact(block, sizeof block)) {
        CPageHeader& header = context.header = ParseHeader(block);
        if (std::memcmp(header.magic, "QLPF", 4) != 0)
            file.status = CUniFile::kCorrupt;
        else if (header.version >= 2)
            file.status = CUniFile::kUnknownVersion;
        else if (header.objectCount > CFrameSet::kMaxObjects)
            file.status = CUniFile::kCorrupt;
    }
    context.status = file.status;

    if (thumbnailOnly) {
        if (file.status == CUniFile::kOk)
            ReadThumbnail(file, context.header, context.thumbnail);
        context.status = file.status;
        return file.status == CUniFile::kOk;
    }

    if (file.status == CUniFile::kOk) {
        const CPageHeader& header = context.header;
        if (!CheckModeAndFontSize(context, path))
            return 0;
        objects.reserve(size_t(std::max(0, header.objectCount)));
        for (int i = 0; i < header.objectCount; ++i) {
            auto object = std::make_unique<CFrame>();
            bool dropped = false;
            if (!object->Load(file, path, &dropped))
                break;
            if (object->backgroundType != kBackgroundSolid && object->backgroundType != kBackgroundPicture)
                continue;
            if (int(objects.size()) >= CFrameSet::kMaxObjects)
                break;
            object->framePeriod = context.framePeriod;
            framesDropped = framesDropped || dropped;
            objects.push_back(std::move(object));
        }
    }

    context.status = file.status;
    if (file.status == CUniFile::kOk) {
        if (framesDropped)
            PageFileMessage(context, kFramesDroppedMessage, kMessageWarning,
                            FormatText(kFramesDroppedMessage, path.toUtf8().constData()));
        return 1;
    }
    objects.clear();
    WriteLog(kLogFailure, "ReadPage(%s): status %d", path.toUtf8().constData(), file.status);
    StatusMessage(context, file.status, path);
    return 0;
}

int WritePage(const QString& path, CFrameSet& page, CPageFileContext& context)
{
    FrameList objects;
    page.TakeSnapshot(objects);
    const int result = WritePage(path, objects, context);
    page.ReleaseSnapshot();
    return result;
}

int WritePage(const QString& path, const FrameList& objects, CPageFileContext& context)
{
    CUniFile file;
    int result = 0;
    if (file.CreateWrite(path))
        result = WriteObjects(file, path, objects, context);
    context.status = file.status;
    if (!result) {
        WriteLog(kLogFailure, "WritePage(%s): status %d", path.toUtf8().constData(), file.status);
        StatusMessage(context, file.status, path);
    }
    return result;
}

QString PageFolder(const QString& pagePath)
{
    return RelativeFolderOf(pagePath);
}

QString RelativeToPage(const QString& path, const QString& pagePath)
{
    return MakeRelativePath(path, RelativeFolderOf(pagePath));
}

QString ExpandFromPage(const QString& stored, const QString& pagePath)
{
    return ExpandRelativePath(stored, RelativeFolderOf(pagePath));
}

CPicture PageThumbnail(const CPicture& composedPage, int rasterWidth, int rasterHeight)
{
    if (rasterWidth <= 0 || rasterHeight <= 0) {
        rasterWidth = composedPage.width;
        rasterHeight = composedPage.height;
    }
    CPicture thumbnail(rasterWidth, rasterHeight);
    thumbnail.StretchFrom(composedPage, rasterWidth, rasterHeight);
    while (thumbnail.width > kMaxThumbnailWidth)
        thumbnail.HalveSize();
    return thumbnail;
}
