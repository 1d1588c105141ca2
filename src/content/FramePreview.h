#pragma once

#include "model/Frame.h"

class CRichEditTextRenderer;

// The editor's pictures of an object at its size, made on the
// user-interface thread and kept in the object until its text, geometry or
// settings change (CFrame::InvalidatePreview).
class CFramePreview
{
public:
    explicit CFramePreview(CFrame& object) : o_(object) {}

    // The background. A linked image is re-imported here only while the
    // object is not playing (the render thread owns the frames then, and
    // the picture is made from them under the linked image's hand-over lock).
    const CPicture& GetBackgroundPreview();
    // The text; sets the object's caption. While the object plays it is not
    // made (the text thread owns the source): the last picture, or a
    // transparent one, stands.
    const CPicture& GetTextPreview(CRichEditTextRenderer& textRenderer);

private:
    CFrame& o_;
};
