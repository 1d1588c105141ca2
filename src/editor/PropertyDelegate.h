#pragma once

#include <QStyledItemDelegate>

#include <functional>

// Makes the editor each kind of property needs in the property grid: Yes/No
// and fixed lists, editable lists, percentages with spin buttons, colours
// with "more...", durations, times, and file choosers that are not typed.
// Lists and Yes/No take a choice at once.
class CPropertyDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Chooses an existing file for property k (empty: cancelled).
    using FileChooser = std::function<QString(int k, const QString& current)>;

    explicit CPropertyDelegate(FileChooser chooseFile, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    // Takes the editor's value now and closes it (a list choice, a colour, a file).
    void CommitAndClose(QWidget* editor);

    FileChooser chooseFile_;
};
