#pragma once

#include "model/FileStamp.h"
#include "model/FrameBackground.h"

#include <QString>

#include <atomic>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// The frames of one version of an object's linked image file.
struct CImportedBackground
{
    QString fileName;
    CFileStamp stamp;
    std::vector<CFrameBackground> frames;
    int width = 0;
    int height = 0;
};

// Where the frames of a changed linked image, imported away from the render
// thread, wait until the render thread swaps them in, and where the frames
// it swapped out wait to be freed. The render thread never decodes, never
// frees frames and never waits for the lock: it only tries it.
//
// The newest version of the file that was imported or asked for is kept
// with a generation number that each newer version raises; frames imported
// for an older generation are dropped when they are offered.
class CLinkedImageHandOver
{
public:
    // Whether fileName at stamp is the newest version recorded.
    bool IsKnown(const QString& fileName, const CFileStamp& stamp);
    // Records fileName at stamp as the newest version and returns its
    // generation. The frames that waited (of any version) come back in
    // `waited`, for the caller to use or free.
    uint64_t Record(const QString& fileName, const CFileStamp& stamp, std::unique_ptr<CImportedBackground>* waited);
    // The generation of the newest version: an import for an older one can stop.
    uint64_t Generation() const { return generation_.load(); }
    // The frames of `generation` wait for the render thread unless a newer
    // version was recorded meanwhile. Returns what is dropped (these frames,
    // or older ones that waited) for the caller to free.
    std::unique_ptr<CImportedBackground> Offer(std::unique_ptr<CImportedBackground> imported, uint64_t generation);

    // The lock under which the render thread changes the object's frames
    // while it plays. The render thread only tries it (and tries again at a
    // later frame); others hold it briefly.
    std::unique_lock<std::mutex> TryLock() { return std::unique_lock<std::mutex>(lock_, std::try_to_lock); }
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(lock_); }
    // With the lock held: the frames waiting (null when none), whether the
    // place for swapped-out frames is free, and moving the waiting frames
    // (by then holding what they replaced) there.
    CImportedBackground* Waiting() { return waiting_.get(); }
    bool CanRetire() const { return !retired_; }
    void RetireWaiting() { retired_ = std::move(waiting_); }

    // The frames swapped out, for the caller to free (not on the render thread).
    std::unique_ptr<CImportedBackground> TakeRetired();

    // Versions the render thread has swapped in.
    std::atomic<int> swaps{0};
    // The text thread's own: when it last looked at the file (steady clock, ms).
    int64_t checkedAtMs = INT64_MIN;

private:
    std::mutex lock_;
    std::unique_ptr<CImportedBackground> waiting_;
    std::unique_ptr<CImportedBackground> retired_;
    std::atomic<uint64_t> generation_{0};
    QString knownName_;
    CFileStamp knownStamp_;
};
