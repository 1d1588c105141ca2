#include "editor/MainFrame.h"

#include "app/CommandTable.h"
#include "app/Log.h"
#include "app/SettingsRegister.h"
#include "app/StringTable.h"
#include "app/Translate.h"
#include "document/CanvasPicture.h"
#include "document/CommandIds.h"
#include "document/MainDoc.h"
#include "document/WindowTexts.h"
#include "editor/AboutBox.h"
#include "editor/DlgAutomationEditor.h"
#include "editor/DlgScriptEditor.h"
#include "editor/FileChoosers.h"
#include "editor/FormatToolBar.h"
#include "editor/FontSelectComboBox.h"
#include "editor/FontSizeComboBox.h"
#include "editor/MainStatusBar.h"
#include "editor/MainToolBar.h"
#include "editor/MainView.h"
#include "editor/MenuBuilder.h"
#include "editor/ObjectsListView.h"
#include "editor/PreView.h"
#include "editor/QtTranslations.h"
#include "pages/FileTreeView.h"
#include "setup/FirstSetupWizard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>

#include <algorithm>

namespace {

constexpr int kApplicationTitleId = 57344;
constexpr int kDocumentTemplateId = 128;  // "Tavrel\n\nTavrel\nPage files (*.tavrel)\n.tavrel\n..."
constexpr int kOpenTitleId = 61441;
constexpr int kSaveAsTitleId = 61442;
constexpr int kScriptFilesId = 10211;
constexpr int kNavigatorCommand = 32883;
constexpr int kLanguageFirst = 32900;
constexpr int kLanguageLast = 32909;
constexpr int kAboutCommand = 57664;
constexpr int kExitCommand = 57665;
// The rows that come back open get at least this height.
constexpr int kRowMinimum = 100;

// A field of the document template string ("\n"-separated).
QString TemplateField(int index)
{
    return LoadText(kDocumentTemplateId).split(QLatin1Char('\n')).value(index);
}

QString PageFilter()
{
    return TemplateField(3);
}

QString PageExtension()
{
    QString extension = TemplateField(4);
    return extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
}

QMessageBox::Icon BoxIcon(int icon)
{
    switch (icon) {
    case kMessageWarning: return QMessageBox::Warning;
    case kMessageQuestion: return QMessageBox::Question;
    case kMessageInformation: return QMessageBox::Information;
    default: return QMessageBox::Critical;
    }
}

QStringList LanguagePackNames()
{
    // English is built in; the packs follow it.
    return Translations().PackNames();
}

}  // namespace

CMainFrame::CMainFrame(CMainDoc& doc, bool editMode, QWidget* parent)
    : QMainWindow(parent), doc_(doc), editMode_(editMode), layout_(editMode)
{
    WriteLog(kLogFailure, "CMainFrame::OnCreate() build: [%s]", __DATE__);
    setObjectName(QStringLiteral("mainWindow"));
    setAccessibleName(LoadText(kApplicationTitleId));

    registry_ = std::make_unique<CActionRegistry>([this](int id) { Dispatch(id); },
                                                  [this](int id) { return Query(id); }, this);
    menus_ = std::make_unique<CMenuBuilder>(*registry_);
    CreateToolBars();
    statusBar_ = new CMainStatusBar(this);
    setStatusBar(statusBar_);
    SetProgramState(doc_.ProgramStateNow());
    BuildMenu();
    CreatePanes();
    SetTabOrder();

    registry_->AttachKeys(this, kWindowKey);
    registry_->AttachKeys(panes_.canvas, kCanvasKey);
    registry_->AttachKeys(panes_.pages, kPaneKey);

    doc_.SetPreviewWindow(preview_->PreviewWindow());
    connect(&doc_, &CMainDoc::UpdateAllViews, this, &CMainFrame::RefreshCommandStates);
    connect(&doc_, &CMainDoc::TitleChanged, this, &CMainFrame::UpdateTitle);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    setGeometry(layout_.Placement(workArea));
    UpdateTitle();
    RefreshCommandStates();
}

CMainFrame::~CMainFrame()
{
    // The preview draws into this window: the output goes before it does.
    if (doc_.OutputOn())
        doc_.OutputStop();
    doc_.SetPreviewWindow(nullptr);
    doc_.SetHost(nullptr);
    WriteLog(kLogFailure, "CMainFrame::OnDestroy()");
}

void CMainFrame::ShowAsLastTime()
{
    if (layout_.Maximized())
        showMaximized();
    else
        show();
}

// --- Building ------------------------------------------------------------

