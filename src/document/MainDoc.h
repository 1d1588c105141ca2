#pragma once

#include "document/DocumentHost.h"
#include "document/DocumentPreferences.h"
#include "document/OutputEngine.h"
#include "document/PagesPaneController.h"
#include "model/FrameSet.h"
#include "model/FrameUndo.h"
#include "model/PageFile.h"
#include "scripts/FrameScript.h"
#include "scripts/FrameScriptScheduleArray.h"
#include "scripts/GlobalHotkeys.h"
#include "scripts/ScriptClock.h"
#include "scripts/ScriptRunner.h"

#include <QObject>
#include <QRect>

#include <memory>
#include <mutex>
#include <vector>

class QWindow;

// Program state shown in the status bar (string 10300 + state).
enum ProgramState : int
{
    kStateIdle = 0,
    kStateHdmiOutput = 1,
    kStateEditMode = 2,
    kStatePreview = 3,
};

// View-update codes the document broadcasts to all views.
enum ViewUpdate : int
{
    kUpdatePage = 0,         // the page or the selection changed (hint: a rectangle)
    kUpdateRepaint = 1,      // repaint only: the overlay changed
    kUpdatePreferences = 2,  // language or preferences changed
    kUpdateThumbnail = 3,    // the pages-pane thumbnail changed
    kUpdateSelectNumber = 4, // select the object with a given number
    kUpdateRecomposed = 5,   // the canvas recomposed its picture
};

// One outline of the canvas overlay: an object's rectangle and its kind.
struct RTypeRect
{
    enum Type : int
    {
        kFailedPlaying = 0,  // source or background failed, playing
        kFailedIdle = 1,     // source or background failed, not playing
        kPaused = 2,
        kRunning = 3,
    };
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int type = kRunning;

    friend bool operator==(const RTypeRect&, const RTypeRect&) = default;
};

// The overlay list with its own lock: the document's monitor writes it, the
// canvas paints from it.
struct COverlayList
{
    std::mutex lock;
    std::vector<RTypeRect> entries;
};

// The services a document runs on. Any left empty takes the program's own:
// no host (nothing shown, no dialog ever open), the system clock, no output
// engine (switching the output on fails) and no global hotkeys.
struct MainDocServices
{
    IDocumentHost* host = nullptr;
    IScriptClock* clock = nullptr;
    OutputEngineFactory outputFactory;
    IGlobalHotkeys* globalHotkeys = nullptr;
};

// The single document: owns the page, the undo lists, the one-object
// clipboard, the output engine while the output or preview is on, the script
// with the runner's state and the automation list, the preferences that
// steer the output and the pages pane's controller. Turns commands and
// hotkeys into operations on the page. Everything runs on the user-interface
// thread; the render threads share only the page.
class CMainDoc : public QObject, private IScriptTarget
{
    Q_OBJECT

public:
    // Reads the preferences (creating the pages folder on first start) and
    // the automation list. editMode: an editor instance, which never drives
    // the output.
    explicit CMainDoc(bool editMode, const MainDocServices& services = {});
    ~CMainDoc() override;

    // --- Document identity -----------------------------------------------
    bool IsModified() const { return modified_; }
    // TitleChanged follows when the flag changes.
    void SetModifiedFlag(bool modified = true);
    const QString& PathName() const { return pathName_; }
    const QString& Title() const { return title_; }
    bool EditMode() const { return editMode_; }

    // The main window, given once it exists (null: the built-in host that
    // shows nothing). Everything the document and its pages pane ask from
    // then on goes to it.
    void SetHost(IDocumentHost* host);
    IDocumentHost& Host() const { return *host_; }

    // New: save question, then OnNewDocument. False when cancelled.
    bool NewDocument();
    // Open: the document's own file is not read again (true); otherwise the
    // save question, then OnOpenDocument. False when cancelled or failed.
    bool OpenDocumentFile(const QString& path);
    // Save (Save As without a path); false when cancelled or failed.
    bool DoFileSave();
    bool DoSaveAs();

