#pragma once

#include "document/DocumentHost.h"
#include "document/OutputEngine.h"
#include "model/FrameSet.h"
#include "model/FrameUndo.h"
#include "model/PageFile.h"
#include "model/Picture.h"
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

// The document's preferences as the preferences dialog edits them.
struct DocumentPreferences
{
    int mode = 0;
    int autoStartOutput = 0;
    int noRestoreDisplays = 0;
    QString rootFolder;
    QString displayAdapter;
    int alternativeSync = 0;
    int fullHdmiRange = 1;
    int defaultTreeAction = 0;
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
// with the runner's state and the automation list, and the preferences that
// steer the output. Turns commands, hotkeys and pages-pane actions into
// operations on the page. Everything runs on the user-interface thread; the
// render threads share only the page.
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
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }
    const QString& PathName() const { return pathName_; }
    const QString& Title() const { return title_; }
    bool EditMode() const { return editMode_; }

    // New: save question, then OnNewDocument. False when cancelled.
    bool NewDocument();
    // Open: the document's own file is not read again (true); otherwise the
    // save question, then OnOpenDocument. False when cancelled or failed.
    bool OpenDocumentFile(const QString& path);
    // Save (Save As without a path); false when cancelled or failed.
    bool DoFileSave();
    bool DoSaveAs();

    bool OnNewDocument();
    bool OnOpenDocument(const QString& path);
    bool OnSaveDocument(const QString& path);
    // Asks whether to save a modified page before it is replaced; false =
    // stop (Cancel, or the save failed).
    bool SaveModified();

    // Puts the objects of a page file onto the page; replaceAll 0 keeps the
    // playing and locked objects (listed in keptOut when given). False when
    // the file could not be read: the page is unchanged.
    bool PageMerge(const QString& path, int replaceAll, FrameList* keptOut);
    // The page becomes untitled and not modified; selection, undo lists and
    // clipboard are emptied.
    void PageResetUntitled();
    // Message 10310 + code (1 open, 2 save, 3 corrupt, 4 version) with path.
    void ReportFileError(int code, const QString& path);

    // --- Output ----------------------------------------------------------
    void OutputStart(int preview);
    void OutputStop();
    void OnHdmiOutputCommand();
    void OnPreviewCommand();
    int ProgramStateNow() const;
    bool OutputOn() const { return renderer != nullptr; }
    void PlaybackStatusUpdate();
    // The periodic monitor: pages pane refresh, the overlay, a failed output.
    void RefreshOverlay(int broadcast);
    // One tick of the interface timer: the start-up step on the first tick,
    // then the monitor and the script runner on every later one.
    void InterfaceTick();
    // The start-up step of the playout instance: global hotkeys; with
    // "Switch HDMI output on on startup" the output and the start-up entry.
    void StartupStep();

    // --- Commands --------------------------------------------------------
    struct CommandState
    {
        bool enabled = false;
        bool checked = false;
    };
    // Whether a command of the document is enabled and checked now.
    CommandState QueryCommand(int id) const;
    // Runs a command of the document; editing commands go to the canvas
    // (CommandForCanvas). False for an id the document does not know.
    bool OnCommand(int id);

    // Playback of the selection and its group.
    void PlaySelection();
    void PauseSelection();
    void EndSelection();
    void StopSelection();
    // Object hotkeys 1..20; a hotkey no object answers starts the first
    // automation entry with it.
    void HotkeyPressed(int n);
    // A global hotkey of the automation (its entry index).
    void GlobalHotkeyPressed(int id) { AutomationStartScript(id); }

    // --- Selection -------------------------------------------------------
    void SetSelection(CFrame* object);
    CFrame* Selection() const { return selection; }

    // --- Undo ------------------------------------------------------------
    void RecordUndoStep(int kind, const CFrame& object, int clearRedo);
    void RecordRedoStep(int kind, const CFrame& object);
    void DropLastUndoStep();
    CFrame* FindObjectById(int id);
    // Undo (1) or redo (0) of object edits, as the canvas runs it when no
    // text editor is open: stops a running script, applies the step and
    // selects its object. Returns whether a step was applied.
    bool UndoObjectEdit(int isUndo);

    // --- Pages pane ------------------------------------------------------
    void SetPagesPaneSelection(const QString& path);
    void PagesPaneLoad();
    void PagesPaneAdd();
    void PagesPaneLoadAndPlay();
    void PagesPaneAddAndPlay();
    void PagesPaneOpenInEditor();
    void PagesPaneRename();
    void PagesPaneDefaultAction();
    void ThumbnailLoad(int isPageFile, const QString& path);

    // --- Scripts and automation -----------------------------------------
    void ScriptStart();
    void ScriptStop();
    void ScriptProcessing();
    bool ScriptLoad(const QString& path, int reportError, int start);
    void ScriptStatusUpdate() override;
    ScriptState CurrentScriptState() const;
    // Whether a script may run now: not modified, output on, no dialog open.
    bool RunCondition() const;
    void AutomationStartScript(int index);
    void AutomationRegisterGlobalHotkeys();
    void AutomationUnregisterGlobalHotkeys();
    // The automation command: edit the list in the host's dialog.
    void AutomationEdit();

    // --- Preferences -----------------------------------------------------
    void ReadPreferences();
    void PreferencesSave();
    DocumentPreferences Preferences() const;
    // The dialog's OK in the playout instance: takes the values, a new mode
    // only when CanChangeMode (the page is then laid out again: view update
    // 0), then PreferencesSave. Returns whether the mode changed. An editor
    // instance keeps the document's values.
    bool ApplyPreferences(const DocumentPreferences& values);
    // The video mode may change only with the output off and an empty page
    // that is not modified.
    bool CanChangeMode();

    // --- Members ---------------------------------------------------------
    std::unique_ptr<IOutputEngine> renderer;
    int previewMode = 0;
    CFrameUndo undo;
    std::unique_ptr<CFrame> objectClipboard;
    CFrameSet page;
    QString rootFolder;
    int mode = 0;
    int autoStartOutput = 0;
    int noRestoreDisplays = 0;
    QString displayAdapter;
    int alternativeSync = 0;
    int fullHdmiRange = 1;
    int defaultTreeAction = 0;
    QString pagesPanePath;
    int pagesPaneIsScript = 0;
    CFrame* selection = nullptr;
    int selectionNumber = 0;
    QWindow* previewWindow = nullptr;
    int useRemote = 0;
    uint32_t remoteIp = 0;
    int thumbnailValid = 0;
    CPicture thumbnail;
    CFrameScript script;
    CScriptRunner runner;  // scriptRunning, scriptStep, stepStartTick
    int lastScheduleSecond = -1;
    CFrameScriptScheduleArray automation;
    COverlayList overlay;

signals:
    // A view-update code for all views; hint is the changed rectangle of
    // code 0 (empty: everything) or carries the object number of code 4.
    void UpdateAllViews(int code, QRect hint);
    // An editing command for the canvas.
    void CommandForCanvas(int id);

private:
    // IScriptTarget
    bool ScriptRunCondition() override { return RunCondition(); }
    CFrameSet& ScriptPage() override { return page; }
    void ScriptMergePage(const QString& path, int replaceAll) override;
    void ScriptDeleteObjects(const QString& group) override;

    CPageFileContext PageContext();
    void ShowMessage(const CUserMessage& message);
    void ShowRenderError(int code);
    void DestroyRenderer();
    void ClearPageState(bool clearClipboard);
    std::vector<RTypeRect> BuildOverlay();

    bool editMode_;
    IDocumentHost defaultHost_;
    CSystemScriptClock systemClock_;
    IDocumentHost* host_;
    IScriptClock* clock_;
    OutputEngineFactory outputFactory_;
    IGlobalHotkeys* globalHotkeys_;
    bool modified_ = false;
    QString pathName_;
    QString title_;
    bool firstTickDone_ = false;
};

// "Untitled", the title of a document without a file.
QString UntitledTitle();
