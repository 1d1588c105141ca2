#pragma once

#include "app/SafeSaveFile.h"

#include <QFile>
#include <QIODevice>
#include <QString>

#include <cstdint>

// A binary file with a sticky status: the first failure is kept and every
// later read or write does nothing and reports failure, so a reader can run
// through a whole record and check once. Writing goes through a safe save:
// the previous file stays as it is until Commit has replaced it.
class CUniFile
{
public:
    enum Status : int
    {
        kOk = 0,
        kOpenFailed = 1,
        kWriteFailed = 2,
        kCorrupt = 3,  // a read came up short, or a size in the file cannot be right
        kUnknownVersion = 4,
    };

    CUniFile() = default;
    CUniFile(const CUniFile&) = delete;
    CUniFile& operator=(const CUniFile&) = delete;
    virtual ~CUniFile() = default;

    // Opens a file to read, shared with other readers and writers.
    int OpenRead(const QString& path);
    // Reads from a device that is already open (data in memory).
    int OpenRead(QIODevice* device);
    // Starts writing a new version of `path`; nothing is replaced before Commit.
    int CreateWrite(const QString& path);
    // Puts the written file in place of the old one (status 2 on failure).
    int Commit();

    // All report 1 for success and 0 for failure.
    int ReadExact(void* buffer, int64_t count);
    int WriteExact(const void* buffer, int64_t count);
    // A 32-bit count of UTF-16 code units, then the units (little-endian);
    // the text ends at its first NUL unit.
    int ReadString(QString& text);
    int WriteString(const QString& text);
    int Seek(int64_t position);
    // Skips `count` bytes that must be there.
    int Skip(int64_t count);

    // Checks that `count` bytes remain to be read before anyone allocates
    // room for them; otherwise the file is corrupt (status 3).
    int Available(int64_t count);
    int64_t Position() const;
    int64_t Remaining() const;

    int status = kOpenFailed;

private:
    int Fail(int code);

    QFile readFile_;
    CSafeSaveFile saveFile_;
    QIODevice* device_ = nullptr;
};

// Little-endian fields of fixed-layout blocks.
inline int32_t GetInt32(const uint8_t* block, int offset)
{
    const uint8_t* p = block + offset;
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

inline void PutInt32(uint8_t* block, int offset, int64_t value)
{
    uint8_t* p = block + offset;
    const uint32_t v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
