#include "document/PagesPaneController.h"

#include "document/MainDoc.h"

#include "app/Log.h"
#include "content/PagePlayback.h"

CPagesPaneController::CPagesPaneController(CMainDoc& doc) : doc_(doc) {}

void CPagesPaneController::SetSelection(const QString& path)
{
    path_ = path;
    isScript_ = path.endsWith(QStringLiteral(".script"), Qt::CaseInsensitive);
}

void CPagesPaneController::Load()
{
    if (path_.isEmpty())
        return;
    doc_.ScriptStop();
    doc_.OpenDocumentFile(path_);
}

void CPagesPaneController::Add()
{
    if (path_.isEmpty())
        return;
    doc_.ScriptStop();
    if (doc_.SaveModified())
        doc_.PageMerge(path_, 0, nullptr);
}

void CPagesPaneController::LoadAndPlay()
{
    if (path_.isEmpty())
        return;
    if (isScript_) {
        doc_.ScriptLoad(path_, 1, 1);
        return;
    }
    doc_.ScriptStop();
    if (doc_.OpenDocumentFile(path_) && doc_.OutputOn())
        CPagePlayback(doc_.page).PlayAllObjects();
}

void CPagesPaneController::AddAndPlay()
{
    if (path_.isEmpty())
        return;
    doc_.ScriptStop();
    if (!doc_.SaveModified())
        return;
    FrameList kept;
    if (doc_.PageMerge(path_, 0, &kept) && doc_.OutputOn())
        CPagePlayback(doc_.page).PlayAllObjectsExcept(kept);
}

void CPagesPaneController::OpenInEditor()
{
    if (path_.isEmpty())
        return;
    if (isScript_) {
        doc_.ScriptLoad(path_, 1, 0);
        if (!doc_.script.items.empty())
            doc_.OpenScriptEditor();
        return;
    }
    if (!doc_.Host().StartEditorInstance(path_))
        WriteLog(kLogFailure, "CMainDoc: editor instance for %s did not start", path_.toUtf8().constData());
}

void CPagesPaneController::Rename()
{
    if (path_.isEmpty())
        return;
    doc_.ScriptStop();
    doc_.Host().RenamePagesPaneItem();
}

void CPagesPaneController::DefaultAction()
{
    if (path_.isEmpty())
        return;
    if (isScript_) {
        LoadAndPlay();
        return;
    }
    switch (doc_.Preferences().defaultTreeAction) {
    case 1: Add(); break;
    case 2: LoadAndPlay(); break;
    case 3: AddAndPlay(); break;
    case 4: OpenInEditor(); break;
    default: Load(); break;
    }
}

void CPagesPaneController::LoadThumbnail(int isPageFile, const QString& path)
{
    if (isPageFile) {
        OwnedFrameList none;
        CPicture picture;
        CPageFileContext context;  // no mode check, no message
        context.thumbnail = &picture;
        if (ReadPage(path, none, 1, context)) {
            thumbnail_ = std::move(picture);
            thumbnailValid_ = true;
            emit ThumbnailChanged();
            return;
        }
    }
    if (thumbnailValid_) {
        thumbnailValid_ = false;
        emit ThumbnailChanged();
    }
}
