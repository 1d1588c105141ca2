#pragma once

#include "document/ObjectProperties.h"

#include <QWidget>

class CMainDoc;
class CPropertyItemModel;
class QLabel;
class QModelIndex;
class QTreeView;

// The properties pane: every setting of the selected object in a property
// grid with a description area below. A change is validated and written
// into the object as one undo step; without a selection the grid is greyed
// and keeps its last values.
class CPropertiesView : public QWidget
{
    Q_OBJECT

public:
    CPropertiesView(CMainDoc& doc, QWidget* parent = nullptr);

    QTreeView* Grid() const { return grid_; }
    const CObjectProperties& Properties() const { return properties_; }
    // Fills the grid from the document's selection.
    void Refill();

private:
    void OnViewUpdate(int code);
    void OnChange(int k, const QVariant& value);
    void ShowHelp(const QModelIndex& index);
    QString ChooseFile(int k, const QString& current);

    CMainDoc& doc_;
    CObjectProperties properties_;
    CPropertyItemModel* model_;
    QTreeView* grid_;
    QLabel* help_;
};
