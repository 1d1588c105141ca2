#include "editor/PropertyDelegate.h"

#include "app/StringTable.h"
#include "document/ObjectProperties.h"
#include "editor/PropertyItemModel.h"
#include "editor/SafeEdit.h"

#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kMoreColoursText = 10218;
constexpr int kDurationMaxLength = 12;

// The colours offered at once; "more..." opens the colour dialog.
constexpr QRgb kPalette[] = {
    0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x800000, 0xFF0000, 0x808000, 0xFFFF00,
    0x008000, 0x00FF00, 0x008080, 0x00FFFF, 0x000080, 0x0000FF, 0x800080, 0xFF00FF,
};

QIcon SwatchIcon(const QColor& color)
{
    QPixmap swatch(16, 16);
    swatch.fill(color);
    return QIcon(swatch);
}

QString ColourText(const QColor& color)
{
    return QStringLiteral("%1, %2, %3").arg(color.red()).arg(color.green()).arg(color.blue());
}

// A colour list: the current colour, the palette and "more...".
class CColourPicker : public QComboBox
{
public:
    explicit CColourPicker(QWidget* parent) : QComboBox(parent) {}

    void SetColour(const QColor& color)
    {
        clear();
        addItem(SwatchIcon(color), ColourText(color), color);
        for (const QRgb rgb : kPalette) {
            const QColor entry = QColor::fromRgb(rgb);
            if (entry != color)
                addItem(SwatchIcon(entry), ColourText(entry), entry);
        }
        addItem(LoadText(kMoreColoursText));
        setCurrentIndex(0);
    }
    QColor Colour() const { return currentData().value<QColor>(); }
    bool MoreChosen() const { return currentIndex() == count() - 1; }
};

// A file name that is chosen, never typed.
class CFileEditor : public QWidget
{
public:
    CFileEditor(QWidget* parent, std::function<QString(const QString&)> choose)
        : QWidget(parent), choose_(std::move(choose))
    {
        text_ = new QLineEdit(this);
        text_->setReadOnly(true);
        text_->setFrame(false);
        button_ = new QToolButton(this);
        button_->setText(QStringLiteral("..."));
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(text_, 1);
        layout->addWidget(button_);
        setFocusProxy(button_);
    }
    QToolButton* Button() const { return button_; }
    void SetPath(const QString& path) { text_->setText(path); }
    QString Path() const { return text_->text(); }
    bool Choose()
    {
        const QString chosen = choose_(text_->text());
        if (chosen.isEmpty())
            return false;
        text_->setText(chosen);
        return true;
    }

private:
    std::function<QString(const QString&)> choose_;
    QLineEdit* text_;
    QToolButton* button_;
};

PropertyEditor EditorOf(const QModelIndex& index)
{
    return static_cast<PropertyEditor>(index.data(CPropertyItemModel::kEditorRole).toInt());
}

}  // namespace

CPropertyDelegate::CPropertyDelegate(FileChooser chooseFile, QObject* parent)
    : QStyledItemDelegate(parent), chooseFile_(std::move(chooseFile))
{
}

