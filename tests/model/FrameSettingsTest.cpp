#include "ChangedSettings.h"

#include "model/FrameSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

using ::testing::IsEmpty;

// The register must describe a record the page file can hold: every block
// field 4-aligned, inside the block and clear of the others and of the
// record's counts; strings numbered 0, 1, ... without gaps; each storage
// fitting its kind; names unique.
TEST(FrameSettings, RegisterDescribesAConsistentRecord)
{
    using namespace frame_record;
    std::map<int, std::string> bytesTaken;  // byte offset -> what holds it
    for (const int count : {kStringCountOffset, kRichTextSizeOffset, kFrameCountOffset, kHasTimerStopOffset})
        for (int i = 0; i < 4; ++i)
            bytesTaken[count + i] = "the record's counts";
    std::set<std::string> names;
    std::set<int> strings;
    for (const FrameSetting& s : FrameSettings()) {
        const std::string name = s.name;
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        EXPECT_LE(s.minimum, s.maximum) << name;
        EXPECT_TRUE(!s.clampedOnRead || s.Kind() == SettingKind::Int) << name;
        switch (s.storage) {
        case SettingStorage::Block:
        case SettingStorage::Timer: {
            const SettingKind kind = s.Kind();
            const bool plain = kind == SettingKind::Colour || kind == SettingKind::Rect;
            ASSERT_TRUE(kind == SettingKind::Int || (plain && s.storage == SettingStorage::Block)) << name;
            const int size = kind == SettingKind::Rect ? 16 : 4;
            EXPECT_EQ(s.position % 4, 0) << name;
            EXPECT_GE(s.position, 0) << name;
            EXPECT_LE(s.position + size, kBlockSize) << name;
            for (int i = 0; i < size; ++i) {
                const auto [at, added] = bytesTaken.emplace(s.position + i, name);
                EXPECT_TRUE(added) << name << " overlaps " << at->second << " at " << s.position + i;
            }
            break;
        }
        case SettingStorage::String:
            EXPECT_EQ(s.Kind(), SettingKind::String) << name;
            EXPECT_TRUE(strings.insert(s.position).second) << name << " shares string " << s.position;
            break;
        case SettingStorage::RichText:
            EXPECT_EQ(s.Kind(), SettingKind::RichText) << name;
            break;
        case SettingStorage::Frames:
            EXPECT_EQ(s.Kind(), SettingKind::Frames) << name;
            break;
        case SettingStorage::FrameSize:
            EXPECT_EQ(s.Kind(), SettingKind::Int) << name;
            break;
        }
    }
    ASSERT_FALSE(strings.empty());
    EXPECT_EQ(*strings.begin(), 0);
    EXPECT_EQ(*strings.rbegin(), int(strings.size()) - 1) << "strings numbered with a gap";
}

// A new object's values lie within the ranges the register gives, so an
// editor built on it can show every new object.
TEST(FrameSettings, NewObjectsLieWithinTheRanges)
{
    const CFrame fresh;
    for (const FrameSetting& s : FrameSettings()) {
        if (s.Kind() != SettingKind::Int)
            continue;
        const int value = fresh.*std::get<int CFrame::*>(s.member);
        EXPECT_GE(value, s.minimum) << s.name;
        EXPECT_LE(value, s.maximum) << s.name;
        if (s.unit == SettingUnit::Flag) {
            EXPECT_EQ(s.minimum, 0) << s.name;
            EXPECT_EQ(s.maximum, 1) << s.name;
        }
    }
}

// The round-trip tests rest on this object: it must differ from a new one
// in every setting the register lists.
TEST(FrameSettings, TestObjectChangesEverySetting)
{
    const auto changed = ObjectWithEverySettingChanged();
    const CFrame fresh;
    std::vector<std::string> unchanged;
    for (const FrameSetting& s : FrameSettings()) {
        if (DifferingSettings(*changed, fresh, [&](const FrameSetting& t) { return &t == &s; }).empty())
            unchanged.push_back(s.name);
    }
    EXPECT_THAT(unchanged, IsEmpty());
}

}  // namespace
