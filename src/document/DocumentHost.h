#pragma once

#include "app/StringTable.h"

#include <QString>

class CFrameScriptScheduleArray;
class CPicture;

// Answers of the save question.
enum SaveAnswer : int
{
    kSaveAnswerYes = 0,
    kSaveAnswerNo = 1,
    kSaveAnswerCancel = 2,
};

// Script state as the main window's status bar shows it.
struct ScriptState
{
    bool loaded = false;   // the script has at least one step
    bool running = false;
    QString name;          // the script's display name
    int step = 0;          // 1-based current step
    int count = 0;         // number of steps

    friend bool operator==(const ScriptState&, const ScriptState&) = default;
};

// Enabled and checked state of a command the host's windows decide.
struct HostCommandState
{
    bool enabled = false;
    bool checked = false;
};

// The windows a host may not have yet. The document shows a command whose
// window is missing as disabled instead of offering one that does nothing.
enum class HostFeature
{
    kCanvas,            // the editor canvas, which runs the editing commands
    kScriptEditor,
    kAutomationDialog,
    kSetupWizard,
};

// What the document needs of the main window and its panes: questions,
// message boxes, the status bar, the preview pane. The user interface
// implements it; without one (tests, the headless tool) the defaults below
// answer as a window with no dialog open would, and show nothing.
class IDocumentHost
{
public:
    virtual ~IDocumentHost() = default;

    // Whether the host has the window behind a feature.
    virtual bool Provides(HostFeature) const { return false; }
    // The state of a command the document hands to the canvas; asked only
    // when the host provides the canvas.
    virtual HostCommandState CanvasCommandState(int /*id*/) const { return {}; }

    // The main window is its own last active pop-up: no dialog, message box
    // or menu it owns is open.
    virtual bool IsLastActivePopup() const { return true; }
    // The left or right mouse button is held down.
    virtual bool MouseButtonDown() const { return false; }

    // An application-modal message box with the text and the icon.
    virtual void ShowMessage(const CUserMessage&) {}
    // The question "Save changes to '%s'?" (filled in) with Yes, No and Cancel.
    virtual int AskSaveChanges(const QString& /*question*/) { return kSaveAnswerNo; }
    // Open: the page file to open, empty when the operator cancelled.
    virtual QString ChooseOpenPath() { return {}; }
    // Save As: the path to save to, empty when the operator cancelled.
    virtual QString ChooseSavePath(const QString& /*suggestedName*/) { return {}; }
    // The script file chooser; empty when cancelled.
    virtual QString ChooseScriptFile(const QString& /*presetName*/) { return {}; }

    virtual void ActivateMainWindow() {}
    virtual void SetProgramState(int /*state*/) {}
    virtual void SetScriptState(const ScriptState&) {}
    virtual void ShowPreviewPane() {}
    virtual void HidePreviewPane() {}
    // Sizes the preview's drawing window to the canvas for the renderer's
    // start, and puts it back afterwards.
    virtual void SizePreviewWindow(int /*width*/, int /*height*/) {}
    virtual void RestorePreviewWindow() {}

    // The canvas's composed page, the source of a saved page's thumbnail;
    // null without a canvas.
    virtual const CPicture* ComposedPage() { return nullptr; }
    // Horizontal logical dots per inch of the desktop (page font size check).
    virtual int DesktopDpi() const;
    // Ends the canvas's in-place text editing, storing the text; silent
    // leaves the views to the caller, who updates them next.
    virtual void EndTextEditing(bool silent) { (void)silent; }

    // Pages pane: apply the folder changes it was told of; show a root
    // folder and re-read it; start renaming its selected item.
    virtual void CheckPagesPane() {}
    virtual void RefreshPagesPane(const QString& /*rootFolder*/) {}
    virtual void RenamePagesPaneItem() {}
    // Starts an editor instance of the program on a page file.
    virtual bool StartEditorInstance(const QString& path);
    // The script editor on the document's script; returns when it closed.
    virtual void OpenScriptEditor() {}
    // The automation list dialog on a copy of the list; true on OK.
    virtual bool RunAutomationDialog(CFrameScriptScheduleArray& /*list*/) { return false; }
    // The initial setup wizard of the first run.
    virtual void RunSetupWizard() {}
};
