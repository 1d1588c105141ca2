#include "app/QSettingsStore.h"

#include <limits>

namespace {

QString Key(const QString& section, const QString& name)
{
    return section + QLatin1Char('/') + name;
}

}  // namespace

CQSettingsStore::CQSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kOrganisation),
                QString::fromLatin1(kApplication))
{
}

CQSettingsStore::CQSettingsStore(const QString& iniPath)
    : settings_(iniPath, QSettings::IniFormat)
{
}

int CQSettingsStore::ReadInt(const QString& section, const QString& name, int defaultValue) const
{
    std::lock_guard guard(lock_);
    const QVariant value = settings_.value(Key(section, name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    // Anything that is not a 32-bit number counts as missing. Colours are
    // unsigned 32-bit values and read back bit for bit.
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<quint32>::max())
        return defaultValue;
    return static_cast<int>(static_cast<quint32>(number));
}

void CQSettingsStore::WriteInt(const QString& section, const QString& name, int value)
{
    std::lock_guard guard(lock_);
    settings_.setValue(Key(section, name), value);
}

QString CQSettingsStore::ReadString(const QString& section, const QString& name,
                                    const QString& defaultValue) const
{
    std::lock_guard guard(lock_);
    const QVariant value = settings_.value(Key(section, name));
    if (!value.isValid())
        return defaultValue;
    // QSettings reads a value with commas back as a list; join it again.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void CQSettingsStore::WriteString(const QString& section, const QString& name, const QString& value)
{
    std::lock_guard guard(lock_);
    settings_.setValue(Key(section, name), value);
}

void CQSettingsStore::Flush()
{
    std::lock_guard guard(lock_);
    settings_.sync();
}

QString CQSettingsStore::FileName() const
{
    std::lock_guard guard(lock_);
    return settings_.fileName();
}
