#include "editor/EditorApp.h"

#include "document/RenderOutputEngine.h"
#include "editor/MainFrame.h"
#include "editor/MainView.h"
#include "render/display/XRandrDisplayBackend.h"
#include "scripts/X11GlobalHotkeys.h"

CEditorApp::CEditorApp(const Options& options) : options_(options)
{
    MainDocServices services = options.services;
    if (options.realServices) {
        if (!services.outputFactory)
            services.outputFactory = RenderOutputEngineFactory();
        // Only the playout instance answers the automation's hotkeys.
        if (services.globalHotkeys == nullptr && !options.editMode) {
            hotkeys_ = std::make_unique<CX11GlobalHotkeys>();
            services.globalHotkeys = hotkeys_.get();
        }
    }
    if (options.timer == nullptr)
        ownTimer_ = std::make_unique<CQtInterfaceTimer>();
    timer_ = options.timer != nullptr ? options.timer : ownTimer_.get();

    std::function<std::vector<DisplayDeviceInfo>()> devices = options.displayDevices;
    if (!devices && options.realServices)
        devices = [] { return CXRandrDisplayBackend().EnumerateDevices(); };

    doc_ = std::make_unique<CMainDoc>(options.editMode, services);
    frame_ = std::make_unique<CMainFrame>(*doc_, options.editMode);
    frame_->SetDisplayDevices(std::move(devices));
    doc_->SetHost(frame_.get());
}

CEditorApp::~CEditorApp()
{
    timer_->Stop();
    frame_.reset();
    doc_.reset();
}

bool CEditorApp::Start()
{
    if (!options_.pageToOpen.isEmpty() && !doc_->OpenDocumentFile(options_.pageToOpen))
        return false;
    frame_->ShowAsLastTime();
    timer_->Start([this] { Tick(); });
    return true;
}

void CEditorApp::Tick()
{
    doc_->InterfaceTick();
    frame_->RefreshCommandStates();
}
