#pragma once

#include "content/FrameLinkedImage.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// The text thread's worker for changed linked image files: imports them
// one after the other below normal priority, so that neither the render
// thread nor the text thread waits for a decode (a long video takes
// seconds). Its thread runs from construction to destruction.
class CLinkedImageImporter
{
public:
    CLinkedImageImporter();
    // Ends the import in progress at its next frame and waits for the thread.
    ~CLinkedImageImporter();
    CLinkedImageImporter(const CLinkedImageImporter&) = delete;
    CLinkedImageImporter& operator=(const CLinkedImageImporter&) = delete;

    void Post(CLinkedImageRequest request);

private:
    void Run();

    std::mutex lock_;
    std::condition_variable signal_;
    std::deque<CLinkedImageRequest> queue_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
