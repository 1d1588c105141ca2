#include "editor/DlgScriptEditor.h"

#include "app/StringTable.h"
#include "editor/CommandIcons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kDialogId = 308;
constexpr int kTitleText = 10224;
constexpr int kActionColumnText = 12250;
constexpr int kTimeColumnText = 12251;
constexpr int kStepNames = 12330;  // + type
constexpr int kModifiedWarning = 10654;
constexpr int kOpenFailed = 10311;
constexpr int kSaveFailed = 10312;

// The icon of a step type, from the program's set.
QIcon StepIcon(int type)
{
    static const char* const kIcons[CFrameScriptItem::kTypeCount] = {
        "file-open",   "object-add-simple", "object-play", "object-pause", "object-end",
        "object-stop", "object-delete",     "all-end",     "script-none",  "automation",
    };
    return type >= 0 && type < CFrameScriptItem::kTypeCount ? ProgramIcon(QString::fromLatin1(kIcons[type])) : QIcon();
}

QPushButton* Button(const QString& text, const char* icon, int id, QWidget* parent)
{
    // Qt spaces the icon from the text itself.
    auto* button = new QPushButton(text, parent);
    button->setProperty("tavrelId", id);
    button->setIcon(ProgramIcon(QString::fromLatin1(icon)));
    button->setAutoDefault(false);
    button->setAccessibleName(WithoutAccessKey(text));
    return button;
}

}  // namespace

