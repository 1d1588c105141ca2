#include "editor/ObjectsListView.h"

#include "app/SettingsRegister.h"
#include "app/StringTable.h"
#include "document/MainDoc.h"
#include "editor/CommandIcons.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QMouseEvent>

namespace {

constexpr int kPaneNameText = 10702;
constexpr int kObjectMenu = 203;
// What screen readers say for the state images.
constexpr int kPlayingText = 10718;
constexpr int kPausedText = 10719;
constexpr int kLockedText = 10720;

}  // namespace

CObjectListModel::CObjectListModel(QObject* parent)
    : QAbstractTableModel(parent),
      lockIcon_(ProgramIcon(QStringLiteral("object-lock"))),
      playIcon_(ProgramIcon(QStringLiteral("object-play"))),
      pauseIcon_(ProgramIcon(QStringLiteral("object-pause")))
{
    RetranslateTitles();
}

void CObjectListModel::RetranslateTitles()
{
    titles_.clear();
    for (int column = 0; column < kNavigatorColumnCount; ++column)
        titles_.append(LoadText(NavigatorTitleText(column)));
    emit headerDataChanged(Qt::Horizontal, 0, kNavigatorColumnCount - 1);
}

void CObjectListModel::Refresh(const FrameList& objects)
{
    const int before = rows_.Count();
    const int after = static_cast<int>(objects.size());
    if (after > before)
        beginInsertRows({}, before, after - 1);
    else if (after < before)
        beginRemoveRows({}, after, before - 1);
    const std::vector<int> changed = rows_.Refresh(objects);
    if (after > before)
        endInsertRows();
    else if (after < before)
        endRemoveRows();
    for (const int row : changed) {
        if (row < before)
            emit dataChanged(index(row, 0), index(row, kNavigatorColumnCount - 1));
    }
}

int CObjectListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_.Count();
}

int CObjectListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kNavigatorColumnCount;
}

QVariant CObjectListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.Count())
        return {};
    const CObjectItem& row = rows_.Row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case kColumnNumber: return QString::asprintf("%d", index.row() + 1);
        case kColumnGroup: return row.group;
        case kColumnText: return row.text;
        default: return {};
        }
    case Qt::DecorationRole:
        if (index.column() == kColumnPlayState)
            return row.playing ? playIcon_ : row.paused ? pauseIcon_ : QVariant();
        if (index.column() == kColumnLock && row.locked)
            return lockIcon_;
        return {};
    case Qt::TextAlignmentRole:
        return index.column() == kColumnNumber ? int(Qt::AlignRight | Qt::AlignVCenter)
                                               : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case kColumnPlayState:
            return row.playing ? LoadText(kPlayingText) : row.paused ? LoadText(kPausedText) : QString();
        case kColumnLock: return row.locked ? LoadText(kLockedText) : QString();
        default: return data(index, Qt::DisplayRole);
        }
    default: return {};
    }
}

QVariant CObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return titles_.value(section);
    return {};
}

CObjectsListView::CObjectsListView(CMainDoc& doc, QWidget* parent) : QTreeView(parent), doc_(doc)
{
    setObjectName(QStringLiteral("navigatorPane"));
    setAccessibleName(LoadText(kPaneNameText));
    model_ = new CObjectListModel(this);
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < kNavigatorColumnCount; ++column) {
        const int stored =
            Settings().ReadInt(QLatin1String(settings::kObjectsListView), settings::ColumnWidthName(column),
                               settings::kColumnWidthDefault);
        setColumnWidth(column, stored > 0 ? stored : NavigatorDefaultWidth(column));
    }
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { RowChosen(current); });
    connect(&doc_, &CMainDoc::UpdateAllViews, this, [this](int code, QRect) { OnViewUpdate(code); });
    RefreshRows();
}

CObjectsListView::~CObjectsListView()
{
    for (int column = 0; column < kNavigatorColumnCount; ++column) {
        if (columnWidth(column) > 0)
            Settings().WriteInt(QLatin1String(settings::kObjectsListView), settings::ColumnWidthName(column),
                                columnWidth(column));
    }
}

void CObjectsListView::OnViewUpdate(int code)
{
    switch (code) {
    case kUpdatePreferences:
        model_->RetranslateTitles();
        RefreshRows();
        break;
    case kUpdateThumbnail:
    case kUpdateSelectNumber: break;
    default: RefreshRows(); break;
    }
}

void CObjectsListView::RefreshRows()
{
    // Rows removed under the current one move it: that is no choice of the
    // operator's, nor is following the document's selection below.
    showingSelection_ = true;
    FrameList objects;
    doc_.page.TakeSnapshot(objects);
    model_->Refresh(objects);
    doc_.page.ReleaseSnapshot();
    const int number = doc_.Selection() != nullptr ? doc_.SelectionNumber() : 0;
    const QModelIndex wanted = number > 0 ? model_->index(number - 1, 0) : QModelIndex();
    if (!wanted.isValid()) {
        selectionModel()->clear();
    } else if (currentIndex().row() != wanted.row() || !selectionModel()->isRowSelected(wanted.row(), {})) {
        selectionModel()->setCurrentIndex(wanted, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(wanted);
    }
    showingSelection_ = false;
}

void CObjectsListView::RowChosen(const QModelIndex& current)
{
    if (showingSelection_)
        return;
    // The canvas selects the object with this number (0: none).
    const int number = current.isValid() ? current.row() + 1 : 0;
    emit doc_.UpdateAllViews(kUpdateSelectNumber, number > 0 ? QRect(number, 0, 1, 1) : QRect());
}

void CObjectsListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->pos()).isValid())
        doc_.TogglePlayEndSelection();
}

void CObjectsListView::contextMenuEvent(QContextMenuEvent* event)
{
    doc_.ScriptStop();
    if (doc_.Selection() == nullptr)
        return;
    emit ContextMenuRequested(kObjectMenu,
                              event->reason() == QContextMenuEvent::Keyboard ? QCursor::pos() : event->globalPos());
}