    // Empties the page without a question.
    bool OnNewDocument();
    // A file or folder was renamed (the pages pane): the document's path
    // follows when it pointed at it or into it.
    void FileRenamed(const QString& oldPath, const QString& newPath);
    // Reads a page file onto the page without a question; the document's
    // path and title stay as they are.
    bool OnOpenDocument(const QString& path);
    // Asks whether to save a modified page before it is replaced; false =
    // stop (Cancel, or the save failed).
    bool SaveModified();

    // Puts the objects of a page file onto the page; replaceAll 0 keeps the
    // playing and locked objects (listed in keptOut when given). False when
    // the file could not be read: the page is unchanged.
    bool PageMerge(const QString& path, int replaceAll, FrameList* keptOut);
    // Message 10310 + code (1 open, 2 save, 3 corrupt, 4 version) with path.
    void ReportFileError(int code, const QString& path);

    // --- Output ----------------------------------------------------------
    void OutputStart(int preview);
    void OutputStop();
    int ProgramStateNow() const;
    bool OutputOn() const { return renderer_ != nullptr; }
    // The running output engine, or null.
    IOutputEngine* Renderer() const { return renderer_.get(); }
    // An output engine of the program's kind for another page (the setup
    // wizard's test output); null without an engine to make.
    std::unique_ptr<IOutputEngine> MakeOutputEngine(const OutputEngineParams& params) const
    {
        return outputFactory_ ? outputFactory_(params) : nullptr;
    }
    // The window the preview draws into (the preview pane's).
    void SetPreviewWindow(QWindow* window) { previewWindow_ = window; }
    // The periodic monitor: pages pane refresh, the overlay, a failed output.
    void RefreshOverlay(int broadcast);
    // One tick of the interface timer: the start-up step on the first tick,
    // then the monitor and the script runner on every later one.
    void InterfaceTick();

    // --- Commands --------------------------------------------------------
    using CommandState = HostCommandState;
    // Whether a command of the document is enabled and checked now.
    // Disabled, too, while the host lacks the window the command needs.
    CommandState QueryCommand(int id) const;
    // Runs a command of the document; editing commands go to the canvas
    // (CommandForCanvas). False for an id the document does not know.
    bool OnCommand(int id);
    // A double click on the selection (canvas, navigator): plays it, or ends
    // it when it plays; only while the output runs.
    void TogglePlayEndSelection();
    // Object hotkeys 1..20; a hotkey no object answers starts the first
    // automation entry with it.
    void HotkeyPressed(int n);

    // --- Selection -------------------------------------------------------
    void SetSelection(CFrame* object);
    CFrame* Selection() const { return selection_; }
    // The selected object's number on the page (1-based), 0 without one.
    int SelectionNumber() const { return selectionNumber_; }

    // --- Undo ------------------------------------------------------------
    void RecordUndoStep(int kind, const CFrame& object, int clearRedo);
    void RecordRedoStep(int kind, const CFrame& object);
    void DropLastUndoStep();
    CFrame* FindObjectById(int id);
    // Undo (1) or redo (0) of object edits, as the canvas runs it when no
    // text editor is open: stops a running script, applies the step and
    // selects its object. Returns whether a step was applied.
    bool UndoObjectEdit(int isUndo);
    const CFrameUndo& Undo() const { return undo_; }

    // --- Pages pane ------------------------------------------------------
    CPagesPaneController& PagesPane() { return pagesPane_; }

    // --- Scripts and automation -----------------------------------------
    void ScriptStart();
    void ScriptStop();
    bool ScriptLoad(const QString& path, int reportError, int start);
    const CScriptRunner& Runner() const { return runner_; }
    // The script editor on the script (not while it runs); the status bar
    // then shows what the editor changed.
    void OpenScriptEditor();
    // Starts the script of an automation entry (its index) when a script may
    // run; the trigger is lost otherwise.
    void AutomationStartScript(int index);
    // The automation command: edit the list in the host's dialog. After OK
    // the host is warned of global hotkeys another program holds.
    void AutomationEdit();
    // The clock the automation's time triggers read.
    const IScriptClock& Clock() const { return *clock_; }

