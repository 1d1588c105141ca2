#include "DocumentTestSupport.h"

#include "TestEnvironment.h"
#include "app/SettingsRegister.h"
#include "content/FramePlayer.h"
#include "document/CommandIds.h"
#include "render/display/VideoMode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace doctest;

// --- Preferences -----------------------------------------------------------

TEST(DocumentPreferences, FirstStartCreatesThePagesFolderInTheDocumentsFolder)
{
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    {
        CMainDoc doc(false);
        const QString expected = testenv::Home() + QStringLiteral("/Documents/Tavrel");
        EXPECT_EQ(doc.Preferences().rootFolder, expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
        EXPECT_EQ(Read(settings::kRootFolder), expected) << "stored at once, without a trailing separator";
        EXPECT_EQ(doc.Preferences().fullHdmiRange, 1);
        EXPECT_EQ(doc.Preferences().mode, 0);
        EXPECT_EQ(doc.ProgramStateNow(), kStateIdle);
    }
    InstallSettingsStore(std::move(previous));
}

TEST(DocumentPreferences, StoredValuesReadBackAndSwitcherLinkStaysOff)
{
    DocumentFixture f;
    using namespace settings;
    Write(kMode, 8);
    Write(kAuto, 1);
    Write(kDisplayAdapter, QStringLiteral("HDMI-1"));
    Write(kFullHdmiRange, 0);
    Write(kDefaultTreeAction, 3);
    Write(kUseRemote, 1);
    Write(kRemoteIp, 0x0A000001);
    f.MakeDocument(false);
    const DocumentPreferences read = f.doc->Preferences();
    EXPECT_EQ(read.mode, 8);
    EXPECT_EQ(read.autoStartOutput, 1);
    EXPECT_EQ(read.displayAdapter, QStringLiteral("HDMI-1"));
    EXPECT_EQ(read.fullHdmiRange, 0);
    EXPECT_EQ(read.defaultTreeAction, 3);
    EXPECT_EQ(read.useRemote, 0);
    EXPECT_EQ(read.remoteIp, 0x0A000001u);

    DocumentPreferences values = f.doc->Preferences();
    values.rootFolder = f.Path(QStringLiteral("other/"));
    values.useRemote = 1;  // not the dialog's to change
    EXPECT_FALSE(f.doc->ApplyPreferences(values));
    EXPECT_EQ(Read(kUseRemote), 0) << "the console link is written back switched off";
    EXPECT_EQ(Read(kRemoteIp), 0x0A000001) << "kept unchanged";
    EXPECT_EQ(Read(kRootFolder), f.Path(QStringLiteral("other/")));
    ASSERT_FALSE(f.host.refreshedRoots.empty());
    EXPECT_EQ(f.host.refreshedRoots.back(), f.Path(QStringLiteral("other/")));

    // The mode may change only with the output off and an empty page that
    // is not modified.
    EXPECT_TRUE(f.doc->CanChangeMode());
    CFrame* object = f.AddObject();
    EXPECT_FALSE(f.doc->CanChangeMode());
    f.doc->page.RemoveObject(object);
    f.doc->SetModifiedFlag();
    EXPECT_FALSE(f.doc->CanChangeMode());
    f.doc->SetModifiedFlag(false);
    f.doc->OnCommand(cmd::kPreview);
    EXPECT_FALSE(f.doc->CanChangeMode());
    f.doc->OnCommand(cmd::kPreview);
    EXPECT_TRUE(f.doc->CanChangeMode());

    // The dialog's OK: the values are taken and stored; a new mode only
    // while it may change.
    values = f.doc->Preferences();
    values.mode = 9;
    values.defaultTreeAction = 4;
    EXPECT_TRUE(f.doc->ApplyPreferences(values));
    EXPECT_EQ(Read(kMode), 9);
    EXPECT_EQ(Read(kDefaultTreeAction), 4);
    f.AddObject();
    values.mode = 2;
    EXPECT_FALSE(f.doc->ApplyPreferences(values));
    EXPECT_EQ(f.doc->Preferences().mode, 9);
    EXPECT_EQ(Read(kMode), 9);

    // A damaged mode reads as the first one; an editor instance never
    // writes the output preferences, nor takes the dialog's.
    Write(kMode, 99);
    f.MakeDocument(true);
    EXPECT_EQ(f.doc->Preferences().mode, 0);
    f.doc->PreferencesSave();
    EXPECT_EQ(Read(kMode), 99);
    values.mode = 5;
    EXPECT_FALSE(f.doc->ApplyPreferences(values));
    EXPECT_EQ(f.doc->Preferences().mode, 0);
    EXPECT_EQ(Read(kMode), 99);
}

// --- Output ------------------------------------------------------------------

TEST(DocumentOutput, StateMachine)
{
    // H: HDMI output command, P: preview command, F: the running output
    // fails (device lost), D / d: a dialog opens / closes, T: timer tick.
    struct Case
    {
        const char* what;
        bool editMode;
        int startError;
        const char* actions;
        int state;
        bool previewShown;
        std::vector<int> messages;
    };
    const Case cases[] = {
        {"F10 on", false, 0, "H", kStateHdmiOutput, false, {}},
        {"F10 on and off", false, 0, "HH", kStateIdle, false, {}},
        {"F9 on", false, 0, "P", kStatePreview, true, {}},
        {"F9 on and off", false, 0, "PP", kStateIdle, false, {}},
        {"F10 while previewing goes straight to HDMI", false, 0, "PH", kStateHdmiOutput, false, {}},
        {"editor instance ignores F10", true, 0, "H", kStateEditMode, false, {}},
        {"editor instance previews but reads Edit mode", true, 0, "P", kStateEditMode, true, {}},
        {"failed start stays off with a message", false, 3, "H", kStateIdle, false, {10323}},
        {"failed preview hides the pane", false, 4, "P", kStateIdle, false, {10324}},
        {"failure found by the monitor", false, 0, "HFT", kStateIdle, false, {10325}},
        {"failure waits while a dialog is open", false, 0, "HFDT", kStateHdmiOutput, false, {}},
        {"and is reported once it closed", false, 0, "HFDTdT", kStateIdle, false, {10325}},
        {"failed preview found by the monitor", false, 0, "PFT", kStateIdle, false, {10325}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f(c.editMode);
        f.Tick();  // the start-up step
        f.nextStartError = c.startError;
        for (const char* a = c.actions; *a; ++a) {
            switch (*a) {
            case 'H': f.doc->OnCommand(cmd::kHdmiOutput); break;
            case 'P': f.doc->OnCommand(cmd::kPreview); break;
            case 'F': f.Engine()->Fail(kRenderDeviceLost); break;
            case 'D': f.host.dialogOpen = true; break;
            case 'd': f.host.dialogOpen = false; break;
            case 'T': f.Tick(); break;
            }
        }
        EXPECT_EQ(f.doc->ProgramStateNow(), c.state);
        if (!c.editMode) {
            ASSERT_FALSE(f.host.programStates.empty());
            EXPECT_EQ(f.host.programStates.back(), c.state) << "the status bar follows";
        }
        EXPECT_EQ(f.host.previewShown, c.previewShown);
        EXPECT_EQ(f.host.MessageIds(), c.messages);
        if (!f.doc->Renderer()) {
            EXPECT_EQ(f.doc->page.outputActive.load(), 0);
        }
    }
}

TEST(DocumentOutput, EngineGetsTheModeAndPreferences)
{
    DocumentFixture f;
    DocumentPreferences values = f.doc->Preferences();
    values.mode = 10;  // 480i60
    values.displayAdapter = QStringLiteral("DP-2");
    values.fullHdmiRange = 0;
    values.alternativeSync = 1;
    ASSERT_TRUE(f.doc->ApplyPreferences(values));
    f.doc->OnCommand(cmd::kHdmiOutput);
    ASSERT_NE(f.Engine(), nullptr);
    const OutputEngineParams& p = f.Engine()->Params();
    EXPECT_EQ(p.page, &f.doc->page);
    EXPECT_EQ(p.canvasWidth, CanvasWidthOfMode(10));
    EXPECT_EQ(p.canvasHeight, CanvasHeightOfMode(10));
    EXPECT_EQ(p.framePeriodUs, 16667);
    EXPECT_EQ(p.displayAdapterName, QStringLiteral("DP-2"));
    EXPECT_EQ(p.fullRange, 0);
    EXPECT_EQ(p.alternativeSync, 1);
    EXPECT_EQ(p.previewWindow, nullptr);

    // Without an engine to make, switching on fails like a missing driver.
    f.doc->OutputStop();
    CMainDoc bare(false, MainDocServices{&f.host, &f.clock, {}, nullptr});
    bare.OnCommand(cmd::kHdmiOutput);
    EXPECT_FALSE(bare.OutputOn());
    EXPECT_EQ(f.host.messages.back().stringId, 10322);
}

TEST(DocumentOutput, CommandEnablement)
{
    DocumentFixture f;
    CFrame* object = f.AddObject();
    using S = CMainDoc::CommandState;
    auto q = [&](int id) { return f.doc->QueryCommand(id); };
    auto same = [](S a, S b) { return a.enabled == b.enabled && a.checked == b.checked; };

    EXPECT_TRUE(same(q(cmd::kPlayAll), {false, false})) << "playback needs the output";
    EXPECT_TRUE(same(q(cmd::kPlayObject), {false, false})) << "and a selection";
    f.doc->SetSelection(object);
    EXPECT_TRUE(same(q(cmd::kPlayObject), {true, false})) << "Play object still ends text editing";
    EXPECT_FALSE(q(cmd::kStopObject).enabled);
    EXPECT_FALSE(q(cmd::kScriptPlay).enabled);

    f.doc->OnCommand(cmd::kHdmiOutput);
    EXPECT_TRUE(same(q(cmd::kHdmiOutput), {true, true}));
    EXPECT_FALSE(q(cmd::kPreview).enabled) << "F9 is disabled while the HDMI output is on";
    EXPECT_FALSE(q(cmd::kSetupWizard).enabled);
    EXPECT_TRUE(q(cmd::kScriptPlay).enabled);
    f.doc->OnCommand(cmd::kPlayObject);
    EXPECT_TRUE(same(q(cmd::kPlayObject), {true, true}));
    f.doc->OnCommand(cmd::kPauseObject);
    EXPECT_TRUE(same(q(cmd::kPauseObject), {true, true}));
    f.doc->SetModifiedFlag();
    EXPECT_FALSE(q(cmd::kScriptPlay).enabled) << "no script runs over unsaved changes";
    f.doc->SetModifiedFlag(false);
    f.host.dialogOpen = true;
    EXPECT_FALSE(q(cmd::kScriptPlay).enabled) << "nor while a dialog is open";
}

// --- Overlay -----------------------------------------------------------------

TEST(DocumentOverlay, OutlinesFollowPlayingPausedAndFailedObjects)
{
    DocumentFixture f;
    f.doc->OnCommand(cmd::kHdmiOutput);
    int repaints = 0;
    QObject::connect(f.doc.get(), &CMainDoc::UpdateAllViews, [&](int code, QRect) {
        if (code == kUpdateRepaint)
            ++repaints;
    });
    CFrame* idle = f.AddObject(Recipe().Left(0));
    CFrame* running = f.AddObject(Recipe().Left(100));
    CFrame* paused = f.AddObject(Recipe().Left(200));
    CFrame* failedIdle = f.AddObject(Recipe().Left(300));
    CFrame* failedPlaying = f.AddObject(Recipe().Left(400));
    CFramePlayer(*running).Play();
    CFramePlayer(*paused).Play();
    CFramePlayer(*paused).TogglePause();
    failedIdle->sourceError.store(1);
    CFramePlayer(*failedPlaying).Play();
    failedPlaying->backgroundError.store(1);
    (void)idle;

    f.doc->RefreshOverlay(1);
    const std::vector<RTypeRect> expected = {
        {100, 0, 200, 50, RTypeRect::kRunning},
        {200, 0, 300, 50, RTypeRect::kPaused},
        {300, 0, 400, 50, RTypeRect::kFailedIdle},
        {400, 0, 500, 50, RTypeRect::kFailedPlaying},
    };
    EXPECT_EQ(f.doc->overlay.entries, expected);
    EXPECT_EQ(repaints, 1);
    f.doc->RefreshOverlay(1);
    EXPECT_EQ(repaints, 1) << "an unchanged page causes no repaint";
    running->StopOutput();
    f.doc->RefreshOverlay(0);
    EXPECT_EQ(f.doc->overlay.entries.size(), 3u) << "replaced without broadcasting";
    EXPECT_EQ(repaints, 1);

    // The pages pane is refreshed only without a dialog or a mouse button down.
    const int checks = f.host.pagesPaneChecks;
    f.host.mouseDown = true;
    f.doc->RefreshOverlay(1);
    f.host.mouseDown = false;
    f.host.dialogOpen = true;
    f.doc->RefreshOverlay(1);
    EXPECT_EQ(f.host.pagesPaneChecks, checks);
    f.host.dialogOpen = false;
    f.doc->RefreshOverlay(1);
    EXPECT_EQ(f.host.pagesPaneChecks, checks + 1);
}

// --- Files -------------------------------------------------------------------

TEST(DocumentFiles, SaveQuestion)
{
    struct Case
    {
        const char* what;
        bool modified;
        bool hasPath;
        int answer;
        bool saveWorks;
        bool result;
        const char* question;  // empty: not asked
        bool savedFile;
    };
    const Case cases[] = {
        {"unmodified page goes on without asking", false, true, kSaveAnswerCancel, true, true, "", false},
        {"Yes saves under its name", true, true, kSaveAnswerYes, true, true, "Save changes to 'News'?", true},
        {"No goes on without saving", true, true, kSaveAnswerNo, true, true, "Save changes to 'News'?", false},
        {"Cancel stops", true, true, kSaveAnswerCancel, true, false, "Save changes to 'News'?", false},
        {"Yes with a failed save stops", true, false, kSaveAnswerYes, false, false, "Save changes to 'Untitled'?",
         false},
        {"never saved page is Untitled", true, false, kSaveAnswerYes, true, true, "Save changes to 'Untitled'?",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        const QString news = f.WritePageFile(QStringLiteral("News.tavrel"), {Recipe()});
        if (c.hasPath) {
            ASSERT_TRUE(f.doc->OpenDocumentFile(news));
        }
        f.AddObject();
        f.doc->SetModifiedFlag(c.modified);
        f.host.saveAnswer = c.answer;
        // A save into a folder that does not exist fails.
        const QString target = c.hasPath ? news
                               : c.saveWorks ? f.Path(QStringLiteral("Saved.tavrel"))
                                             : f.Path(QStringLiteral("missing/Saved.tavrel"));
        f.host.savePath = target;
        const qint64 before = QFileInfo(target).size();
        EXPECT_EQ(f.doc->SaveModified(), c.result);
        if (*c.question) {
            ASSERT_EQ(f.host.questions.size(), 1u);
            EXPECT_EQ(f.host.questions[0], QString::fromUtf8(c.question));
        } else {
            EXPECT_TRUE(f.host.questions.empty());
        }
        EXPECT_EQ(QFileInfo(target).size() != before, c.savedFile);
        if (!c.saveWorks) {
            EXPECT_TRUE(f.doc->IsModified());
            EXPECT_EQ(f.host.MessageIds(), std::vector<int>{10311}) << "a page that cannot be created";
        }
    }
}

TEST(DocumentFiles, NewOpenSaveAndTheirIdentity)
{
    DocumentFixture f;
    const QString news = f.WritePageFile(QStringLiteral("News.tavrel"), {Recipe().Left(10), Recipe().Left(20)});
    CFrame* before = f.AddObject();
    f.doc->SetSelection(before);
    f.doc->RecordUndoStep(ObjectMovedOrResized, *before, 1);
    f.doc->objectClipboard = std::make_unique<CFrame>();

    ASSERT_TRUE(f.doc->OpenDocumentFile(news));
    EXPECT_EQ(f.doc->PathName(), news);
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(f.doc->Selection(), nullptr);
    EXPECT_TRUE(f.doc->Undo().undoSteps.empty());
    EXPECT_NE(f.doc->objectClipboard, nullptr) << "the clipboard survives Open";
    const auto loaded = f.Live();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->framePeriod, 20000) << "objects read take the mode's frame period";

    // Opening the open file again reads nothing, even with changes.
    f.doc->SetModifiedFlag();
    EXPECT_TRUE(f.doc->OpenDocumentFile(news));
    EXPECT_EQ(Ids(f.Live()), Ids(loaded));
    EXPECT_TRUE(f.host.questions.empty());

    // Save clears the modified mark and refreshes the pages pane. Without a
    // canvas the page is composed here for the file's thumbnail.
    loaded[0]->backgroundColor = 0xFF0000FFu;  // opaque red, at (10, 0)-(110, 50)
    EXPECT_TRUE(f.doc->OnCommand(cmd::kFileSave));
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_FALSE(f.host.refreshedRoots.empty());
    {
        CPicture thumbnail;
        OwnedFrameList none;
        CPageFileContext thumbnailOnly;
        thumbnailOnly.thumbnail = &thumbnail;
        ASSERT_EQ(ReadPage(news, none, 1, thumbnailOnly), 1);
        ASSERT_EQ(thumbnail.width, 480);  // 1920 halved twice
        const uint32_t pixel = thumbnail.Row(5)[10];  // at (40, 20) of the page
        EXPECT_GT(pixel >> 16 & 0xFF, 200u) << std::hex << pixel;
        EXPECT_LT(pixel >> 8 & 0xFF, 40u) << std::hex << pixel;
    }

    // A file that cannot be read leaves everything as it was.
    const QString broken = f.Path(QStringLiteral("broken.tavrel"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(300, 'x'));
    file.close();
    EXPECT_FALSE(f.doc->OpenDocumentFile(broken));
    EXPECT_EQ(f.host.MessageIds(), std::vector<int>{10313});
    EXPECT_EQ(f.doc->PathName(), news);
    EXPECT_EQ(Ids(f.Live()), Ids(loaded));

    // New empties page, selection, undo lists and clipboard.
    f.doc->SetSelection(f.Live()[0]);
    EXPECT_TRUE(f.doc->NewDocument());
    EXPECT_TRUE(f.Live().empty());
    EXPECT_EQ(f.doc->Selection(), nullptr);
    EXPECT_EQ(f.doc->objectClipboard, nullptr);
    EXPECT_EQ(f.doc->Title(), QStringLiteral("Untitled"));
    EXPECT_TRUE(f.doc->PathName().isEmpty());

    f.doc->ReportFileError(4, QStringLiteral("/x/y.tavrel"));
    EXPECT_EQ(f.host.messages.back().text, QStringLiteral("Error: Unknown file version!\n\n/x/y.tavrel"));
}

TEST(DocumentFiles, AddToCurrentPageKeepsWhatIsOnAirOrLocked)
{
    DocumentFixture f;
    const QString extra = f.WritePageFile(QStringLiteral("Extra.tavrel"), {Recipe().Left(500), Recipe().Left(600)});
    f.doc->OnCommand(cmd::kHdmiOutput);
    CFrame* playing = f.AddObject(Recipe().Left(1));
    CFrame* locked = f.AddObject(Recipe().Locked().Left(2));
    CFrame* doomed = f.AddObject(Recipe().Left(3));
    CFramePlayer(*playing).Play();
    f.doc->SetSelection(doomed);
    f.doc->objectClipboard = std::make_unique<CFrame>();
    const int doomedId = doomed->id;

    f.doc->PagesPane().SetSelection(extra);
    f.doc->OnCommand(cmd::kPagesAddAndPlay);
    const auto live = f.Live();
    ASSERT_EQ(live.size(), 4u);
    EXPECT_EQ(live[0], playing);
    EXPECT_EQ(live[1], locked);
    EXPECT_EQ(live[2]->rect.left, 500);
    EXPECT_EQ(live[3]->rect.left, 600);
    EXPECT_EQ(f.doc->page.FindObjectById(doomedId), nullptr);
    EXPECT_EQ(f.doc->Title(), QStringLiteral("Untitled"));
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(f.doc->Selection(), nullptr);
    EXPECT_EQ(f.doc->objectClipboard, nullptr);
    EXPECT_EQ(locked->playing.load(), 0) << "kept objects are not started";
    EXPECT_EQ(live[2]->playing.load(), 1);
    EXPECT_EQ(live[3]->playing.load(), 1);

    // A merge never takes the page beyond 256 objects; the rest is dropped.
    while (f.doc->page.LiveCount() < CFrameSet::kMaxObjects - 1)
        f.AddObject(Recipe().Locked());
    EXPECT_TRUE(f.doc->PageMerge(extra, 0, nullptr));
    EXPECT_EQ(f.doc->page.LiveCount(), CFrameSet::kMaxObjects);

    // A file that cannot be read changes nothing.
    f.doc->SetModifiedFlag();
    EXPECT_FALSE(f.doc->PageMerge(f.Path(QStringLiteral("missing.tavrel")), 1, nullptr));
    EXPECT_EQ(f.doc->page.LiveCount(), CFrameSet::kMaxObjects);
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_EQ(f.host.MessageIds(), std::vector<int>{10311});
}

TEST(DocumentFiles, PagesPaneActions)
{
    struct Case
    {
        const char* what;
        const char* file;
        int defaultTreeAction;
        int objectsAfter;     // objects on the page afterwards
        bool playing;         // they play
        bool editorStarted;
        bool scriptRunning;
    };
    const Case cases[] = {
        {"load", "Page.tavrel", 0, 2, false, false, false},
        {"add (the idle object goes)", "Page.tavrel", 1, 2, false, false, false},
        {"load and play", "Page.tavrel", 2, 2, true, false, false},
        {"add and play", "Page.tavrel", 3, 2, true, false, false},
        {"open in editor", "Page.tavrel", 4, 1, false, true, false},
        {"a script always loads and plays", "Show.script", 4, 1, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        const QString page = f.WritePageFile(QStringLiteral("Page.tavrel"), {Recipe().Left(7), Recipe().Left(8)});
        QFile script(f.Path(QStringLiteral("Show.script")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("<script loop=\"0\"><item type=\"8\" sdata=\"\" idata=\"60\"/></script>");
        script.close();
        f.doc->OnCommand(cmd::kHdmiOutput);
        f.AddObject();
        DocumentPreferences values = f.doc->Preferences();
        values.defaultTreeAction = c.defaultTreeAction;
        f.doc->ApplyPreferences(values);
        f.doc->PagesPane().SetSelection(f.Path(QString::fromUtf8(c.file)));
        f.doc->PagesPane().DefaultAction();
        const auto live = f.Live();
        EXPECT_EQ(static_cast<int>(live.size()), c.objectsAfter);
        if (c.playing) {
            EXPECT_EQ(live.back()->playing.load(), 1);
        }
        EXPECT_EQ(f.host.editorStarts.size(), c.editorStarted ? 1u : 0u);
        EXPECT_EQ(f.doc->Runner().scriptRunning, c.scriptRunning ? 1 : 0);
        (void)page;
    }

    // Open in editor of a script loads it without starting and opens the editor.
    DocumentFixture f;
    QFile script(f.Path(QStringLiteral("Edit.script")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("<script><item type=\"2\"/></script>");
    script.close();
    f.doc->PagesPane().SetSelection(f.Path(QStringLiteral("Edit.SCRIPT")));
    EXPECT_TRUE(f.doc->PagesPane().SelectionIsScript());
    f.doc->PagesPane().SetSelection(f.Path(QStringLiteral("Edit.script")));
    f.doc->OnCommand(cmd::kPagesOpenInEditor);
    EXPECT_EQ(f.doc->script.Count(), 1);
    EXPECT_EQ(f.host.scriptEditorOpened, 1);
    // Nothing happens without a pages-pane selection.
    f.doc->PagesPane().SetSelection(QString());
    f.doc->OnCommand(cmd::kPagesLoad);
    f.doc->OnCommand(cmd::kPagesRename);
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(DocumentFiles, ThumbnailFollowsThePagesPaneSelection)
{
    DocumentFixture f;
    int updates = 0;
    QObject::connect(f.doc.get(), &CMainDoc::UpdateAllViews, [&](int code, QRect) {
        if (code == kUpdateThumbnail)
            ++updates;
    });
    // A page with a thumbnail: the composed picture the canvas would give.
    CPicture composed(192, 108);
    FrameList none;
    CPageFileContext context;
    context.rasterWidth = 1920;
    context.rasterHeight = 1080;
    context.composedPage = &composed;
    const QString withThumb = f.Path(QStringLiteral("Thumb.tavrel"));
    ASSERT_TRUE(WritePage(withThumb, none, context));
    const QString without = f.WritePageFile(QStringLiteral("Plain.tavrel"), {});

    f.doc->PagesPane().LoadThumbnail(1, withThumb);
    EXPECT_TRUE(f.doc->PagesPane().ThumbnailValid());
    EXPECT_EQ(updates, 1);
    f.doc->PagesPane().LoadThumbnail(1, withThumb);
    EXPECT_EQ(updates, 2) << "each page file selected updates it";
    f.doc->PagesPane().LoadThumbnail(1, without);
    EXPECT_FALSE(f.doc->PagesPane().ThumbnailValid());
    EXPECT_EQ(updates, 3);
    f.doc->PagesPane().LoadThumbnail(0, f.Path(QString()));
    EXPECT_EQ(updates, 3) << "nothing shown, nothing to clear";
    EXPECT_TRUE(f.host.messages.empty()) << "the thumbnail read shows no message";
}

// --- Playback ------------------------------------------------------------------

TEST(DocumentPlayback, SelectionPlaysWithItsGroup)
{
    DocumentFixture f;
    CFrame* selected = f.AddObject(Recipe().Group(QStringLiteral("Intro")));
    CFrame* member = f.AddObject(Recipe().Group(QStringLiteral("Intro")));
    CFrame* otherCase = f.AddObject(Recipe().Group(QStringLiteral("intro")));
    CFrame* ungrouped = f.AddObject();
    f.doc->SetSelection(selected);
    EXPECT_EQ(f.doc->SelectionNumber(), 1);

    f.doc->OnCommand(cmd::kPlayObject);
    EXPECT_EQ(f.host.textEditingEnded, 1) << "with the output off Play object only ends text editing";
    EXPECT_EQ(selected->playing.load(), 0);

    f.doc->OnCommand(cmd::kHdmiOutput);
    f.doc->OnCommand(cmd::kPlayObject);
    EXPECT_EQ(selected->playing.load(), 1);
    EXPECT_EQ(member->playing.load(), 1);
    EXPECT_EQ(otherCase->playing.load(), 0) << "group names compare exactly";
    EXPECT_EQ(ungrouped->playing.load(), 0);

    f.doc->OnCommand(cmd::kPauseObject);
    EXPECT_EQ(selected->paused.load(), 1);
    EXPECT_EQ(member->paused.load(), 1);
    f.doc->OnCommand(cmd::kPlayObject);
    EXPECT_EQ(selected->paused.load(), 0) << "Play resumes a paused object";
    f.doc->OnCommand(cmd::kEndObject);
    EXPECT_EQ(selected->ending.load(), 1);
    EXPECT_EQ(member->ending.load(), 1);
    f.doc->OnCommand(cmd::kStopObject);
    EXPECT_EQ(selected->playing.load(), 0);
    EXPECT_EQ(member->playing.load(), 0);

    // An empty group name has no members.
    f.doc->SetSelection(ungrouped);
    f.doc->OnCommand(cmd::kPlayObject);
    EXPECT_EQ(ungrouped->playing.load(), 1);
    EXPECT_EQ(selected->playing.load(), 0);

    f.doc->OnCommand(cmd::kStopAll);
    f.doc->OnCommand(cmd::kPlayAll);
    EXPECT_EQ(f.doc->page.LiveCount(), 4);
    for (CFrame* o : f.Live())
        EXPECT_EQ(o->playing.load(), 1);
}

TEST(DocumentPlayback, HotkeysPlayOrEndAndFallThroughToAutomation)
{
    DocumentFixture f;
    QFile script(f.Path(QStringLiteral("Hot.script")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("<script><item type=\"8\" idata=\"100\"/></script>");
    script.close();
    CFrameScriptSchedule entry;
    entry.file = f.Path(QStringLiteral("Hot.script"));
    entry.hotkey = 12;  // Alt+1
    f.doc->automation.Add(entry);
    entry.hotkey = 3;
    f.doc->automation.Add(entry);

    CFrame* a = f.AddObject(Recipe().Hotkey(3));
    CFrame* b = f.AddObject(Recipe().Hotkey(3));
    f.doc->OnCommand(cmd::kHdmiOutput);
    CFramePlayer(*a).Play();

    f.doc->OnCommand(cmd::kHotkeyFirst + 2);  // Ctrl+2 is hotkey 3
    EXPECT_EQ(a->ending.load(), 1) << "the playing one ends";
    EXPECT_EQ(b->playing.load(), 0) << "the idle one stays idle";
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0) << "objects reacted: no automation";
    a->StopOutput();
    f.doc->HotkeyPressed(3);
    EXPECT_EQ(a->playing.load(), 1);
    EXPECT_EQ(b->playing.load(), 1);

    // A hotkey no object uses starts the first automation entry with it.
    f.doc->HotkeyPressed(12);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 1);
    // A hotkey that made objects react stops the running script.
    f.doc->HotkeyPressed(3);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0);
    EXPECT_EQ(f.doc->automation.FindHotkey(3), 2);
}

// --- Undo ----------------------------------------------------------------------

TEST(DocumentUndo, Sequences)
{
    // Objects a, b, c bottom to top. d: delete (records, then removes),
    // m: move the object 10 pixels right, u: Undo, r: Redo, x: delete without
    // undo (another way an object goes, e.g. a script).
    struct Step
    {
        char op;
        char object;
    };
    struct Case
    {
        const char* what;
        std::vector<Step> steps;
        const char* order;     // page bottom to top afterwards
        char selected;         // '-' none
        size_t undoCount;
        size_t redoCount;
        bool modified;
    };
    const Case cases[] = {
        {"delete undone", {{'d', 'b'}, {'u', 0}}, "abc", 'b', 0, 1, true},
        {"delete undone and redone", {{'d', 'b'}, {'u', 0}, {'r', 0}}, "ac", '-', 1, 0, true},
        {"toggles back and forth", {{'d', 'b'}, {'u', 0}, {'r', 0}, {'u', 0}}, "abc", 'b', 0, 1, true},
        {"returns on top when its lower neighbour went", {{'d', 'b'}, {'x', 'a'}, {'u', 0}}, "cb", 'b', 0, 1, true},
        {"bottom object returns at the bottom", {{'d', 'a'}, {'u', 0}}, "abc", 'a', 0, 1, true},
        {"a new edit empties the redo list", {{'m', 'a'}, {'u', 0}, {'m', 'c'}}, "abc", 'a', 1, 0, true},
        {"step of a vanished object is consumed", {{'m', 'c'}, {'x', 'c'}, {'u', 0}}, "ab", '-', 0, 0, true},
        {"two deletions undone newest first", {{'d', 'a'}, {'d', 'c'}, {'u', 0}}, "bc", 'c', 1, 1, true},
        {"empty list does nothing", {{'u', 0}}, "abc", '-', 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        std::map<char, int> ids;
        for (char name : {'a', 'b', 'c'})
            ids[name] = f.AddObject(Recipe().Left((name - 'a') * 100))->id;
        auto named = [&](char name) { return f.doc->FindObjectById(ids[name]); };
        for (const Step& s : c.steps) {
            switch (s.op) {
            case 'd':
                f.doc->RecordUndoStep(ObjectDeleted, *named(s.object), 1);
                f.doc->page.RemoveObject(named(s.object));
                break;
            case 'm': {
                CFrame* o = named(s.object);
                f.doc->RecordUndoStep(ObjectMovedOrResized, *o, 1);
                o->rect.left += 10;
                break;
            }
            case 'x': f.doc->page.RemoveObject(named(s.object)); break;
            case 'u': f.doc->UndoObjectEdit(1); break;
            case 'r': f.doc->UndoObjectEdit(0); break;
            }
        }
        std::string order;
        for (const CFrame* o : f.Live()) {
            for (const auto& [name, id] : ids)
                if (id == o->id)
                    order += name;
        }
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(f.doc->Selection(), c.selected == '-' ? nullptr : named(c.selected));
        if (f.doc->Selection() != nullptr) {
            EXPECT_EQ(f.doc->SelectionNumber(), f.doc->page.ObjectNumber(f.doc->Selection()));
        }
        EXPECT_EQ(f.doc->Undo().undoSteps.size(), c.undoCount);
        EXPECT_EQ(f.doc->Undo().redoSteps.size(), c.redoCount);
        EXPECT_EQ(f.doc->IsModified(), c.modified);
    }
}

TEST(DocumentUndo, DeletionOnAFullPageIsRefusedAndKept)
{
    DocumentFixture f;
    CFrame* victim = f.AddObject();
    const int victimId = victim->id;
    f.doc->RecordUndoStep(ObjectDeleted, *victim, 1);
    f.doc->page.RemoveObject(victim);
    while (f.doc->page.LiveCount() < CFrameSet::kMaxObjects)
        f.AddObject();
    CFrame* selected = f.Live()[3];
    f.doc->SetSelection(selected);

    EXPECT_FALSE(f.doc->UndoObjectEdit(1));
    EXPECT_EQ(f.doc->Undo().undoSteps.size(), 1u) << "the step waits for room";
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(f.doc->Selection(), selected);
    EXPECT_EQ(f.doc->page.LiveCount(), CFrameSet::kMaxObjects);

    f.doc->page.RemoveObject(f.Live()[0]);
    EXPECT_TRUE(f.doc->UndoObjectEdit(1));
    EXPECT_NE(f.doc->FindObjectById(victimId), nullptr);
    EXPECT_EQ(f.doc->Selection(), f.doc->FindObjectById(victimId));
}

TEST(DocumentUndo, UndoStopsARunningScript)
{
    DocumentFixture f;
    f.doc->OnCommand(cmd::kHdmiOutput);
    CFrame* o = f.AddObject();
    f.doc->RecordUndoStep(ObjectMovedOrResized, *o, 1);
    f.doc->script.Append({CFrameScriptItem::kWaitPeriod, {}, 60});
    f.doc->ScriptStart();
    ASSERT_EQ(f.doc->Runner().scriptRunning, 1);
    f.doc->UndoObjectEdit(1);
    EXPECT_EQ(f.doc->Runner().scriptRunning, 0);
}

TEST(DocumentTimer, QtTimerTicksUntilStopped)
{
    CQtInterfaceTimer timer;
    int ticks = 0;
    timer.Start([&] { ++ticks; });
    EXPECT_TRUE(timer.Active());
    // Liveness only: two ticks arrive within a generous deadline.
    QElapsedTimer waited;
    waited.start();
    while (ticks < 2 && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(ticks, 2);
    timer.Stop();
    EXPECT_FALSE(timer.Active());
    const int stopped = ticks;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 300);
    EXPECT_EQ(ticks, stopped);
}
