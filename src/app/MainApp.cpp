#include "app/MainApp.h"

#include "app/Log.h"

#include <QCoreApplication>

#include <clocale>

CMainApp::CMainApp(QString lockFolder)
    : lockFolder_(std::move(lockFolder))
{
}

CMainApp::~CMainApp()
{
    ExitInstance();
}

void CMainApp::SetSettingsRootAndLocale()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplication));
    // Clock formats such as "%c", "%x" and "%p" follow the user's locale.
    std::setlocale(LC_ALL, "");
}

bool CMainApp::InitInstance(const QStringList& arguments)
{
    commandLine_ = ParseCommandLine(arguments);
    const InstanceKind kind = DecideInstanceKind(commandLine_);
    editMode_ = kind.editMode;
    pageToOpen_ = kind.pageToOpen;

    // The settings root comes first: the logger reads its level from it.
    SetSettingsRootAndLocale();

    if (editMode_ == 0) {
        outputLock_ = std::make_unique<CInstanceLock>(lockFolder_);
        if (!outputLock_->TryAcquire()) {
            WriteLog(kLogLifecycle, "CMainApp::InitInstance(): playout instance already running");
            outputLock_.reset();
            return false;
        }
    }
    for (const QString& option : commandLine_.ignoredOptions)
        WriteLog(kLogLifecycle, "CMainApp::InitInstance(): unknown option [%s]", option.toUtf8().constData());
    WriteLog(kLogLifecycle, "CMainApp::InitInstance(): %s instance, page [%s]",
             editMode_ ? "edit-only" : "playout", pageToOpen_.toUtf8().constData());
    return true;
}

void CMainApp::ExitInstance()
{
    if (outputLock_) {
        outputLock_->Release();
        outputLock_.reset();
    }
}
