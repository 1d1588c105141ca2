#pragma once

#include "app/CommandLine.h"
#include "app/InstanceLock.h"

#include <QStringList>

#include <memory>

// The process entry: decides the instance kind, takes the single playout
// instance's lock, sets the settings root and the locale. The windows come on
// top of this.
class CMainApp
{
public:
    static constexpr const char* kOrganisation = "Quellmark";
    static constexpr const char* kApplication = "Tavrel";

    // lockFolder: where the playout lock lives; empty = the user's runtime folder.
    explicit CMainApp(QString lockFolder = {});
    ~CMainApp();

    // The window-less part of start-up. Returns false when the process must
    // end at once and silently: a playout instance already runs for this user
    // (or its lock cannot be made), and that instance goes on undisturbed.
    bool InitInstance(const QStringList& arguments);
    // Releases the playout lock so that a new playout instance can start.
    void ExitInstance();

    int EditMode() const { return editMode_; }
    const CMyCommandLineInfo& CommandLine() const { return commandLine_; }
    const QString& PageToOpen() const { return pageToOpen_; }
    bool HoldsOutputLock() const { return outputLock_ && outputLock_->Held(); }

    // Sets the organisation and application names behind the settings root
    // ("Quellmark"/"Tavrel") and the C runtime locale from the environment.
    static void SetSettingsRootAndLocale();

private:
    QString lockFolder_;
    CMyCommandLineInfo commandLine_;
    int editMode_ = 0;
    QString pageToOpen_;
    std::unique_ptr<CInstanceLock> outputLock_;
};
