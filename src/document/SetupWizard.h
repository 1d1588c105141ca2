#pragma once

#include "document/OutputEngine.h"
#include "model/FrameSet.h"

#include <QString>

#include <memory>

class CMainDoc;

// The test page of the first-run wizard: eight columns of colour bars
// (white, yellow, cyan, green, magenta, red, blue, black), each an opaque
// bar over four stripes of alpha 0, 16, 32 and 48, so that geometry, the
// RGB range and the key can be judged at a glance. The page is emptied
// first; 40 objects, column by column, top to bottom.
void BuildColourBars(CFrameSet& page, int canvasWidth, int canvasHeight);

// What the wizard does, below its window: its own page and output, the
// document's preferences before and after. The document's page is never
// touched while it runs.
class CSetupWizardRun
{
public:
    explicit CSetupWizardRun(CMainDoc& doc);
    ~CSetupWizardRun();
    CSetupWizardRun(const CSetupWizardRun&) = delete;
    CSetupWizardRun& operator=(const CSetupWizardRun&) = delete;

    // The wizard starts like New (the save question first): false when the
    // page stays modified (the operator cancelled), and no wizard runs.
    static bool BeginOnNewPage(CMainDoc& doc);

    // The choices, starting from the document's preferences.
    int modeIndex = 0;
    QString displayAdapter;
    int fullHdmiRange = 1;

    // Plays the colour bars of the chosen mode on the chosen output; 0
    // (running) or the output's error code (message 10320 + code).
    int StartTestOutput();
    void StopTestOutput();
    bool TestOutputRunning() const { return output_ != nullptr; }
    // The range box: the next output frame uses the other range.
    void SetFullRange(int fullRange);
    const CFrameSet& TestPage() const { return testPage_; }

    // Finish: the choices become the preferences (stored), the canvas is
    // told about a new mode, and the playout instance's output goes on.
    void Finish();
    // After Finish or Cancel on the first run: "FirstTimeSetup" is cleared;
    // true when the cancel message (10653) is to be shown.
    static bool EndFirstRun(bool cancelled);

private:
    CMainDoc& doc_;
    CFrameSet testPage_;
    std::unique_ptr<IOutputEngine> output_;
};
