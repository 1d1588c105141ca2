#include "editor/DlgScheduleEntry.h"

#include "app/StringTable.h"
#include "editor/DialogButtons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"
#include "scripts/FrameScript.h"
#include "scripts/HotkeyNames.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The dialog and its controls carry the ids language packs key on.
constexpr int kDialogId = 1172;
constexpr int kTitleText = 10225;  // "Start conditions for script %s"
constexpr int kPlayOnTime = 1065;
constexpr int kTimeLabel = 1101;
constexpr int kTimePicker = 1083;
constexpr int kOnce = 1526;
constexpr int kDatePicker = 1250;
constexpr int kDaily = 1527;
constexpr int kMonday = 1058;  // .. 1064 Sunday
constexpr int kPlayOnHotkey = 1066;
constexpr int kHotkeyList = 1024;
constexpr int kGlobal = 1069;
// Room in front of the controls a check box switches on, so that they read
// as its part.
constexpr int kIndent = 22;
constexpr int kMinimumWidth = 380;
constexpr int kTitleBarButtons = 150;

}  // namespace

CDlgScheduleEntry::CDlgScheduleEntry(const CFrameScriptSchedule& entry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      entry_(entry)
{
    setProperty("tavrelId", kDialogId);
    setObjectName(QStringLiteral("scheduleEntryDialog"));
    // The caption names the script; the string table has it in every language.
    MarkDynamicText(this);
    setWindowTitle(FormatText(kTitleText, FileTitleOf(entry.file).toUtf8().constData()));

    const ScheduleTime& start = entry.startTime;
    playOnTime_ = Tagged(new QCheckBox(QStringLiteral("&Play on specific time"), this), kPlayOnTime);
    playOnTime_->setChecked(entry.playOnTime != 0);

    timePart_ = new QWidget(this);
    auto* timeGrid = new QGridLayout(timePart_);
    timeGrid->setContentsMargins(kIndent, 0, 0, 0);
    time_ = Tagged(new QTimeEdit(timePart_), kTimePicker);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    time_->setTime(QTime(start.hour, start.minute, start.second));
    auto* timeLabel = Tagged(new QLabel(QStringLiteral("&Start time"), timePart_), kTimeLabel);
    timeLabel->setBuddy(time_);
    once_ = Tagged(new QRadioButton(QStringLiteral("Only &once on"), timePart_), kOnce);
    date_ = Tagged(new QDateEdit(timePart_), kDatePicker);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_->setCalendarPopup(true);
    date_->setDate(QDate(start.year, start.month, start.day));
    daily_ = Tagged(new QRadioButton(QStringLiteral("&Daily"), timePart_), kDaily);
    auto* repeat = new QButtonGroup(this);
    repeat->addButton(once_);
    repeat->addButton(daily_);
    (entry.playOnce != 0 ? once_ : daily_)->setChecked(true);

    weekdayPart_ = new QWidget(timePart_);
    auto* weekdayGrid = new QGridLayout(weekdayPart_);
    weekdayGrid->setContentsMargins(kIndent, 0, 0, 0);
    const QString names[7] = {
        QStringLiteral("&Monday"), QStringLiteral("&Tuesday"),  QStringLiteral("&Wednesday"),
        QStringLiteral("T&hursday"), QStringLiteral("&Friday"), QStringLiteral("S&aturday"),
        QStringLiteral("S&unday"),
    };
    for (int day = 0; day < 7; ++day) {
        weekdays_[day] = Tagged(new QCheckBox(names[day], weekdayPart_), kMonday + day);
        weekdays_[day]->setChecked((entry.weekdays & (1 << day)) != 0);
        weekdayGrid->addWidget(weekdays_[day], day / 4, day % 4);
    }

    timeGrid->addWidget(timeLabel, 0, 0);
    timeGrid->addWidget(time_, 0, 1, Qt::AlignLeft);
    timeGrid->addWidget(once_, 1, 0);
    timeGrid->addWidget(date_, 1, 1, Qt::AlignLeft);
    timeGrid->addWidget(daily_, 2, 0, 1, 2);
    timeGrid->addWidget(weekdayPart_, 3, 0, 1, 3);
    timeGrid->setColumnStretch(2, 1);

    playOnHotkey_ = Tagged(new QCheckBox(QStringLiteral("Play on hot&key"), this), kPlayOnHotkey);
    playOnHotkey_->setChecked(entry.hotkey != 0);
    hotkeyPart_ = new QWidget(this);
    auto* hotkeyRow = new QHBoxLayout(hotkeyPart_);
    hotkeyRow->setContentsMargins(kIndent, 0, 0, 0);
    hotkey_ = Tagged(new QComboBox(hotkeyPart_), kHotkeyList);
    hotkey_->addItems(HotkeyNames().mid(1));  // "None" is the check box being off
    const bool known = entry.hotkey >= 1 && entry.hotkey <= CFrameScriptSchedule::kMaxHotkey;
    hotkey_->setCurrentIndex(known ? entry.hotkey - 1 : 0);
    global_ = Tagged(new QCheckBox(QStringLiteral("&Global hotkey"), hotkeyPart_), kGlobal);
    global_->setChecked(entry.global != 0);
    hotkeyRow->addWidget(hotkey_);
    hotkeyRow->addSpacing(12);
    hotkeyRow->addWidget(global_);
    hotkeyRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(playOnTime_);
    layout->addWidget(timePart_);
    layout->addSpacing(6);
    layout->addWidget(playOnHotkey_);
    layout->addWidget(hotkeyPart_);
    layout->addSpacing(6);
    layout->addWidget(OkCancelButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // One width whatever shows, wide enough for the caption with the
    // script's name beside the title bar's buttons.
    layout->addStrut(std::max(kMinimumWidth, fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarButtons));

    for (QAbstractButton* button : {static_cast<QAbstractButton*>(playOnTime_), static_cast<QAbstractButton*>(once_),
                                    static_cast<QAbstractButton*>(daily_), static_cast<QAbstractButton*>(playOnHotkey_)})
        connect(button, &QAbstractButton::toggled, this, &CDlgScheduleEntry::ApplyVisibility);
    ApplyVisibility();
    TranslateDialog(this);
    time_->setAccessibleName(WithoutAccessKey(timeLabel->text()));
    date_->setAccessibleName(WithoutAccessKey(once_->text()));
    hotkey_->setAccessibleName(WithoutAccessKey(playOnHotkey_->text()));
}

void CDlgScheduleEntry::ApplyVisibility()
{
    timePart_->setVisible(playOnTime_->isChecked());
    date_->setVisible(once_->isChecked());
    weekdayPart_->setVisible(daily_->isChecked());
    hotkeyPart_->setVisible(playOnHotkey_->isChecked());
}

CFrameScriptSchedule CDlgScheduleEntry::Entry() const
{
    CFrameScriptSchedule entry = entry_;
    entry.playOnTime = playOnTime_->isChecked() ? 1 : 0;
    const QTime time = time_->time();
    entry.startTime.hour = time.hour();
    entry.startTime.minute = time.minute();
    entry.startTime.second = time.second();
    const QDate date = date_->date();
    entry.startTime.year = date.year();
    entry.startTime.month = date.month();
    entry.startTime.day = date.day();
    entry.startTime.dayOfWeek = date.dayOfWeek() % 7;  // Qt counts Sunday as 7
    entry.playOnce = once_->isChecked() ? 1 : 0;
    int weekdays = 0;
    for (int day = 0; day < 7; ++day) {
        if (weekdays_[day]->isChecked())
            weekdays |= 1 << day;
    }
    entry.weekdays = weekdays;
    entry.hotkey = playOnHotkey_->isChecked() ? hotkey_->currentIndex() + 1 : 0;
    entry.global = global_->isChecked() ? 1 : 0;
    return entry;
}
