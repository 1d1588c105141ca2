#include "render/core/LinkedImageImporter.h"

#include "app/Log.h"
#include "render/system/ThreadPriority.h"

CLinkedImageImporter::CLinkedImageImporter()
    : thread_([this] { Run(); })
{
}

CLinkedImageImporter::~CLinkedImageImporter()
{
    {
        std::lock_guard guard(lock_);
        stopping_.store(true);
    }
    signal_.notify_all();
    thread_.join();
}

void CLinkedImageImporter::Post(CLinkedImageRequest request)
{
    {
        std::lock_guard guard(lock_);
        queue_.push_back(std::move(request));
    }
    signal_.notify_all();
}

void CLinkedImageImporter::Run()
{
    const GrantedPriority granted = SetCurrentThreadPriority(ThreadPriorityLevel::BelowNormal);
    WriteLog(kLogLifecycle, "CLinkedImageImporter::Run(): priority: %s", GrantedPriorityName(granted));
    for (;;) {
        CLinkedImageRequest request;
        {
            std::unique_lock lock(lock_);
            signal_.wait(lock, [this] { return stopping_.load() || !queue_.empty(); });
            if (stopping_.load())
                return;
            request = std::move(queue_.front());
            queue_.pop_front();
        }
        CFrameLinkedImage::Import(request, [this] { return !stopping_.load(); });
    }
}
