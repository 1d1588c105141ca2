#include "document/MainDoc.h"

#include "document/CanvasPicture.h"
#include "document/CommandIds.h"
#include "document/PagesFolder.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"
#include "content/FramePlayer.h"
#include "content/PagePlayback.h"
#include "render/display/VideoMode.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int kUntitledId = 61443;
constexpr int kSaveChangesId = 10202;
constexpr int kProgramStateBase = 10300;
constexpr int kFileErrorBase = 10310;
constexpr int kRenderErrorBase = 10320;

QString AbsolutePath(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

}  // namespace

QString UntitledTitle()
{
    return LoadText(kUntitledId);
}

CMainDoc::CMainDoc(bool editMode, const MainDocServices& services)
    : editMode_(editMode),
      host_(services.host != nullptr ? services.host : &defaultHost_),
      clock_(services.clock != nullptr ? services.clock : &systemClock_),
      outputFactory_(services.outputFactory),
      globalHotkeys_(services.globalHotkeys),
      prefs_(DocumentPreferences::Load()),
      pagesPane_(*this),
      title_(UntitledTitle())
{
    automation.LoadFromSettings();
    connect(&pagesPane_, &CPagesPaneController::ThumbnailChanged, this,
            [this] { emit UpdateAllViews(kUpdateThumbnail, {}); });
    if (globalHotkeys_ != nullptr)
        globalHotkeys_->SetPressedHandler([this](int entry) { AutomationStartScript(entry); });
}

CMainDoc::~CMainDoc()
{
    if (globalHotkeys_ != nullptr) {
        AutomationUnregisterGlobalHotkeys();
        globalHotkeys_->SetPressedHandler(nullptr);
    }
    objectClipboard.reset();
    // Switches the output off; the page outlives the engine's threads.
    renderer_.reset();
    selection_ = nullptr;
}

// --- Document identity ---------------------------------------------------

void CMainDoc::SetHost(IDocumentHost* host)
{
    host_ = host != nullptr ? host : &defaultHost_;
}

void CMainDoc::SetIdentity(const QString& path, const QString& title, bool modified)
{
    const bool changed = title != title_ || modified != modified_;
    pathName_ = path;
    title_ = title;
    modified_ = modified;
    if (changed)
        emit TitleChanged();
}

void CMainDoc::FileRenamed(const QString& oldPath, const QString& newPath)
{
    const QString path = PathAfterRename(pathName_, oldPath, newPath);
    if (path != pathName_)
        SetIdentity(path, QFileInfo(path).fileName(), modified_);
}

void CMainDoc::SetModifiedFlag(bool modified)
{
    SetIdentity(pathName_, title_, modified);
}

CPageFileContext CMainDoc::PageContext()
{
    CPageFileContext context;
    context.rasterWidth = CanvasWidthOfMode(prefs_.mode);
    context.rasterHeight = CanvasHeightOfMode(prefs_.mode);
    context.framePeriod = FramePeriodOfMode(prefs_.mode);
    context.desktopDpi = host_->DesktopDpi();
    context.message = [this](const CUserMessage& message) { ShowMessage(message); };
    return context;
}

void CMainDoc::ShowMessage(const CUserMessage& message)
{
    WriteLog(kLogLifecycle, "CMainDoc: message %d: %s", message.stringId, message.text.toUtf8().constData());
    host_->ShowMessage(message);
}

void CMainDoc::ClearPageState(bool clearClipboard)
{
    selection_ = nullptr;
    selectionNumber_ = 0;
    undo_.RemoveAllSteps();
    if (clearClipboard)
        objectClipboard.reset();
}

bool CMainDoc::OnNewDocument()
{
    ScriptStop();
    emit PageAboutToBeReplaced();
    SetIdentity(QString(), UntitledTitle(), false);
    ClearPageState(false);
    page.RemoveAllObjects();
    objectClipboard.reset();
    emit UpdateAllViews(kUpdatePage, {});
    return true;
}

bool CMainDoc::NewDocument()
{
    if (!SaveModified())
        return false;
    return OnNewDocument();
}

bool CMainDoc::OnOpenDocument(const QString& path)
{
    OwnedFrameList objects;
    CPageFileContext context = PageContext();
    if (!ReadPage(path, objects, 0, context))
        return false;
    emit PageAboutToBeReplaced();
    ClearPageState(false);
    page.RemoveAllObjects();
    for (auto& object : objects) {
        if (!page.AddObject(object))
            break;  // the page is full; the rest of the file is left out
    }
    return true;
}

