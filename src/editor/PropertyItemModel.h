#pragma once

#include "document/ObjectProperties.h"

#include <QAbstractItemModel>

#include <functional>

// The object properties as a tree for the property grid: the groups as
// top-level rows, their properties below, the name in column 0 and the
// value in column 1. Values come from the properties copy; an edit goes to
// the change handler, which validates and applies it.
class CPropertyItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role : int
    {
        kPropertyRole = Qt::UserRole + 1,  // k
        kEditorRole,                       // PropertyEditor
        kHelpRole,                         // the help text
        kEntriesRole,                      // QStringList of a list property
    };
    using ChangeHandler = std::function<void(int k, const QVariant& value)>;

    CPropertyItemModel(CObjectProperties& properties, ChangeHandler onChange, QObject* parent = nullptr);

    // Texts again from the string table (the language changed).
    void Rebuild();
    // Values and enabled states again from the copy.
    void Refresh();
    // The value cell of property k.
    QModelIndex ValueIndex(int k) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ObjectProperty* PropertyAt(const QModelIndex& index) const;
    QString ValueText(const ObjectProperty& property) const;

    CObjectProperties& properties_;
    ChangeHandler onChange_;
    // The properties of each group, in the table's order.
    std::vector<std::vector<const ObjectProperty*>> groups_;
    QStringList groupTexts_;
    QString yes_;
    QString no_;
};
