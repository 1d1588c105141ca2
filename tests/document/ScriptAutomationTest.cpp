#include "DocumentTestSupport.h"

#include "app/SettingsRegister.h"
#include "document/CommandIds.h"
#include "document/RenderOutputEngine.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace doctest;

namespace {

QString WriteScript(DocumentFixture& f, const QString& name, const QByteArray& body)
{
    const QString path = f.Path(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(body);
    return path;
}

CFrameScriptSchedule Entry(const QString& file)
{
    CFrameScriptSchedule entry(ScheduleTime::FromDateTime(QDateTime(QDate(2026, 1, 1), QTime(0, 0))));
    entry.file = file;
    return entry;
}

}  // namespace

TEST(DocumentScripts, LoadingReportsFailuresAndTheStatus)
{
    DocumentFixture f;
    f.Tick();  // the first tick runs the start-up step
    const QString bad = WriteScript(f, QStringLiteral("Bad.script"), "<script><item type=\"12\"/></script>");
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.host.scriptFile = bad;
    f.doc->OnCommand(cmd::kScriptPlay);  // no script loaded: the chooser
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text, QStringLiteral("Error: File open failed!\n\n") + bad);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0);

    const QString good = WriteScript(f, QStringLiteral("Morning.script"),
                                     "<script loop=\"1\"><item type=\"2\"/><item type=\"7\"/></script>");
    f.host.scriptFile = good;
    f.doc->OnCommand(cmd::kScriptPlay);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 1);
    ASSERT_FALSE(f.host.scriptStates.empty());
    const ScriptState started{true, true, QStringLiteral("Morning"), 1, 2};
    EXPECT_EQ(f.host.scriptStates.back(), started);
    CFrame* o = f.AddObject();
    f.Tick();
    EXPECT_EQ(o->playing.load(), 1);
    const ScriptState waiting{true, true, QStringLiteral("Morning"), 2, 2};
    EXPECT_EQ(f.host.scriptStates.back(), waiting) << "step 2 of 2 during the wait";
    f.doc->OnCommand(cmd::kScriptStop);
    EXPECT_FALSE(f.host.scriptStates.back().running);
}

