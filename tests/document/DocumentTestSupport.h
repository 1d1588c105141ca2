#pragma once

#include "app/MemorySettingsStore.h"
#include "app/SettingsRegister.h"
#include "app/SettingsStore.h"
#include "content/PagePlayback.h"
#include "document/DocumentHost.h"
#include "document/InterfaceTimer.h"
#include "document/MainDoc.h"
#include "model/PageFile.h"
#include "render/core/Render.h"
#include "render/display/DisplayBackend.h"
#include "render/system/SystemInhibitor.h"
#include "scripts/ScriptClock.h"

#include <QDir>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace doctest {

// The screen saver as the renderer leaves it in tests: only noted.
class CNoInhibitor final : public ISystemInhibitor
{
public:
    void Inhibit(const QString&) override { held = true; }
    void Release() override { held = false; }
    bool Inhibited() const override { return held; }
    bool held = false;
};

// The real renderer on the CPU device, with the tests' displays and
// screen saver and without raised thread priorities.
inline CRenderEnvironment CpuRenderEnvironment(IDisplayBackend& displays, ISystemInhibitor& inhibitor)
{
    CRenderEnvironment environment;
    environment.device = QStringLiteral("cpu");
    environment.displayBackend = &displays;
    environment.inhibitor = &inhibitor;
    environment.raisePriorities = false;
    return environment;
}

// The objects' ids, to compare lists of objects.
inline std::vector<int> Ids(const std::vector<CFrame*>& objects)
{
    std::vector<int> ids;
    for (const CFrame* o : objects)
        ids.push_back(o->id);
    return ids;
}

// The main window as the document sees it: records what it was told and
// answers as a test sets it up. It has every window unless a test takes
// some away.
class RecordingHost : public IDocumentHost
{
public:
    bool Provides(HostFeature feature) const override { return features.count(feature) != 0; }
    // The canvas's answers: enabled unless a test says otherwise.
    HostCommandState CanvasCommandState(int id) const override
    {
        const auto it = canvasStates.find(id);
        return it != canvasStates.end() ? it->second : HostCommandState{true, false};
    }
    bool IsLastActivePopup() const override { return !dialogOpen; }
    bool MouseButtonDown() const override { return mouseDown; }
    void ShowMessage(const CUserMessage& message) override
    {
        messages.push_back(message);
        if (onMessage)
            onMessage(message);
    }
    int AskSaveChanges(const QString& question) override
    {
        questions.push_back(question);
        return saveAnswer;
    }
    QString ChooseOpenPath() override
    {
        ++openChoosers;
        return openPath;
    }
    QString ChooseSavePath(const QString&) override { return savePath; }
    QString ChooseScriptFile(const QString&) override { return scriptFile; }
    void SetProgramState(int state) override { programStates.push_back(state); }
    void SetScriptState(const ScriptState& state) override { scriptStates.push_back(state); }
    void ShowPreviewPane() override { previewShown = true; }
    void HidePreviewPane() override { previewShown = false; }
    int DesktopDpi() const override { return 96; }
    void EndTextEditing(bool) override { ++textEditingEnded; }
    void CheckPagesPane() override { ++pagesPaneChecks; }
    void RefreshPagesPane(const QString& root) override { refreshedRoots.push_back(root); }
    bool StartEditorInstance(const QString& path) override
    {
        editorStarts.push_back(path);
        return true;
    }
    void OpenScriptEditor() override
    {
        ++scriptEditorOpened;
        if (onScriptEditor)
            onScriptEditor();
    }
    bool RunAutomationDialog(CFrameScriptScheduleArray& list) override
    {
        return automationDialog ? automationDialog(list) : false;
    }
    void RunSetupWizard() override { ++wizardRuns; }

    std::vector<int> MessageIds() const
    {
        std::vector<int> ids;
        for (const CUserMessage& m : messages)
            ids.push_back(m.stringId);
        return ids;
    }

