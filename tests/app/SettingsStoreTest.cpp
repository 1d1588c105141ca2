#include "TestEnvironment.h"

#include "app/MemorySettingsStore.h"
#include "app/QSettingsStore.h"
#include "app/SettingsRegister.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Both stores must behave the same for the owners of the values.
template <typename Store>
class SettingsStores : public ::testing::Test
{
protected:
    std::unique_ptr<ISettingsStore> Make()
    {
        if constexpr (std::is_same_v<Store, CQSettingsStore>)
            return std::make_unique<CQSettingsStore>(folder_.filePath(QStringLiteral("Tavrel.conf")));
        else
            return std::make_unique<Store>();
    }
    QTemporaryDir folder_;
};
using StoreTypes = ::testing::Types<CQSettingsStore, CMemorySettingsStore>;
TYPED_TEST_SUITE(SettingsStores, StoreTypes);

TYPED_TEST(SettingsStores, MissingValuesYieldTheCallersDefault)
{
    auto store = this->Make();
    EXPECT_EQ(store->ReadInt("Preferences", "Mode", 7), 7);
    EXPECT_EQ(store->ReadString("Preferences", "RootFolder", "x"), QStringLiteral("x"));
    EXPECT_EQ(Read(settings::kFullHdmiRange, *store), 1);
    EXPECT_EQ(Read(settings::kFirstTimeSetup, *store), 1);
    EXPECT_EQ(Read(settings::GridStep(false), *store), 8);
    EXPECT_EQ(Read(settings::ZoomFactor(true), *store), 3);
    EXPECT_EQ(Read(settings::kLanguageId, *store), -1);
    EXPECT_EQ(Read(settings::kAdapter, *store), -1);
    EXPECT_EQ(Read(settings::kDevice, *store), QStringLiteral("auto"));
}

TYPED_TEST(SettingsStores, ValuesRoundTripBySectionAndName)
{
    auto store = this->Make();
    const QString tricky = QStringLiteral("/srv/pages, news; \"quoted\" Ärger/");
    Write(settings::kRootFolder, tricky, *store);
    Write(settings::kMode, 12, *store);
    Write(settings::kBackgroundColor, static_cast<int>(0xFF80FF00u), *store);
    store->WriteInt(settings::AutomationItemSection(3), settings::kItemHour, 23);
    EXPECT_EQ(Read(settings::kRootFolder, *store), tricky);
    EXPECT_EQ(Read(settings::kMode, *store), 12);
    EXPECT_EQ(static_cast<quint32>(Read(settings::kBackgroundColor, *store)), 0xFF80FF00u);
    EXPECT_EQ(store->ReadInt(QStringLiteral("Item_3"), QStringLiteral("Hour"), 0), 23);
    // Same name in another section is another value.
    EXPECT_EQ(store->ReadInt(QStringLiteral("View"), QStringLiteral("Mode"), -5), -5);
}

TEST(QSettingsStore, SectionsAreIniGroupsInTheUsersConfigFolder)
{
    CQSettingsStore store;  // the application's own store
    Write(settings::GridStep(false), 16, store);
    Write(settings::GridStep(true), 4, store);
    store.Flush();
    const QString path = store.FileName();
    EXPECT_EQ(path, testenv::ConfigHome() + QStringLiteral("/Quellmark/Tavrel.conf"));

    QSettings ini(path, QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("ViewEdit/GridStep")).toInt(), 16);
    EXPECT_EQ(ini.value(QStringLiteral("View/GridStep")).toInt(), 4);
}

TEST(QSettingsStore, DamagedValuesReadAsTheirDefault)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Tavrel.conf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Preferences]\nMode=twelve\nAuto=99999999999\nFullHDMIRange=-3\n\x01\x02garbage\n[Debug\nLog=1\n");
    file.close();
    CQSettingsStore store(path);
    EXPECT_EQ(Read(settings::kMode, store), 0);
    EXPECT_EQ(Read(settings::kAuto, store), 0);
    EXPECT_EQ(Read(settings::kFullHdmiRange, store), -3);
}

TEST(SettingsRegister, InstanceKindChoosesTheSections)
{
    EXPECT_STREQ(settings::SnapToGrid(false).section, "ViewEdit");
    EXPECT_STREQ(settings::SnapToGrid(true).section, "View");
    EXPECT_STREQ(settings::Maximize(false).section, "Layout");
    EXPECT_STREQ(settings::Maximize(true).section, "LayoutEdit");
    EXPECT_STREQ(settings::kLargeToolbar.section, "Layout");
    EXPECT_EQ(settings::ColumnWidthName(4), QStringLiteral("ColWidth4"));
}

}  // namespace
