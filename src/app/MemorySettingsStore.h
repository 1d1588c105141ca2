#pragma once

#include "app/SettingsStore.h"

#include <QHash>
#include <QVariant>

#include <mutex>

// Settings held in memory only: for tests and for runs that must not touch
// the user's settings.
class CMemorySettingsStore final : public ISettingsStore
{
public:
    int ReadInt(const QString& section, const QString& name, int defaultValue) const override
    {
        std::lock_guard guard(lock_);
        const auto it = values_.constFind(section + QLatin1Char('/') + name);
        return it != values_.cend() && it->userType() == QMetaType::Int ? it->toInt() : defaultValue;
    }
    void WriteInt(const QString& section, const QString& name, int value) override
    {
        std::lock_guard guard(lock_);
        values_.insert(section + QLatin1Char('/') + name, value);
    }
    QString ReadString(const QString& section, const QString& name, const QString& defaultValue) const override
    {
        std::lock_guard guard(lock_);
        const auto it = values_.constFind(section + QLatin1Char('/') + name);
        return it != values_.cend() && it->userType() == QMetaType::QString ? it->toString() : defaultValue;
    }
    void WriteString(const QString& section, const QString& name, const QString& value) override
    {
        std::lock_guard guard(lock_);
        values_.insert(section + QLatin1Char('/') + name, value);
    }

private:
    mutable std::mutex lock_;
    QHash<QString, QVariant> values_;
};
