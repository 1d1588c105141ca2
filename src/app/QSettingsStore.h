#pragma once

#include "app/SettingsStore.h"

#include <QSettings>

#include <mutex>

// Settings in the user's config folder through QSettings, in its native (INI)
// format: one group per section. The folder follows XDG_CONFIG_HOME, which is
// how tests keep away from the user's real settings.
class CQSettingsStore final : public ISettingsStore
{
public:
    static constexpr const char* kOrganisation = "Quellmark";
    static constexpr const char* kApplication = "Tavrel";

    CQSettingsStore();
    // A store over one explicit INI file (tests, tools).
    explicit CQSettingsStore(const QString& iniPath);

    int ReadInt(const QString& section, const QString& name, int defaultValue) const override;
    void WriteInt(const QString& section, const QString& name, int value) override;
    QString ReadString(const QString& section, const QString& name,
                       const QString& defaultValue) const override;
    void WriteString(const QString& section, const QString& name, const QString& value) override;
    // Writes reach the file at the next turn of the event loop, on Flush, or
    // when the store is destroyed.
    void Flush() override;

    QString FileName() const;

private:
    mutable std::mutex lock_;  // the renderer and the logger read from other threads
    mutable QSettings settings_;
};