TEST(DocumentScripts, WhatStopsARunningScript)
{
    struct Case
    {
        const char* what;
        std::function<void(DocumentFixture&)> action;
    };
    const Case cases[] = {
        {"an edit marks the page modified", [](DocumentFixture& f) { f.doc->SetModifiedFlag(); }},
        {"the output goes off", [](DocumentFixture& f) { f.doc->OnCommand(cmd::kHdmiOutput); }},
        {"a dialog is open at a tick", [](DocumentFixture& f) { f.host.dialogOpen = true; }},
        {"the output fails", [](DocumentFixture& f) { f.Engine()->Fail(kRenderFrameFailed); }},
        {"New", [](DocumentFixture& f) { f.doc->OnCommand(cmd::kFileNew); }},
        {"an object hotkey that made objects react", [](DocumentFixture& f) { f.doc->HotkeyPressed(5); }},
        {"pages-pane Rename", [](DocumentFixture& f) {
             f.doc->PagesPane().SetSelection(f.Path(QStringLiteral("x.tavrel")));
             f.doc->OnCommand(cmd::kPagesRename);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        f.AddObject(Recipe().Hotkey(5));
        f.doc->OnCommand(cmd::kHdmiOutput);
        f.doc->script.Append({CFrameScriptItem::kWaitPeriod, {}, 60});
        f.doc->ScriptStart();
        f.Tick();
        ASSERT_EQ(f.doc->Runner().scriptRunning, 1);
        c.action(f);
        f.Tick();
        EXPECT_EQ(f.doc->Runner().scriptRunning, 0);
        EXPECT_FALSE(f.host.scriptStates.back().running);
    }
}

TEST(DocumentScripts, PageStepsLeaveTheDocumentUntitledAndRunning)
{
    DocumentFixture f;
    f.Tick();  // the first tick runs the start-up step
    const QString page = f.WritePageFile(QStringLiteral("Show.tavrel"), {Recipe().Group(QStringLiteral("A")), {}});
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.doc->script.Append({CFrameScriptItem::kLoadPage, page, 0});
    f.doc->script.Append({CFrameScriptItem::kPlay, {}, 0});
    f.doc->script.Append({CFrameScriptItem::kDelete, QStringLiteral("A"), 0});
    f.doc->script.Append({CFrameScriptItem::kWaitPeriod, {}, 10});
    f.AddObject(Recipe().Locked());
    f.doc->SetModifiedFlag(false);
    f.doc->ScriptStart();
    f.Tick();
    EXPECT_EQ(f.doc->Runner().scriptRunning, 1);
    EXPECT_EQ(f.doc->Runner().scriptStep, 3);
    EXPECT_EQ(f.doc->page.LiveCount(), 1) << "load replaced the locked object; delete took group A";
    EXPECT_EQ(f.Live()[0]->playing.load(), 1);
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(f.doc->Title(), QStringLiteral("Untitled"));
    EXPECT_TRUE(f.host.questions.empty()) << "a script never asks to save";
}

TEST(DocumentScripts, UnreadablePageStopsTheScriptInsideItsMessageBox)
{
    DocumentFixture f;
    f.Tick();  // the first tick runs the start-up step
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.doc->script.Append({CFrameScriptItem::kLoadPage, f.Path(QStringLiteral("missing.tavrel")), 0});
    f.doc->script.Append({CFrameScriptItem::kPlay, {}, 0});
    f.doc->script.Append({CFrameScriptItem::kWaitPeriod, {}, 10});
    // The message box runs a nested loop in which the timer keeps ticking.
    int nestedTicks = 0;
    f.host.onMessage = [&](const CUserMessage&) {
        f.host.dialogOpen = true;
        ++nestedTicks;
        f.Tick();
        f.host.dialogOpen = false;
    };
    f.doc->ScriptStart();
    f.Tick();
    EXPECT_EQ(nestedTicks, 1);
    EXPECT_EQ(f.host.MessageIds(), std::vector<int>{10311});
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0);
    EXPECT_EQ(f.doc->Runner().scriptStep, 1) << "the load counts as done";
}

TEST(DocumentAutomation, TimeTriggersAcrossMidnightAndWeekdays)
{
    DocumentFixture f;
    const QString script = WriteScript(f, QStringLiteral("Night.script"), "<script><item type=\"8\" idata=\"600\"/></script>");
    const QString other = WriteScript(f, QStringLiteral("Other.script"), "<script><item type=\"8\" idata=\"600\"/></script>");
    CFrameScriptSchedule tuesday = Entry(script);
    tuesday.playOnTime = 1;
    tuesday.weekdays = 1 << 1;  // Tuesday only
    f.doc->automation.Add(tuesday);
    CFrameScriptSchedule alsoDue = Entry(other);  // due at the same second, higher index
    alsoDue.playOnTime = 1;
    f.doc->automation.Add(alsoDue);
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.Tick();  // start-up step

    // Monday 23:59:58 to Tuesday 00:00:01 in 200 ms ticks.
    f.clock.SetLocalTime(QDateTime(QDate(2026, 3, 2), QTime(23, 59, 58)));
    // Each start sets a new start tick of the script's one (long) wait.
    std::vector<QString> starts;
    uint32_t lastStart = 0;
    for (int i = 0; i < 15; ++i) {
        f.Tick();
        if (f.doc->Runner().scriptRunning && f.doc->Runner().stepStartTick != lastStart) {
            lastStart = f.doc->Runner().stepStartTick;
            starts.push_back(f.doc->script.fileName);
        }
    }
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], script) << "the lower index wins";
    EXPECT_EQ(f.clock.LocalTime().dayOfWeek, 2);

    // The daily entry does not fire on Wednesday; only the every-day one does.
    f.doc->ScriptStop();
    f.clock.SetLocalTime(QDateTime(QDate(2026, 3, 3), QTime(23, 59, 59)));
    for (int i = 0; i < 10; ++i)
        f.Tick();
    EXPECT_EQ(f.doc->script.fileName, other);

    // A trigger while the page is modified is lost, also afterwards.
    f.doc->ScriptStop();
    f.doc->script.Clear();
    f.doc->SetModifiedFlag();
    f.clock.SetLocalTime(QDateTime(QDate(2026, 3, 4), QTime(23, 59, 59)));
    for (int i = 0; i < 6; ++i)
        f.Tick();
    f.doc->SetModifiedFlag(false);
    for (int i = 0; i < 6; ++i)
        f.Tick();
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0);
    EXPECT_TRUE(f.doc->script.fileName.isEmpty());
}

