#include "editor/MainStatusBar.h"

#include "app/StringTable.h"
#include "document/WindowTexts.h"
#include "editor/CommandIcons.h"

#include <QLabel>

#include <algorithm>

namespace {

constexpr int kReadyId = 57345;
constexpr int kScriptStateNameId = 10712;
constexpr int kGeometryNameId = 10713;
constexpr int kProgramStateNameId = 10714;
constexpr int kIconPane = 16;
constexpr int kScriptTextWidth = 400;
constexpr int kGeometryWidth = 200;

const char* const kProgramStateIcons[] = {"state-idle", "state-hdmi", "state-edit", "state-preview"};
const char* const kScriptStateIcons[] = {"script-none", "script-loaded", "script-playing"};

QLabel* IconPane(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFixedSize(kIconPane + 4, kIconPane);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

CMainStatusBar::CMainStatusBar(QWidget* parent)
    : QStatusBar(parent),
      message_(new QLabel(this)),
      scriptIcon_(IconPane(this)),
      scriptText_(new QLabel(this)),
      geometry_(new QLabel(this)),
      stateIcon_(IconPane(this))
{
    setObjectName(QStringLiteral("statusBar"));
    message_->setObjectName(QStringLiteral("messagePane"));
    scriptText_->setObjectName(QStringLiteral("scriptStatePane"));
    geometry_->setObjectName(QStringLiteral("geometryPane"));
    stateIcon_->setObjectName(QStringLiteral("programStatePane"));
    scriptText_->setFixedWidth(kScriptTextWidth);
    // Room for the widest geometry in this font (a measure, never shown).
    const int widestGeometry =
        geometry_->fontMetrics().horizontalAdvance(QStringLiteral(" 256: 1920,1080 - 1920,1080 (1920x1080)")) + 8;
    geometry_->setFixedWidth(std::max(kGeometryWidth, widestGeometry));
    // The message pane gives way to a command's prompt and comes back.
    addWidget(message_, 1);
    addPermanentWidget(scriptIcon_);
    addPermanentWidget(scriptText_);
    addPermanentWidget(geometry_);
    addPermanentWidget(stateIcon_);
    Retranslate();
    ShowScriptState();
}

void CMainStatusBar::Retranslate()
{
    message_->setText(LoadText(kReadyId));
    scriptIcon_->setAccessibleName(LoadText(kScriptStateNameId));
    scriptText_->setAccessibleName(LoadText(kScriptStateNameId));
    geometry_->setAccessibleName(LoadText(kGeometryNameId));
    stateIcon_->setAccessibleName(LoadText(kProgramStateNameId));
    if (programState_ >= 0)
        stateIcon_->setToolTip(ProgramStateToolTip(programState_));
    scriptText_->setText(ScriptStateText(scriptState_));
}

void CMainStatusBar::SetProgramState(int state)
{
    programState_ = state;
    const bool known = state >= 0 && state < static_cast<int>(std::size(kProgramStateIcons));
    stateIcon_->setPixmap(known ? ProgramIcon(QString::fromLatin1(kProgramStateIcons[state])).pixmap(kIconPane)
                                : QPixmap());
    stateIcon_->setToolTip(ProgramStateToolTip(state));
    stateIcon_->setAccessibleDescription(ProgramStateToolTip(state));
}

void CMainStatusBar::SetScriptState(const ScriptState& state)
{
    if (state == scriptState_)
        return;
    scriptState_ = state;
    ShowScriptState();
}

void CMainStatusBar::ShowScriptState()
{
    const ScriptStateKind kind = ScriptStateKindOf(scriptState_);
    scriptIcon_->setPixmap(ProgramIcon(QString::fromLatin1(kScriptStateIcons[kind])).pixmap(kIconPane));
    scriptText_->setText(ScriptStateText(scriptState_));
}

void CMainStatusBar::SetGeometryText(const QString& text)
{
    geometry_->setText(text);
}
