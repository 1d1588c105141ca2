#pragma once

#include "model/Frame.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

using FrameList = std::vector<CFrame*>;

// The page: up to 256 objects in drawing order (index 0 at the bottom),
// shared with the render and text threads. The lock is held only inside the
// operations below; threads work on the objects of a snapshot without it.
// Removed objects are only marked deleted and are destroyed by the last
// ReleaseSnapshot, so a thread holding a snapshot can finish with them.
class CFrameSet
{
public:
    static constexpr int kMaxObjects = 256;

    CFrameSet() = default;
    CFrameSet(const CFrameSet&) = delete;
    CFrameSet& operator=(const CFrameSet&) = delete;
    virtual ~CFrameSet();

    // Fills `list` with the live objects in drawing order; returns their
    // number. Pair every call with one ReleaseSnapshot.
    int TakeSnapshot(FrameList& list);
    void ReleaseSnapshot();

    // Appends the object on top and takes it (returns 1), or returns 0 with
    // the object left with the caller when the page is full.
    int AddObject(std::unique_ptr<CFrame>& object);
    // Inserts the object directly above the one with id afterId: at the
    // bottom for 0, on top when no object has that id. Same ownership rule.
    int InsertObjectAfter(std::unique_ptr<CFrame>& object, int afterId);
    // Stops the object and marks it deleted; the last ReleaseSnapshot destroys it.
    void RemoveObject(CFrame* object);
    // RemoveObject for several objects at once: all leave the air before
    // the first wait, so a full page waits for about one output frame.
    // Objects not on the page are left alone.
    void RemoveObjects(const FrameList& objects);
    void RemoveAllObjects();
    // Removes the live objects of a group (exact name; empty = all of them).
    void RemoveGroupObjects(const QString& group);
    // Puts new objects onto the page: replaceAll 1 removes every live
    // object first, 0 keeps the playing and locked ones (appended to keptOut
    // when given) and removes the rest. The new objects are appended in
    // order while fewer than 256 live objects are on the page; the page
    // takes the ones it accepts, the others stay in `objects`.
    void MergeObjects(std::vector<std::unique_ptr<CFrame>>& objects, int replaceAll, FrameList* keptOut);
    // Exchanges the object with its live neighbour above (up = 1) or below;
    // returns 0 when it is already at that end or not on the page.
    int MoveObject(CFrame* object, int up);
    // Each distinct non-empty group name, in page order, compared exactly.
    void CollectGroupNames(QStringList& list);

    // The live object with this id, or null. Only valid while the caller
    // keeps the object alive (a snapshot, or the user-interface thread that
    // alone removes objects).
    CFrame* FindObjectById(int id);
    // 1-based number of the object counted from the bottom among the live
    // objects ("All objects are numbered bottom-to-top"); 0 when not listed.
    int ObjectNumber(const CFrame* object);
    int LiveCount();

    // 1 while the output engine runs; page-wide playback (content/PagePlayback.h)
    // does nothing while 0.
    std::atomic<int> outputActive{0};

private:
    std::mutex lock_;
    std::vector<std::unique_ptr<CFrame>> objects_;
    int snapshotCount_ = 0;
    int pendingDeletion_ = 0;
};
