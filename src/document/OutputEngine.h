#pragma once

#include "render/core/RenderParams.h"

#include <functional>
#include <memory>

// The running output (or preview) as the document sees it. Construction
// starts it; the owner then reads RenderError, a RenderErrorCode: running,
// or failed (the owner shows message 10320 + code and deletes it).
// Destruction stops the output, its threads and every system change it
// made. The render thread may set RenderError at any time; the document
// polls it on every tick.
class IOutputEngine
{
public:
    virtual ~IOutputEngine() = default;

    virtual int RenderError() const = 0;
    // Full (1) or limited (0) range output; takes effect from the next frame.
    virtual void SetFullRange(int fullRange) = 0;
};

// Makes the output engine; the program installs the renderer's, tests a
// test double.
using OutputEngineFactory = std::function<std::unique_ptr<IOutputEngine>(const OutputEngineParams&)>;