void CMainFrame::CreateToolBars()
{
    const bool large = layout_.LargeToolbar();
    mainToolBar_ = new CMainToolBar(*registry_, large, this);
    formatToolBar_ = new CFormatToolBar(*registry_, large, this);
    addToolBar(Qt::TopToolBarArea, mainToolBar_);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, formatToolBar_);
}

void CMainFrame::BuildMenu()
{
    // The commands' own texts first: the language items then take the packs' names.
    registry_->Retranslate();
    menus_->FillMenuBar(menuBar(), LanguagePackNames());
    statusBar_->Retranslate();
    UpdateTitle();
    RefreshCommandStates();
}

QMenu* CMainFrame::ContextMenu(int menuId)
{
    return menus_->ContextMenu(menuId, this);
}

void CMainFrame::CreatePanes()
{
    panes_ = CreateEditorPanes(doc_, editMode_, this);
    const auto showContextMenu = [this](int menuId, QPoint at) {
        QMenu* menu = ContextMenu(menuId);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        RefreshCommandStates();
        menu->popup(at);
    };
    if (panes_.view != nullptr) {
        panes_.view->SetZoomBox(mainToolBar_->ZoomBox());
        panes_.view->SetFormatToolBar(formatToolBar_);
        connect(panes_.view, &CMainView::GeometryChanged, statusBar_, &CMainStatusBar::SetGeometryText);
        connect(panes_.view, &CMainView::ContextMenuRequested, this, showContextMenu);
    }
    if (panes_.objects != nullptr)
        connect(panes_.objects, &CObjectsListView::ContextMenuRequested, this, showContextMenu);
    if (panes_.files != nullptr) {
        connect(panes_.files, &CFileTreeView::ContextMenuRequested, this,
                [this](int menuId, int defaultCommand, QPoint at) {
                    QMenu* menu = ContextMenu(menuId);
                    menu->setAttribute(Qt::WA_DeleteOnClose);
                    if (QAction* preferred = registry_->Action(defaultCommand))
                        menu->setDefaultAction(preferred);
                    menu->addSeparator();
                    menu->addActions(panes_.files->MenuExtras());
                    RefreshCommandStates();
                    menu->popup(at);
                });
    }
    preview_ = new CPreView(this);
    preview_->setObjectName(QStringLiteral("previewPane"));

    sharedPane_ = new QStackedWidget(this);
    sharedPane_->addWidget(panes_.pages);
    sharedPane_->addWidget(panes_.navigator);
    sharedPane_->setCurrentWidget(panes_.pages);

    left_ = new QSplitter(Qt::Vertical, this);
    left_->setObjectName(QStringLiteral("leftSplitter"));
    left_->addWidget(sharedPane_);
    left_->addWidget(panes_.thumbnail);
    left_->setStretchFactor(0, 1);
    left_->setStretchFactor(1, 0);

    centre_ = new QSplitter(Qt::Vertical, this);
    centre_->setObjectName(QStringLiteral("centreSplitter"));
    centre_->addWidget(preview_);
    centre_->addWidget(panes_.canvas);
    centre_->setStretchFactor(0, 0);
    centre_->setStretchFactor(1, 1);
    centre_->setCollapsible(1, false);
    preview_->hide();

    // The side columns keep their widths when the window is resized; the
    // centre takes the difference.
    outer_ = new QSplitter(Qt::Horizontal, this);
    outer_->setObjectName(QStringLiteral("outerSplitter"));
    outer_->addWidget(left_);
    outer_->addWidget(centre_);
    outer_->addWidget(panes_.properties);
    outer_->setStretchFactor(0, 0);
    outer_->setStretchFactor(1, 1);
    outer_->setStretchFactor(2, 0);
    outer_->setCollapsible(1, false);
    setCentralWidget(outer_);
}

void CMainFrame::SetTabOrder()
{
    // The toolbars' boxes, then the panes left to right.
    QWidget* chain[] = {mainToolBar_->ZoomBox(), formatToolBar_->FontNameBox(), formatToolBar_->FontSizeBox(),
                        panes_.pages,           panes_.navigator,              panes_.thumbnail,
                        panes_.canvas,          panes_.properties};
    for (size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!paneSizesApplied_) {
        paneSizesApplied_ = true;
        ApplyPaneSizes();
    }
}

// The stored widths and heights on the first showing; the centre column
// and the upper left row take the rest.
void CMainFrame::ApplyPaneSizes()
{
    const int paneWidth = layout_.PaneWidth();
    const int propsWidth = layout_.PropsWidth();
    const int thumbHeight = layout_.ThumbHeight();
    const int width = std::max(outer_->width(), 1);
    outer_->setSizes({paneWidth, std::max(0, width - paneWidth - propsWidth), propsWidth});
    const int height = std::max(left_->height(), 1);
    left_->setSizes({std::max(0, height - thumbHeight), thumbHeight});
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!doc_.SaveModified()) {
        event->ignore();
        return;
    }
    StoreLayout();
    event->accept();
}

