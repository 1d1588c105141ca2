#pragma once

#include "document/SetupWizard.h"
#include "render/display/DisplayBackend.h"

#include <QWizard>

#include <functional>
#include <vector>

class CMainDoc;
class QCheckBox;
class QComboBox;

using DisplayDevicesFunction = std::function<std::vector<DisplayDeviceInfo>()>;

// The first-run wizard: the video mode and the output on the first page;
// Next plays colour bars on that output, and the second page shows what
// they should look like and switches the RGB range while they play. Enter,
// Escape and the window's close button do nothing: it ends with Finish or
// Cancel.
class CFirstSetupWizard : public QWizard
{
    Q_OBJECT

public:
    CFirstSetupWizard(CSetupWizardRun& run, const std::vector<DisplayDeviceInfo>& devices, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

// The whole wizard as the first start and Settings / Run initial setup
// wizard run it: a new page first (the save question), then the wizard;
// Finish stores the choices and switches the output on, Cancel on the first
// start says how to run it later.
void RunSetupWizard(CMainDoc& doc, QWidget* parent, const DisplayDevicesFunction& devices);
