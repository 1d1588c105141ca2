#pragma once

#include <QString>

#include <cstdarg>
#include <deque>
#include <functional>
#include <mutex>

// Levels of WriteLog: 1 start and end of the main window and renderer and
// failures of platform calls, 2 configuration and lifecycle events, 3
// per-object rendering and playback detail.
enum LogLevel : int
{
    kLogFailure = 1,
    kLogLifecycle = 2,
    kLogDetail = 3,
};

// The process-wide logger. Off unless "Log" of section "Debug" is above 0;
// that value is the highest level written. Lines go to "<documents>/<program
// name>.log" as UTF-16LE text with a byte-order mark, each with a local
// timestamp prefix. The file is opened and closed for every line, so it can
// be read or deleted while the program runs; while it cannot be opened (or
// another program holds a lock on it) up to 100 lines wait in memory and are
// written, oldest first, before the next line that can be written.
class CDebug
{
public:
    static constexpr int kMaxPending = 100;
    static constexpr int kMaxMessageLength = 511;  // UTF-16 code units

    // The process logger: level from the settings store, path from the
    // user's documents folder, both read on the first call.
    CDebug();
    // A logger with its own sources for the level and the path (tests).
    CDebug(std::function<int()> readLevel, std::function<QString()> buildPath);

    void Write(int level, const QString& message);
    void WriteV(int level, const char* format, va_list args);

    // Number of lines waiting for the file (tests and diagnostics).
    int PendingCount();
    QString Path();

    static CDebug& Instance();
    // "<documents>/<program base name>.log", or empty without a documents folder.
    static QString DefaultPath();

private:
    void InitialiseLocked();
    static QByteArray FormatLine(const QString& message);
    bool AppendLocked(const QByteArray& line);

    std::mutex lock_;
    bool initialised_ = false;
    int level_ = 0;
    QString path_;
    std::deque<QByteArray> pending_;  // finished lines, UTF-16LE bytes
    std::function<int()> readLevel_;
    std::function<QString()> buildPath_;
};

// printf-style logging from any thread; "%s" takes UTF-8 text. Objects are
// named by their address in eight hexadecimal digits (LogAddress).
void WriteLog(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The low 32 bits of an address, as log lines show objects ("%08X").
inline unsigned LogAddress(const void* p)
{
    return static_cast<unsigned>(reinterpret_cast<quintptr>(p));
}
