#include "editor/DlgAutomationEditor.h"

#include "app/StringTable.h"
#include "editor/CommandIcons.h"
#include "editor/DialogButtons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"
#include "editor/DlgScheduleEntry.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The dialog and its controls carry the ids language packs key on.
constexpr int kDialogId = 311;
constexpr int kListLabel = 1121;
constexpr int kList = 1079;
constexpr int kAddButton = 1074;
constexpr int kEditButton = 1075;
constexpr int kDeleteButton = 1076;
constexpr int kTriggerColumnText = 12500;
constexpr int kFileColumnText = 12501;
constexpr int kTriggerColumnWidth = 260;
constexpr int kFileColumnWidth = 180;

QIcon RowIcon(TriggerIcon kind)
{
    switch (kind) {
    case TriggerIcon::Startup: return ProgramIcon(QStringLiteral("automation-startup"));
    case TriggerIcon::Time: return ProgramIcon(QStringLiteral("automation-time"));
    case TriggerIcon::Hotkey: return ProgramIcon(QStringLiteral("automation-hotkey"));
    case TriggerIcon::None: break;
    }
    return ProgramIcon(QStringLiteral("automation-none"));
}

// A button of the list's operations: its icon, and the two spaces the
// program's icon buttons keep between icon and caption.
QPushButton* Button(const QString& text, const char* icon, int id, QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("  ") + text, parent);
    button->setProperty("tavrelId", id);
    button->setIcon(ProgramIcon(QString::fromLatin1(icon)));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CDlgAutomationEditor::CDlgAutomationEditor(const CFrameScriptScheduleArray& list, ChooseScript chooseScript,
                                           QWidget* parent, Now now)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      model_(list),
      chooseScript_(std::move(chooseScript)),
      now_(std::move(now))
{
    setProperty("tavrelId", kDialogId);
    setObjectName(QStringLiteral("automationDialog"));
    setWindowTitle(QStringLiteral("Automation"));

    list_ = new QTreeWidget(this);
    list_->setProperty("tavrelId", kList);
    list_->setObjectName(QStringLiteral("automationList"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setHeaderLabels({LoadText(kTriggerColumnText), LoadText(kFileColumnText)});
    list_->header()->setStretchLastSection(true);
    list_->header()->resizeSection(0, kTriggerColumnWidth);
    list_->header()->resizeSection(1, kFileColumnWidth);
    list_->setMinimumSize(kTriggerColumnWidth + kFileColumnWidth + 2 * list_->frameWidth() + 4, 260);
    auto* caption = new QLabel(QStringLiteral("&Scripts"), this);
    caption->setProperty("tavrelId", kListLabel);
    caption->setBuddy(list_);

    add_ = Button(QStringLiteral("&Add"), "object-add-simple", kAddButton, this);
    edit_ = Button(QStringLiteral("&Edit"), "object-edit-text", kEditButton, this);
    delete_ = Button(QStringLiteral("&Delete"), "object-delete", kDeleteButton, this);
    QDialogButtonBox* buttons = OkCancelButtons(this);
    for (QPushButton* button : buttons->findChildren<QPushButton*>())
        button->setAutoDefault(false);

    connect(add_, &QPushButton::clicked, this, &CDlgAutomationEditor::AddEntry);
    connect(edit_, &QPushButton::clicked, this, &CDlgAutomationEditor::EditSelected);
    connect(delete_, &QPushButton::clicked, this, &CDlgAutomationEditor::DeleteSelected);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = list_->selectedItems();
        model_.Select(selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.front()));
        UpdateButtons();
    });
    // Only a double click opens a row: Enter on the list does nothing.
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CDlgAutomationEditor::EditSelected);

    auto* operations = new QVBoxLayout;
    for (QPushButton* button : {add_, edit_, delete_})
        operations->addWidget(button);
    operations->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(list_, 1, 0);
    grid->addLayout(operations, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);

    Rebuild();
    TranslateDialog(this);
    // The access keys of the buttons' captions give them their names.
    for (QPushButton* button : {add_, edit_, delete_})
        button->setAccessibleName(WithoutAccessKey(button->text()).trimmed());
    list_->setAccessibleName(WithoutAccessKey(caption->text()));
    list_->setFocus();
}

void CDlgAutomationEditor::keyPressEvent(QKeyEvent* event)
{
    if (IsDialogEndKey(*event))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void CDlgAutomationEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The button box makes OK the default as it shows; no button may be
    // one here, or Enter would reach it.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setDefault(false);
}

void CDlgAutomationEditor::Rebuild()
{
    const QSignalBlocker quiet(list_);
    list_->clear();
    const CFrameScriptScheduleArray& list = model_.List();
    for (int i = 0; i < list.Count(); ++i) {
        const CFrameScriptSchedule& entry = list.At(i);
        TriggerIcon kind = TriggerIcon::None;
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, AutomationTriggerText(entry, i, &kind));
        row->setIcon(0, RowIcon(kind));
        row->setText(1, FileTitleOf(entry.file));
        row->setToolTip(1, QDir::toNativeSeparators(entry.file));
    }
    if (QTreeWidgetItem* selected = list_->topLevelItem(model_.Selected())) {
        list_->setCurrentItem(selected);
        list_->scrollToItem(selected);
    }
    UpdateButtons();
}

void CDlgAutomationEditor::UpdateButtons()
{
    add_->setEnabled(model_.CanAdd());
    edit_->setEnabled(model_.CanEdit());
    delete_->setEnabled(model_.CanDelete());
}

void CDlgAutomationEditor::AddEntry()
{
    if (!model_.CanAdd())
        return;
    const QString file = chooseScript_ ? chooseScript_(QString()) : QString();
    if (file.isEmpty())
        return;
    CFrameScriptSchedule entry(now_ ? now_() : ScheduleTime::Now());
    entry.file = file;
    CDlgScheduleEntry conditions(entry, this);
    if (conditions.exec() != QDialog::Accepted)
        return;
    model_.AddEntry(conditions.Entry());
    Rebuild();
}

void CDlgAutomationEditor::EditSelected()
{
    const int row = model_.Selected();
    if (row < 0)
        return;
    CFrameScriptSchedule entry = model_.List().At(row);
    if (row == CFrameScriptScheduleArray::kStartupEntry) {
        const QString file = chooseScript_ ? chooseScript_(entry.file) : QString();
        if (file.isEmpty())
            return;
        entry.file = file;
    } else {
        CDlgScheduleEntry conditions(entry, this);
        if (conditions.exec() != QDialog::Accepted)
            return;
        entry = conditions.Entry();
    }
    model_.EditSelected(entry);
    Rebuild();
}

void CDlgAutomationEditor::DeleteSelected()
{
    model_.DeleteSelected();
    Rebuild();
}