void CMainFrame::StoreLayout()
{
    CLayoutSettings::Closing closing;
    closing.normalGeometry = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    closing.maximized = isMaximized();
    const QList<int> columns = outer_->sizes();
    closing.paneWidth = columns.value(0);
    closing.propsWidth = columns.value(2);
    closing.navigatorShown = navigatorShown_;
    closing.thumbHeight = left_->sizes().value(1);
    closing.previewHeight = preview_->isVisible() ? centre_->sizes().value(0) : 0;
    layout_.StoreOnClose(closing);
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(MainWindowTitle(editMode_, doc_.Title()));
    setWindowModified(doc_.IsModified());
}

// --- Commands ------------------------------------------------------------

void CMainFrame::Dispatch(int id)
{
    if (id == kNavigatorCommand)
        ToggleNavigator();
    else if (id >= kLanguageFirst && id <= kLanguageLast)
        SelectLanguage(id - kLanguageFirst);
    else if (id == kAboutCommand)
        ShowAbout();
    else if (id == kExitCommand)
        close();
    else
        doc_.OnCommand(id);
    RefreshCommandStates();
}

CActionRegistry::State CMainFrame::Query(int id) const
{
    if (id == kNavigatorCommand)
        return {true, navigatorShown_};
    if (id >= kLanguageFirst && id <= kLanguageLast) {
        const int index = id - kLanguageFirst;
        return {index <= LanguagePackNames().size(), index == Translations().Current()};
    }
    if (id == kAboutCommand || id == kExitCommand)
        return {true, false};
    return doc_.QueryCommand(id);
}

void CMainFrame::RefreshCommandStates()
{
    registry_->Refresh();
    mainToolBar_->ZoomBox()->setEnabled(Query(kZoomBox).enabled);
    formatToolBar_->FontNameBox()->setEnabled(Query(kFontNameBox).enabled);
    formatToolBar_->FontSizeBox()->setEnabled(Query(kFontSizeBox).enabled);
}

void CMainFrame::ToggleNavigator()
{
    navigatorShown_ = !navigatorShown_;
    if (navigatorShown_) {
        // The navigator gets the whole column; the thumbnail row's height
        // is kept for its return.
        layout_.StoreThumbHeight(left_->sizes().value(1));
        sharedPane_->setCurrentWidget(panes_.navigator);
        panes_.thumbnail->hide();
        panes_.navigator->setFocus();
    } else {
        sharedPane_->setCurrentWidget(panes_.pages);
        panes_.thumbnail->show();
        const int thumbHeight = std::max(layout_.ThumbHeight(), kRowMinimum);
        const int height = std::max(left_->height(), 1);
        left_->setSizes({std::max(0, height - thumbHeight), thumbHeight});
        panes_.pages->setFocus();
    }
}

void CMainFrame::SelectLanguage(int index)
{
    Translations().Select(index, 0);
    InstallQtTranslations(Translations().CurrentLanguageId());
    Write(settings::kLanguageId, index);
    BuildMenu();
    emit doc_.UpdateAllViews(kUpdatePreferences, {});
}

void CMainFrame::ShowAbout()
{
    CAboutBox about(this);
    about.exec();
}

// --- The document's host -------------------------------------------------

bool CMainFrame::IsLastActivePopup() const
{
    return QApplication::activeModalWidget() == nullptr && QApplication::activePopupWidget() == nullptr;
}

bool CMainFrame::MouseButtonDown() const
{
    return (QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton)) != 0;
}

