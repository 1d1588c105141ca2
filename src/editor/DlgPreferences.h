#pragma once

#include "document/PreferencesEditing.h"

#include <QDialog>

class CSafeEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The preferences dialog: the output's mode and display (playout instance
// only), the pages folder and the pages pane's default action, the toolbar
// size, and the canvas's grid, background and safety margins. Works on a
// copy; the caller applies it on OK.
class CDlgPreferences : public QDialog
{
    Q_OBJECT

public:
    // devices: the display outputs, asked only when the adapter list shows.
    CDlgPreferences(const PreferencesDialogState& state, const std::vector<DisplayDeviceInfo>& devices,
                    QWidget* parent);

    // The copy with the controls' values.
    PreferencesDialogState State() const;

private:
    void ChooseFolder();
    void ChooseColour();
    void ShowColour();
    void ApplyVisibility();

    PreferencesDialogState state_;
    std::vector<AdapterEntry> adapters_;
    QComboBox* mode_ = nullptr;
    QComboBox* adapter_ = nullptr;
    QCheckBox* fullRange_ = nullptr;
    QCheckBox* alternativeSync_ = nullptr;
    QCheckBox* autoStart_ = nullptr;
    QCheckBox* noRestore_ = nullptr;
    QLabel* folder_ = nullptr;
    QComboBox* defaultAction_;
    QCheckBox* largeToolbar_;
    QCheckBox* snap_;
    QLabel* gridLabel_;
    CSafeEdit* grid_;
    QRadioButton* checkered_;
    QRadioButton* solid_;
    QPushButton* colour_;
    CSafeEdit* marginH_;
    CSafeEdit* marginV_;
};
