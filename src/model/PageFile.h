#pragma once

#include "app/StringTable.h"
#include "model/FrameSet.h"
#include "model/Picture.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CUniFile;

using OwnedFrameList = std::vector<std::unique_ptr<CFrame>>;
using MessageFunction = std::function<void(const CUserMessage&)>;

// The 256-byte header of a page file, as read (before the reader's rules).
struct CPageHeader
{
    static constexpr int kSize = 256;
    static constexpr uint32_t kVersion = 1;

    char magic[4] = {'Q', 'L', 'P', 'F'};
    uint32_t version = kVersion;
    int legacyHd = 0;
    int objectCount = 0;
    int dpi = 0;
    int width = 0;
    int height = 0;
    int thumbWidth = 0;
    int thumbHeight = 0;
    int thumbOffset = 0;
};

// What a page read or write needs of the running program, and what it found.
struct CPageFileContext
{
    // Raster of the current video mode. 0 x 0 reads without the mode check.
    int rasterWidth = 0;
    int rasterHeight = 0;
    // µs of one output frame of the mode, given to every object read.
    int framePeriod = 0;
    // Horizontal logical dots per inch of the desktop. Reading without it
    // (0) skips the font size check; writing without it stores 96.
    int desktopDpi = 0;
    // Thumbnail-only read: the picture the thumbnail goes into.
    CPicture* thumbnail = nullptr;
    // Writing: the editor's composed page, the source of the thumbnail;
    // without an editor view there is none and no thumbnail is written.
    const CPicture* composedPage = nullptr;
    // Receives every message for the operator (errors and the font size
    // warning); the reader and writer never show anything themselves.
    MessageFunction message;

    // Results of the last read or write.
    int status = 0;        // CUniFile::Status
    int modeMismatch = 0;  // 1 when the page was made for another video mode
    CPageHeader header;
};

// Reads a page file into new objects (bottom object first), or with
// thumbnailOnly only its thumbnail into context.thumbnail. Returns 1 on
// success; on failure `objects` is empty and context.message has been told.
int ReadPage(const QString& path, OwnedFrameList& objects, int thumbnailOnly, CPageFileContext& context);
// The same from a file already open for reading; path names it in messages
// and anchors relative paths.
int ReadPage(CUniFile& file, const QString& path, OwnedFrameList& objects, int thumbnailOnly,
             CPageFileContext& context);

// Writes the live objects of the page, in a snapshot, so the output keeps
// playing. The previous file is replaced only when everything was written.
int WritePage(const QString& path, CFrameSet& page, CPageFileContext& context);
// The same for a list of objects the caller keeps alive.
int WritePage(const QString& path, const FrameList& objects, CPageFileContext& context);

// The page's folder ending with "/": relative paths in the page start there.
QString PageFolder(const QString& pagePath);
// "+" and the rest of the path when it lies inside the page's folder,
// otherwise the path unchanged.
QString RelativeToPage(const QString& path, const QString& pagePath);
// Expands the "+" form (a backslash after it counts as "/").
QString ExpandFromPage(const QString& stored, const QString& pagePath);

// The thumbnail a page stores for the editor's composed page: resampled to
// the raster size, then halved while wider than 480 pixels.
CPicture PageThumbnail(const CPicture& composedPage, int rasterWidth, int rasterHeight);
