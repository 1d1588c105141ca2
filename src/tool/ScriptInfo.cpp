#include "tool/ScriptInfo.h"

#include "tool/ToolCommand.h"

#include "scripts/FrameScript.h"
#include "scripts/ScriptInfoJson.h"
#include "scripts/ScriptStrings.h"

int RunScriptInfo(const QString& path)
{
    CFrameScript script;
    if (!script.LoadFile(path)) {
        ToolError(ScriptString(scriptstrings::kFileOpenFailed, path) + QLatin1Char('\n'));
        return 1;
    }
    ToolOut(ScriptInfoJson(script) + QLatin1Char('\n'));
    return 0;
}
