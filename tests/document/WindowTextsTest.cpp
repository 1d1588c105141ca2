// What the main window shows and keeps, decided without a window.
#include "app/MemorySettingsStore.h"
#include "document/LayoutSettings.h"
#include "document/TextFormatBoxes.h"
#include "document/WindowTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowTexts, TitleNamesTheInstanceKindAndKeepsATitlesOwnMark)
{
    EXPECT_EQ(MainWindowTitle(false, QStringLiteral("demo.tavrel")), QStringLiteral("Tavrel - demo.tavrel[*]"));
    EXPECT_EQ(MainWindowTitle(true, QStringLiteral("Untitled")), QStringLiteral("Tavrel Editor - Untitled[*]"));
    // Qt would take a file's own "[*]" for the modified mark.
    EXPECT_EQ(MainWindowTitle(false, QStringLiteral("a[*].tavrel")), QStringLiteral("Tavrel - a[*][*].tavrel[*]"));
}

TEST(WindowTexts, ScriptPaneTextAndIconFollowTheScriptState)
{
    struct Case
    {
        ScriptState state;
        ScriptStateKind kind;
        const char* text;
    };
    const Case cases[] = {
        {{}, kScriptNone, ""},
        {{true, false, QStringLiteral("news"), 0, 4}, kScriptLoaded, "script [news] loaded"},
        {{true, true, QStringLiteral("news"), 2, 4}, kScriptPlaying, "script [news] playing, step: 2 of 4"},
        {{true, false, QStringLiteral("100%"), 0, 1}, kScriptLoaded, "script [100%] loaded"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptStateKindOf(c.state), c.kind);
        EXPECT_EQ(ScriptStateText(c.state), QString::fromUtf8(c.text));
    }
}

TEST(WindowTexts, ProgramStateTooltips)
{
    EXPECT_EQ(ProgramStateToolTip(0), QStringLiteral("Idle"));
    EXPECT_EQ(ProgramStateToolTip(1), QStringLiteral("HDMI output is on"));
    EXPECT_EQ(ProgramStateToolTip(2), QStringLiteral("Edit mode"));
    EXPECT_EQ(ProgramStateToolTip(3), QStringLiteral("Preview mode"));
    EXPECT_TRUE(ProgramStateToolTip(4).isEmpty());
    EXPECT_TRUE(ProgramStateToolTip(-1).isEmpty());
}

TEST(LayoutSettings, EachInstanceKindKeepsItsOwnSectionWithTheDefaults)
{
    CMemorySettingsStore store;
    const QRect workArea(0, 24, 1920, 1056);
    CLayoutSettings playout(false, store);
    CLayoutSettings editor(true, store);
    EXPECT_EQ(playout.Placement(workArea), workArea);
    EXPECT_TRUE(playout.Maximized());
    EXPECT_EQ(playout.PaneWidth(), 200);
    EXPECT_EQ(playout.PropsWidth(), 300);
    EXPECT_EQ(playout.ThumbHeight(), 150);
    EXPECT_EQ(playout.PreviewHeight(), 200);

    CLayoutSettings::Closing closing;
    closing.normalGeometry = QRect(10, 20, 800, 600);
    closing.paneWidth = 250;
    closing.propsWidth = 280;
    closing.thumbHeight = 120;
    closing.previewHeight = 0;  // the preview row was closed: its height stays
    editor.StoreOnClose(closing);
    EXPECT_EQ(store.ReadInt(QStringLiteral("LayoutEdit"), QStringLiteral("Width"), 0), 800);
    EXPECT_EQ(editor.Placement(workArea), QRect(10, 20, 800, 600));
    EXPECT_FALSE(editor.Maximized());
    EXPECT_EQ(editor.PaneWidth(), 250);
    EXPECT_EQ(editor.ThumbHeight(), 120);
    EXPECT_EQ(editor.PreviewHeight(), 200);
    // The playout instance's layout is untouched.
    EXPECT_EQ(playout.Placement(workArea), workArea);
    EXPECT_EQ(playout.PaneWidth(), 200);
}

TEST(LayoutSettings, RowsCollapsedAtClosingKeepTheHeightsStoredWhenTheyCollapsed)
{
    CMemorySettingsStore store;
    CLayoutSettings layout(false, store);
    layout.StoreThumbHeight(170);  // the navigator came up
    layout.StorePreviewHeight(260);  // the preview went off
    CLayoutSettings::Closing closing;
    closing.normalGeometry = QRect(0, 0, 640, 480);
    closing.navigatorShown = true;
    closing.thumbHeight = 0;
    closing.previewHeight = 0;
    layout.StoreOnClose(closing);
    EXPECT_EQ(layout.ThumbHeight(), 170);
    EXPECT_EQ(layout.PreviewHeight(), 260);

    closing.navigatorShown = false;
    closing.thumbHeight = 90;
    closing.previewHeight = 310;
    layout.StoreOnClose(closing);
    EXPECT_EQ(layout.ThumbHeight(), 90);
    EXPECT_EQ(layout.PreviewHeight(), 310);
}

TEST(LayoutSettings, DamagedValuesGiveAUsableWindow)
{
    CMemorySettingsStore store;
    const QString section = QStringLiteral("Layout");
    store.WriteInt(section, QStringLiteral("Width"), 0);
    store.WriteInt(section, QStringLiteral("PaneWidth"), -40);
    store.WriteInt(section, QStringLiteral("PreviewHeight"), -1);
    CLayoutSettings layout(false, store);
    const QRect workArea(0, 0, 1280, 800);
    EXPECT_EQ(layout.Placement(workArea), workArea);
    EXPECT_EQ(layout.PaneWidth(), 0);
    EXPECT_EQ(layout.PreviewHeight(), 0);
}

TEST(TextFormatBoxes, TypedFontSizesFrom8To200AreTaken)
{
    struct Case
    {
        const char* typed;
        int taken;  // 0: the box empties
    };
    const Case cases[] = {{"8", 8}, {"200", 200}, {" 24 ", 24}, {"7", 0}, {"201", 0}, {"250", 0},
                          {"240", 0}, {"", 0}, {"12pt", 0}, {"-10", 0}, {"1e2", 0}};
    for (const Case& c : cases) {
        const std::optional<int> size = AcceptTypedFontSize(QString::fromLatin1(c.typed));
        EXPECT_EQ(size.value_or(0), c.taken) << c.typed;
    }
    // The list offers 240, which only the list can give.
    const auto sizes = FontSizeChoices();
    EXPECT_EQ(sizes.front(), 10);
    EXPECT_EQ(sizes.back(), 240);
    EXPECT_EQ(sizes.size(), 22u);
}

}  // namespace
