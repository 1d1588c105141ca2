#pragma once

#include "model/PageFile.h"
#include "scripts/ScriptRunner.h"

// A script target over a bare page, for runs without a window (the off-line
// renderer): the run condition always holds, page files are read for the
// given video mode (with its raster check) and every message of the page
// reader goes to `message`.
class CPageScriptTarget : public IScriptTarget
{
public:
    CPageScriptTarget(CFrameSet& page, int modeId, MessageFunction message = {});

    bool ScriptRunCondition() override { return true; }
    CFrameSet& ScriptPage() override { return page_; }
    void ScriptMergePage(const QString& path, int replaceAll) override;
    void ScriptDeleteObjects(const QString& group) override { page_.RemoveGroupObjects(group); }
    void ScriptStatusUpdate() override {}

private:
    CFrameSet& page_;
    int modeId_;
    MessageFunction message_;
};