bool CMainDoc::OpenDocumentFile(const QString& path)
{
    const QString absolute = AbsolutePath(path);
    if (!pathName_.isEmpty() && absolute == pathName_)
        return true;  // already open: not read again
    if (!SaveModified())
        return false;
    if (!OnOpenDocument(absolute))
        return false;
    SetIdentity(absolute, QFileInfo(absolute).fileName(), false);
    emit UpdateAllViews(kUpdatePage, {});
    return true;
}

bool CMainDoc::OnSaveDocument(const QString& path)
{
    CPageFileContext context = PageContext();
    // The thumbnail: the canvas's picture, or the page composed here when
    // no canvas shows it.
    CPicture composed;
    context.composedPage = host_->ComposedPage();
    if (context.composedPage == nullptr) {
        FrameList objects;
        page.TakeSnapshot(objects);
        composed = ComposePagePicture(objects, context.rasterWidth, context.rasterHeight);
        page.ReleaseSnapshot();
        context.composedPage = &composed;
    }
    if (!WritePage(path, page, context))
        return false;
    // One change of identity, so that Save As retitles the window once.
    SetIdentity(path, QFileInfo(path).fileName(), false);
    host_->RefreshPagesPane(prefs_.rootFolder);
    return true;
}

bool CMainDoc::DoFileSave()
{
    if (pathName_.isEmpty())
        return DoSaveAs();
    return OnSaveDocument(pathName_);
}

bool CMainDoc::DoSaveAs()
{
    const QString path = AbsolutePath(host_->ChooseSavePath(title_));
    return !path.isEmpty() && OnSaveDocument(path);
}

bool CMainDoc::SaveModified()
{
    if (!modified_)
        return true;
    QString name = pathName_.isEmpty() ? title_ : FileTitleOf(pathName_);
    if (name.isEmpty())
        name = UntitledTitle();
    switch (host_->AskSaveChanges(FormatText(kSaveChangesId, name.toUtf8().constData()))) {
    case kSaveAnswerYes:
        return DoFileSave();
    case kSaveAnswerNo:
        return true;
    default:
        return false;
    }
}

bool CMainDoc::PageMerge(const QString& path, int replaceAll, FrameList* keptOut)
{
    OwnedFrameList objects;
    CPageFileContext context = PageContext();
    if (!ReadPage(path, objects, 0, context))
        return false;
    emit PageAboutToBeReplaced();
    // The selection may be among the objects that go.
    selection_ = nullptr;
    selectionNumber_ = 0;
    page.MergeObjects(objects, replaceAll, keptOut);
    PageResetUntitled();
    return true;
}

void CMainDoc::PageResetUntitled()
{
    ClearPageState(true);
    SetIdentity(QString(), UntitledTitle(), false);
    emit UpdateAllViews(kUpdatePage, {});
}

void CMainDoc::ReportFileError(int code, const QString& path)
{
    const int id = kFileErrorBase + code;
    ShowMessage(CUserMessage{id, kMessageError, FormatText(id, path.toUtf8().constData())});
}

// --- Output --------------------------------------------------------------

void CMainDoc::ShowRenderError(int code)
{
    const int id = kRenderErrorBase + code;
    ShowMessage(CUserMessage{id, kMessageError, LoadText(id)});
}

void CMainDoc::OutputStart(int preview)
{
    previewMode_ = preview ? 1 : 0;
    const VideoMode* videoMode = VideoModeById(prefs_.mode);
    if (videoMode == nullptr)
        videoMode = VideoModeById(0);
    WriteLog(kLogLifecycle, "CMainDoc::OutputStart(%d): mode %d", previewMode_, videoMode->id);
    if (previewMode_) {
        host_->ShowPreviewPane();
        host_->SizePreviewWindow(videoMode->canvasWidth, videoMode->canvasHeight);
    }
    OutputEngineParams params = OutputParamsForMode(page, *videoMode);
    params.displayAdapterName = prefs_.displayAdapter;
    params.noRestoreDisplays = prefs_.noRestoreDisplays;
    params.alternativeSync = prefs_.alternativeSync;
    params.fullRange = prefs_.fullHdmiRange;
    params.previewWindow = previewMode_ ? previewWindow_ : nullptr;
    if (outputFactory_)
        renderer_ = outputFactory_(params);
    const int error = renderer_ != nullptr ? renderer_->RenderError() : kRenderApiUnavailable;
    if (previewMode_)
        host_->RestorePreviewWindow();
    if (error != kRenderRunning) {
        WriteLog(kLogFailure, "CMainDoc::OutputStart(%d): renderError = %d", previewMode_, error);
        OutputStop();
        ShowRenderError(error);
    } else {
        PlaybackStatusUpdate();
    }
}

