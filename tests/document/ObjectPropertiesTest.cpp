// The object properties without a window: what each property shows, what a
// change is validated to, which properties may change, and writing the
// copy back as one undo step.
#include "DocumentTestSupport.h"

#include "app/StringTable.h"
#include "document/CommandIds.h"
#include "document/ObjectProperties.h"
#include "model/FrameSettings.h"

#include <gtest/gtest.h>

#include <set>

using namespace doctest;

namespace {

CObjectProperties::FileChooser Answer(std::optional<QString> path, QString* filterSeen = nullptr)
{
    return [path, filterSeen](const QString& filter, const QString&) {
        if (filterSeen != nullptr)
            *filterSeen = filter;
        return path;
    };
}

TEST(ObjectProperties, EveryPropertyHasItsTextsAndItsListsTheRegistersRange)
{
    std::set<int> seen;
    CObjectProperties props;
    CFrame object;
    props.Fill(&object, 1, {});
    for (const ObjectProperty& property : ObjectPropertyTable()) {
        SCOPED_TRACE(property.k);
        EXPECT_TRUE(seen.insert(property.k).second);
        EXPECT_FALSE(BuiltInText(PropertyNameText(property.k)).isEmpty());
        EXPECT_FALSE(BuiltInText(PropertyHelpText(property.k)).isEmpty());
        EXPECT_FALSE(BuiltInText(PropertyGroupText(property.group)).isEmpty());
        if (property.setting != nullptr) {
            EXPECT_NE(SettingOfProperty(property), nullptr) << property.setting;
        }
        if (property.editor == PropertyEditor::FixedList) {
            const FrameSetting* setting = SettingOfProperty(property);
            const QStringList entries = props.Entries(property.k);
            EXPECT_EQ(entries.size(), setting->maximum - setting->minimum + 1);
            EXPECT_FALSE(entries.contains(QString()));
        }
    }
    EXPECT_EQ(seen.size(), 44u);  // 1..46 without the switcher button (35) and 37
    EXPECT_EQ(props.Entries(25).value(30), QStringLiteral("Reveal from Center to corners"));
    EXPECT_EQ(props.Entries(31).value(19), QStringLiteral("Stretch to Center from corners"));
    EXPECT_EQ(props.Entries(42).value(11), QStringLiteral("Alt+0"));
    EXPECT_EQ(props.Entries(42).value(10), QStringLiteral("Ctrl+9"));
}

TEST(ObjectProperties, TypedValuesAreValidatedAndShownInTheirForm)
{
    CFrame object;
    object.backgroundColor = 0x80123456u;  // alpha 128
    object.hotkey = 3;
    CObjectProperties props;
    props.Fill(&object, 4, {QStringLiteral("News")});
    EXPECT_EQ(props.Value(1).toString(), QStringLiteral("4"));
    EXPECT_EQ(props.Value(8).toInt(), 49);
    EXPECT_EQ(props.Value(42).toString(), QStringLiteral("Ctrl+2"));
    EXPECT_EQ(props.Value(7).value<QColor>(), QColor(0x56, 0x34, 0x12));

    struct Case
    {
        int k;
        QVariant typed;
        PropertyChange result;
        QVariant shown;  // afterwards
    };
    const Case cases[] = {
        {24, QStringLiteral("1.5"), PropertyChange::Changed, QStringLiteral("1.500")},
        {24, QStringLiteral("1,500"), PropertyChange::Unchanged, QStringLiteral("1.500")},
        {26, QStringLiteral("2"), PropertyChange::Changed, QStringLiteral("2")},
        {26, QStringLiteral("0"), PropertyChange::Changed, QString()},
        {32, QStringLiteral("1.001"), PropertyChange::Changed, QStringLiteral("1.001")},
        {23, QStringLiteral("24:00:00"), PropertyChange::Refused, QStringLiteral("00:00:00")},
        {23, QStringLiteral("1:00:00"), PropertyChange::Refused, QStringLiteral("00:00:00")},
        {23, QStringLiteral("12:60:00"), PropertyChange::Refused, QStringLiteral("00:00:00")},
        {23, QStringLiteral("23:59:59"), PropertyChange::Changed, QStringLiteral("23:59:59")},
        {9, 101, PropertyChange::Refused, 0},
        {9, 50, PropertyChange::Changed, 50},
        {8, 49, PropertyChange::Unchanged, 49},  // alpha 128 stays 128
        {8, 100, PropertyChange::Changed, 100},
        {7, QColor(0x56, 0x34, 0x12), PropertyChange::Unchanged, QColor(0x56, 0x34, 0x12)},
        {7, QColor(255, 0, 0), PropertyChange::Changed, QColor(255, 0, 0)},
        {41, QStringLiteral("  Weather "), PropertyChange::Changed, QStringLiteral("Weather")},
        {42, QStringLiteral("alt+5"), PropertyChange::Changed, QStringLiteral("Alt+5")},
        {42, QStringLiteral("Shift+1"), PropertyChange::Changed, QString()},  // no entry: -1
        {11, 2, PropertyChange::Changed, 2},
        {11, 3, PropertyChange::Refused, 2},
        {1, QStringLiteral("9"), PropertyChange::Refused, QStringLiteral("4")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(props.Change(c.k, c.typed, {}), c.result) << c.k << " " << c.typed.toString().toStdString();
        EXPECT_EQ(props.Value(c.k), c.shown) << c.k << " " << c.typed.toString().toStdString();
    }
    const CFrame& s = props.Settings();
    EXPECT_EQ(s.startDelay, 1500);
    EXPECT_EQ(s.inDuration, 0);
    EXPECT_EQ(s.outDuration, 1001);
    EXPECT_EQ(s.textAlpha, 127);
    EXPECT_EQ(s.backgroundColor >> 24, 0u);
    EXPECT_EQ(s.backgroundColor & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(s.speed, kSpeedFast);
    EXPECT_EQ(s.hotkey, -1);
    EXPECT_EQ(s.timerStart, 23 * 3600 + 59 * 60 + 59);
    // The object itself has not changed.
    EXPECT_EQ(object.startDelay, 0);
}

TEST(ObjectProperties, SourceAndDirectionChangesCarryTheirRules)
{
    CFrame object;
    object.movement = kMovementScroll;
    object.timerStart = 60;
    object.timerStop = 120;
    CObjectProperties props;
    props.Fill(&object, 1, {});

    // A file source asks for its file first; Cancel keeps the source.
    QString filter;
    EXPECT_EQ(props.Change(14, kSourceCsvFile, Answer(std::nullopt, &filter)), PropertyChange::Refused);
    EXPECT_EQ(props.Value(14).toInt(), kSourceObjectText);
    EXPECT_EQ(filter, QStringLiteral("CSV files (*.csv)"));
    EXPECT_EQ(props.Change(14, kSourceCsvFile, Answer(QStringLiteral("/data/results.csv"))), PropertyChange::Changed);
    EXPECT_EQ(props.Value(16).toString(), QStringLiteral("/data/results.csv"));
    EXPECT_EQ(props.Value(10).toInt(), kMovementScroll);
    // The clock cannot move: the movement becomes Fixed.
    EXPECT_EQ(props.Change(14, kSourceClock, {}), PropertyChange::Changed);
    EXPECT_EQ(props.Value(10).toInt(), kMovementFixed);
    EXPECT_EQ(props.Value(16).toString(), QString());  // no file for a clock
    EXPECT_EQ(props.Change(14, kSourceClock, {}), PropertyChange::Unchanged);

    // Up to Down exchanges the times.
    EXPECT_EQ(props.Change(22, kTimerDown, {}), PropertyChange::Changed);
    EXPECT_EQ(props.Value(23).toString(), QStringLiteral("00:02:00"));
    EXPECT_EQ(props.Value(46).toString(), QStringLiteral("00:01:00"));
    EXPECT_EQ(props.Change(22, kTimerDown, {}), PropertyChange::Unchanged);
}

TEST(ObjectProperties, EnablingFollowsSourceMovementAndBackground)
{
    struct Case
    {
        const char* what;
        int source;
        int movement;
        bool animation;
        std::set<int> enabled;  // of the properties that have a rule
    };
    // Properties whose enabling depends on something.
    const std::set<int> ruled{7, 8, 36, 43, 44, 11, 12, 13, 39, 30, 10, 28, 29, 17, 19, 20, 15, 21, 22, 23, 46, 18, 16, 40};
    const Case cases[] = {
        {"typed text, fixed, solid", kSourceObjectText, kMovementFixed, false, {7, 8, 10, 28, 29}},
        {"clock, fixed, solid", kSourceClock, kMovementFixed, false, {7, 8, 15, 28, 29}},
        {"timer", kSourceTimer, kMovementFixed, false, {7, 8, 21, 22, 23, 46, 28, 29}},
        {"text file, fixed", kSourceTextFile, kMovementFixed, false, {7, 8, 10, 17, 18, 16, 40, 28, 29}},
        {"RTF file, scrolling", kSourceRtfFile, kMovementScroll, false, {7, 8, 10, 11, 12, 13, 39, 30, 16, 28, 29}},
        {"CSV file, rolling, animation", kSourceCsvFile, kMovementRoll, true, {36, 10, 11, 12, 13, 39, 30, 17, 19, 20, 16, 28, 29}},
    };
    for (const Case& c : cases) {
        CFrame object;
        object.textSource = c.source;
        object.movement = c.movement;
        if (c.animation) {
            object.backgroundType = kBackgroundPicture;
            object.backgroundFrames.resize(2);
        }
        CObjectProperties props;
        props.Fill(&object, 1, {});
        for (const int k : ruled)
            EXPECT_EQ(props.Enabled(k), c.enabled.count(k) == 1) << c.what << ": " << k;
    }
    // Show for waits for the moving text only when told to.
    CFrame moving;
    moving.movement = kMovementScroll;
    moving.showWhileMoving = 1;
    CObjectProperties props;
    props.Fill(&moving, 1, {});
    EXPECT_FALSE(props.Enabled(28));
    // A linked picture: the link and its file.
    CFrame linked;
    linked.backgroundType = kBackgroundPicture;
    linked.backgroundFrames.resize(1);
    linked.imageFileName = QStringLiteral("logo.png");
    linked.linkImageFile = 1;
    props.Fill(&linked, 1, {});
    EXPECT_TRUE(props.Enabled(43));
    EXPECT_TRUE(props.Enabled(44));
    EXPECT_FALSE(props.Failed(44));
    linked.backgroundError = 1;
    props.Fill(&linked, 1, {});
    EXPECT_FALSE(props.Enabled(43));
    EXPECT_TRUE(props.Failed(44));
    // No selection: nothing changes, the values stay.
    props.Fill(nullptr, 0, {});
    EXPECT_FALSE(props.Enabled(38));
    EXPECT_EQ(props.Value(44).toString(), QStringLiteral("logo.png"));
    EXPECT_EQ(props.Change(38, true, {}), PropertyChange::Refused);
}

TEST(ObjectProperties, ApplyingWritesTheWholeCopyAsOneUndoStep)
{
    DocumentFixture f;
    f.doc->OnCommand(cmd::kHdmiOutput);
    ASSERT_TRUE(f.doc->page.outputActive.load());
    CFrame* object = f.AddObject();
    object->showIndefinitely = 0;
    object->showFor = 3000;
    object->playing.store(1);  // on air
    f.doc->SetSelection(object);
    f.doc->SetModifiedFlag(false);
    int updates = 0;
    QRect hint;
    QObject::connect(f.doc.get(), &CMainDoc::UpdateAllViews, [&](int code, QRect rect) {
        if (code == kUpdatePage) {
            ++updates;
            hint = rect;
        }
    });

    CObjectProperties props;
    props.Fill(object, 1, {});
    ASSERT_EQ(props.Change(28, QString(), {}), PropertyChange::Changed);  // Show for emptied
    ASSERT_EQ(props.Change(38, true, {}), PropertyChange::Changed);
    ASSERT_EQ(props.Change(14, kSourceClock, {}), PropertyChange::Changed);
    const size_t steps = f.doc->Undo().undoSteps.size();
    const int editingEnded = f.host.textEditingEnded;
    props.ApplyTo(*f.doc, *object);
    EXPECT_EQ(f.host.textEditingEnded, editingEnded + 1);

    EXPECT_EQ(object->playing.load(), 0);  // stopped before it was rewritten
    EXPECT_EQ(f.doc->Undo().undoSteps.size(), steps + 1);
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_EQ(object->showFor, 0);
    EXPECT_EQ(object->showIndefinitely, 1);  // nothing else limits the showing
    EXPECT_EQ(object->locked, 1);
    EXPECT_EQ(object->textSource, kSourceClock);
    EXPECT_FALSE(object->richText.isEmpty());  // the clock's template text
    EXPECT_GE(updates, 1);
    EXPECT_EQ(hint, ToQRect(object->rect));

    // One undo brings all of it back.
    ASSERT_TRUE(f.doc->UndoObjectEdit(1));
    CFrame* restored = f.doc->Selection();
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->showFor, 3000);
    EXPECT_EQ(restored->showIndefinitely, 0);
    EXPECT_EQ(restored->locked, 0);
    EXPECT_EQ(restored->textSource, kSourceObjectText);
}

}  // namespace
