#include "editor/EmptyPane.h"

#include "app/StringTable.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kNotYetId = 10706;

}  // namespace

CEmptyPane::CEmptyPane(int nameId, QWidget* parent)
    : QWidget(parent), nameId_(nameId), name_(new QLabel(this)), note_(new QLabel(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMinimumSize(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    for (QLabel* label : {name_, note_}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setForegroundRole(QPalette::PlaceholderText);
        layout->addWidget(label);
    }
    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    layout->addStretch(1);
    Retranslate();
}

void CEmptyPane::Retranslate()
{
    name_->setText(LoadText(nameId_));
    note_->setText(LoadText(kNotYetId));
    setAccessibleName(LoadText(nameId_));
    setAccessibleDescription(LoadText(kNotYetId));
}