void CMainDoc::DestroyRenderer()
{
    if (previewMode_)
        host_->HidePreviewPane();
    renderer_.reset();
    PlaybackStatusUpdate();
    previewMode_ = 0;
}

void CMainDoc::OutputStop()
{
    DestroyRenderer();
}

void CMainDoc::OnHdmiOutputCommand()
{
    if (editMode_)
        return;
    if (renderer_ != nullptr) {
        const int wasPreview = previewMode_;
        OutputStop();
        if (!wasPreview)
            return;
    }
    OutputStart(0);
}

void CMainDoc::OnPreviewCommand()
{
    if (renderer_ != nullptr)
        OutputStop();
    else
        OutputStart(1);
}

int CMainDoc::ProgramStateNow() const
{
    if (editMode_)
        return kStateEditMode;
    if (renderer_ == nullptr)
        return kStateIdle;
    return previewMode_ ? kStatePreview : kStateHdmiOutput;
}

void CMainDoc::PlaybackStatusUpdate()
{
    host_->ActivateMainWindow();
    host_->SetProgramState(ProgramStateNow());
}

std::vector<RTypeRect> CMainDoc::BuildOverlay()
{
    std::vector<RTypeRect> entries;
    FrameList list;
    page.TakeSnapshot(list);
    for (const CFrame* object : list) {
        const bool playing = object->playing.load() != 0;
        const bool failed = object->sourceError.load() != 0 || object->backgroundError.load() != 0;
        if (!playing && !failed)
            continue;
        RTypeRect entry{object->rect.left, object->rect.top, object->rect.right, object->rect.bottom, 0};
        if (failed)
            entry.type = playing ? RTypeRect::kFailedPlaying : RTypeRect::kFailedIdle;
        else
            entry.type = object->paused.load() ? RTypeRect::kPaused : RTypeRect::kRunning;
        entries.push_back(entry);
    }
    page.ReleaseSnapshot();
    return entries;
}

void CMainDoc::RefreshOverlay(int broadcast)
{
    const bool noDialog = host_->IsLastActivePopup();
    if (noDialog && !host_->MouseButtonDown())
        host_->CheckPagesPane();

    std::vector<RTypeRect> entries = BuildOverlay();
    bool changed = false;
    {
        std::lock_guard guard(overlay.lock);
        if (overlay.entries != entries) {
            overlay.entries = std::move(entries);
            changed = true;
        }
    }
    if (changed && broadcast)
        emit UpdateAllViews(kUpdateRepaint, {});

    if (renderer_ != nullptr && noDialog) {
        const int error = renderer_->RenderError();
        if (error != kRenderRunning) {
            WriteLog(kLogFailure, "CMainDoc::RefreshOverlay(): renderError = %d", error);
            DestroyRenderer();
            ShowRenderError(error);
        }
    }
}

void CMainDoc::InterfaceTick()
{
    if (!firstTickDone_) {
        firstTickDone_ = true;
        if (!editMode_) {
            // Without a wizard to show, the first run starts like any other;
            // the setting stays, so the wizard comes once there is one.
            if (Read(settings::kFirstTimeSetup) != 0 && Provides(HostFeature::kSetupWizard))
                host_->RunSetupWizard();
            else
                StartupStep();
            return;
        }
    }
    RefreshOverlay(1);
    ScriptProcessing();
}

void CMainDoc::StartupStep()
{
    AutomationRegisterGlobalHotkeys();
    if (prefs_.autoStartOutput) {
        OnHdmiOutputCommand();
        AutomationStartScript(CFrameScriptScheduleArray::kStartupEntry);
    }
}

// --- Commands ------------------------------------------------------------

namespace {

bool IsCanvasCommand(int id)
{
    return std::find(std::begin(cmd::kCanvasCommands), std::end(cmd::kCanvasCommands), id)
           != std::end(cmd::kCanvasCommands);
}

}  // namespace

CMainDoc::CommandState CMainDoc::QueryCommand(int id) const
{
    // The canvas knows its own commands' states (preferences go through it);
    // a command whose window the host lacks would do nothing: show it off.
    if (IsCanvasCommand(id) || id == cmd::kPreferences) {
        if (Provides(HostFeature::kCanvas))
            return host_->CanvasCommandState(id);
        return {false, QueryCommandRules(id).checked};
    }
    CommandState state = QueryCommandRules(id);
    if (id == cmd::kScriptEditor && !Provides(HostFeature::kScriptEditor))
        state.enabled = false;
    else if (id == cmd::kAutomation && !Provides(HostFeature::kAutomationDialog))
        state.enabled = false;
    else if (id == cmd::kSetupWizard && !Provides(HostFeature::kSetupWizard))
        state.enabled = false;
    return state;
}

