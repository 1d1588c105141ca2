#include "editor/PropertiesView.h"

#include "app/StringTable.h"
#include "document/MainDoc.h"
#include "editor/FileChoosers.h"
#include "editor/PropertyDelegate.h"
#include "editor/PropertyItemModel.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kPaneNameText = 10701;
constexpr int kHelpRows = 4;

// Editing a row edits its value, wherever the row was entered; Enter
// starts it too.
class CPropertyTree : public QTreeView
{
public:
    using QTreeView::QTreeView;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (index.isValid() && index.column() == 0 && index.parent().isValid())
            return QTreeView::edit(index.sibling(index.row(), 1), trigger, event);
        return QTreeView::edit(index, trigger, event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()
            && state() != QAbstractItemView::EditingState
            && edit(currentIndex(), QAbstractItemView::EditKeyPressed, event))
            return;
        QTreeView::keyPressEvent(event);
    }
};

}  // namespace

CPropertiesView::CPropertiesView(CMainDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    setObjectName(QStringLiteral("propertiesPane"));
    setAccessibleName(LoadText(kPaneNameText));
    model_ = new CPropertyItemModel(properties_, [this](int k, const QVariant& value) { OnChange(k, value); }, this);

    grid_ = new CPropertyTree(this);
    grid_->setObjectName(QStringLiteral("propertyGrid"));
    grid_->setAccessibleName(LoadText(kPaneNameText));
    grid_->setModel(model_);
    grid_->setItemDelegate(new CPropertyDelegate(
        [this](int k, const QString& current) { return ChooseFile(k, current); }, grid_));
    grid_->setUniformRowHeights(true);
    grid_->setAllColumnsShowFocus(true);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    // Names and values share the width, as in property grids; a long
    // name is elided and shown whole in its tooltip.
    grid_->header()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->expandAll();

    help_ = new QLabel(this);
    help_->setObjectName(QStringLiteral("propertyHelp"));
    help_->setWordWrap(true);
    help_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    help_->setTextFormat(Qt::RichText);
    help_->setFrameShape(QFrame::StyledPanel);
    help_->setMargin(4);
    help_->setMinimumHeight(help_->fontMetrics().lineSpacing() * kHelpRows + 10);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(grid_, 1);
    layout->addWidget(help_);
    setFocusProxy(grid_);

    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowHelp(current); });
    connect(&doc_, &CMainDoc::UpdateAllViews, this, [this](int code, QRect) { OnViewUpdate(code); });
    Refill();
}

void CPropertiesView::Refill()
{
    QStringList groups;
    doc_.page.CollectGroupNames(groups);
    properties_.Fill(doc_.Selection(), doc_.SelectionNumber(), groups);
    model_->Refresh();
}

void CPropertiesView::OnViewUpdate(int code)
{
    switch (code) {
    case kUpdatePreferences:
        model_->Rebuild();
        grid_->expandAll();
        Refill();
        break;
    case kUpdateThumbnail:
    case kUpdateSelectNumber:
    case kUpdateRecomposed: break;
    default: Refill(); break;
    }
}

void CPropertiesView::OnChange(int k, const QVariant& value)
{
    CFrame* object = doc_.Selection();
    if (object == nullptr)
        return;
    // A new file source asks for its file with that source's filter.
    const auto chooser = [this](const QString& filter, const QString& current) -> std::optional<QString> {
        const QString path = ChooseExistingFile(window(), QString(), current, filter);
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    };
    if (properties_.Change(k, value, chooser) == PropertyChange::Changed)
        properties_.ApplyTo(doc_, *object);  // the view update refills the grid
    else
        model_->Refresh();  // the previous value again
}

QString CPropertiesView::ChooseFile(int k, const QString& current)
{
    const QString filter = k == 44 ? ImageFileFilter() : SourceFileFilter(properties_.Settings().textSource);
    return ChooseExistingFile(window(), QString(), current, filter);
}

void CPropertiesView::ShowHelp(const QModelIndex& index)
{
    const int k = index.data(CPropertyItemModel::kPropertyRole).toInt();
    if (k == 0) {
        help_->clear();
        return;
    }
    help_->setText(QStringLiteral("<b>%1</b><br>%2").arg(LoadText(PropertyNameText(k)).toHtmlEscaped(),
                                                         LoadText(PropertyHelpText(k)).toHtmlEscaped()));
}
