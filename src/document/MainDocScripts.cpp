// The document's script runner and automation.
#include "document/MainDoc.h"

#include "app/Log.h"
#include "scripts/HotkeyNames.h"

#include <QStringList>

namespace {

constexpr int kScriptOpenFailedId = 10311;
constexpr int kHotkeysTakenId = 10728;

}  // namespace

// --- Scripts -------------------------------------------------------------

bool CMainDoc::RunCondition() const
{
    return !modified_ && renderer_ != nullptr && host_->IsLastActivePopup();
}

ScriptState CMainDoc::CurrentScriptState() const
{
    ScriptState state;
    state.loaded = !script.items.empty();
    state.running = runner_.scriptRunning != 0;
    state.name = script.DisplayName();
    state.step = runner_.scriptStep + 1;
    state.count = script.Count();
    return state;
}

void CMainDoc::ScriptStatusUpdate()
{
    host_->SetScriptState(CurrentScriptState());
}

void CMainDoc::OpenScriptEditor()
{
    if (runner_.scriptRunning)
        return;
    host_->OpenScriptEditor();
    ScriptStatusUpdate();
}

void CMainDoc::ScriptStart()
{
    runner_.Start(script, RunCondition(), *clock_);
    ScriptStatusUpdate();
}

void CMainDoc::ScriptStop()
{
    if (runner_.Stop())
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
        const int entry = automation.CheckTimeTriggers(clock_->LocalTime(), lastScheduleSecond_);
        if (entry >= 1)
            AutomationStartScript(entry);
    }
    runner_.Process(script, *this, *clock_);
}

void CMainDoc::ScriptMergePage(const QString& path, int replaceAll)
{
    PageMerge(path, replaceAll, nullptr);
}

void CMainDoc::ScriptDeleteObjects(const QString& group)
{
    emit PageAboutToBeReplaced();
    selection_ = nullptr;  // it may be among them; the reset below clears it anyway
    selectionNumber_ = 0;
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
    if (modified_ || renderer_ == nullptr || !host_->IsLastActivePopup())
        return;
    ScriptStop();
    script.LoadFile(file);
    ScriptStatusUpdate();
    ScriptStart();
}

std::vector<GlobalHotkeyRegistration> CMainDoc::AutomationRegisterGlobalHotkeys()
{
    std::vector<GlobalHotkeyRegistration> taken;
    if (editMode_)
        return taken;
    for (const GlobalHotkeyRegistration& registration : automation.GlobalHotkeys()) {
        const bool ok = globalHotkeys_ != nullptr && globalHotkeys_->Register(registration.id, registration.key);
        WriteLog(kLogLifecycle, "CMainDoc::AutomationRegisterGlobalHotkeys(%d, %d) = %d", registration.id,
                 registration.hotkey, ok ? 1 : 0);
        if (!ok && globalHotkeys_ != nullptr)
            taken.push_back(registration);
    }
    return taken;
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
    if (!host_->RunAutomationDialog(copy)) {
        AutomationRegisterGlobalHotkeys();
        return;
    }
    automation = copy;
    automation.SaveToSettings();
    const std::vector<GlobalHotkeyRegistration> taken = AutomationRegisterGlobalHotkeys();
    if (taken.empty())
        return;
    // The operator has just asked for these keys: say at once which ones
    // work only while the main window has the focus.
    QStringList lines;
    for (const GlobalHotkeyRegistration& registration : taken) {
        const QString script = FileTitleOf(automation.At(registration.id).file);
        lines.append(script.isEmpty() ? HotkeyName(registration.hotkey)
                                      : QStringLiteral("%1 (%2)").arg(HotkeyName(registration.hotkey), script));
    }
    ShowMessage(CUserMessage{kHotkeysTakenId, kMessageWarning,
                             FormatText(kHotkeysTakenId, lines.join(QLatin1Char('\n')).toUtf8().constData())});
}
