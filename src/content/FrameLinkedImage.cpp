// An object's linked image file while it plays: noticed on the text thread,
// imported by a worker, swapped in on the render thread.
#include "content/FrameLinkedImage.h"

#include "app/Log.h"
#include "content/PictureImport.h"
#include "playback/SourceFileStamp.h"

#include <chrono>
#include <utility>

namespace {

int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::optional<CLinkedImageRequest> CFrameLinkedImage::CheckForChange(bool everyPass)
{
    if (!o_.linkImageFile)
        return std::nullopt;
    CLinkedImageHandOver& handOver = *o_.linkedImage;
    const int64_t now = SteadyMs();
    if (!everyPass && handOver.checkedAtMs != INT64_MIN && now - handOver.checkedAtMs < kCheckIntervalMs)
        return std::nullopt;
    handOver.checkedAtMs = now;
    const CFileStamp stamp = FileStampOf(o_.imageFileName);
    if (handOver.IsKnown(o_.imageFileName, stamp))
        return std::nullopt;
    WriteLog(kLogLifecycle, "CFrame::CheckForChange(%08X): linked image changed", LogAddress(&o_));
    std::unique_ptr<CImportedBackground> outdated;
    const uint64_t generation = handOver.Record(o_.imageFileName, stamp, &outdated);
    return CLinkedImageRequest{o_.linkedImage, o_.imageFileName, stamp, o_.framePeriod, generation};
}

void CFrameLinkedImage::Import(const CLinkedImageRequest& request, const std::function<bool()>& keepGoing)
{
    auto current = [&] {
        return request.handOver->Generation() == request.generation && (!keepGoing || keepGoing());
    };
    if (!current())
        return;
    std::unique_ptr<CImportedBackground> imported = ImportLinkedFile(request.fileName, request.framePeriod, current);
    if (!imported)
        return;
    imported->stamp = request.stamp;
    WriteLog(kLogLifecycle, "CFrameLinkedImage::Import(): %d frames waiting", static_cast<int>(imported->frames.size()));
    // Whatever is dropped is freed here, on the importing thread.
    request.handOver->Offer(std::move(imported), request.generation);
}

int CFrameLinkedImage::SwapIn()
{
    CLinkedImageHandOver& handOver = *o_.linkedImage;
    const std::unique_lock<std::mutex> lock = handOver.TryLock();
    if (!lock.owns_lock())
        return -1;
    CImportedBackground* waiting = handOver.Waiting();
    if (!waiting)
        return 0;
    if (!handOver.CanRetire())
        return -1;  // the last frames swapped out are not freed yet
    int swapped = 0;
    // Frames of another file (the object was given a new one meanwhile) or
    // of the version on air already are only retired.
    const bool onAir = waiting->stamp.IsValid() && waiting->stamp == o_.imageFileStamp;
    if (waiting->fileName == o_.imageFileName && !onAir) {
        Adopt(*waiting);
        handOver.swaps.fetch_add(1);
        swapped = 1;
    }
    handOver.RetireWaiting();
    return swapped;
}

void CFrameLinkedImage::FreeRetired()
{
    std::unique_ptr<CImportedBackground> retired = o_.linkedImage->TakeRetired();
}

void CFrameLinkedImage::Adopt(CImportedBackground& imported)
{
    std::swap(o_.backgroundFrames, imported.frames);
    // A file that gave no frames leaves the size as it was.
    if (!o_.backgroundFrames.empty()) {
        std::swap(o_.backgroundWidth, imported.width);
        std::swap(o_.backgroundHeight, imported.height);
    }
    std::swap(o_.imageFileStamp, imported.stamp);
    o_.imageFileTime = o_.imageFileStamp.LastWriteTime();
    // Made again at the new size by the next presentation.
    o_.ReleaseBackgroundTexture();
    o_.animationFrame = -1;
    o_.previewBackgroundValid.store(0);
}
