#include "document/DocumentPreferences.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"
#include "render/display/VideoMode.h"

#include <QDir>
#include <QStandardPaths>

namespace {

constexpr const char* kPagesFolderName = "Tavrel";

// The pages folder in the documents folder (the home folder when there is
// none), made and stored; empty when there is no such folder at all.
QString MakePagesFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    if (documents.isEmpty())
        return {};
    const QString folder = QDir(documents).filePath(QString::fromLatin1(kPagesFolderName));
    // Stored only once the folder exists, so that a failed creation is tried
    // again at the next start.
    if (QDir().mkpath(folder)) {
        Write(settings::kRootFolder, folder);
        Settings().Flush();
    } else {
        WriteLog(kLogFailure, "CMainDoc: pages folder %s could not be created", folder.toUtf8().constData());
    }
    return folder;
}

}  // namespace

DocumentPreferences DocumentPreferences::Load()
{
    using namespace settings;
    DocumentPreferences p;
    p.mode = Read(kMode);
    if (VideoModeById(p.mode) == nullptr)
        p.mode = 0;  // a damaged value: the first mode rather than no raster at all
    p.autoStartOutput = Read(kAuto);
    p.noRestoreDisplays = Read(kNoRestoreDisplays);
    p.rootFolder = Read(kRootFolder);
    p.displayAdapter = Read(kDisplayAdapter);
    p.alternativeSync = Read(kAlternativeSync);
    p.fullHdmiRange = Read(kFullHdmiRange);
    p.defaultTreeAction = Read(kDefaultTreeAction);
    p.useRemote = Read(kUseRemote);
    p.remoteIp = static_cast<uint32_t>(Read(kRemoteIp));
    // The switcher console link never starts.
    p.useRemote = 0;
    if (p.rootFolder.isEmpty())
        p.rootFolder = MakePagesFolder();
    return p;
}

void DocumentPreferences::Save() const
{
    using namespace settings;
    Write(kMode, mode);
    Write(kAuto, autoStartOutput);
    Write(kNoRestoreDisplays, noRestoreDisplays);
    Write(kRootFolder, rootFolder);
    Write(kDisplayAdapter, displayAdapter);
    Write(kAlternativeSync, alternativeSync);
    Write(kFullHdmiRange, fullHdmiRange);
    Write(kDefaultTreeAction, defaultTreeAction);
    Write(kUseRemote, useRemote);
    Write(kRemoteIp, static_cast<int>(remoteIp));
    Settings().Flush();
}

bool DocumentPreferences::Take(const DocumentPreferences& values, bool modeMayChange)
{
    autoStartOutput = values.autoStartOutput;
    noRestoreDisplays = values.noRestoreDisplays;
    rootFolder = values.rootFolder;
    displayAdapter = values.displayAdapter;
    alternativeSync = values.alternativeSync;
    fullHdmiRange = values.fullHdmiRange;
    defaultTreeAction = values.defaultTreeAction;
    if (values.mode == mode || VideoModeById(values.mode) == nullptr || !modeMayChange)
        return false;
    mode = values.mode;
    return true;
}
