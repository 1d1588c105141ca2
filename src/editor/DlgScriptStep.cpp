#include "editor/DlgScriptStep.h"

#include "app/StringTable.h"
#include "editor/DialogButtons.h"
#include "editor/DialogTranslation.h"
#include "editor/SafeEdit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

constexpr int kActionDialog = 309;
constexpr int kPauseDialog = 310;
constexpr int kWaitDialog = 1173;
constexpr int kActionNames = 12298;  // + the step's type

void StartDialog(QDialog& dialog, int id, const QString& title)
{
    dialog.setProperty("tavrelId", id);
    dialog.setWindowTitle(title);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

bool EditAction(CFrameScriptItem& item, const ScriptStepContext& context, QWidget* parent)
{
    QDialog dialog(parent);
    StartDialog(dialog, kActionDialog, QStringLiteral("Script action"));
    auto* name = Tagged(new QLabel(LoadText(kActionNames + item.type), &dialog), 1080);
    MarkDynamicText(name);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* all = Tagged(new QRadioButton(QStringLiteral("Apply to &all objects"), &dialog), 1081);
    auto* group = Tagged(new QRadioButton(QStringLiteral("Apply to &group"), &dialog), 1082);
    auto* choices = new QButtonGroup(&dialog);
    choices->addButton(all);
    choices->addButton(group);
    auto* groupName = Tagged(new QComboBox(&dialog), 1023);
    groupName->setEditable(true);
    groupName->setInsertPolicy(QComboBox::NoInsert);
    groupName->addItems(context.groups);
    groupName->setEditText(item.sdata);
    groupName->setAccessibleName(QStringLiteral("Group"));
    (item.sdata.isEmpty() ? all : group)->setChecked(true);
    groupName->setEnabled(group->isChecked());
    QObject::connect(group, &QRadioButton::toggled, groupName, [groupName](bool on) {
        groupName->setEnabled(on);
        if (!on)
            groupName->setEditText(QString());
    });

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(name);
    layout->addWidget(all);
    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(group);
    groupRow->addWidget(groupName, 1);
    layout->addLayout(groupRow);
    layout->addWidget(OkCancelButtons(&dialog));
    TranslateDialog(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    item.sdata = groupName->currentText().trimmed();
    return true;
}

bool EditPause(CFrameScriptItem& item, QWidget* parent)
{
    QDialog dialog(parent);
    StartDialog(dialog, kPauseDialog, QStringLiteral("Script pause"));
    auto* seconds = Tagged(new CSafeEdit(QStringLiteral("0123456789"), &dialog), 1083);
    seconds->setText(QString::asprintf("%d", item.idata));
    seconds->setMaxLength(6);
    seconds->setAccessibleName(QStringLiteral("Seconds to wait"));
    auto* wait = new QLabel(QStringLiteral("&Wait"), &dialog);
    wait->setBuddy(seconds);
    auto* row = new QHBoxLayout;
    row->addWidget(wait);
    row->addWidget(seconds);
    row->addWidget(new QLabel(QStringLiteral("sec."), &dialog));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(OkCancelButtons(&dialog));
    TranslateDialog(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const int value = seconds->text().toInt();
    if (value <= 0)
        return false;
    item.idata = value;
    return true;
}

bool EditWaitUntil(CFrameScriptItem& item, QWidget* parent)
{
    QDialog dialog(parent);
    StartDialog(dialog, kWaitDialog, QStringLiteral("Script wait"));
    auto* time = Tagged(new QTimeEdit(QTime(0, 0).addSecs(item.idata), &dialog), 1083);
    time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    time->setAccessibleName(QStringLiteral("Wait until"));
    auto* label = new QLabel(QStringLiteral("Wait &until"), &dialog);
    label->setBuddy(time);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(time);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(OkCancelButtons(&dialog));
    TranslateDialog(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QTime chosen = time->time();
    item.idata = chosen.hour() * 3600 + chosen.minute() * 60 + chosen.second();
    return true;
}

}  // namespace

bool EditScriptStep(CFrameScriptItem& item, const ScriptStepContext& context, QWidget* parent)
{
    switch (item.type) {
    case CFrameScriptItem::kLoadPage:
    case CFrameScriptItem::kAddPage: {
        if (!context.choosePage)
            return false;
        const QString path = context.choosePage(item.sdata);
        if (path.isEmpty())
            return false;
        item.sdata = path;
        return true;
    }
    case CFrameScriptItem::kWaitPeriod: return EditPause(item, parent);
    case CFrameScriptItem::kWaitUntil: return EditWaitUntil(item, parent);
    default:
        if (CFrameScriptItem::UsesGroup(item.type))
            return EditAction(item, context, parent);
        return false;  // a type these editors never make
    }
}
