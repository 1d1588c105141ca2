#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

// Fuzz input as a file that readers open by path: an in-memory file,
// rewritten for every input, reached through /proc/self/fd.
class CFuzzFile
{
public:
    CFuzzFile()
        : fd_(memfd_create("fuzz-input", MFD_CLOEXEC))
    {
    }
    ~CFuzzFile()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    // The path of a file holding exactly these bytes.
    QString Hold(const uint8_t* data, size_t size)
    {
        if (fd_ < 0 || ftruncate(fd_, 0) != 0)
            __builtin_trap();
        size_t written = 0;
        while (written < size) {
            const ssize_t n = pwrite(fd_, data + written, size - written, static_cast<off_t>(written));
            if (n <= 0)
                __builtin_trap();
            written += static_cast<size_t>(n);
        }
        return QStringLiteral("/proc/self/fd/%1").arg(fd_);
    }

private:
    int fd_;
};
