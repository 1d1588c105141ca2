#include "model/LinkedImageHandOver.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

CFileStamp Version(int64_t size)
{
    CFileStamp stamp;
    stamp.size = size;
    stamp.lastWriteNs = size * 1000;
    return stamp;
}

std::unique_ptr<CImportedBackground> Frames(const CFileStamp& stamp)
{
    auto imported = std::make_unique<CImportedBackground>();
    imported->fileName = QStringLiteral("clip.mkv");
    imported->stamp = stamp;
    imported->frames.resize(3);
    return imported;
}

// Versions noticed while older ones are still being imported: only the
// newest one's frames wait, and a newer version sends back what waited.
TEST(LinkedImageHandOver, OnlyTheNewestVersionWaits)
{
    const QString name = QStringLiteral("clip.mkv");
    CLinkedImageHandOver handOver;
    std::unique_ptr<CImportedBackground> waited;
    EXPECT_FALSE(handOver.IsKnown(name, CFileStamp{})) << "nothing recorded yet";
    const uint64_t first = handOver.Record(name, Version(1), &waited);
    EXPECT_TRUE(handOver.IsKnown(name, Version(1)));
    EXPECT_FALSE(handOver.IsKnown(name, Version(2)));
    EXPECT_FALSE(handOver.IsKnown(QStringLiteral("other.mkv"), Version(1)));
    const uint64_t second = handOver.Record(name, Version(2), &waited);
    EXPECT_NE(first, second);
    EXPECT_EQ(handOver.Generation(), second);

    EXPECT_NE(handOver.Offer(Frames(Version(1)), first), nullptr) << "an older version's frames are dropped";
    EXPECT_EQ(handOver.Offer(Frames(Version(2)), second), nullptr);
    {
        const auto lock = handOver.TryLock();
        ASSERT_TRUE(lock.owns_lock());
        ASSERT_NE(handOver.Waiting(), nullptr);
        EXPECT_EQ(handOver.Waiting()->stamp, Version(2));
    }

    handOver.Record(name, Version(3), &waited);
    ASSERT_NE(waited, nullptr) << "the frames that waited come back";
    EXPECT_EQ(waited->stamp, Version(2));
    const auto lock = handOver.TryLock();
    EXPECT_EQ(handOver.Waiting(), nullptr);
}

// The render thread's side: the waiting frames move to the retired place,
// which must be emptied before the next ones can be swapped in.
TEST(LinkedImageHandOver, SwappedOutFramesWaitToBeFreed)
{
    CLinkedImageHandOver handOver;
    std::unique_ptr<CImportedBackground> waited;
    const uint64_t generation = handOver.Record(QStringLiteral("clip.mkv"), Version(1), &waited);
    handOver.Offer(Frames(Version(1)), generation);
    {
        const auto lock = handOver.TryLock();
        ASSERT_TRUE(handOver.CanRetire());
        handOver.RetireWaiting();
        EXPECT_FALSE(handOver.CanRetire());
        EXPECT_EQ(handOver.Waiting(), nullptr);
    }
    {
        const auto held = handOver.Lock();
        bool taken = true;
        std::thread([&] { taken = handOver.TryLock().owns_lock(); }).join();
        EXPECT_FALSE(taken) << "the render thread never waits for the lock";
    }
    const std::unique_ptr<CImportedBackground> retired = handOver.TakeRetired();
    ASSERT_NE(retired, nullptr);
    EXPECT_EQ(retired->frames.size(), 3u);
    const auto lock = handOver.TryLock();
    EXPECT_TRUE(handOver.CanRetire());
}

}  // namespace

