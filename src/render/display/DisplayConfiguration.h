#pragma once

#include "render/display/DisplayBackend.h"

#include <QStringList>

// The display outputs that can carry the output: every output other than the
// primary display with a monitor and a 32-bit mode of the wanted size.
class CDisplayConfiguration
{
public:
    // width, height: the wanted display size; 0 = any.
    CDisplayConfiguration(IDisplayBackend& backend, int width, int height);
    virtual ~CDisplayConfiguration() = default;

    // "Auto" first, then "%d. %s - %s" for each usable output: the entries of
    // the "HDMI connection" list, with the device names as their values.
    QStringList ConnectionListEntries(const QString& autoText) const;
    QStringList ConnectionListValues() const;
    // The list position of a stored device name (case-insensitive); 0 ("Auto") without a match.
    int ConnectionListIndex(const QString& displayAdapter) const;

    QString primaryDeviceName;
    QString primaryDeviceString;
    QString primaryMonitorName;
    QStringList outputDeviceNames;
    QStringList outputDeviceStrings;
    QStringList outputMonitorNames;
    int cloneDetected = 0;
};