void CMainFrame::ShowMessage(const CUserMessage& message)
{
    QMessageBox box(BoxIcon(message.icon), LoadText(kApplicationTitleId), message.text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    box.setProperty("tavrelId", message.stringId);
    box.exec();
}

int CMainFrame::AskSaveChanges(const QString& question)
{
    QMessageBox box(QMessageBox::NoIcon, LoadText(kApplicationTitleId), question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return kSaveAnswerYes;
    case QMessageBox::No: return kSaveAnswerNo;
    default: return kSaveAnswerCancel;
    }
}

QString CMainFrame::ChooseSavePath(const QString& suggestedName)
{
    // A page without a file starts in the pages folder.
    const QString start = doc_.PathName().isEmpty() ? doc_.Preferences().rootFolder + suggestedName : doc_.PathName();
    return ChooseFileToSave(this, LoadText(kSaveAsTitleId), start, PageFilter(), PageExtension());
}

QString CMainFrame::ChooseOpenPath()
{
    return ChooseExistingFile(this, LoadText(kOpenTitleId), doc_.Preferences().rootFolder, PageFilter());
}

QString CMainFrame::ChooseScriptFile(const QString& presetName)
{
    const QString extension = QStringLiteral(".script");
    const QString filter = QStringLiteral("%1 (*%2)").arg(LoadText(kScriptFilesId), extension);
    return ChooseExistingFile(this, LoadText(kOpenTitleId), doc_.Preferences().rootFolder + presetName, filter,
                              extension.mid(1));
}

void CMainFrame::OpenScriptEditor()
{
    const QString folder = doc_.Preferences().rootFolder;
    ScriptStepContext steps;
    steps.choosePage = [this, folder](const QString& current) {
        return ChooseExistingFile(this, LoadText(kOpenTitleId), current.isEmpty() ? folder : current, PageFilter());
    };
    doc_.page.CollectGroupNames(steps.groups);
    CDlgScriptEditor::Files files;
    files.chooseScript = [this](const QString& preset) { return ChooseScriptFile(preset); };
    files.chooseSaveScript = [this, folder](const QString& current) {
        const QString extension = QStringLiteral(".script");
        const QString filter = QStringLiteral("%1 (*%2)").arg(LoadText(kScriptFilesId), extension);
        return ChooseFileToSave(this, LoadText(kSaveAsTitleId), current.isEmpty() ? folder : current, filter,
                                extension.mid(1));
    };
    CDlgScriptEditor editor(doc_.script, steps, files, this);
    editor.exec();
}

void CMainFrame::ActivateMainWindow()
{
    if (isVisible())
        activateWindow();
}

void CMainFrame::SetProgramState(int state)
{
    statusBar_->SetProgramState(state);
}

void CMainFrame::SetScriptState(const ScriptState& state)
{
    statusBar_->SetScriptState(state);
}

void CMainFrame::ShowPreviewPane()
{
    const int height = std::max(layout_.PreviewHeight(), kRowMinimum);
    preview_->show();
    const int total = std::max(centre_->height(), height + 1);
    centre_->setSizes({height, total - height});
}

void CMainFrame::HidePreviewPane()
{
    if (!preview_->isVisible())
        return;
    layout_.StorePreviewHeight(centre_->sizes().value(0));
    preview_->hide();
}

void CMainFrame::SizePreviewWindow(int width, int height)
{
    // The renderer scales the page into the window; the pane keeps the
    // page's proportions.
    preview_->SetPageSize(width, height);
}

void CMainFrame::RefreshPagesPane(const QString& rootFolder)
{
    if (panes_.files != nullptr)
        panes_.files->SetRoot(rootFolder);
}

void CMainFrame::RenamePagesPaneItem()
{
    if (panes_.files != nullptr)
        panes_.files->StartRename();
}

const CPicture* CMainFrame::ComposedPage()
{
    if (panes_.view == nullptr)
        return nullptr;
    composedPage_ = PictureOfImage(panes_.view->ComposedPicture());
    return &composedPage_;
}

void CMainFrame::EndTextEditing(bool silent)
{
    if (panes_.view != nullptr)
        panes_.view->EndTextEdit(silent);
}

bool CMainFrame::Provides(HostFeature feature) const
{
    switch (feature) {
    case HostFeature::kCanvas: return panes_.view != nullptr;
    case HostFeature::kSetupWizard: return !editMode_;
    case HostFeature::kAutomationDialog: return !editMode_;
    case HostFeature::kScriptEditor: return true;
    default: return false;
    }
}

void CMainFrame::RunSetupWizard()
{
    ::RunSetupWizard(doc_, this, displayDevices_);
}

bool CMainFrame::RunAutomationDialog(CFrameScriptScheduleArray& list)
{
    // The chooser starts in the pages folder; an entry's stored full path is
    // handed over relative to it.
    const QDir root(doc_.Preferences().rootFolder);
    auto choose = [this, root](const QString& preset) {
        return ChooseScriptFile(preset.isEmpty() ? preset : root.relativeFilePath(preset));
    };
    CDlgAutomationEditor dialog(list, choose, this, [this] { return doc_.Clock().LocalTime(); });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    list = dialog.List();
    return true;
}

void CMainFrame::SetDisplayDevices(std::function<std::vector<DisplayDeviceInfo>()> devices)
{
    displayDevices_ = devices;
    if (panes_.view != nullptr)
        panes_.view->SetDisplayDevices(std::move(devices));
}

HostCommandState CMainFrame::CanvasCommandState(int id) const
{
    return panes_.view != nullptr ? panes_.view->CommandState(id) : HostCommandState{};
}

int CMainFrame::DesktopDpi() const
{
    const QScreen* screen = this->screen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchX()) : IDocumentHost::DesktopDpi();
}