    std::set<HostFeature> features{HostFeature::kCanvas, HostFeature::kScriptEditor, HostFeature::kAutomationDialog,
                                   HostFeature::kSetupWizard};
    std::map<int, HostCommandState> canvasStates;
    bool dialogOpen = false;
    bool mouseDown = false;
    int saveAnswer = kSaveAnswerNo;
    QString openPath;
    QString savePath;
    QString scriptFile;
    std::function<void(const CUserMessage&)> onMessage;
    std::function<bool(CFrameScriptScheduleArray&)> automationDialog;
    // What the script editor does to the script while it is open.
    std::function<void()> onScriptEditor;

    std::vector<CUserMessage> messages;
    std::vector<QString> questions;
    std::vector<int> programStates;
    std::vector<ScriptState> scriptStates;
    bool previewShown = false;
    int textEditingEnded = 0;
    int pagesPaneChecks = 0;
    std::vector<QString> refreshedRoots;
    std::vector<QString> editorStarts;
    int openChoosers = 0;
    int scriptEditorOpened = 0;
    int wizardRuns = 0;
};

// The output engine's test double. It owns the page's outputActive flag as
// the renderer's render thread does; with a render thread it keeps taking
// snapshots and presenting the playing objects until it is destroyed.
class FakeOutputEngine : public IOutputEngine
{
public:
    FakeOutputEngine(const OutputEngineParams& params, int startError, bool renderThread)
        : params_(params), error_(startError)
    {
        if (startError != kRenderRunning)
            return;
        params_.page->outputActive.store(1);
        if (renderThread)
            thread_ = std::thread([this] { RenderLoop(); });
    }
    ~FakeOutputEngine() override { EndRenderThread(); }

    int RenderError() const override { return error_.load(); }
    void SetFullRange(int fullRange) override { params_.fullRange = fullRange; }

    // The render thread failing, as a lost device does: it stops the
    // objects, lets go of the page and leaves the code for the monitor.
    void Fail(int code)
    {
        EndRenderThread();
        error_.store(code);
    }
    const OutputEngineParams& Params() const { return params_; }
    int Frames() const { return frames_.load(); }

private:
    void EndRenderThread()
    {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
        if (params_.page->outputActive.load()) {
            CPagePlayback(*params_.page).StopAllObjects();
            params_.page->outputActive.store(0);
        }
    }

