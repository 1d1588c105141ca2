#pragma once

#include "content/RichEditExCtrl.h"
#include "model/Frame.h"
#include "model/Picture.h"

// The two hidden rich text controls the text thread lays text out with: the
// multi-line one for fixed and rolling text, the single-line one for text
// that scrolls horizontally. One renderer is used by one thread only (the
// output's text thread, or the editor on the user-interface thread).
class CRichEditTextRenderer
{
public:
    CRichEditTextRenderer() = default;
    virtual ~CRichEditTextRenderer() = default;
    CRichEditTextRenderer(const CRichEditTextRenderer&) = delete;
    CRichEditTextRenderer& operator=(const CRichEditTextRenderer&) = delete;

    CRichEditExCtrl multiLineControl{CRichEditExCtrl::kMultiLine};
    CRichEditExCtrl singleLineControl{CRichEditExCtrl::kSingleLine};

    // The control that lays out the text of an object with this movement.
    CRichEditExCtrl& ControlFor(int movement)
    {
        return movement == kMovementScroll ? singleLineControl : multiLineControl;
    }

    // The text drawn over black and over white; kept between chunks so that
    // a text re-rendered every frame does not allocate every frame.
    CPicture blackRender;
    CPicture whiteRender;
};
