#pragma once

#include "document/DocumentHost.h"
#include "document/LayoutSettings.h"
#include "editor/ActionRegistry.h"
#include "editor/PaneFactory.h"
#include "model/Picture.h"
#include "render/display/DisplayBackend.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class CFormatToolBar;
class CMainDoc;
class CMainStatusBar;
class CMainToolBar;
class CMenuBuilder;
class CPreView;
class QSplitter;
class QStackedWidget;

// The main window: menus, the two toolbars, the status bar and the panes in
// three splitters (left column: pages pane or navigator over the thumbnail;
// centre: preview over the canvas; right: the properties). It is the
// document's host: message boxes, questions, file choosers, the status bar
// and the preview pane. Commands go to the document; the window itself only
// switches the left pane, the language and shows the about box.
class CMainFrame : public QMainWindow, public IDocumentHost
{
    Q_OBJECT

public:
    CMainFrame(CMainDoc& doc, bool editMode, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The display outputs the preferences and the setup wizard offer.
    void SetDisplayDevices(std::function<std::vector<DisplayDeviceInfo>()> devices);

    // Shows the window as it was left: maximised or at its place.
    void ShowAsLastTime();

    CActionRegistry& Registry() { return *registry_; }
    CMainToolBar* MainToolBar() const { return mainToolBar_; }
    CFormatToolBar* FormatToolBar() const { return formatToolBar_; }
    CMainStatusBar* StatusBar() const { return statusBar_; }
    CPreView* PreviewPane() const { return preview_; }
    const EditorPanes& Panes() const { return panes_; }
    QSplitter* OuterSplitter() const { return outer_; }
    QSplitter* LeftSplitter() const { return left_; }
    QSplitter* CentreSplitter() const { return centre_; }
    bool NavigatorShown() const { return navigatorShown_; }
    QMenu* ContextMenu(int menuId);

    // Enabled and checked states of every command, from the document.
    void RefreshCommandStates();

    // IDocumentHost
    bool IsLastActivePopup() const override;
    bool MouseButtonDown() const override;
    void ShowMessage(const CUserMessage& message) override;
    int AskSaveChanges(const QString& question) override;
    QString ChooseSavePath(const QString& suggestedName) override;
    QString ChooseScriptFile(const QString& presetName) override;
    QString ChooseOpenPath() override;
    void ActivateMainWindow() override;
    void SetProgramState(int state) override;
    void SetScriptState(const ScriptState& state) override;
    void ShowPreviewPane() override;
    void HidePreviewPane() override;
    void SizePreviewWindow(int width, int height) override;
    bool Provides(HostFeature feature) const override;
    bool RunAutomationDialog(CFrameScriptScheduleArray& list) override;
    void EndTextEditing(bool silent) override;
    const CPicture* ComposedPage() override;
    void RefreshPagesPane(const QString& rootFolder) override;
    void RunSetupWizard() override;
    void OpenScriptEditor() override;
    void RenamePagesPaneItem() override;
    HostCommandState CanvasCommandState(int id) const override;
    int DesktopDpi() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateToolBars();
    void CreatePanes();
    void BuildMenu();
    void SetTabOrder();
    void ApplyPaneSizes();
    void StoreLayout();
    void UpdateTitle();

    void Dispatch(int id);
    CActionRegistry::State Query(int id) const;
    void ToggleNavigator();
    void SelectLanguage(int index);
    void ShowAbout();

    CMainDoc& doc_;
    bool editMode_;
    CLayoutSettings layout_;
    std::unique_ptr<CActionRegistry> registry_;
    std::unique_ptr<CMenuBuilder> menus_;
    CMainToolBar* mainToolBar_ = nullptr;
    CFormatToolBar* formatToolBar_ = nullptr;
    CMainStatusBar* statusBar_ = nullptr;
    QSplitter* outer_ = nullptr;
    QSplitter* left_ = nullptr;
    QSplitter* centre_ = nullptr;
    QStackedWidget* sharedPane_ = nullptr;
    CPreView* preview_ = nullptr;
    EditorPanes panes_;
    bool navigatorShown_ = false;
    bool paneSizesApplied_ = false;
    CPicture composedPage_;  // the canvas's picture for a page being saved
    std::function<std::vector<DisplayDeviceInfo>()> displayDevices_;
};
