#include "model/UniFile.h"

#include <QtEndian>

#include <limits>

int CUniFile::Fail(int code)
{
    if (status == kOk)
        status = code;
    return 0;
}

int CUniFile::OpenRead(const QString& path)
{
    readFile_.setFileName(path);
    // Unbuffered: the large reads go straight into their final buffers and
    // a load holds no copy of the file's bytes.
    if (!readFile_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        status = kOpenFailed;
        return 0;
    }
    device_ = &readFile_;
    status = kOk;
    return 1;
}

int CUniFile::OpenRead(QIODevice* device)
{
    device_ = device;
    status = device && device->isReadable() ? kOk : kOpenFailed;
    return status == kOk;
}

int CUniFile::CreateWrite(const QString& path)
{
    if (!saveFile_.Open(path)) {
        status = kOpenFailed;
        return 0;
    }
    device_ = &saveFile_.File();
    status = kOk;
    return 1;
}

int CUniFile::Commit()
{
    if (status != kOk) {
        saveFile_.Discard();
        return 0;
    }
    device_ = nullptr;
    return saveFile_.Commit() ? 1 : Fail(kWriteFailed);
}

int CUniFile::ReadExact(void* buffer, int64_t count)
{
    if (status != kOk)
        return 0;
    if (count <= 0)
        return count == 0 ? 1 : Fail(kCorrupt);
    if (device_->read(static_cast<char*>(buffer), count) != count)
        return Fail(kCorrupt);
    return 1;
}

int CUniFile::WriteExact(const void* buffer, int64_t count)
{
    if (status != kOk)
        return 0;
    if (count <= 0)
        return 1;
    if (device_->write(static_cast<const char*>(buffer), count) != count)
        return Fail(kWriteFailed);
    return 1;
}

int CUniFile::ReadString(QString& text)
{
    int32_t length = 0;
    if (!ReadExact(&length, 4))
        return 0;
    length = qFromLittleEndian(length);
    if (length < 0 || !Available(int64_t(length) * 2))
        return Fail(kCorrupt);
    QString units(length, Qt::Uninitialized);
    if (!ReadExact(units.data(), int64_t(length) * 2))
        return 0;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        for (QChar& unit : units)
            unit = QChar(qFromLittleEndian(unit.unicode()));
    }
    const qsizetype end = units.indexOf(QChar(u'\0'));
    if (end >= 0)
        units.truncate(end);
    text = units;
    return 1;
}

int CUniFile::WriteString(const QString& text)
{
    if (text.size() > std::numeric_limits<int32_t>::max() / 2)
        return Fail(kWriteFailed);
    const int32_t length = qToLittleEndian(int32_t(text.size()));
    if (!WriteExact(&length, 4))
        return 0;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        QString units = text;
        for (QChar& unit : units)
            unit = QChar(qToLittleEndian(unit.unicode()));
        return WriteExact(units.constData(), int64_t(units.size()) * 2);
    }
    return WriteExact(text.constData(), int64_t(text.size()) * 2);
}

int CUniFile::Seek(int64_t position)
{
    if (status != kOk)
        return 0;
    const bool writing = device_ == &saveFile_.File();
    if (position < 0 || (!writing && position > device_->size()) || !device_->seek(position))
        return Fail(writing ? kWriteFailed : kCorrupt);
    return 1;
}

int CUniFile::Skip(int64_t count)
{
    if (!Available(count))
        return 0;
    return Seek(Position() + count);
}

int CUniFile::Available(int64_t count)
{
    if (status != kOk)
        return 0;
    if (count < 0 || count > Remaining())
        return Fail(kCorrupt);
    return 1;
}

int64_t CUniFile::Position() const
{
    return device_ ? device_->pos() : 0;
}

int64_t CUniFile::Remaining() const
{
    return device_ ? device_->size() - device_->pos() : 0;
}
