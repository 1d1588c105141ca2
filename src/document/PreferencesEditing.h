#pragma once

#include "document/DocumentPreferences.h"
#include "render/display/DisplayBackend.h"

#include <QString>

#include <vector>

class CMainDoc;

// What the preferences dialog edits: copies of the document's preferences
// and of the canvas's view settings. Nothing reaches the document, the
// canvas or the settings before OK.
struct PreferencesDialogState
{
    bool editMode = false;
    // The mode may change only with the output off and an empty page that
    // is not modified.
    bool canChangeMode = false;
    int modeIndex = 0;  // position in the mode list
    DocumentPreferences preferences;
    int largeToolbar = 0;
    int snapToGrid = 0;
    int gridStep = 8;
    int background = 0;       // 0 checkered, 1 solid
    int backgroundColor = 0;  // 0x00BBGGRR
    int marginH = 0;          // percent
    int marginV = 0;
};

// One entry of the "HDMI connection" list: "Auto" (no device name) first,
// then every output that can show 1920 x 1080 at 32 bits per pixel.
struct AdapterEntry
{
    QString text;
    QString deviceName;
};
std::vector<AdapterEntry> AdapterEntries(const std::vector<DisplayDeviceInfo>& devices);
// The entry of a stored device name, without regard to case; "Auto" when
// none has it.
int AdapterEntryOf(const std::vector<AdapterEntry>& entries, const QString& deviceName);

// The dialog's copies, from the document and the stored view settings.
PreferencesDialogState BuildPreferencesState(CMainDoc& doc);

// What OK changed for the views.
struct PreferencesApplied
{
    bool modeChanged = false;
    bool backgroundChanged = false;
};

// OK: the view settings (grid step clamped to 2..50, margins to 40) to the
// instance kind's sections, "LargeToolbar", and in the playout instance the
// document's preferences, stored. The views are told with view-update code
// 2, after which the canvas reads its settings and lays the page out again.
PreferencesApplied ApplyPreferencesState(CMainDoc& doc, const PreferencesDialogState& state);