TEST(DocumentAutomation, OnceOnlyOnItsDateAndRestartsARunningScript)
{
    DocumentFixture f;
    const QString script =
        WriteScript(f, QStringLiteral("Once.script"), "<script><item type=\"8\" idata=\"1\"/><item type=\"8\" idata=\"600\"/></script>");
    CFrameScriptSchedule once = Entry(script);
    once.playOnTime = 1;
    once.playOnce = 1;
    once.startTime.year = 2026;
    once.startTime.month = 3;
    once.startTime.day = 5;
    once.startTime.hour = 8;
    f.doc->automation.Add(once);
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.Tick();

    f.clock.SetLocalTime(QDateTime(QDate(2026, 3, 4), QTime(7, 59, 59)));
    for (int i = 0; i < 10; ++i)
        f.Tick();
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0) << "not the day before";
    f.clock.SetLocalTime(QDateTime(QDate(2026, 3, 5), QTime(7, 59, 59)));
    for (int i = 0; i < 10; ++i)
        f.Tick();
    EXPECT_EQ(f.doc->Runner().scriptRunning, 1);
    EXPECT_EQ(f.doc->Runner().scriptStep, 1);

    // Triggered again while it runs, it starts over from the first step.
    f.doc->AutomationStartScript(1);
    EXPECT_EQ(f.doc->Runner().scriptStep, 0);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 1);
}

TEST(DocumentAutomation, StartupStep)
{
    struct Case
    {
        const char* what;
        bool editMode;
        bool hostHasWizard;
        int firstTimeSetup;
        int autoOutput;
        bool outputOn;
        bool scriptRunning;
        int wizardRuns;
        size_t registered;
    };
    const Case cases[] = {
        {"plain start registers the global hotkeys", false, true, 0, 0, false, false, 0, 1},
        {"output on at start-up starts the start-up entry", false, true, 0, 1, true, true, 0, 1},
        {"first run shows the wizard instead", false, true, 1, 1, false, false, 1, 0},
        {"first run without a wizard starts as usual", false, false, 1, 1, true, true, 0, 1},
        {"editor instance does none of it", true, true, 0, 1, false, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        const QString script = WriteScript(f, QStringLiteral("Start.script"), "<script><item type=\"8\" idata=\"60\"/></script>");
        CFrameScriptScheduleArray list;
        list.At(0).file = script;
        CFrameScriptSchedule hot = Entry(script);
        hot.hotkey = 11;
        hot.global = 1;
        list.Add(hot);
        list.SaveToSettings();
        Write(settings::kFirstTimeSetup, c.firstTimeSetup);
        Write(settings::kAuto, c.autoOutput);
        if (!c.hostHasWizard)
            f.host.features.erase(HostFeature::kSetupWizard);
        f.MakeDocument(c.editMode);
        f.Tick();
        EXPECT_EQ(f.doc->OutputOn(), c.outputOn);
        EXPECT_EQ(f.doc->Runner().scriptRunning, c.scriptRunning ? 1 : 0);
        EXPECT_EQ(f.host.wizardRuns, c.wizardRuns);
        EXPECT_EQ(f.hotkeys.registered.size(), c.registered);
        f.Tick();
        EXPECT_EQ(f.host.wizardRuns, c.wizardRuns) << "only the first tick";
        EXPECT_EQ(Read(settings::kFirstTimeSetup), c.firstTimeSetup) << "the wizard's to clear, once there is one";
    }
}

// With the output switched on at start-up, the start-up script's first
// step comes at the next tick: the real renderer has taken the output by
// then, so a "Play" step plays.
TEST(DocumentAutomation, StartupScriptPlaysOnTheRealOutput)
{
    CRenderEnvironment environment;
    environment.target = CRenderEnvironment::Target::kOffscreen;
    environment.device = QStringLiteral("cpu");
    environment.raisePriorities = false;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        DocumentFixture f;
        f.outputFactory = RenderOutputEngineFactory(environment);
        CFrameScriptScheduleArray list;
        list.At(0).file = WriteScript(f, QStringLiteral("Start.script"), "<script><item type=\"2\"/></script>");
        list.SaveToSettings();
        Write(settings::kAuto, 1);
        f.MakeDocument(false);
        CFrame* object = f.AddObject();
        f.Tick();  // the start-up step: the output and the script
        ASSERT_TRUE(f.doc->OutputOn());
        ASSERT_EQ(f.doc->Runner().scriptRunning, 1);
        f.Tick();  // "Play all objects"
        EXPECT_EQ(object->playing.load(), 1);
        EXPECT_EQ(f.doc->Runner().scriptRunning, 0) << "the one step is done";
    }
}

