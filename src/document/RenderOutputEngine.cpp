#include "document/RenderOutputEngine.h"

namespace {

class CRenderOutputEngine final : public IOutputEngine
{
public:
    CRenderOutputEngine(const OutputEngineParams& p, const CRenderEnvironment& environment)
        : render_(p, environment)
    {
    }

    int RenderError() const override { return render_.renderError.load(); }
    void SetFullRange(int fullRange) override { render_.fullRange.store(fullRange); }

private:
    CRender render_;
};

}  // namespace

OutputEngineFactory RenderOutputEngineFactory(const CRenderEnvironment& environment)
{
    return [environment](const OutputEngineParams& params) -> std::unique_ptr<IOutputEngine> {
        return std::make_unique<CRenderOutputEngine>(params, environment);
    };
}
