#include "playback/NonStdioFile.h"

#include "model/Frame.h"
#include "playback/SourceFileStamp.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Characters that never reach a line: surrogates, the byte-order mark,
// the noncharacters U+FDD0..U+FDEF, U+FFFE and U+FFFF.
bool IsDropped(int c)
{
    return (c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF || (c >= 0xFDD0 && c <= 0xFDEF) || c > 0xFFFD;
}

}  // namespace

CNonStdioFile::CNonStdioFile(int codePage)
    : codePage_(codePage)
{
}

CNonStdioFile::~CNonStdioFile()
{
    Close();
}

int CNonStdioFile::Open(const QString& path, int encoding)
{
    Close();
    mode = 0;
    // Non-blocking, so that opening a FIFO returns at once; it is refused
    // below like every other file that is not a regular one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return 0;
    }
    fd_ = fd;
    position = 0;
    filled = 0;
    lineLength = 0;
    pushedBack = -1;
    atEnd = 0;

    if (encoding >= kEncodingAnsi && encoding <= kEncodingUtf8) {
        mode = encoding;
        return 1;
    }
    // Auto: a byte-order mark picks the mode and stays consumed; without
    // one the file is ANSI from its first byte.
    mode = kEncodingAnsi;
    Fill(3);
    const unsigned char* b = buffer ? buffer.get() : nullptr;
    if (filled >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        mode = kEncodingUnicodeBe;
        position = 2;
    } else if (filled >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        mode = kEncodingUnicode;
        position = 2;
    } else if (filled >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        mode = kEncodingUtf8;
        position = 3;
    }
    return 1;
}

CFileStamp CNonStdioFile::Stamp() const
{
    return FileStampOf(fd_);
}

void CNonStdioFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    atEnd = 1;
    pushedBack = -1;
    position = 0;
    filled = 0;
}

bool CNonStdioFile::Fill(int needed)
{
    while (filled - position < needed) {
        if (fd_ < 0)
            return false;
        if (!buffer)
            buffer = std::make_unique<unsigned char[]>(kBufferSize);
        const int unread = filled - position;
        if (position > 0) {
            std::memmove(buffer.get(), buffer.get() + position, static_cast<size_t>(unread));
            position = 0;
            filled = unread;
        }
        ssize_t got;
        do {
            got = ::read(fd_, buffer.get() + filled, static_cast<size_t>(kBufferSize - filled));
        } while (got < 0 && errno == EINTR);
        // A read error (the file vanished from a network share, say) counts
        // as the end of the file.
        if (got <= 0)
            return false;
        filled += static_cast<int>(got);
    }
    return true;
}

int CNonStdioFile::ReadByte()
{
    return buffer[position++];
}

int CNonStdioFile::ReadCharacter()
{
    if (atEnd)
        return -1;
    if (pushedBack != -1) {
        const int c = pushedBack;
        pushedBack = -1;
        return c;
    }
    auto fail = [this] {
        atEnd = 1;
        return -1;
    };
    switch (mode) {
    case kEncodingUnicode:
    case kEncodingUnicodeBe: {
        if (!Fill(2))
            return fail();
        const int first = ReadByte();
        const int second = ReadByte();
        const int unit = mode == kEncodingUnicode ? (second << 8 | first) : (first << 8 | second);
        // A pair stands for a character beyond U+FFFF, which becomes U+FFFD.
        // The pair is recognised wherever the buffer happens to end; a lone
        // surrogate is handed on (and dropped when collected) without taking
        // the unit after it.
        if (unit >= 0xD800 && unit <= 0xDBFF && Fill(2)) {
            const int a = buffer[position];
            const int b = buffer[position + 1];
            const int next = mode == kEncodingUnicode ? (b << 8 | a) : (a << 8 | b);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                position += 2;
                return 0xFFFD;
            }
        }
        return unit;
    }
    case kEncodingUtf8: {
        if (!Fill(1))
            return fail();
        const int b0 = buffer[position];
        int extra;
        if (b0 < 0x80)
            extra = 0;
        else if ((b0 & 0xE0) == 0xC0)
            extra = 1;
        else if ((b0 & 0xF0) == 0xE0)
            extra = 2;
        else if ((b0 & 0xF8) == 0xF0)
            extra = 3;
        else
            return fail();
        // An incomplete sequence at the end of the file is dropped.
        if (!Fill(1 + extra))
            return fail();
        for (int i = 1; i <= extra; ++i) {
            if ((buffer[position + i] & 0xC0) != 0x80)
                return fail();
        }
        const unsigned char* s = buffer.get() + position;
        position += 1 + extra;
        switch (extra) {
        case 0:
            return b0;
        case 1:
            return (b0 & 0x1F) << 6 | (s[1] & 0x3F);
        case 2:
            return (b0 & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F);
        default:
            return 0xFFFD;
        }
    }
    default:
        if (!Fill(1))
            return fail();
        return ReadByte();
    }
}

void CNonStdioFile::GrowLine()
{
    // Whole steps of 1024 bytes, doubling so that a long line costs linear
    // time rather than one copy per step.
    const int grown = std::max(lineCapacity + kLineStep, std::min(lineCapacity * 2, kMaxLineBytes));
    lineCapacity = (grown + kLineStep - 1) / kLineStep * kLineStep;
    line.resize(static_cast<size_t>(lineCapacity));
}

void CNonStdioFile::Collect(int c)
{
    if (IsDropped(c))
        return;
    const int width = mode == kEncodingAnsi ? 1 : 2;
    if (lineLength + width > lineCapacity)
        GrowLine();
    if (width == 1) {
        line[static_cast<size_t>(lineLength)] = static_cast<char>(c);
    } else {
        const char16_t unit = static_cast<char16_t>(c);
        std::memcpy(line.data() + lineLength, &unit, sizeof unit);
    }
    lineLength += width;
}

QString CNonStdioFile::TakeLine()
{
    if (lineLength == 0)
        return QString();
    if (mode == kEncodingAnsi) {
        if (!converter_)
            converter_ = std::make_unique<CCodePageConverter>(codePage_ > 0 ? codePage_ : codepage::AnsiCodePage());
        return converter_->Decode(line.data(), static_cast<qsizetype>(lineLength));
    }
    return QString(reinterpret_cast<const QChar*>(line.data()), lineLength / 2);
}

int CNonStdioFile::ReadLine(QString& text)
{
    if (atEnd)
        return 0;
    lineLength = 0;
    const bool unicode = mode != kEncodingAnsi;
    while (true) {
        if (lineLength >= kMaxLineBytes)
            break;  // the rest follows as the next line
        const int c = ReadCharacter();
        if (c == -1) {
            if (lineLength == 0)
                return 0;
            break;
        }
        if (c == 0 || c == 10 || c == 11)
            break;
        if (unicode && (c == 0x85 || c == 0x2028 || c == 0x2029))
            break;
        if (c == 13) {
            const int next = ReadCharacter();
            if (next != 10 && next != -1)
                pushedBack = next;
            break;
        }
        Collect(c);
    }
    text = TakeLine();
    return 1;
}