    void RenderLoop()
    {
        CFrameSet& page = *params_.page;
        while (!stop_.load()) {
            FrameList list;
            page.TakeSnapshot(list);
            for (CFrame* object : list) {
                if (!object->EnterRender())
                    continue;
                // What the renderer reads of an object while it presents it.
                volatile int sink = object->rect.left + object->rect.Width() + object->elapsed.load();
                (void)sink;
                object->LeaveRender();
            }
            page.ReleaseSnapshot();
            frames_.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    OutputEngineParams params_;
    std::atomic<int> error_;
    std::atomic<bool> stop_{false};
    std::atomic<int> frames_{0};
    std::thread thread_;
};

// Global hotkeys that record registrations; combinations in `taken` fail.
class FakeGlobalHotkeys : public IGlobalHotkeys
{
public:
    bool Register(int id, const HotkeyKey& key) override
    {
        for (const auto& [otherId, otherKey] : taken) {
            if (otherKey.alt == key.alt && otherKey.digit == key.digit)
                return false;
        }
        registered[id] = key;
        return true;
    }
    void Unregister(int id) override { registered.erase(id); }
    void SetPressedHandler(PressedFunction handler) override { pressed = std::move(handler); }
    void Press(int id)
    {
        if (pressed && registered.count(id))
            pressed(id);
    }

    std::map<int, HotkeyKey> registered;
    std::map<int, HotkeyKey> taken;
    PressedFunction pressed;
};

// What a test object carries: Recipe().Group("A").Hotkey(3).Locked().Left(100).
struct ObjectRecipe
{
    QString group;
    int hotkey = 0;
    int locked = 0;
    int left = 0;

    ObjectRecipe& Group(const QString& g) { group = g; return *this; }
    ObjectRecipe& Hotkey(int h) { hotkey = h; return *this; }
    ObjectRecipe& Locked() { locked = 1; return *this; }
    ObjectRecipe& Left(int l) { left = l; return *this; }
};
inline ObjectRecipe Recipe() { return {}; }

// A document on memory settings, a virtual clock, the recording host and
// the output double, with its pages in a temporary folder.
class DocumentFixture
{
public:
    explicit DocumentFixture(bool editMode = false, bool renderThread = false)
        : previousStore_(InstallSettingsStore(std::make_unique<CMemorySettingsStore>())),
          renderThread_(renderThread)
    {
        Write(settings::kFirstTimeSetup, 0);
        Write(settings::kRootFolder, folder_.path());
        MakeDocument(editMode);
    }
    ~DocumentFixture()
    {
        doc.reset();
        InstallSettingsStore(std::move(previousStore_));
    }

    void MakeDocument(bool editMode)
    {
        doc.reset();
        MainDocServices services;
        services.host = &host;
        services.clock = &clock;
        services.globalHotkeys = &hotkeys;
        services.outputFactory = [this](const OutputEngineParams& params) -> std::unique_ptr<IOutputEngine> {
            if (outputFactory)
                return outputFactory(params);
            auto engine = std::make_unique<FakeOutputEngine>(params, nextStartError, renderThread_);
            engines.push_back(engine.get());
            lastEngine = engine.get();
            return engine;
        };
        doc = std::make_unique<CMainDoc>(editMode, services);
    }

    // The output double unless outputFactory is set.
    FakeOutputEngine* Engine() const { return static_cast<FakeOutputEngine*>(doc->Renderer()); }

    // One tick of the 200 ms interface timer, after the clock moved on.
    void Tick(int milliseconds = IInterfaceTimer::kPeriodMs)
    {
        clock.Advance(milliseconds);
        doc->InterfaceTick();
    }

    QString Path(const QString& name) const { return QDir(folder_.path()).filePath(name); }

    // Writes a page of 1080i50 (mode 0) holding the given objects.
    QString WritePageFile(const QString& name, const std::vector<ObjectRecipe>& recipes)
    {
        std::vector<std::unique_ptr<CFrame>> owned;
        FrameList objects;
        for (const ObjectRecipe& recipe : recipes) {
            auto object = std::make_unique<CFrame>();
            object->rect = {recipe.left, 0, recipe.left + 100, 50};
            object->group = recipe.group;
            object->hotkey = recipe.hotkey;
            object->locked = recipe.locked;
            objects.push_back(object.get());
            owned.push_back(std::move(object));
        }
        CPageFileContext context;
        context.rasterWidth = 1920;
        context.rasterHeight = 1080;
        context.desktopDpi = 96;
        const QString path = Path(name);
        WritePage(path, objects, context);
        return path;
    }

    // Adds an object to the page directly, as the editor's Add does.
    CFrame* AddObject(const ObjectRecipe& recipe = ObjectRecipe())
    {
        auto object = std::make_unique<CFrame>();
        object->rect = {recipe.left, 0, recipe.left + 100, 50};
        object->group = recipe.group;
        object->hotkey = recipe.hotkey;
        object->locked = recipe.locked;
        CFrame* raw = object.get();
        return doc->page.AddObject(object) ? raw : nullptr;
    }

    std::vector<CFrame*> Live()
    {
        FrameList list;
        doc->page.TakeSnapshot(list);
        doc->page.ReleaseSnapshot();
        return list;
    }

    RecordingHost host;
    CVirtualScriptClock clock{QDateTime(QDate(2026, 3, 2), QTime(12, 0))};  // a Monday
    FakeGlobalHotkeys hotkeys;
    int nextStartError = kRenderRunning;
    // Set: the document gets the output engines it makes instead of the double.
    OutputEngineFactory outputFactory;
    std::vector<FakeOutputEngine*> engines;
    FakeOutputEngine* lastEngine = nullptr;
    std::unique_ptr<CMainDoc> doc;

private:
    std::unique_ptr<ISettingsStore> previousStore_;
    bool renderThread_;
    QTemporaryDir folder_;
};

}  // namespace doctest
