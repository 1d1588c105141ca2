#include "document/SetupWizard.h"

#include "app/SettingsRegister.h"
#include "content/PagePlayback.h"
#include "document/CommandIds.h"
#include "document/MainDoc.h"
#include "model/Frame.h"
#include "render/display/VideoMode.h"

#include <array>

namespace {

// Column colours as objects store them (red in the low byte).
constexpr std::array<uint32_t, 8> kBarColours{0xFFFFFF, 0x00FFFF, 0xFFFF00, 0x00FF00,
                                              0xFF00FF, 0x0000FF, 0xFF0000, 0x000000};
constexpr std::array<uint32_t, 4> kStripeAlphas{0x00, 0x10, 0x20, 0x30};
constexpr int kEdge = 32;

}  // namespace

void BuildColourBars(CFrameSet& page, int canvasWidth, int canvasHeight)
{
    page.RemoveAllObjects();
    const int column = (canvasWidth - 96) / 8;
    const int half = (canvasHeight - 96) / 2;
    const int stripe = half / 4;
    for (size_t k = 0; k < kBarColours.size(); ++k) {
        const int left = kEdge + static_cast<int>(k) * column;
        const auto add = [&](uint32_t alpha, int top, int bottom) {
            auto object = std::make_unique<CFrame>();
            object->backgroundColor = kBarColours[k] | alpha << 24;
            object->rect = CRect{left, top, left + column, bottom};
            page.AddObject(object);
        };
        add(0xFF, kEdge, kEdge + half);
        for (size_t j = 0; j < kStripeAlphas.size(); ++j) {
            const int top = half + 64 + static_cast<int>(j) * stripe;
            add(kStripeAlphas[j], top, top + stripe);
        }
    }
}

CSetupWizardRun::CSetupWizardRun(CMainDoc& doc) : doc_(doc)
{
    const DocumentPreferences& prefs = doc.Preferences();
    modeIndex = ListPositionOfMode(prefs.mode);
    displayAdapter = prefs.displayAdapter;
    fullHdmiRange = prefs.fullHdmiRange;
}

CSetupWizardRun::~CSetupWizardRun()
{
    StopTestOutput();
}

bool CSetupWizardRun::BeginOnNewPage(CMainDoc& doc)
{
    doc.NewDocument();
    if (doc.IsModified())
        return false;
    emit doc.UpdateAllViews(kUpdatePage, {});
    return true;
}

int CSetupWizardRun::StartTestOutput()
{
    StopTestOutput();
    const VideoMode* mode = VideoModeById(ModeIdAtListPosition(modeIndex));
    if (mode == nullptr)
        mode = VideoModeById(0);
    BuildColourBars(testPage_, mode->canvasWidth, mode->canvasHeight);
    OutputEngineParams params = OutputParamsForMode(testPage_, *mode);
    params.displayAdapterName = displayAdapter;
    params.fullRange = fullHdmiRange;
    output_ = doc_.MakeOutputEngine(params);
    const int error = output_ != nullptr ? output_->RenderError() : kRenderDisplayFailed;
    if (error != kRenderRunning) {
        output_.reset();
        return error;
    }
    CPagePlayback(testPage_).PlayAllObjects();
    return kRenderRunning;
}

void CSetupWizardRun::StopTestOutput()
{
    output_.reset();
}

void CSetupWizardRun::SetFullRange(int fullRange)
{
    fullHdmiRange = fullRange != 0 ? 1 : 0;
    if (output_ != nullptr)
        output_->SetFullRange(fullHdmiRange);
}

void CSetupWizardRun::Finish()
{
    StopTestOutput();
    DocumentPreferences values = doc_.Preferences();
    const int modeId = ModeIdAtListPosition(modeIndex);
    if (modeId >= 0)
        values.mode = modeId;
    values.displayAdapter = displayAdapter;
    values.fullHdmiRange = fullHdmiRange;
    doc_.ApplyPreferences(values);
    // The canvas lays out a new mode's page; the grid and navigator rebuild.
    emit doc_.UpdateAllViews(kUpdatePreferences, {});
    if (!doc_.EditMode() && !doc_.OutputOn())
        doc_.OnCommand(cmd::kHdmiOutput);
}

bool CSetupWizardRun::EndFirstRun(bool cancelled)
{
    if (Read(settings::kFirstTimeSetup) == 0)
        return false;
    Write(settings::kFirstTimeSetup, 0);
    return cancelled;
}