CMainDoc::CommandState CMainDoc::QueryCommandRules(int id) const
{
    const bool output = page.outputActive.load() != 0;
    const bool playing = selection_ != nullptr && selection_->playing.load() != 0;
    const bool running = runner_.scriptRunning != 0;
    switch (id) {
    case cmd::kHdmiOutput:
        return {!editMode_, renderer_ != nullptr && !previewMode_};
    case cmd::kPreview:
        return {renderer_ == nullptr || previewMode_ != 0, renderer_ != nullptr && previewMode_ != 0};
    case cmd::kPlayObject:
        // With the output off it still ends the text editing.
        return {selection_ != nullptr, playing};
    case cmd::kPauseObject:
        return {selection_ != nullptr && output && playing, playing && selection_->paused.load() != 0};
    case cmd::kEndObject:
        return {playing, false};
    case cmd::kStopObject:
        return {selection_ != nullptr && output && playing, false};
    case cmd::kPlayAll:
    case cmd::kPauseAll:
    case cmd::kEndAll:
    case cmd::kStopAll:
        return {output, false};
    case cmd::kScriptPlay:
        return {RunCondition(), false};
    case cmd::kScriptStop:
        return {running, false};
    case cmd::kScriptEditor:
        return {!running, false};
    case cmd::kAutomation:
        return {!editMode_, false};
    case cmd::kSetupWizard:
        return {!editMode_ && renderer_ == nullptr, false};
    case cmd::kUndo:
        return {!undo_.undoSteps.empty(), false};
    case cmd::kRedo:
        return {!undo_.redoSteps.empty(), false};
    default:
        break;
    }
    if (id >= cmd::kHotkeyFirst && id <= cmd::kHotkeyLast)
        return {true, false};
    return {true, false};
}

bool CMainDoc::OnCommand(int id)
{
    if (id >= cmd::kHotkeyFirst && id <= cmd::kHotkeyLast) {
        HotkeyPressed(id - (cmd::kHotkeyFirst - 1));
        return true;
    }
    if (IsCanvasCommand(id)) {
        emit CommandForCanvas(id);
        return true;
    }
    switch (id) {
    case cmd::kHdmiOutput: OnHdmiOutputCommand(); break;
    case cmd::kPreview: OnPreviewCommand(); break;
    case cmd::kPlayObject: PlaySelection(); break;
    case cmd::kPauseObject: PauseSelection(); break;
    case cmd::kEndObject: EndSelection(); break;
    case cmd::kStopObject: StopSelection(); break;
    case cmd::kPlayAll: CPagePlayback(page).PlayAllObjects(); break;
    case cmd::kPauseAll: CPagePlayback(page).PauseAllObjects(); break;
    case cmd::kEndAll: CPagePlayback(page).EndAllObjects(); break;
    case cmd::kStopAll: CPagePlayback(page).StopAllObjects(); break;
    case cmd::kPagesLoad: pagesPane_.Load(); break;
    case cmd::kPagesAdd: pagesPane_.Add(); break;
    case cmd::kPagesLoadAndPlay: pagesPane_.LoadAndPlay(); break;
    case cmd::kPagesAddAndPlay: pagesPane_.AddAndPlay(); break;
    case cmd::kPagesOpenInEditor: pagesPane_.OpenInEditor(); break;
    case cmd::kPagesRename: pagesPane_.Rename(); break;
    case cmd::kScriptPlay:
        if (!script.items.empty()) {
            ScriptStart();
        } else {
            const QString path = host_->ChooseScriptFile(QString());
            if (!path.isEmpty())
                ScriptLoad(path, 1, 1);
        }
        break;
    case cmd::kScriptStop: ScriptStop(); break;
    case cmd::kScriptEditor: OpenScriptEditor(); break;
    case cmd::kAutomation: AutomationEdit(); break;
    case cmd::kPreferences: emit CommandForCanvas(id); break;
    case cmd::kSetupWizard:
        if (!editMode_ && renderer_ == nullptr)
            host_->RunSetupWizard();
        break;
    case cmd::kFileNew: NewDocument(); break;
    case cmd::kFileOpen: {
        const QString path = host_->ChooseOpenPath();
        if (!path.isEmpty())
            OpenDocumentFile(path);
        break;
    }
    case cmd::kFileSave: DoFileSave(); break;
    case cmd::kFileSaveAs: DoSaveAs(); break;
    default:
        return false;
    }
    return true;
}