TEST(DocumentAutomation, GlobalHotkeys)
{
    DocumentFixture f;
    const QString script = WriteScript(f, QStringLiteral("Hot.script"), "<script><item type=\"8\" idata=\"60\"/></script>");
    auto add = [&](int hotkey, int global) {
        CFrameScriptSchedule entry = Entry(script);
        entry.hotkey = hotkey;
        entry.global = global;
        f.doc->automation.Add(entry);
    };
    add(1, 1);   // Ctrl+0
    add(11, 1);  // Alt+0
    add(20, 1);  // Alt+9, taken by another program
    add(5, 0);   // not global
    f.hotkeys.taken[99] = HotkeyKey{true, 9};
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.Tick();
    ASSERT_EQ(f.hotkeys.registered.size(), 2u);
    EXPECT_FALSE(f.hotkeys.registered[1].alt);
    EXPECT_EQ(f.hotkeys.registered[1].digit, 0);
    EXPECT_TRUE(f.hotkeys.registered[2].alt);
    EXPECT_EQ(f.hotkeys.registered[2].digit, 0);

    // A press arrives with the entry index and starts that entry.
    f.hotkeys.Press(2);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 1);
    f.doc->ScriptStop();

    // Cancelling the automation dialog keeps them; OK replaces the list,
    // stores it and registers what it now holds.
    f.host.automationDialog = [](CFrameScriptScheduleArray& list) {
        EXPECT_EQ(list.Count(), 5);
        return false;
    };
    f.doc->OnCommand(cmd::kAutomation);
    EXPECT_EQ(f.hotkeys.registered.size(), 2u);
    f.host.automationDialog = [](CFrameScriptScheduleArray& list) {
        list.At(1).global = 0;
        return true;
    };
    f.doc->OnCommand(cmd::kAutomation);
    EXPECT_EQ(f.hotkeys.registered.size(), 1u);
    EXPECT_EQ(Read(settings::kScriptActionTotal), 5);
    CFrameScriptScheduleArray stored;
    stored.LoadFromSettings();
    EXPECT_EQ(stored, f.doc->automation);
}

// Global hotkeys another program holds are named in one warning after the
// automation dialog's OK; they still work while the main window has the focus.
TEST(DocumentAutomation, HotkeysHeldByAnotherProgramAreReportedAfterOk)
{
    DocumentFixture f;
    const QString script = WriteScript(f, QStringLiteral("Morning.script"), "<script><item type=\"8\" idata=\"60\"/></script>");
    f.hotkeys.taken[90] = HotkeyKey{true, 9};   // Alt+9
    f.hotkeys.taken[91] = HotkeyKey{false, 3};  // Ctrl+3
    f.Tick();
    auto entry = [&](int hotkey, int global, const QString& file) {
        CFrameScriptSchedule e = Entry(file);
        e.hotkey = hotkey;
        e.global = global;
        return e;
    };
    f.host.automationDialog = [&](CFrameScriptScheduleArray& list) {
        list.Add(entry(20, 1, script));     // Alt+9: taken
        list.Add(entry(11, 1, script));     // Alt+0: free
        list.Add(entry(4, 1, QString()));   // Ctrl+3: taken, no script yet
        list.Add(entry(20, 0, script));     // not global: nothing to register
        return true;
    };
    f.doc->OnCommand(cmd::kAutomation);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].stringId, 10728);
    EXPECT_EQ(f.host.messages[0].icon, kMessageWarning);
    EXPECT_EQ(f.host.messages[0].text, QStringLiteral("These global hotkeys are used by another program:\n\n"
                                                      "Alt+9 (Morning)\nCtrl+3\n\n"
                                                      "They start their scripts only while Tavrel has the focus."));
    EXPECT_EQ(f.hotkeys.registered.size(), 1u);
    EXPECT_EQ(f.doc->automation.Count(), 5) << "the list is taken all the same";

    // Cancel leaves the list as it was and says nothing again; once the
    // other program lets go, OK is silent.
    f.host.automationDialog = [](CFrameScriptScheduleArray&) { return false; };
    f.doc->OnCommand(cmd::kAutomation);
    f.hotkeys.taken.clear();
    f.host.automationDialog = [](CFrameScriptScheduleArray&) { return true; };
    f.doc->OnCommand(cmd::kAutomation);
    EXPECT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.hotkeys.registered.size(), 3u);
}
