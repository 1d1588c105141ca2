#include "scripts/PageScriptTarget.h"

#include "render/display/VideoMode.h"

CPageScriptTarget::CPageScriptTarget(CFrameSet& page, int modeId, MessageFunction message)
    : page_(page), modeId_(modeId), message_(std::move(message))
{
}

void CPageScriptTarget::ScriptMergePage(const QString& path, int replaceAll)
{
    CPageFileContext context;
    context.rasterWidth = CanvasWidthOfMode(modeId_);
    context.rasterHeight = CanvasHeightOfMode(modeId_);
    context.framePeriod = FramePeriodOfMode(modeId_);
    context.message = message_;
    OwnedFrameList objects;
    if (ReadPage(path, objects, 0, context))
        page_.MergeObjects(objects, replaceAll, nullptr);
}
