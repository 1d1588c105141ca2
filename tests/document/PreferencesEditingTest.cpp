// The preferences dialog's rules without a window: the adapter list, what
// the dialog starts from, and what OK stores where.
#include "DocumentTestSupport.h"

#include "app/SettingsRegister.h"
#include "document/CommandIds.h"
#include "document/PreferencesEditing.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

DisplayDeviceInfo Device(const char* name, const char* adapter, const char* monitor, int width, int height)
{
    DisplayDeviceInfo device;
    device.deviceName = QString::fromLatin1(name);
    device.deviceString = QString::fromLatin1(adapter);
    if (monitor != nullptr)
        device.monitors.push_back({device.deviceName, QString::fromLatin1(monitor), 0});
    device.modes.push_back({width, height, 32, 50, false});
    return device;
}

TEST(PreferencesEditing, TheAdapterListHoldsOutputsThatShowFullHd)
{
    const std::vector<DisplayDeviceInfo> devices{
        Device("DP-1", "Intel UHD", "Studio monitor", 2560, 1440),  // no 1920 x 1080
        Device("HDMI-1", "Intel UHD", "Key/fill encoder", 1920, 1080),
        Device("HDMI-2", "Radeon", nullptr, 1920, 1080),
    };
    const std::vector<AdapterEntry> entries = AdapterEntries(devices);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, QStringLiteral("Auto"));
    EXPECT_TRUE(entries[0].deviceName.isEmpty());
    EXPECT_EQ(entries[1].text, QStringLiteral("1. Intel UHD - Key/fill encoder"));
    EXPECT_EQ(entries[2].text, QStringLiteral("2. Radeon - "));
    EXPECT_EQ(AdapterEntryOf(entries, QStringLiteral("hdmi-2")), 2);
    EXPECT_EQ(AdapterEntryOf(entries, QStringLiteral("DP-1")), 0);
    EXPECT_EQ(AdapterEntryOf(entries, QString()), 0);
}

TEST(PreferencesEditing, TheModeMayChangeOnlyOnAnEmptyUnmodifiedPageWithTheOutputOff)
{
    DocumentFixture f;
    EXPECT_TRUE(BuildPreferencesState(*f.doc).canChangeMode);
    struct Case
    {
        const char* what;
        std::function<void()> make;
        std::function<void()> undo;
    };
    const Case cases[] = {
        {"modified", [&] { f.doc->SetModifiedFlag(true); }, [&] { f.doc->SetModifiedFlag(false); }},
        {"an object", [&] { f.AddObject(); }, [&] { f.doc->OnNewDocument(); }},
        {"output on", [&] { f.doc->OnCommand(cmd::kHdmiOutput); }, [&] { f.doc->OnCommand(cmd::kHdmiOutput); }},
    };
    for (const Case& c : cases) {
        c.make();
        EXPECT_FALSE(BuildPreferencesState(*f.doc).canChangeMode) << c.what;
        c.undo();
        EXPECT_TRUE(BuildPreferencesState(*f.doc).canChangeMode) << c.what;
    }
}

TEST(PreferencesEditing, OkClampsAndStoresByInstanceKind)
{
    for (const bool editMode : {false, true}) {
        SCOPED_TRACE(editMode ? "editor instance" : "playout instance");
        DocumentFixture f(editMode);
        int preferencesUpdates = 0;
        QObject::connect(f.doc.get(), &CMainDoc::UpdateAllViews, [&](int code, QRect) {
            preferencesUpdates += code == kUpdatePreferences ? 1 : 0;
        });
        PreferencesDialogState state = BuildPreferencesState(*f.doc);
        EXPECT_EQ(state.gridStep, 8);
        state.snapToGrid = 1;
        state.gridStep = 1;  // stores 2
        state.marginH = 55;  // stores 40
        state.marginV = 40;
        state.background = 1;
        state.backgroundColor = 0x00336699;
        state.largeToolbar = 1;
        state.modeIndex = 6;  // 720p50
        state.preferences.defaultTreeAction = 4;
        state.preferences.rootFolder = f.Path(QStringLiteral("Elsewhere")) + QLatin1Char('/');
        const PreferencesApplied applied = ApplyPreferencesState(*f.doc, state);

        const ISettingsStore& store = Settings();
        const QString grid = QLatin1String(editMode ? "View" : "ViewEdit");
        EXPECT_EQ(store.ReadInt(grid, QStringLiteral("SnapToGrid"), 0), 1);
        EXPECT_EQ(store.ReadInt(grid, QStringLiteral("GridStep"), 0), 2);
        // Shared by both kinds of instance.
        EXPECT_EQ(Read(settings::kMarginH), 40);
        EXPECT_EQ(Read(settings::kMarginV), 40);
        EXPECT_EQ(Read(settings::kBackground), 1);
        EXPECT_EQ(Read(settings::kBackgroundColor), 0x00336699);
        EXPECT_EQ(Read(settings::kLargeToolbar), 1);
        EXPECT_TRUE(applied.backgroundChanged);
        // The output settings belong to the playout instance alone.
        EXPECT_EQ(applied.modeChanged, !editMode);
        EXPECT_EQ(Read(settings::kMode), editMode ? 0 : 5);
        EXPECT_EQ(f.doc->Preferences().defaultTreeAction, editMode ? 0 : 4);
        EXPECT_EQ(preferencesUpdates, 1);

        state.gridStep = 99;  // stores 50
        ApplyPreferencesState(*f.doc, state);
        EXPECT_EQ(store.ReadInt(grid, QStringLiteral("GridStep"), 0), 50);
    }
}

}  // namespace
