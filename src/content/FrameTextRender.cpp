#include "content/RichEditTextRenderer.h"
#include "model/Frame.h"

// Text layout into chunks is not in yet: the text thread finds no work, and
// objects show their backgrounds only.
int CFrame::InvokeRender(CRichEditTextRenderer& /*textRenderer*/)
{
    return 0;
}
