#include "editor/PropertyItemModel.h"

#include "app/StringTable.h"

#include <QColor>
#include <QPixmap>

namespace {

constexpr int kPropertyHeaderText = 10221;
constexpr int kValueHeaderText = 10222;
constexpr int kYesText = 10219;
constexpr int kNoText = 10220;
constexpr quintptr kGroupRow = 0;  // internal id of a group row; a property's is its group + 1

QPixmap Swatch(const QColor& color)
{
    QPixmap swatch(14, 14);
    swatch.fill(color);
    return swatch;
}

}  // namespace

CPropertyItemModel::CPropertyItemModel(CObjectProperties& properties, ChangeHandler onChange, QObject* parent)
    : QAbstractItemModel(parent), properties_(properties), onChange_(std::move(onChange))
{
    groups_.resize(kPropertyGroupCount);
    for (const ObjectProperty& property : ObjectPropertyTable())
        groups_[static_cast<size_t>(property.group)].push_back(&property);
    Rebuild();
}

void CPropertyItemModel::Rebuild()
{
    beginResetModel();
    groupTexts_.clear();
    for (int group = 0; group < kPropertyGroupCount; ++group)
        groupTexts_.append(LoadText(PropertyGroupText(group)));
    yes_ = LoadText(kYesText);
    no_ = LoadText(kNoText);
    endResetModel();
}

void CPropertyItemModel::Refresh()
{
    emit dataChanged(index(0, 0), index(rowCount() - 1, 1));
    for (int group = 0; group < rowCount(); ++group) {
        const QModelIndex parent = index(group, 0);
        emit dataChanged(index(0, 0, parent), index(rowCount(parent) - 1, 1, parent));
    }
}

QModelIndex CPropertyItemModel::ValueIndex(int k) const
{
    for (size_t group = 0; group < groups_.size(); ++group) {
        for (size_t row = 0; row < groups_[group].size(); ++row) {
            if (groups_[group][row]->k == k)
                return createIndex(static_cast<int>(row), 1, static_cast<quintptr>(group + 1));
        }
    }
    return {};
}

QModelIndex CPropertyItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kGroupRow);
    return createIndex(row, column, static_cast<quintptr>(parent.row() + 1));
}

QModelIndex CPropertyItemModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kGroupRow)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kGroupRow);
}

int CPropertyItemModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(groups_.size());
    if (parent.internalId() == kGroupRow && parent.column() == 0)
        return static_cast<int>(groups_[static_cast<size_t>(parent.row())].size());
    return 0;
}

int CPropertyItemModel::columnCount(const QModelIndex&) const
{
    return 2;
}

const ObjectProperty* CPropertyItemModel::PropertyAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == kGroupRow)
        return nullptr;
    const auto& group = groups_[index.internalId() - 1];
    return index.row() < static_cast<int>(group.size()) ? group[static_cast<size_t>(index.row())] : nullptr;
}

QString CPropertyItemModel::ValueText(const ObjectProperty& property) const
{
    const QVariant value = properties_.Value(property.k);
    switch (property.editor) {
    case PropertyEditor::YesNo: return value.toBool() ? yes_ : no_;
    case PropertyEditor::FixedList: return properties_.Entries(property.k).value(value.toInt());
    case PropertyEditor::Colour: {
        const QColor color = value.value<QColor>();
        return QStringLiteral("%1, %2, %3").arg(color.red()).arg(color.green()).arg(color.blue());
    }
    default: return value.toString();
    }
}

QVariant CPropertyItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const ObjectProperty* property = PropertyAt(index);
    if (property == nullptr) {
        if (index.column() == 0 && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
            return groupTexts_.value(index.row());
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? LoadText(PropertyNameText(property->k)) : ValueText(*property);
    case Qt::AccessibleTextRole:
        return index.column() == 0 ? LoadText(PropertyNameText(property->k))
                                   : LoadText(PropertyNameText(property->k)) + QStringLiteral(": ") + ValueText(*property);
    case Qt::EditRole: return properties_.Value(property->k);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
    case kHelpRole: return LoadText(PropertyHelpText(property->k));
    case Qt::DecorationRole:
        if (index.column() == 1 && property->editor == PropertyEditor::Colour)
            return Swatch(properties_.Value(property->k).value<QColor>());
        return {};
    case Qt::ForegroundRole:
        if (index.column() == 1 && properties_.Failed(property->k) && properties_.HasSelection())
            return QColor(255, 0, 0);
        return {};
    case kPropertyRole: return property->k;
    case kEditorRole: return static_cast<int>(property->editor);
    case kEntriesRole: return properties_.Entries(property->k);
    default: return {};
    }
}

bool CPropertyItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const ObjectProperty* property = PropertyAt(index);
    if (property == nullptr || role != Qt::EditRole || index.column() != 1)
        return false;
    if (onChange_)
        onChange_(property->k, value);
    return true;
}

Qt::ItemFlags CPropertyItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const ObjectProperty* property = PropertyAt(index);
    if (property == nullptr)
        return properties_.HasSelection() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    if (!properties_.Enabled(property->k))
        return Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const bool readOnly =
        property->editor == PropertyEditor::ReadOnlyText || property->editor == PropertyEditor::ReadOnlyNumber;
    if (index.column() == 1 && !readOnly)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant CPropertyItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return LoadText(section == 0 ? kPropertyHeaderText : kValueHeaderText);
}
