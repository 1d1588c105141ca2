#include "pages/FileTreeView.h"

#include "app/Log.h"
#include "app/StringTable.h"
#include "document/MainDoc.h"
#include "document/PagesFolder.h"
#include "editor/CommandIcons.h"

#include <QAbstractFileIconProvider>
#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kPaneNameText = 10703;
constexpr int kMissingRootText = 10721;
constexpr int kNewFolderText = 10722;
constexpr int kTrashQuestionText = 10724;
constexpr int kTrashFailedText = 10725;
constexpr int kNewFolderMenuText = 10723;
constexpr int kTrashMenuText = 10726;
constexpr int kPageMenu = 205;
constexpr int kScriptMenu = 206;
constexpr int kLoadAndPlay = 32855;
// The commands of the default tree actions 0..4.
constexpr int kDefaultActionCommands[] = {32842, 32843, 32855, 32856, 32844};

// Icons from the desktop's theme: folders, and page and script files when
// the desktop knows their types; otherwise the program's own for them.
class CPagesIconProvider : public QFileIconProvider
{
public:
    CPagesIconProvider()
        : page_(ThemeIconOr(QStringLiteral("x.tavrel"), QStringLiteral("file-page"))),
          script_(ThemeIconOr(QStringLiteral("x.script"), QStringLiteral("file-script")))
    {
    }
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isFile() && IsPageFilePath(info.fileName()))
            return page_;
        if (info.isFile() && IsScriptFilePath(info.fileName()))
            return script_;
        return QFileIconProvider::icon(info);
    }
    using QFileIconProvider::icon;

private:
    static QIcon ThemeIconOr(const QString& sampleName, const QString& ownIcon)
    {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(sampleName, QMimeDatabase::MatchExtension);
        if (type.isValid() && !type.isDefault() && QIcon::hasThemeIcon(type.iconName()))
            return QIcon::fromTheme(type.iconName());
        return ProgramIcon(ownIcon);
    }

    QIcon page_;
    QIcon script_;
};

// The files as the file system gives them. The file model's own sorting
// sorts every folder it has read after each change, which on a large
// pages folder holds up the user interface; the tree sorts through
// CPagesSortModel instead, only where rows arrive.
class CPagesFileModel : public QFileSystemModel
{
public:
    using QFileSystemModel::QFileSystemModel;
    void sort(int, Qt::SortOrder) override {}
};

// Folders first, then names as people read them ("Page 2" before
// "Page 10"), without regard to case.
class CPagesSortModel : public QSortFilterProxyModel
{
public:
    explicit CPagesSortModel(QObject* parent) : QSortFilterProxyModel(parent) { setDynamicSortFilter(true); }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const bool leftFolder = files->isDir(left);
        if (leftFolder != files->isDir(right))
            return leftFolder;
        return NaturalCompare(files->fileName(left), files->fileName(right)) < 0;
    }
};

bool IsFolderPath(const QModelIndex& index)
{
    return QFileInfo(index.data(QFileSystemModel::FilePathRole).toString()).isDir();
}

// A rename starts with the name selected without its extension, as file
// managers do.
class CRenameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr)
            return;
        const int length = RenameSelectionLength(line->text(), IsFolderPath(index));
        QTimer::singleShot(0, line, [line, length] { line->setSelection(0, length); });
    }
};

}  // namespace

// --- The tree ------------------------------------------------------------

void CFileTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    if (state() != QAbstractItemView::EditingState) {
        const QModelIndex current = currentIndex();
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (current.isValid()) {
                emit OpenRequested(current);
                return;
            }
            break;
        case Qt::Key_Backspace:
            if (current.isValid() && current.parent().isValid() && current.parent() != rootIndex()) {
                setCurrentIndex(current.parent());
                return;
            }
            break;
        case Qt::Key_Delete:
            if (current.isValid()) {
                emit TrashRequested(current);
                return;
            }
            break;
        case Qt::Key_N:
            if (event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
                emit NewFolderRequested(current);
                return;
            }
            break;
        default: break;
        }
    }
    QTreeView::keyPressEvent(event);
}

void CFileTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex index = keyboard ? currentIndex() : indexAt(viewport()->mapFrom(this, event->pos()));
    if (!keyboard && index.isValid())
        setCurrentIndex(index);
    emit MenuRequested(index, keyboard ? viewport()->mapToGlobal(visualRect(index).center()) : event->globalPos());
}

void CFileTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    // Folders open and close as the tree does; files are opened.
    if (index.isValid() && event->button() == Qt::LeftButton && !IsFolderPath(index)) {
        emit OpenRequested(index);
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

// --- The pane ------------------------------------------------------------

CFileTreeView::CFileTreeView(CMainDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    setObjectName(QStringLiteral("pagesPane"));
    setAccessibleName(LoadText(kPaneNameText));

    files_ = new CPagesFileModel(this);
    icons_ = std::make_unique<CPagesIconProvider>();
    files_->setIconProvider(icons_.get());
    files_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    files_->setNameFilters(PagesPaneNameFilters());
    files_->setNameFilterDisables(false);
    files_->setReadOnly(false);  // renaming in place; moving and deleting stay off
    connect(files_, &QFileSystemModel::fileRenamed, this,
            [this](const QString& folder, const QString& oldName, const QString& newName) {
                doc_.FileRenamed(QDir(folder).filePath(oldName), QDir(folder).filePath(newName));
                if (doc_.PagesPane().SelectedPath() == QDir(folder).filePath(oldName))
                    doc_.PagesPane().SetSelection(QDir(folder).filePath(newName));
            });

    tree_ = new CFileTreeCtrl(this);
    tree_->setObjectName(QStringLiteral("pagesTree"));
    tree_->setAccessibleName(LoadText(kPaneNameText));
    sorted_ = new CPagesSortModel(this);
    sorted_->setSourceModel(files_);
    tree_->setModel(sorted_);
    tree_->setItemDelegate(new CRenameDelegate(tree_));
    tree_->setHeaderHidden(true);
    for (int column = 1; column < sorted_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed);  // F2
    tree_->setUniformRowHeights(true);
    tree_->setAnimated(false);
    tree_->setSortingEnabled(true);
    tree_->sortByColumn(0, Qt::AscendingOrder);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
    connect(tree_, &CFileTreeCtrl::OpenRequested, this, &CFileTreeView::Open);
    connect(tree_, &CFileTreeCtrl::MenuRequested, this, &CFileTreeView::ShowMenu);
    connect(tree_, &CFileTreeCtrl::TrashRequested, this, &CFileTreeView::MoveToTrash);
    connect(tree_, &CFileTreeCtrl::NewFolderRequested, this, &CFileTreeView::NewFolder);

    missing_ = new QLabel(this);
    missing_->setObjectName(QStringLiteral("pagesFolderMissing"));
    missing_->setWordWrap(true);
    missing_->setAlignment(Qt::AlignCenter);
    missing_->setMargin(8);
    missing_->setEnabled(false);

    newFolderAction_ = new QAction(LoadText(kNewFolderMenuText), this);
    connect(newFolderAction_, &QAction::triggered, this, [this] { NewFolder(tree_->currentIndex()); });
    trashAction_ = new QAction(LoadText(kTrashMenuText), this);
    connect(trashAction_, &QAction::triggered, this, [this] { MoveToTrash(tree_->currentIndex()); });

    stack_ = new QStackedWidget(this);
    stack_->addWidget(tree_);
    stack_->addWidget(missing_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);
    setFocusProxy(tree_);

    SetRoot(doc_.Preferences().rootFolder);
}

CFileTreeView::~CFileTreeView()
{
    // The model asks its icon provider from its reading thread too: it goes
    // (and its thread with it) before the provider.
    tree_->setModel(nullptr);
    sorted_->setSourceModel(nullptr);
    delete files_;
}

void CFileTreeView::SetRoot(const QString& folder)
{
    QString root = QDir::cleanPath(folder);
    root_ = root;
    const bool exists = !root.isEmpty() && QFileInfo(root).isDir() && QFileInfo(root).isReadable();
    WriteLog(kLogLifecycle, "CFileTreeView::SetupChangeNotifications() = %d", exists ? 1 : 0);
    ShowMissingRoot(!exists);
    if (!exists)
        return;
    // The same root again (after a save): the model watches what it shows,
    // so the tree stays as the operator opened it.
    if (files_->rootPath() == root && tree_->rootIndex().isValid())
        return;
    tree_->setRootIndex(sorted_->mapFromSource(files_->setRootPath(root)));
}

void CFileTreeView::ShowMissingRoot(bool missing)
{
    missing_->setText(FormatText(kMissingRootText, QDir::toNativeSeparators(root_).toUtf8().constData()));
    stack_->setCurrentWidget(missing ? static_cast<QWidget*>(missing_) : tree_);
}

QString CFileTreeView::PathOf(const QModelIndex& viewIndex) const
{
    return viewIndex.isValid() ? files_->filePath(sorted_->mapToSource(viewIndex)) : QString();
}

bool CFileTreeView::IsFolder(const QModelIndex& viewIndex) const
{
    return viewIndex.isValid() && files_->isDir(sorted_->mapToSource(viewIndex));
}

QModelIndex CFileTreeView::ViewIndexOf(const QString& path) const
{
    return sorted_->mapFromSource(files_->index(path));
}

QString CFileTreeView::SelectedPath() const
{
    return PathOf(tree_->currentIndex());
}

bool CFileTreeView::SelectPath(const QString& path)
{
    const QModelIndex index = ViewIndexOf(path);
    if (!index.isValid())
        return false;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    return true;
}

void CFileTreeView::StartRename()
{
    const QModelIndex current = tree_->currentIndex();
    if (current.isValid())
        tree_->edit(current);
}

void CFileTreeView::OnCurrentChanged(const QModelIndex& current)
{
    const QString path = current.isValid() && !IsFolder(current) ? PathOf(current) : QString();
    // The thumbnail of a page file; anything else hides it.
    doc_.PagesPane().LoadThumbnail(IsPageFilePath(path) ? 1 : 0, path);
}

void CFileTreeView::Open(const QModelIndex& index)
{
    if (!index.isValid() || IsFolder(index))
        return;
    CPagesPaneController& pages = doc_.PagesPane();
    pages.SetSelection(PathOf(index));
    pages.DefaultAction();
}

void CFileTreeView::ShowMenu(const QModelIndex& index, QPoint globalPos)
{
    if (!index.isValid() || IsFolder(index))
        return;
    CPagesPaneController& pages = doc_.PagesPane();
    pages.SetSelection(PathOf(index));
    const int action = doc_.Preferences().defaultTreeAction;
    const bool script = pages.SelectionIsScript();
    const int defaultCommand = script ? kLoadAndPlay
                               : action >= 0 && action < static_cast<int>(std::size(kDefaultActionCommands))
                                   ? kDefaultActionCommands[action]
                                   : 0;
    emit ContextMenuRequested(script ? kScriptMenu : kPageMenu, defaultCommand, globalPos);
}

QString CFileTreeView::FolderFor(const QModelIndex& index) const
{
    if (!index.isValid())
        return root_;
    return IsFolder(index) ? PathOf(index) : QFileInfo(PathOf(index)).absolutePath();
}

void CFileTreeView::NewFolder(const QModelIndex& index)
{
    if (stack_->currentWidget() != tree_)
        return;
    const QString folder = FolderFor(index);
    const QString name = UniqueNameIn(folder, LoadText(kNewFolderText));
    const QModelIndex created = sorted_->mapFromSource(files_->mkdir(files_->index(folder), name));
    if (!created.isValid())
        return;
    tree_->setCurrentIndex(created);
    tree_->scrollTo(created);
    tree_->edit(created);
}

void CFileTreeView::MoveToTrash(const QModelIndex& index)
{
    if (!index.isValid() || IsFolder(index))
        return;
    const QString path = PathOf(index);
    const QString name = QDir::toNativeSeparators(path);
    const auto answer = QMessageBox::question(window(), QString(),
                                              FormatText(kTrashQuestionText, name.toUtf8().constData()),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // Into the desktop's trash, where it can be taken back; never deleted here.
    if (!QFile::moveToTrash(path))
        QMessageBox::warning(window(), QString(), FormatText(kTrashFailedText, name.toUtf8().constData()));
}