void CMainDoc::TogglePlayEndSelection()
{
    if (selection_ == nullptr || !page.outputActive.load())
        return;
    OnCommand(selection_->playing.load() ? cmd::kEndObject : cmd::kPlayObject);
}

void CMainDoc::PlaySelection()
{
    if (selection_ == nullptr)
        return;
    host_->EndTextEditing(false);
    if (selection_ == nullptr)
        return;
    if (page.outputActive.load())
        CFramePlayer(*selection_).Play();
    CPagePlayback(page).PlayGroup(selection_->group, selection_);
}

void CMainDoc::PauseSelection()
{
    if (selection_ == nullptr)
        return;
    if (page.outputActive.load() && selection_->playing.load())
        CFramePlayer(*selection_).TogglePause();
    CPagePlayback(page).PauseGroup(selection_->group, selection_);
}

void CMainDoc::EndSelection()
{
    if (selection_ == nullptr)
        return;
    if (page.outputActive.load())
        CFramePlayer(*selection_).End();
    CPagePlayback(page).EndGroup(selection_->group, selection_);
}

void CMainDoc::StopSelection()
{
    if (selection_ == nullptr)
        return;
    if (page.outputActive.load())
        selection_->StopOutput();
    CPagePlayback(page).StopGroup(selection_->group, selection_);
}

void CMainDoc::HotkeyPressed(int n)
{
    if (n < 1 || n > CFrameScriptSchedule::kMaxHotkey)
        return;
    // Ending objects counts as their reaction too, although End reports
    // only a resumed pause: a hotkey that ended its objects must neither
    // start an automation entry nor leave a script running.
    bool endedSome = false;
    if (page.outputActive.load()) {
        FrameList list;
        page.TakeSnapshot(list);
        endedSome = std::any_of(list.begin(), list.end(),
                                [n](const CFrame* o) { return o->hotkey == n && o->playing.load(); });
        page.ReleaseSnapshot();
    }
    if (CPagePlayback(page).PlayOrEndByHotkey(n) || endedSome) {
        ScriptStop();
        return;
    }
    const int entry = automation.FindHotkey(n);
    if (entry >= 1)
        AutomationStartScript(entry);
}

// --- Selection and undo --------------------------------------------------

void CMainDoc::SetSelection(CFrame* object)
{
    selection_ = object;
    selectionNumber_ = object != nullptr ? page.ObjectNumber(object) : 0;
}

void CMainDoc::RecordUndoStep(int kind, const CFrame& object, int clearRedo)
{
    CPageUndo(page, undo_).RecordUndoStep(kind, object, clearRedo);
}

void CMainDoc::RecordRedoStep(int kind, const CFrame& object)
{
    CPageUndo(page, undo_).RecordRedoStep(kind, object);
}

void CMainDoc::DropLastUndoStep()
{
    undo_.PopUndo();
}

CFrame* CMainDoc::FindObjectById(int id)
{
    return page.FindObjectById(id);
}

bool CMainDoc::UndoObjectEdit(int isUndo)
{
    ScriptStop();
    const CPageUndo::Result result = CPageUndo(page, undo_).ApplyUndoStep(isUndo);
    if (!result.applied)
        return false;
    SetModifiedFlag(true);
    if (result.object != selection_) {
        host_->EndTextEditing(false);
        SetSelection(result.object);
    } else if (selection_ != nullptr) {
        selectionNumber_ = page.ObjectNumber(selection_);
    }
    emit UpdateAllViews(kUpdatePage, {});
    return true;
}

// --- Preferences ---------------------------------------------------------

bool CMainDoc::ApplyPreferences(const DocumentPreferences& values)
{
    if (editMode_)
        return false;
    const bool modeChanged = prefs_.Take(values, CanChangeMode());
    if (modeChanged)
        emit UpdateAllViews(kUpdatePage, {});
    PreferencesSave();
    return modeChanged;
}

bool CMainDoc::CanChangeMode()
{
    return renderer_ == nullptr && !modified_ && page.LiveCount() == 0;
}

void CMainDoc::PreferencesSave()
{
    // An editor instance never changes the playout instance's output settings.
    if (!editMode_)
        prefs_.Save();
    host_->RefreshPagesPane(prefs_.rootFolder);
}
