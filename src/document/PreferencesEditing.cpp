#include "document/PreferencesEditing.h"

#include "app/SettingsRegister.h"
#include "app/StringTable.h"
#include "document/MainDoc.h"
#include "render/display/VideoMode.h"

#include <algorithm>

namespace {

constexpr int kAutoText = 10214;
constexpr int kMarginMax = 40;
constexpr int kAdapterWidth = 1920;
constexpr int kAdapterHeight = 1080;

bool ShowsFullHd(const DisplayDeviceInfo& device)
{
    return std::any_of(device.modes.begin(), device.modes.end(), [](const DisplayModeInfo& mode) {
        return mode.width == kAdapterWidth && mode.height == kAdapterHeight && mode.bitsPerPixel == 32;
    });
}

}  // namespace

std::vector<AdapterEntry> AdapterEntries(const std::vector<DisplayDeviceInfo>& devices)
{
    std::vector<AdapterEntry> entries{{LoadText(kAutoText), QString()}};
    int number = 0;
    for (const DisplayDeviceInfo& device : devices) {
        if (!ShowsFullHd(device))
            continue;
        const QString monitor = device.monitors.empty() ? QString() : device.monitors.front().name;
        entries.push_back({QString::asprintf("%d. %s - %s", ++number, device.deviceString.toUtf8().constData(),
                                             monitor.toUtf8().constData()),
                           device.deviceName});
    }
    return entries;
}

int AdapterEntryOf(const std::vector<AdapterEntry>& entries, const QString& deviceName)
{
    for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].deviceName.compare(deviceName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return 0;
}

PreferencesDialogState BuildPreferencesState(CMainDoc& doc)
{
    PreferencesDialogState state;
    state.editMode = doc.EditMode();
    state.canChangeMode = doc.CanChangeMode();
    state.preferences = doc.Preferences();
    state.modeIndex = ListPositionOfMode(state.preferences.mode);
    state.largeToolbar = Read(settings::kLargeToolbar);
    state.snapToGrid = Read(settings::SnapToGrid(state.editMode));
    state.gridStep = Read(settings::GridStep(state.editMode));
    state.background = Read(settings::kBackground);
    state.backgroundColor = Read(settings::kBackgroundColor);
    state.marginH = Read(settings::kMarginH);
    state.marginV = Read(settings::kMarginV);
    return state;
}

PreferencesApplied ApplyPreferencesState(CMainDoc& doc, const PreferencesDialogState& state)
{
    PreferencesApplied applied;
    const bool editMode = doc.EditMode();
    const int marginH = std::clamp(state.marginH, 0, kMarginMax);
    const int marginV = std::clamp(state.marginV, 0, kMarginMax);
    applied.backgroundChanged = state.background != Read(settings::kBackground)
                                || state.backgroundColor != Read(settings::kBackgroundColor)
                                || marginH != Read(settings::kMarginH) || marginV != Read(settings::kMarginV);
    Write(settings::SnapToGrid(editMode), state.snapToGrid != 0 ? 1 : 0);
    Write(settings::GridStep(editMode), std::clamp(state.gridStep, settings::kGridStepMin, settings::kGridStepMax));
    Write(settings::kBackground, state.background != 0 ? 1 : 0);
    Write(settings::kBackgroundColor, state.backgroundColor);
    Write(settings::kMarginH, marginH);
    Write(settings::kMarginV, marginV);
    Write(settings::kLargeToolbar, state.largeToolbar != 0 ? 1 : 0);
    if (!editMode) {
        DocumentPreferences values = state.preferences;
        const int modeId = ModeIdAtListPosition(state.modeIndex);
        values.mode = modeId >= 0 ? modeId : doc.Preferences().mode;
        applied.modeChanged = doc.ApplyPreferences(values);
    }
    // The canvas reads its settings again (and lays out a new mode), the
    // grid and the navigator rebuild.
    emit doc.UpdateAllViews(kUpdatePreferences, {});
    return applied;
}
