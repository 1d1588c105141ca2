// What the main window relies on: the page announced before it is replaced,
// the title and modified mark, a host given late, the File Open chooser and
// command states that say what a host without some windows can do.
#include "DocumentTestSupport.h"

#include "content/FramePlayer.h"
#include "document/CommandIds.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace doctest;

namespace {

void WriteScriptFile(const QString& path, const QByteArray& body)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(body);
}

}  // namespace

// --- The page about to be replaced -------------------------------------------

TEST(DocumentPageReplaced, AnnouncedWhileEveryOldObjectIsStillThere)
{
    // Each action runs on a page of two objects (group "A" and ungrouped)
    // with the output on; page: a readable page file, missing: none.
    using Action = std::function<void(DocumentFixture&, const QString& page, const QString& missing)>;
    auto scriptStep = [](int type, bool pageFile, const QString& group = {}) -> Action {
        return [=](DocumentFixture& f, const QString& page, const QString&) {
            f.doc->script.Append({type, pageFile ? page : group, 0});
            f.doc->ScriptStart();
            f.Tick();
        };
    };
    struct Case
    {
        const char* what;
        Action action;
        bool replaced;  // announced once; otherwise never, and the page stays
    };
    const Case cases[] = {
        {"New", [](DocumentFixture& f, auto&, auto&) { f.doc->OnCommand(cmd::kFileNew); }, true},
        {"Open",
         [](DocumentFixture& f, const QString& page, auto&) {
             f.host.openPath = page;
             f.doc->OnCommand(cmd::kFileOpen);
         },
         true},
        {"Open of a file that cannot be read",
         [](DocumentFixture& f, auto&, const QString& missing) { f.doc->OpenDocumentFile(missing); }, false},
        {"Load from the pages pane",
         [](DocumentFixture& f, const QString& page, auto&) {
             f.doc->PagesPane().SetSelection(page);
             f.doc->OnCommand(cmd::kPagesLoad);
         },
         true},
        {"Add to current page",
         [](DocumentFixture& f, const QString& page, auto&) {
             f.doc->PagesPane().SetSelection(page);
             f.doc->OnCommand(cmd::kPagesAdd);
         },
         true},
        {"merge of a file that cannot be read",
         [](DocumentFixture& f, auto&, const QString& missing) { f.doc->PageMerge(missing, 1, nullptr); }, false},
        {"script: load page file", scriptStep(CFrameScriptItem::kLoadPage, true), true},
        {"script: add objects from page file", scriptStep(CFrameScriptItem::kAddPage, true), true},
        {"script: delete objects in a group", scriptStep(CFrameScriptItem::kDelete, false, QStringLiteral("A")), true},
        {"script: delete all objects", scriptStep(CFrameScriptItem::kDelete, false), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        f.Tick();  // the start-up step
        const QString page = f.WritePageFile(QStringLiteral("Next.tavrel"), {Recipe().Left(300)});
        const QString missing = f.Path(QStringLiteral("missing.tavrel"));
        f.doc->OnCommand(cmd::kHdmiOutput);
        const std::vector<CFrame*> old = {f.AddObject(Recipe().Group(QStringLiteral("A"))), f.AddObject()};
        f.doc->SetSelection(old[0]);

        int announced = 0;
        QObject::connect(f.doc.get(), &CMainDoc::PageAboutToBeReplaced, [&] {
            ++announced;
            // What the canvas would do: look at the objects it may point into.
            FrameList list;
            f.doc->page.TakeSnapshot(list);
            for (CFrame* object : old) {
                EXPECT_NE(std::find(list.begin(), list.end(), object), list.end()) << "still on the page";
                EXPECT_EQ(object->deleted.load(), 0) << "not marked deleted yet";
            }
            EXPECT_EQ(f.doc->Selection(), old[0]) << "the selection still points at it";
            f.doc->page.ReleaseSnapshot();
        });
        c.action(f, page, missing);
        EXPECT_EQ(announced, c.replaced ? 1 : 0);
        if (!c.replaced) {
            EXPECT_EQ(Ids(f.Live()), Ids(old));
        }
    }
}

// --- Title and modified mark -----------------------------------------------------

TEST(DocumentTitle, ChangesAreSignalledOnlyWhenTheyHappen)
{
    struct Case
    {
        const char* what;
        bool opened;    // News.tavrel is open before the action
        bool modified;  // and the page is modified
        std::function<void(DocumentFixture&)> action;
        int announced;  // TitleChanged signals
        const char* title;
        bool modifiedAfter;
    };
    const QString news = QStringLiteral("News.tavrel");
    const Case cases[] = {
        {"an edit marks it", true, false, [](DocumentFixture& f) { f.doc->SetModifiedFlag(); }, 1, "News.tavrel",
         true},
        {"a second edit changes nothing", true, true, [](DocumentFixture& f) { f.doc->SetModifiedFlag(); }, 0,
         "News.tavrel", true},
        {"clearing a clean flag changes nothing", true, false,
         [](DocumentFixture& f) { f.doc->SetModifiedFlag(false); }, 0, "News.tavrel", false},
        {"undo marks it", true, false, [](DocumentFixture& f) { f.doc->UndoObjectEdit(1); }, 1, "News.tavrel", true},
        {"New", true, true, [](DocumentFixture& f) { f.doc->OnCommand(cmd::kFileNew); }, 1, "Untitled", false},
        {"New of an untitled clean page", false, false, [](DocumentFixture& f) { f.doc->OnCommand(cmd::kFileNew); },
         0, "Untitled", false},
        {"Open", false, false,
         [](DocumentFixture& f) {
             f.host.openPath = f.Path(QStringLiteral("Other.tavrel"));
             f.doc->OnCommand(cmd::kFileOpen);
         },
         1, "Other.tavrel", false},
        {"Open that fails", true, true,
         [](DocumentFixture& f) { f.doc->OpenDocumentFile(f.Path(QStringLiteral("missing.tavrel"))); }, 0,
         "News.tavrel", true},
        {"Save", true, true, [](DocumentFixture& f) { f.doc->OnCommand(cmd::kFileSave); }, 1, "News.tavrel", false},
        {"Save As of an untitled page", false, true,
         [](DocumentFixture& f) {
             f.host.savePath = f.Path(QStringLiteral("Saved.tavrel"));
             f.doc->OnCommand(cmd::kFileSaveAs);
         },
         1, "Saved.tavrel", false},
        {"Save As cancelled", false, true, [](DocumentFixture& f) { f.doc->OnCommand(cmd::kFileSaveAs); }, 0,
         "Untitled", true},
        {"a merge makes it untitled and clean", true, true,
         [](DocumentFixture& f) { f.doc->PageMerge(f.Path(QStringLiteral("Other.tavrel")), 1, nullptr); }, 1,
         "Untitled", false},
        {"a merge onto an untitled clean page", false, false,
         [](DocumentFixture& f) { f.doc->PageMerge(f.Path(QStringLiteral("Other.tavrel")), 1, nullptr); }, 0,
         "Untitled", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocumentFixture f;
        const QString newsPath = f.WritePageFile(news, {Recipe()});
        f.WritePageFile(QStringLiteral("Other.tavrel"), {Recipe()});
        if (c.opened) {
            ASSERT_TRUE(f.doc->OpenDocumentFile(newsPath));
        }
        CFrame* object = f.AddObject();
        f.doc->RecordUndoStep(ObjectMovedOrResized, *object, 1);
        f.doc->SetModifiedFlag(c.modified);

        // The window reads title and mark when told.
        std::vector<std::pair<QString, bool>> seen;
        QObject::connect(f.doc.get(), &CMainDoc::TitleChanged,
                         [&] { seen.emplace_back(f.doc->Title(), f.doc->IsModified()); });
        c.action(f);
        EXPECT_EQ(static_cast<int>(seen.size()), c.announced);
        EXPECT_EQ(f.doc->Title(), QString::fromUtf8(c.title));
        EXPECT_EQ(f.doc->IsModified(), c.modifiedAfter);
        if (!seen.empty()) {
            EXPECT_EQ(seen.back().first, f.doc->Title());
            EXPECT_EQ(seen.back().second, f.doc->IsModified());
        }
    }
}

// --- A host given after construction --------------------------------------------

TEST(DocumentHost, LaterHostGetsTheQuestionsAndMessagesAlsoFromThePagesPane)
{
    DocumentFixture f;
    const QString page = f.WritePageFile(QStringLiteral("Page.tavrel"), {Recipe()});
    RecordingHost window;
    f.doc->SetHost(&window);
    EXPECT_EQ(&f.doc->Host(), &window);

    f.AddObject();
    f.doc->SetModifiedFlag();
    window.saveAnswer = kSaveAnswerCancel;
    f.doc->PagesPane().SetSelection(page);
    f.doc->OnCommand(cmd::kPagesAdd);
    f.doc->OnCommand(cmd::kPagesLoad);
    EXPECT_EQ(window.questions.size(), 2u) << "the pages pane's save questions";
    f.doc->OnCommand(cmd::kPagesOpenInEditor);
    EXPECT_EQ(window.editorStarts, std::vector<QString>{page});
    f.doc->PagesPane().SetSelection(f.Path(QStringLiteral("missing.tavrel")));
    window.saveAnswer = kSaveAnswerNo;
    f.doc->OnCommand(cmd::kPagesLoad);
    EXPECT_EQ(window.MessageIds(), std::vector<int>{10311});
    EXPECT_TRUE(f.host.questions.empty());
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_TRUE(f.host.editorStarts.empty());

    // Null puts the built-in host back: nothing reaches the window any more.
    f.doc->SetHost(nullptr);
    f.doc->ReportFileError(1, page);
    f.doc->OnCommand(cmd::kPagesLoad);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_FALSE(f.doc->Host().Provides(HostFeature::kCanvas));
}

// --- The script editor ----------------------------------------------------------

TEST(DocumentScriptEditor, StatusShowsWhatTheEditorChanged)
{
    DocumentFixture f;
    // The operator adds a step in the editor.
    f.host.onScriptEditor = [&] { f.doc->script.Append({CFrameScriptItem::kPlay, {}, 0}); };
    f.doc->OnCommand(cmd::kScriptEditor);
    EXPECT_EQ(f.host.scriptEditorOpened, 1);
    ASSERT_FALSE(f.host.scriptStates.empty());
    EXPECT_EQ(f.host.scriptStates.back(), (ScriptState{true, false, QString(), 1, 1}));

    // From the pages pane: the script file is loaded, then edited.
    const QString path = f.Path(QStringLiteral("Show.script"));
    WriteScriptFile(path, "<script><item type=\"2\"/></script>");
    f.doc->PagesPane().SetSelection(path);
    f.doc->OnCommand(cmd::kPagesOpenInEditor);
    EXPECT_EQ(f.host.scriptEditorOpened, 2);
    EXPECT_EQ(f.host.scriptStates.back(), (ScriptState{true, false, QStringLiteral("Show"), 1, 2}));

    // Not while the script runs.
    f.doc->OnCommand(cmd::kHdmiOutput);
    f.doc->script.Append({CFrameScriptItem::kWaitPeriod, {}, 60});
    f.doc->ScriptStart();
    const size_t states = f.host.scriptStates.size();
    f.doc->OnCommand(cmd::kScriptEditor);
    EXPECT_EQ(f.host.scriptEditorOpened, 2);
    EXPECT_EQ(f.host.scriptStates.size(), states);
}

// --- File Open --------------------------------------------------------------------

TEST(DocumentFiles, OpenCommandAsksTheHostForAFile)
{
    DocumentFixture f;
    const QString page = f.WritePageFile(QStringLiteral("Page.tavrel"), {Recipe().Left(1), Recipe().Left(2)});
    CFrame* before = f.AddObject();

    // Cancelled: nothing happens.
    EXPECT_TRUE(f.doc->OnCommand(cmd::kFileOpen));
    EXPECT_EQ(f.host.openChoosers, 1);
    EXPECT_EQ(f.Live(), std::vector<CFrame*>{before});

    // A modified page asks first; Cancel keeps it.
    f.doc->SetModifiedFlag();
    f.host.openPath = page;
    f.host.saveAnswer = kSaveAnswerCancel;
    f.doc->OnCommand(cmd::kFileOpen);
    EXPECT_EQ(f.host.questions, std::vector<QString>{QStringLiteral("Save changes to 'Untitled'?")});
    EXPECT_EQ(f.Live(), std::vector<CFrame*>{before});
    EXPECT_TRUE(f.doc->PathName().isEmpty());

    // No: the chosen file opens.
    f.host.saveAnswer = kSaveAnswerNo;
    f.doc->OnCommand(cmd::kFileOpen);
    EXPECT_EQ(f.host.questions.size(), 2u);
    EXPECT_EQ(f.doc->PathName(), page);
    EXPECT_EQ(f.doc->page.LiveCount(), 2);
    EXPECT_FALSE(f.doc->IsModified());
}

// --- Command states -----------------------------------------------------------------

TEST(DocumentCommands, TheCanvasDecidesItsOwnCommands)
{
    DocumentFixture f;
    f.host.canvasStates[32806] = {true, true};    // lock: the selection is locked
    f.host.canvasStates[57643] = {false, false};  // undo: the editor has nothing to undo
    f.doc->RecordUndoStep(ObjectMovedOrResized, *f.AddObject(), 1);
    EXPECT_TRUE(f.doc->QueryCommand(32806).checked);
    EXPECT_FALSE(f.doc->QueryCommand(57643).enabled);
    // Commands of the document itself are not the canvas's to decide.
    f.host.canvasStates[cmd::kHdmiOutput] = {false, false};
    EXPECT_TRUE(f.doc->QueryCommand(cmd::kHdmiOutput).enabled);
}

TEST(DocumentCommands, StatesWithAndWithoutTheHostsWindows)
{
    // Enabled: in the idle playout instance with a host that has every
    // window, with the built-in host that has none, and with the output on
    // and the selected object playing. A selected object and one undo step
    // are there throughout.
    struct Row
    {
        int id;
        bool idle;
        bool bare;
        bool on;
    };
    std::vector<Row> rows = {
        {cmd::kHdmiOutput, true, true, true},
        {cmd::kPreview, true, true, false},
        {cmd::kPlayObject, true, true, true},
        {cmd::kPauseObject, false, false, true},
        {cmd::kEndObject, false, false, true},
        {cmd::kStopObject, false, false, true},
        {cmd::kPlayAll, false, false, true},
        {cmd::kPauseAll, false, false, true},
        {cmd::kEndAll, false, false, true},
        {cmd::kStopAll, false, false, true},
        {cmd::kPagesLoad, true, true, true},
        {cmd::kPagesAdd, true, true, true},
        {cmd::kPagesLoadAndPlay, true, true, true},
        {cmd::kPagesAddAndPlay, true, true, true},
        {cmd::kPagesOpenInEditor, true, true, true},
        {cmd::kPagesRename, true, true, true},
        {cmd::kScriptPlay, false, false, true},
        {cmd::kScriptStop, false, false, false},
        {cmd::kScriptEditor, true, false, true},
        {cmd::kAutomation, true, false, true},
        {cmd::kPreferences, true, false, true},
        {cmd::kSetupWizard, true, false, false},
        {cmd::kUndo, true, false, true},
        {cmd::kRedo, false, false, false},
        {cmd::kFileNew, true, true, true},
        {cmd::kFileOpen, true, true, true},
        {cmd::kFileSave, true, true, true},
        {cmd::kFileSaveAs, true, true, true},
    };
    for (int id = cmd::kHotkeyFirst; id <= cmd::kHotkeyLast; ++id)
        rows.push_back({id, true, true, true});
    for (const int id : cmd::kCanvasCommands) {
        if (id != cmd::kUndo && id != cmd::kRedo)
            rows.push_back({id, true, false, true});
    }

    enum Scenario { kIdle, kBare, kOn };
    for (const Scenario scenario : {kIdle, kBare, kOn}) {
        SCOPED_TRACE(scenario == kIdle ? "idle" : scenario == kBare ? "built-in host" : "output on");
        DocumentFixture f;
        f.Tick();  // the start-up step
        CFrame* object = f.AddObject();
        f.doc->SetSelection(object);
        f.doc->RecordUndoStep(ObjectMovedOrResized, *object, 1);
        // The canvas knows there is nothing to redo.
        f.host.canvasStates[cmd::kRedo] = {false, false};
        if (scenario == kBare)
            f.doc->SetHost(nullptr);
        if (scenario == kOn) {
            f.doc->OnCommand(cmd::kHdmiOutput);
            ASSERT_NE(f.Engine(), nullptr);
            CFramePlayer(*object).Play();
        }
        for (const Row& row : rows) {
            const bool expected = scenario == kIdle ? row.idle : scenario == kBare ? row.bare : row.on;
            EXPECT_EQ(f.doc->QueryCommand(row.id).enabled, expected) << "command " << row.id;
        }
    }
}
