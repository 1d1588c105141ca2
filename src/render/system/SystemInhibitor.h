#pragma once

#include <QString>

// Keeps the screen saver, display blanking and idle suspend away while the
// output is on, and gives the system back its own behaviour afterwards.
class ISystemInhibitor
{
public:
    virtual ~ISystemInhibitor() = default;
    // Idempotent: a second call while inhibited does nothing.
    virtual void Inhibit(const QString& reason) = 0;
    virtual void Release() = 0;
    virtual bool Inhibited() const = 0;
};
