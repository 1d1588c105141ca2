#pragma once

#include <QString>

#include <memory>

// The per-user settings: sections holding named 32-bit integer and string
// values. Reading a value that is missing (or of the wrong kind) yields the
// caller's default; a write that fails is lost without a report, as the
// owners of the values expect.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    virtual int ReadInt(const QString& section, const QString& name, int defaultValue) const = 0;
    virtual void WriteInt(const QString& section, const QString& name, int value) = 0;
    virtual QString ReadString(const QString& section, const QString& name,
                               const QString& defaultValue) const = 0;
    virtual void WriteString(const QString& section, const QString& name, const QString& value) = 0;
    // Makes the writes so far durable. Stores may hold writes back until then
    // (or until their own next chance), so that saving a list of many values
    // costs one file write, not one per value.
    virtual void Flush() {}
};

// The store every part of the program uses. Start-up installs the QSettings
// store; tests may install an in-memory one. Until something is installed the
// QSettings store of the current application (organisation "Quellmark",
// application "Tavrel") is used.
ISettingsStore& Settings();

// Replaces the process-wide store and returns the previous one. Only call
// this while no other thread reads settings (start-up, tests).
std::unique_ptr<ISettingsStore> InstallSettingsStore(std::unique_ptr<ISettingsStore> store);
