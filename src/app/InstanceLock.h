#pragma once

#include <QString>

// The single playout instance of a user. An advisory lock on a file in the
// user's runtime folder: held for the life of the process, released by the
// kernel when the process ends in any way (a crashed playout instance never
// blocks the next one), and not inherited by programs this one starts.
class CInstanceLock
{
public:
    static constexpr const char* kName = "QVX_Slatewright";

    // folder: where the lock file lives; empty = the user's runtime folder.
    explicit CInstanceLock(QString folder = {});
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // 1 when this process now holds the lock; 0 when another process holds it
    // or the lock file cannot be made.
    int TryAcquire();
    void Release();
    bool Held() const { return fd_ >= 0; }
    QString FilePath() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
};
