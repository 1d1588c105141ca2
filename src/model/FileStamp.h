#pragma once

#include <QDateTime>

#include <cstdint>

// One version of a file as a change check sees it: its last-write time to
// the nanosecond, its size and its identity on disk. A file rewritten within
// the same millisecond (truncated, then written), or replaced by another file
// with the same time, still reads as changed.
struct CFileStamp
{
    int64_t lastWriteNs = 0;  // since the epoch, UTC
    int64_t size = -1;        // -1: no file examined
    uint64_t device = 0;
    uint64_t inode = 0;

    bool IsValid() const { return size >= 0; }
    // The last-write time to the millisecond.
    QDateTime LastWriteTime() const
    {
        return IsValid() ? QDateTime::fromMSecsSinceEpoch(lastWriteNs / 1000000, Qt::UTC) : QDateTime();
    }
    bool operator==(const CFileStamp&) const = default;
};
