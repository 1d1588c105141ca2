#include "render/core/RenderParams.h"

#include "render/display/VideoMode.h"

OutputEngineParams OutputParamsForMode(CFrameSet& page, const VideoMode& mode)
{
    OutputEngineParams params;
    params.page = &page;
    params.canvasWidth = mode.canvasWidth;
    params.canvasHeight = mode.canvasHeight;
    params.displayWidth = mode.displayWidth;
    params.displayHeight = mode.displayHeight;
    params.refreshRate = mode.refreshRate;
    params.framePeriodUs = mode.framePeriodUs;
    return params;
}