CDlgScriptEditor::CDlgScriptEditor(CFrameScript& script, const ScriptStepContext& steps, const Files& files,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      model_(script),
      steps_(steps),
      files_(files)
{
    setProperty("tavrelId", kDialogId);
    setObjectName(QStringLiteral("scriptEditor"));

    list_ = new QTreeWidget(this);
    list_->setProperty("tavrelId", 1079);
    list_->setObjectName(QStringLiteral("scriptSteps"));
    list_->setAccessibleName(QStringLiteral("Actions"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setHeaderLabels({LoadText(kActionColumnText), LoadText(kTimeColumnText)});
    list_->header()->setStretchLastSection(false);
    list_->header()->resizeSection(0, 300);
    list_->header()->resizeSection(1, 64);
    list_->setMinimumWidth(380);
    list_->installEventFilter(this);
    auto* caption = new QLabel(QStringLiteral("&Actions"), this);
    caption->setProperty("tavrelId", 1121);
    caption->setBuddy(list_);

    clear_ = Button(QStringLiteral("&Clear"), "file-new", 1071, this);
    load_ = Button(QStringLiteral("&Load"), "file-open", 1072, this);
    save_ = Button(QStringLiteral("&Save"), "file-save", 1073, this);
    auto* close = Button(QStringLiteral("Cl&ose"), "object-stop", 1080, this);
    add_ = Button(QStringLiteral("&Add"), "object-add-simple", 1074, this);
    edit_ = Button(QStringLiteral("&Edit"), "object-edit-text", 1075, this);
    delete_ = Button(QStringLiteral("&Delete"), "object-delete", 1076, this);
    up_ = Button(QStringLiteral("&Up"), "object-move-up", 1077, this);
    down_ = Button(QStringLiteral("Do&wn"), "object-move-down", 1078, this);
    loop_ = new QCheckBox(QStringLiteral("Loo&p"), this);
    loop_->setProperty("tavrelId", 1027);

    connect(clear_, &QPushButton::clicked, this, &CDlgScriptEditor::ClearScript);
    connect(load_, &QPushButton::clicked, this, &CDlgScriptEditor::LoadScript);
    connect(save_, &QPushButton::clicked, this, &CDlgScriptEditor::SaveScript);
    connect(close, &QPushButton::clicked, this, &CDlgScriptEditor::reject);
    connect(add_, &QPushButton::clicked, this, &CDlgScriptEditor::ShowAddMenu);
    connect(edit_, &QPushButton::clicked, this, &CDlgScriptEditor::EditSelected);
    connect(delete_, &QPushButton::clicked, this, [this] {
        model_.DeleteSelected();
        Rebuild();
    });
    connect(up_, &QPushButton::clicked, this, [this] {
        model_.MoveSelectedUp();
        Rebuild();
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        model_.MoveSelectedDown();
        Rebuild();
    });
    connect(loop_, &QCheckBox::toggled, this, [this](bool on) { model_.SetLoop(on); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = list_->selectedItems();
        model_.Select(selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.front()));
        UpdateButtons();
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });

    auto* fileColumn = new QVBoxLayout;
    for (QPushButton* button : {clear_, load_, save_})
        fileColumn->addWidget(button);
    fileColumn->addStretch(1);
    fileColumn->addWidget(close);
    auto* stepsColumn = new QVBoxLayout;
    for (QPushButton* button : {add_, edit_, delete_, up_, down_})
        stepsColumn->addWidget(button);
    stepsColumn->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(list_, 1, 0);
    grid->addWidget(loop_, 2, 0);
    grid->addLayout(stepsColumn, 1, 1);
    grid->addLayout(fileColumn, 1, 2);
    grid->setColumnStretch(0, 1);

    TranslateDialog(this);
    Rebuild();
}

void CDlgScriptEditor::UpdateTitle()
{
    QString title = LoadText(kTitleText);
    if (!model_.Script().fileName.isEmpty())
        title += QStringLiteral(" - ") + model_.Script().DisplayName();
    setWindowTitle(title);
}

void CDlgScriptEditor::UpdateButtons()
{
    edit_->setEnabled(model_.CanEdit());
    delete_->setEnabled(model_.CanDelete());
    up_->setEnabled(model_.CanMoveUp());
    down_->setEnabled(model_.CanMoveDown());
    save_->setEnabled(model_.CanSave());
}

void CDlgScriptEditor::Rebuild()
{
    const QSignalBlocker quiet(list_);
    list_->clear();
    const CFrameScript& script = model_.Script();
    const std::vector<QString> times = ScriptTimeColumn(script);
    for (int i = 0; i < script.Count(); ++i) {
        auto* row = new QTreeWidgetItem(list_, {ScriptStepText(i, script.items[static_cast<size_t>(i)]),
                                                times[static_cast<size_t>(i)]});
        row->setIcon(0, StepIcon(script.items[static_cast<size_t>(i)].type));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (model_.Selected() >= 0) {
        QTreeWidgetItem* selected = list_->topLevelItem(model_.Selected());
        list_->setCurrentItem(selected);
        list_->scrollToItem(selected);
    }
    {
        const QSignalBlocker quietLoop(loop_);
        loop_->setChecked(script.loop != 0);
    }
    UpdateButtons();
    UpdateTitle();
}

bool CDlgScriptEditor::MayDiscard()
{
    if (!model_.Modified())
        return true;
    if (QMessageBox::warning(this, windowTitle(), LoadText(kModifiedWarning), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    model_.WarningConfirmed();
    return true;
}

void CDlgScriptEditor::ShowAddMenu()
{
    QMenu menu(this);
    for (int type = 0; type < CFrameScriptItem::kTypeCount; ++type) {
        QAction* action = menu.addAction(StepIcon(type), LoadText(kStepNames + type));
        connect(action, &QAction::triggered, this, [this, type] { AddStep(type); });
    }
    menu.exec(add_->mapToGlobal(add_->rect().topRight()));
}

void CDlgScriptEditor::AddStep(int type)
{
    CFrameScriptItem step = NewScriptStep(type);
    if (!EditScriptStep(step, steps_, this))
        return;
    model_.AddStep(step);
    Rebuild();
}

void CDlgScriptEditor::EditSelected()
{
    if (!model_.CanEdit())
        return;
    CFrameScriptItem step = model_.Script().items[static_cast<size_t>(model_.Selected())];
    if (!EditScriptStep(step, steps_, this))
        return;
    model_.EditSelected(step.sdata, step.idata);
    Rebuild();
}

void CDlgScriptEditor::ClearScript()
{
    if (!MayDiscard())
        return;
    model_.Clear();
    Rebuild();
}

void CDlgScriptEditor::LoadScript()
{
    if (!MayDiscard() || !files_.chooseScript)
        return;
    const QString path = files_.chooseScript(QString());
    if (path.isEmpty())
        return;
    if (!model_.Load(path))
        QMessageBox::critical(this, windowTitle(), FormatText(kOpenFailed, path.toUtf8().constData()));
    Rebuild();
}

void CDlgScriptEditor::SaveScript()
{
    if (!files_.chooseSaveScript)
        return;
    const QString path = files_.chooseSaveScript(model_.Script().fileName);
    if (path.isEmpty())
        return;
    if (!model_.Save(path))
        QMessageBox::critical(this, windowTitle(), FormatText(kSaveFailed, path.toUtf8().constData()));
    Rebuild();
}

void CDlgScriptEditor::reject()
{
    if (MayDiscard())
        QDialog::reject();
}

void CDlgScriptEditor::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape close nothing here.
    if (IsDialogEndKey(*event))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

bool CDlgScriptEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && model_.CanDelete()) {
            model_.DeleteSelected();
            Rebuild();
            return true;
        }
        // Enter on a row opens nothing (double click and Edit do).
        if (IsDialogEndKey(*key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
