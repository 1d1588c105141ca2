#pragma once

#include "model/Frame.h"

#include <functional>
#include <memory>
#include <optional>

// A version of an object's linked image file to be imported away from the
// render thread. It holds the object's hand-over, not the object, so that
// the import may outlive the object.
struct CLinkedImageRequest
{
    std::shared_ptr<CLinkedImageHandOver> handOver;
    QString fileName;
    CFileStamp stamp;
    int framePeriod = 0;
    uint64_t generation = 0;
};

// An object's linked image file while it plays. The text thread notices a
// changed file, an import worker (or, off-line, the text pass itself)
// imports it into the object's hand-over, and the render thread swaps the
// new frames in where the object starts over; the text thread frees the
// frames swapped out. The user-interface thread imports synchronously
// (InitBackground) before the threads take the object.
class CFrameLinkedImage
{
public:
    explicit CFrameLinkedImage(CFrame& object) : o_(object) {}

    // The text thread looks at the file at most this often.
    static constexpr int kCheckIntervalMs = 200;

    // Text thread, between EnterText and LeaveText: a request when the
    // linked file's version is not the newest one imported or asked for.
    // Looks at the file at most every kCheckIntervalMs unless everyPass.
    std::optional<CLinkedImageRequest> CheckForChange(bool everyPass);
    // Any thread but the render thread: imports the request's version and
    // offers it to the hand-over. Stops early, dropping the frames, once a
    // newer version was recorded or keepGoing (asked between frames) says so.
    static void Import(const CLinkedImageRequest& request, const std::function<bool()>& keepGoing);
    // Render thread: swaps in the frames that wait (when they are a new
    // version of the object's file). 1: swapped; 0: nothing new waited;
    // -1: the hand-over was busy, try again at a later frame. Allocates and
    // frees nothing.
    int SwapIn();
    // Text thread (any thread but the render thread): frees the frames the
    // render thread swapped out.
    void FreeRetired();
    // Makes the imported frames the object's; `imported` is left with the
    // object's old frames.
    void Adopt(CImportedBackground& imported);

private:
    CFrame& o_;
};
