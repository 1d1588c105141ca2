#include "editor/DlgParaFmt.h"

#include "app/StringTable.h"
#include "editor/DialogButtons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// The dialog and its controls carry the ids language packs key on.
constexpr int kDialogId = 303;
constexpr int kAlignmentControl = 1001;
constexpr int kLeftControl = 1002;
constexpr int kRightControl = 1003;
constexpr int kFirstLineControl = 1005;
constexpr int kLineSpacingControl = 1007;
constexpr int kTopControl = 1009;
constexpr int kBottomControl = 1011;
constexpr int kAlignmentTexts = 10400;    // Left, Right, Center
constexpr int kLineSpacingTexts = 10403;  // Single, One-and-a-half, Double
constexpr int kPixelLimit = 9999;

QComboBox* List(int firstText, std::optional<int> entry, int controlId, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setProperty("tavrelId", controlId);
    for (int i = 0; i < 3; ++i)
        box->addItem(LoadText(firstText + i));
    box->setCurrentIndex(entry.value_or(-1));
    return box;
}

QLineEdit* Pixels(std::optional<int> value, int controlId, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setProperty("tavrelId", controlId);
    field->setValidator(new QIntValidator(-kPixelLimit, kPixelLimit, field));
    field->setAlignment(Qt::AlignRight);
    field->setMaxLength(5);
    if (value)
        field->setText(QString::asprintf("%d", *value));
    return field;
}

std::optional<int> Entry(const QComboBox* box)
{
    return box->currentIndex() >= 0 ? std::optional<int>(box->currentIndex()) : std::nullopt;
}

std::optional<int> Number(const QLineEdit* field)
{
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

CDlgParaFmt::CDlgParaFmt(const ParagraphFields& fields, bool singleLine, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setProperty("tavrelId", kDialogId);
    setObjectName(QStringLiteral("paragraphDialog"));
    setWindowTitle(QStringLiteral("Paragraph formatting"));

    alignment_ = List(kAlignmentTexts, fields.alignment, kAlignmentControl, this);
    lineSpacing_ = List(kLineSpacingTexts, fields.lineSpacing, kLineSpacingControl, this);
    left_ = Pixels(fields.left, kLeftControl, this);
    right_ = Pixels(fields.right, kRightControl, this);
    firstLine_ = Pixels(fields.firstLine, kFirstLineControl, this);
    top_ = Pixels(fields.top, kTopControl, this);
    bottom_ = Pixels(fields.bottom, kBottomControl, this);
    // One line has the alignment of its direction and no lines to space.
    for (QWidget* fixed : {static_cast<QWidget*>(alignment_), static_cast<QWidget*>(right_),
                           static_cast<QWidget*>(lineSpacing_)})
        fixed->setEnabled(!singleLine);

    auto* alignmentRow = new QFormLayout;
    alignmentRow->addRow(Caption(QStringLiteral("&Alignment"), alignment_, this), alignment_);

    auto* margins = new QGroupBox(QStringLiteral("Margins"), this);
    auto* grid = new QGridLayout(margins);
    const std::pair<QString, QLineEdit*> cells[] = {
        {QStringLiteral("&Left"), left_},       {QStringLiteral("&Right"), right_},
        {QStringLiteral("&First line"), firstLine_}, {QStringLiteral("&Top"), top_},
        {QStringLiteral("&Bottom"), bottom_},
    };
    int index = 0;
    for (const auto& [text, field] : cells) {
        const int row = index % 3;
        const int column = (index / 3) * 2;
        grid->addWidget(Caption(text, field, margins), row, column);
        grid->addWidget(field, row, column + 1);
        ++index;
    }
    grid->setColumnMinimumWidth(2, 80);

    auto* spacingRow = new QFormLayout;
    spacingRow->addRow(Caption(QStringLiteral("Line &spacing"), lineSpacing_, this), lineSpacing_);

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(alignmentRow);
    layout->addWidget(margins);
    layout->addLayout(spacingRow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    TranslateDialog(this);
}

ParagraphFields CDlgParaFmt::Fields() const
{
    ParagraphFields fields;
    fields.alignment = Entry(alignment_);
    fields.lineSpacing = Entry(lineSpacing_);
    fields.left = Number(left_);
    fields.right = Number(right_);
    fields.firstLine = Number(firstLine_);
    fields.top = Number(top_);
    fields.bottom = Number(bottom_);
    return fields;
}