void CPropertyDelegate::CommitAndClose(QWidget* editor)
{
    emit const_cast<CPropertyDelegate*>(this)->commitData(editor);
    emit const_cast<CPropertyDelegate*>(this)->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QWidget* CPropertyDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const
{
    const int k = index.data(CPropertyItemModel::kPropertyRole).toInt();
    const QString name = LoadText(PropertyNameText(k));
    QWidget* editor = nullptr;
    auto* self = const_cast<CPropertyDelegate*>(this);
    switch (EditorOf(index)) {
    case PropertyEditor::YesNo:
    case PropertyEditor::FixedList:
    case PropertyEditor::EditableList: {
        auto* box = new QComboBox(parent);
        box->addItems(index.data(CPropertyItemModel::kEntriesRole).toStringList());
        if (EditorOf(index) == PropertyEditor::EditableList) {
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
        } else {
            connect(box, &QComboBox::activated, self, [self, box] { self->CommitAndClose(box); });
        }
        editor = box;
        break;
    }
    case PropertyEditor::Percent: {
        auto* spin = new QSpinBox(parent);
        spin->setRange(0, 100);
        spin->setFrame(false);
        editor = spin;
        break;
    }
    case PropertyEditor::Duration: {
        auto* line = new CSafeEdit(QStringLiteral("0123456789.,"), parent);
        line->setMaxLength(kDurationMaxLength);
        line->setFrame(false);
        editor = line;
        break;
    }
    case PropertyEditor::Time: {
        auto* line = new QLineEdit(parent);
        line->setInputMask(QStringLiteral("99:99:99;_"));
        line->setFrame(false);
        editor = line;
        break;
    }
    case PropertyEditor::Colour: {
        auto* picker = new CColourPicker(parent);
        connect(picker, &QComboBox::activated, self, [self, picker] {
            if (picker->MoreChosen()) {
                const QColor chosen = QColorDialog::getColor(picker->itemData(0).value<QColor>(), picker);
                if (!chosen.isValid()) {
                    emit self->closeEditor(picker, QAbstractItemDelegate::RevertModelCache);
                    return;
                }
                picker->SetColour(chosen);
            }
            self->CommitAndClose(picker);
        });
        editor = picker;
        break;
    }
    case PropertyEditor::FileChooser: {
        auto* file = new CFileEditor(parent, [this, k](const QString& current) { return chooseFile_(k, current); });
        connect(file->Button(), &QToolButton::clicked, self, [self, file] {
            if (file->Choose())
                self->CommitAndClose(file);
        });
        editor = file;
        break;
    }
    default: return nullptr;
    }
    editor->setAccessibleName(name);
    editor->setAutoFillBackground(true);
    return editor;
}

void CPropertyDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::EditRole);
    switch (EditorOf(index)) {
    case PropertyEditor::YesNo: static_cast<QComboBox*>(editor)->setCurrentIndex(value.toBool() ? 0 : 1); break;
    case PropertyEditor::FixedList: static_cast<QComboBox*>(editor)->setCurrentIndex(value.toInt()); break;
    case PropertyEditor::EditableList: {
        auto* box = static_cast<QComboBox*>(editor);
        const int at = box->findText(value.toString(), Qt::MatchFixedString);
        box->setCurrentIndex(at);
        box->setEditText(value.toString());
        break;
    }
    case PropertyEditor::Percent: static_cast<QSpinBox*>(editor)->setValue(value.toInt()); break;
    case PropertyEditor::Duration:
    case PropertyEditor::Time: static_cast<QLineEdit*>(editor)->setText(value.toString()); break;
    case PropertyEditor::Colour: static_cast<CColourPicker*>(editor)->SetColour(value.value<QColor>()); break;
    case PropertyEditor::FileChooser: static_cast<CFileEditor*>(editor)->SetPath(value.toString()); break;
    default: break;
    }
}

void CPropertyDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    QVariant value;
    switch (EditorOf(index)) {
    case PropertyEditor::YesNo: value = static_cast<QComboBox*>(editor)->currentIndex() == 0; break;
    case PropertyEditor::FixedList: value = static_cast<QComboBox*>(editor)->currentIndex(); break;
    case PropertyEditor::EditableList: value = static_cast<QComboBox*>(editor)->currentText(); break;
    case PropertyEditor::Percent: {
        auto* spin = static_cast<QSpinBox*>(editor);
        spin->interpretText();
        value = spin->value();
        break;
    }
    case PropertyEditor::Duration:
    case PropertyEditor::Time: value = static_cast<QLineEdit*>(editor)->text(); break;
    case PropertyEditor::Colour: {
        auto* picker = static_cast<CColourPicker*>(editor);
        if (picker->MoreChosen())
            return;
        value = picker->Colour();
        break;
    }
    case PropertyEditor::FileChooser: value = static_cast<CFileEditor*>(editor)->Path(); break;
    default: return;
    }
    model->setData(index, value, Qt::EditRole);
}

void CPropertyDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}