    // --- Preferences -----------------------------------------------------
    const DocumentPreferences& Preferences() const { return prefs_; }
    // Stores the preferences (the playout instance only) and shows the
    // pages pane's root folder again.
    void PreferencesSave();
    // The dialog's OK in the playout instance: takes the values, a new mode
    // only when CanChangeMode (the page is then laid out again: view update
    // 0), then PreferencesSave. Returns whether the mode changed. An editor
    // instance keeps the document's values.
    bool ApplyPreferences(const DocumentPreferences& values);
    // The video mode may change only with the output off and an empty page
    // that is not modified.
    bool CanChangeMode();

    // --- Members ---------------------------------------------------------
    CFrameSet page;
    // The one-object clipboard of the canvas's Copy and Paste.
    std::unique_ptr<CFrame> objectClipboard;
    CFrameScript script;
    CFrameScriptScheduleArray automation;
    COverlayList overlay;

signals:
    // A view-update code for all views; hint is the changed rectangle of
    // code 0 (empty: everything) or carries the object number of code 4.
    void UpdateAllViews(int code, QRect hint);
    // An editing command for the canvas.
    void CommandForCanvas(int id);
    // The page's objects are about to be removed or replaced (New, Open,
    // a merge, a script's page or delete step); every object is still on
    // the page and alive. Whatever points into an object lets go of it now.
    void PageAboutToBeReplaced();
    // Title() or IsModified() changed.
    void TitleChanged();

private:
    // IScriptTarget
    bool ScriptRunCondition() override { return RunCondition(); }
    CFrameSet& ScriptPage() override { return page; }
    void ScriptMergePage(const QString& path, int replaceAll) override;
    void ScriptDeleteObjects(const QString& group) override;
    void ScriptStatusUpdate() override;

    // Writes the page; the document then carries the path, not modified.
    bool OnSaveDocument(const QString& path);
    // Sets path, title and modified flag; TitleChanged when the title or
    // the flag changed.
    void SetIdentity(const QString& path, const QString& title, bool modified);
    // The page becomes untitled and not modified; selection, undo lists and
    // clipboard are emptied.
    void PageResetUntitled();
    CPageFileContext PageContext();
    void ShowMessage(const CUserMessage& message);
    void ShowRenderError(int code);
    void DestroyRenderer();
    void ClearPageState(bool clearClipboard);
    std::vector<RTypeRect> BuildOverlay();

    // The state by the page, the output and the script alone.
    CommandState QueryCommandRules(int id) const;
    void OnHdmiOutputCommand();
    void OnPreviewCommand();
    void PlaybackStatusUpdate();
    // The start-up step of the playout instance: global hotkeys; with
    // "Switch HDMI output on on startup" the output and the start-up entry.
    void StartupStep();

    // Playback of the selection and its group.
    void PlaySelection();
    void PauseSelection();
    void EndSelection();
    void StopSelection();

    void ScriptProcessing();
    ScriptState CurrentScriptState() const;
    // Whether a script may run now: not modified, output on, no dialog open.
    bool RunCondition() const;
    bool Provides(HostFeature feature) const { return host_->Provides(feature); }
    // Registers the list's global hotkeys; returns those another program
    // holds (none without a system to ask).
    std::vector<GlobalHotkeyRegistration> AutomationRegisterGlobalHotkeys();
    void AutomationUnregisterGlobalHotkeys();

    bool editMode_;
    IDocumentHost defaultHost_;
    CSystemScriptClock systemClock_;
    IDocumentHost* host_;
    IScriptClock* clock_;
    OutputEngineFactory outputFactory_;
    IGlobalHotkeys* globalHotkeys_;
    DocumentPreferences prefs_;
    CPagesPaneController pagesPane_;
    bool modified_ = false;
    QString pathName_;
    QString title_;
    bool firstTickDone_ = false;

    std::unique_ptr<IOutputEngine> renderer_;
    int previewMode_ = 0;
    QWindow* previewWindow_ = nullptr;
    CFrameUndo undo_;
    CFrame* selection_ = nullptr;
    int selectionNumber_ = 0;
    CScriptRunner runner_;
    int lastScheduleSecond_ = -1;  // the clock's second the time triggers last looked at
};

// "Untitled", the title of a document without a file.
QString UntitledTitle();
