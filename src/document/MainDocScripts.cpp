// The document's script runner, automation and preferences.
#include "document/MainDoc.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"
#include "render/VideoMode.h"

#include <QDir>
#include <QStandardPaths>


namespace {

constexpr int kScriptOpenFailedId = 10311;
constexpr const char* kPagesFolderName = "Tavrel";

}  // namespace

// --- Scripts -------------------------------------------------------------

bool CMainDoc::RunCondition() const
{
    return !modified_ && renderer != nullptr && host_->IsLastActivePopup();
}

ScriptState CMainDoc::CurrentScriptState() const
{
    ScriptState state;
    state.loaded = !script.items.empty();
    state.running = runner.scriptRunning != 0;
    state.name = script.DisplayName();
    state.step = runner.scriptStep + 1;
    state.count = script.Count();
    return state;
}

void CMainDoc::ScriptStatusUpdate()
{
    host_->SetScriptState(CurrentScriptState());
}

void CMainDoc::ScriptStart()
{
    runner.Start(script, RunCondition(), *clock_);
    ScriptStatusUpdate();
}

void CMainDoc::ScriptStop()
{
    if (runner.Stop())
        ScriptStatusUpdate();
}

bool CMainDoc::ScriptLoad(const QString& path, int reportError, int start)
{
    ScriptStop();
    const bool loaded = script.LoadFile(path);
    if (!loaded && reportError)
        ShowMessage(CUserMessage{kScriptOpenFailedId, kMessageError,
                                 FormatText(kScriptOpenFailedId, path.toUtf8().constData())});
    ScriptStatusUpdate();
    if (start)
        ScriptStart();
    return loaded;
}

void CMainDoc::ScriptProcessing()
{
    if (!editMode_) {
        const int entry = automation.CheckTimeTriggers(clock_->LocalTime(), lastScheduleSecond);
        if (entry >= 1)
            AutomationStartScript(entry);
    }
    runner.Process(script, *this, *clock_);
}

void CMainDoc::ScriptMergePage(const QString& path, int replaceAll)
{
    PageMerge(path, replaceAll, nullptr);
}

void CMainDoc::ScriptDeleteObjects(const QString& group)
{
    selection = nullptr;  // it may be among them; the reset below clears it anyway
    selectionNumber = 0;
    page.RemoveGroupObjects(group);
    PageResetUntitled();
}

// --- Automation ----------------------------------------------------------

void CMainDoc::AutomationStartScript(int index)
{
    if (index < 0 || index >= automation.Count())
        return;
    const QString file = automation.At(index).file;
    WriteLog(kLogLifecycle, "CMainDoc::AutomationStartScript(%d): %s", index, file.toUtf8().constData());
    if (file.isEmpty())
        return;
    // The trigger is lost, not retried, while the page is modified, the
    // output is off or a dialog is open.
    if (modified_ || renderer == nullptr || !host_->IsLastActivePopup())
        return;
    ScriptStop();
    script.LoadFile(file);
    ScriptStatusUpdate();
    ScriptStart();
}

void CMainDoc::AutomationRegisterGlobalHotkeys()
{
    if (editMode_)
        return;
    for (const GlobalHotkeyRegistration& registration : automation.GlobalHotkeys()) {
        const bool ok = globalHotkeys_ != nullptr && globalHotkeys_->Register(registration.id, registration.key);
        WriteLog(kLogLifecycle, "CMainDoc::AutomationRegisterGlobalHotkeys(%d, %d) = %d", registration.id,
                 registration.hotkey, ok ? 1 : 0);
    }
}

void CMainDoc::AutomationUnregisterGlobalHotkeys()
{
    if (globalHotkeys_ == nullptr)
        return;
    for (const int id : automation.HotkeyEntryIds())
        globalHotkeys_->Unregister(id);
}

void CMainDoc::AutomationEdit()
{
    if (editMode_)
        return;
    CFrameScriptScheduleArray copy = automation;
    AutomationUnregisterGlobalHotkeys();
    if (host_->RunAutomationDialog(copy)) {
        automation = copy;
        automation.SaveToSettings();
    }
    AutomationRegisterGlobalHotkeys();
}

// --- Preferences ---------------------------------------------------------

void CMainDoc::ReadPreferences()
{
    using namespace settings;
    mode = Read(kMode);
    if (VideoModeById(mode) == nullptr)
        mode = 0;  // a damaged value: the first mode rather than no raster at all
    autoStartOutput = Read(kAuto);
    noRestoreDisplays = Read(kNoRestoreDisplays);
    rootFolder = Read(kRootFolder);
    displayAdapter = Read(kDisplayAdapter);
    alternativeSync = Read(kAlternativeSync);
    fullHdmiRange = Read(kFullHdmiRange);
    defaultTreeAction = Read(kDefaultTreeAction);
    useRemote = Read(kUseRemote);
    remoteIp = static_cast<uint32_t>(Read(kRemoteIp));
    // The switcher console link never starts.
    useRemote = 0;

    if (rootFolder.isEmpty()) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty())
            documents = QDir::homePath();
        if (!documents.isEmpty()) {
            rootFolder = QDir(documents).filePath(QString::fromLatin1(kPagesFolderName));
            // Stored only once the folder exists, so that a failed creation
            // is tried again at the next start.
            if (QDir().mkpath(rootFolder)) {
                Write(kRootFolder, rootFolder);
                Settings().Flush();
            } else {
                WriteLog(kLogFailure, "CMainDoc: pages folder %s could not be created",
                         rootFolder.toUtf8().constData());
            }
        }
    }
}

DocumentPreferences CMainDoc::Preferences() const
{
    return {mode, autoStartOutput, noRestoreDisplays, rootFolder, displayAdapter, alternativeSync, fullHdmiRange,
            defaultTreeAction};
}

bool CMainDoc::ApplyPreferences(const DocumentPreferences& values)
{
    if (editMode_)
        return false;
    autoStartOutput = values.autoStartOutput;
    noRestoreDisplays = values.noRestoreDisplays;
    rootFolder = values.rootFolder;
    displayAdapter = values.displayAdapter;
    alternativeSync = values.alternativeSync;
    fullHdmiRange = values.fullHdmiRange;
    defaultTreeAction = values.defaultTreeAction;
    bool modeChanged = false;
    if (values.mode != mode && VideoModeById(values.mode) != nullptr && CanChangeMode()) {
        mode = values.mode;
        modeChanged = true;
        emit UpdateAllViews(kUpdatePage, {});
    }
    PreferencesSave();
    return modeChanged;
}

bool CMainDoc::CanChangeMode()
{
    return renderer == nullptr && !modified_ && page.LiveCount() == 0;
}

void CMainDoc::PreferencesSave()
{
    using namespace settings;
    // An editor instance never changes the playout instance's output settings.
    if (!editMode_) {
        Write(kMode, mode);
        Write(kAuto, autoStartOutput);
        Write(kNoRestoreDisplays, noRestoreDisplays);
        Write(kRootFolder, rootFolder);
        Write(kDisplayAdapter, displayAdapter);
        Write(kAlternativeSync, alternativeSync);
        Write(kFullHdmiRange, fullHdmiRange);
        Write(kDefaultTreeAction, defaultTreeAction);
        Write(kUseRemote, useRemote);
        Write(kRemoteIp, static_cast<int>(remoteIp));
        Settings().Flush();
    }
    host_->RefreshPagesPane(rootFolder);
}
