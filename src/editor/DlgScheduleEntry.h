#pragma once

#include "scripts/FrameScriptSchedule.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QRadioButton;
class QTimeEdit;
class QWidget;

// The start conditions of one automation entry: a time of day, once on a
// date or daily on chosen weekdays, and a hotkey, optionally global. Only
// what applies shows; OK takes every value back, also those of a trigger
// that is switched off, so that switching it on again finds them.
class CDlgScheduleEntry : public QDialog
{
    Q_OBJECT

public:
    CDlgScheduleEntry(const CFrameScriptSchedule& entry, QWidget* parent);

    // The entry with the controls' values; the switcher button and the
    // file stay as they came.
    CFrameScriptSchedule Entry() const;

private:
    void ApplyVisibility();

    CFrameScriptSchedule entry_;
    QCheckBox* playOnTime_;
    QWidget* timePart_;
    QTimeEdit* time_;
    QRadioButton* once_;
    QDateEdit* date_;
    QRadioButton* daily_;
    QWidget* weekdayPart_;
    std::array<QCheckBox*, 7> weekdays_{};
    QCheckBox* playOnHotkey_;
    QWidget* hotkeyPart_;
    QComboBox* hotkey_;
    QCheckBox* global_;
};
