#pragma once

#include "content/RichEditExCtrl.h"

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
};
