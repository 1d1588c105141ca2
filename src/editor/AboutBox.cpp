#include "editor/AboutBox.h"

#include "editor/CommandIcons.h"
#include "editor/DialogTranslation.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The dialog and its controls carry the ids language packs key on.
constexpr int kDialogId = 302;
constexpr int kIconControl = 1000;
constexpr int kNameControl = 1001;
constexpr int kVersionControl = 1002;
constexpr int kCopyrightControl = 1003;
constexpr int kIconSize = 64;

QLabel* Text(const QString& text, int controlId, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setProperty("tavrelId", controlId);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

CAboutBox::CAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setProperty("tavrelId", kDialogId);
    setWindowTitle(QStringLiteral("About Tavrel"));
    setObjectName(QStringLiteral("aboutBox"));

    auto* icon = new QLabel(this);
    icon->setProperty("tavrelId", kIconControl);
    icon->setPixmap(ProgramIcon(QStringLiteral("tavrel")).pixmap(kIconSize));
    icon->setAlignment(Qt::AlignTop);

    QLabel* name = Text(QStringLiteral("Tavrel"), kNameControl, this);
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    name->setFont(large);
    QLabel* version = Text(QStringLiteral("Live character generator, version %1\nBuilt %2")
                               .arg(QStringLiteral(TAVREL_VERSION), QStringLiteral(__DATE__)),
                           kVersionControl, this);
    MarkDynamicText(version);
    QLabel* copyright = Text(QStringLiteral("Copyright \u00A9 2026 Quellmark"), kCopyrightControl, this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(copyright);
    texts->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setProperty("tavrelId", 1);  // IDOK
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    TranslateDialog(this);
}
