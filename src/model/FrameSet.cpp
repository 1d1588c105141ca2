#include "model/FrameSet.h"

#include <algorithm>

CFrameSet::~CFrameSet() = default;

int CFrameSet::TakeSnapshot(FrameList& list)
{
    std::lock_guard guard(lock_);
    ++snapshotCount_;
    pendingDeletion_ = 0;
    list.clear();
    list.reserve(objects_.size());
    for (const auto& object : objects_) {
        if (object->deleted.load())
            pendingDeletion_ = 1;
        else
            list.push_back(object.get());
    }
    return static_cast<int>(list.size());
}

void CFrameSet::ReleaseSnapshot()
{
    std::vector<std::unique_ptr<CFrame>> doomed;
    {
        std::lock_guard guard(lock_);
        if (snapshotCount_ <= 0)
            return;
        if (--snapshotCount_ != 0 || !pendingDeletion_)
            return;
        auto firstDeleted = std::stable_partition(objects_.begin(), objects_.end(),
                                                  [](const auto& object) { return !object->deleted.load(); });
        doomed.assign(std::make_move_iterator(firstDeleted), std::make_move_iterator(objects_.end()));
        objects_.erase(firstDeleted, objects_.end());
        pendingDeletion_ = 0;
    }
    // Destroyed outside the lock: no object destructor runs under it.
}

int CFrameSet::AddObject(std::unique_ptr<CFrame>& object)
{
    return InsertObjectAfter(object, -1);
}

int CFrameSet::InsertObjectAfter(std::unique_ptr<CFrame>& object, int afterId)
{
    if (!object)
        return 0;
    FrameList list;
    const int count = TakeSnapshot(list);
    int result = 0;
    if (count < kMaxObjects) {
        std::lock_guard guard(lock_);
        auto at = objects_.end();
        if (afterId == 0) {
            at = objects_.begin();
        } else if (afterId > 0) {
            const auto found = std::find_if(objects_.begin(), objects_.end(), [afterId](const auto& o) {
                return o->id == afterId && !o->deleted.load();
            });
            if (found != objects_.end())
                at = found + 1;
        }
        objects_.insert(at, std::move(object));
        result = 1;
    }
    ReleaseSnapshot();
    return result;
}

void CFrameSet::RemoveObject(CFrame* object)
{
    if (!object)
        return;
    FrameList list;
    TakeSnapshot(list);
    if (std::find(list.begin(), list.end(), object) != list.end()) {
        object->StopOutput();
        std::lock_guard guard(lock_);
        object->deleted.store(1);
        pendingDeletion_ = 1;
    }
    // Destroys the object unless another thread still holds a snapshot.
    ReleaseSnapshot();
}

void CFrameSet::RemoveObjects(const FrameList& objects)
{
    FrameList list;
    TakeSnapshot(list);
    FrameList doomed;
    for (CFrame* object : objects) {
        if (std::find(list.begin(), list.end(), object) != list.end()
            && std::find(doomed.begin(), doomed.end(), object) == doomed.end())
            doomed.push_back(object);
    }
    // All off the air first, then wait: the render thread lets go of all of
    // them within one frame instead of one frame each.
    for (CFrame* object : doomed)
        object->BeginStopOutput();
    for (CFrame* object : doomed)
        object->FinishStopOutput();
    {
        std::lock_guard guard(lock_);
        for (CFrame* object : doomed)
            object->deleted.store(1);
        if (!doomed.empty())
            pendingDeletion_ = 1;
    }
    ReleaseSnapshot();
}

void CFrameSet::RemoveAllObjects()
{
    FrameList list;
    TakeSnapshot(list);
    RemoveObjects(list);
    ReleaseSnapshot();
}

void CFrameSet::RemoveGroupObjects(const QString& group)
{
    FrameList list;
    TakeSnapshot(list);
    if (!group.isEmpty())
        list.erase(std::remove_if(list.begin(), list.end(), [&group](const CFrame* o) { return o->group != group; }),
                   list.end());
    RemoveObjects(list);
    ReleaseSnapshot();
}

void CFrameSet::MergeObjects(std::vector<std::unique_ptr<CFrame>>& objects, int replaceAll, FrameList* keptOut)
{
    FrameList live;
    TakeSnapshot(live);
    FrameList doomed;
    for (CFrame* object : live) {
        if (!replaceAll && (object->playing.load() || object->locked)) {
            if (keptOut != nullptr)
                keptOut->push_back(object);
        } else {
            doomed.push_back(object);
        }
    }
    RemoveObjects(doomed);
    for (auto& object : objects) {
        if (!AddObject(object))
            break;  // 256 live objects: the rest is left out
    }
    ReleaseSnapshot();
}

int CFrameSet::MoveObject(CFrame* object, int up)
{
    FrameList list;
    TakeSnapshot(list);
    int result = 0;
    const auto it = std::find(list.begin(), list.end(), object);
    if (it != list.end()) {
        const bool atEnd = up ? it + 1 == list.end() : it == list.begin();
        if (!atEnd) {
            CFrame* neighbour = up ? *(it + 1) : *(it - 1);
            std::lock_guard guard(lock_);
            auto a = std::find_if(objects_.begin(), objects_.end(), [object](const auto& o) { return o.get() == object; });
            auto b = std::find_if(objects_.begin(), objects_.end(), [neighbour](const auto& o) { return o.get() == neighbour; });
            if (a != objects_.end() && b != objects_.end()) {
                std::iter_swap(a, b);
                result = 1;
            }
        }
    }
    ReleaseSnapshot();
    return result;
}

void CFrameSet::CollectGroupNames(QStringList& names)
{
    names.clear();
    FrameList list;
    TakeSnapshot(list);
    for (const CFrame* object : list) {
        if (!object->group.isEmpty() && !names.contains(object->group, Qt::CaseSensitive))
            names.append(object->group);
    }
    ReleaseSnapshot();
}

CFrame* CFrameSet::FindObjectById(int id)
{
    FrameList list;
    TakeSnapshot(list);
    const auto it = std::find_if(list.begin(), list.end(), [id](const CFrame* o) { return o->id == id; });
    CFrame* found = it == list.end() ? nullptr : *it;
    ReleaseSnapshot();
    return found;
}

int CFrameSet::ObjectNumber(const CFrame* object)
{
    FrameList list;
    TakeSnapshot(list);
    const auto it = std::find(list.begin(), list.end(), object);
    const int number = it == list.end() ? 0 : static_cast<int>(it - list.begin()) + 1;
    ReleaseSnapshot();
    return number;
}

int CFrameSet::LiveCount()
{
    FrameList list;
    const int count = TakeSnapshot(list);
    ReleaseSnapshot();
    return count;
}
