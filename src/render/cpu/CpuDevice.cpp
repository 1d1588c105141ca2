#include "render/cpu/CpuDevice.h"

#include "app/Log.h"
#include "model/Picture.h"
#include "render/cpu/CpuEffect.h"
#include "render/cpu/CpuWindowPresenter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sched.h>
#include <thread>

using namespace cpukernels;

namespace {

// How far a coordinate may be from a texel centre and still count as on it:
// well below the 1/256 step of the sampler's weights.
constexpr double kAlignmentTolerance = 1.0 / 1024.0;

bool NearInteger(double value, int* rounded)
{
    const double r = std::nearbyint(value);
    if (std::fabs(value - r) >= kAlignmentTolerance)
        return false;
    *rounded = static_cast<int>(r);
    return true;
}

// The first texel of a span whose texels map to pixels one to one, or false.
bool OneToOne(double coordinate0, double step, int size, int count, int* first)
{
    const double texelsPerPixel = step * size;
    if (std::fabs(texelsPerPixel - 1.0) * std::max(count, 1) >= kAlignmentTolerance)
        return false;
    return NearInteger(coordinate0 * size - 0.5, first);
}

// Premultiplied "over": the blend of every compositing pass.
bool IsOver(const EffectPass& pass)
{
    return pass.blend && pass.sourceBlend == BlendFactor::kOne && pass.destinationBlend == BlendFactor::kInvSrcAlpha;
}

TextureView ViewOf(const CCpuTexture& texture)
{
    return {texture.texels.data(), texture.width, texture.height};
}

// The cores this process may run on (not all of the machine's when it is
// limited by affinity or a container), at most 8.
int DefaultThreadCount()
{
    cpu_set_t set;
    int cores = 0;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        cores = CPU_COUNT(&set);
    if (cores <= 0)
        cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, 8);
}

}  // namespace

CCpuDevice::CCpuDevice(int backBufferWidth, int backBufferHeight, int framePeriodUs, int threads, bool paceByClock)
{
    Init(backBufferWidth, backBufferHeight, framePeriodUs, threads, paceByClock);
}

CCpuDevice::CCpuDevice(QWindow* window, int framePeriodUs, int threads, bool paceByClock)
    : presenter_(ICpuWindowPresenter::Create(window))
{
    Init(presenter_->Size().width(), presenter_->Size().height(), framePeriodUs, threads, paceByClock);
}

CCpuDevice::~CCpuDevice() = default;

void CCpuDevice::Init(int width, int height, int framePeriodUs, int threads, bool paceByClock)
{
    const int bands = threads > 0 ? threads : DefaultThreadCount();
    description_.api = QStringLiteral("CPU");
    description_.renderer = QStringLiteral("%1 threads").arg(bands);
    description_.maxTextureSize = kMaxTextureSize;
    description_.backBufferWidth = std::max(width, 1);
    description_.backBufferHeight = std::max(height, 1);
    compositionTarget_ = std::make_unique<CCpuTexture>(this, kCompositionTargetSize, kCompositionTargetSize);
    backBuffer_ = std::make_unique<CCpuTexture>(this, description_.backBufferWidth, description_.backBufferHeight);
    renderTarget_ = backBuffer_.get();
    vertices_.resize(kVertexBufferSize);
    workers_ = std::make_unique<CBandWorkers>(bands);
    pacer_.SetPeriod(framePeriodUs);
    pacer_.SetClockOnly(paceByClock);
    description_.clockPaced = paceByClock;
}

std::unique_ptr<IDeviceTexture> CCpuDevice::CreateTexture(int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxTextureSize || height > kMaxTextureSize)
        return nullptr;
    try {
        return std::make_unique<CCpuTexture>(this, width, height);
    } catch (const std::bad_alloc&) {
        WriteLog(kLogFailure, "CCpuDevice::CreateTexture(%d x %d): out of memory", width, height);
        return nullptr;
    }
}

CCpuTexture* CCpuDevice::OwnTexture(IDeviceTexture* texture) const
{
    auto* own = dynamic_cast<CCpuTexture*>(texture);
    return own && own->owner == this ? own : nullptr;
}

bool CCpuDevice::LockTexture(IDeviceTexture* texture, LockedRect* locked, const DeviceRect*)
{
    CCpuTexture* own = OwnTexture(texture);
    if (!own || own == compositionTarget_.get() || own->locked)
        return false;
    own->locked = true;
    locked->bits = reinterpret_cast<uint8_t*>(own->texels.data());
    locked->pitch = own->width * 4;
    return true;
}

bool CCpuDevice::UnlockTexture(IDeviceTexture* texture)
{
    CCpuTexture* own = OwnTexture(texture);
    if (!own || !own->locked)
        return false;
    own->locked = false;
    constexpr size_t kUniformCheckLimit = 64 * 64;
    own->uniform = !own->texels.empty() && own->texels.size() <= kUniformCheckLimit &&
                   std::all_of(own->texels.begin(), own->texels.end(),
                               [first = own->texels.front()](uint32_t texel) { return texel == first; });
    return true;
}

bool CCpuDevice::UploadVertices(const Vertex* vertices, int count)
{
    if (count < 0 || count > kVertexBufferSize)
        return false;
    std::copy(vertices, vertices + count, vertices_.begin());
    return true;
}

std::unique_ptr<IDeviceEffect> CCpuDevice::CreateEffect(EffectId id)
{
    CEffectSource source;
    QString error;
    if (!source.Load(id, &error)) {
        WriteLog(kLogFailure, "CCpuDevice::CreateEffect(%d): %s", static_cast<int>(id), error.toUtf8().constData());
        return nullptr;
    }
    for (const QString& entry : source.ShaderEntries()) {
        CpuKernel kernel;
        if (!CCpuEffect::KernelOfShader(entry, &kernel)) {
            WriteLog(kLogFailure, "CCpuDevice::CreateEffect(%d): no kernel for %s", static_cast<int>(id),
                     entry.toUtf8().constData());
            return nullptr;
        }
    }
    return std::make_unique<CCpuEffect>(this, std::move(source));
}

bool CCpuDevice::SetRenderTarget(IDeviceTexture* target)
{
    if (!target) {
        renderTarget_ = backBuffer_.get();
        return true;
    }
    if (target != compositionTarget_.get())
        return false;
    renderTarget_ = compositionTarget_.get();
    return true;
}

void CCpuDevice::Clear(uint32_t argb)
{
    // Once a frame: the workers keep the priority of the thread that draws.
    workers_->FollowCallerPriority();
    CCpuTexture& target = *renderTarget_;
    if (renderTarget_ == compositionTarget_.get()) {
        // What lies outside the quads drawn since the last clear still holds
        // that clear's colour: only the drawn part needs filling again. The
        // fill waits for the quads that follow.
        DeviceRect area{0, 0, target.width, target.height};
        if (compositionClear_.valid && compositionClear_.colour == argb) {
            area = compositionClear_.drawn;
            // A clear not filled in yet still has to be.
            const DeviceRect& earlier = pendingClear_;
            if (earlier.right > earlier.left && earlier.bottom > earlier.top) {
                if (area.right <= area.left || area.bottom <= area.top)
                    area = earlier;
                else
                    area = {std::min(area.left, earlier.left), std::min(area.top, earlier.top),
                            std::max(area.right, earlier.right), std::max(area.bottom, earlier.bottom)};
            }
        }
        compositionClear_ = {true, argb, DeviceRect{}};
        pendingQuads_.clear();
        pendingClear_ = area;
        pendingClearColour_ = argb;
        return;
    }
    workers_->Run(target.height, [&](int first, int end) {
        std::fill(target.Row(first), target.Row(end), argb);
    });
}

cpukernels::SamplerView CCpuDevice::SamplerOf(const EffectPass& pass) const
{
    const SamplerState& state = activeEffect_->Source().samplers[pass.sampler];
    return {state.addressU, state.addressV, state.filter};
}

bool CCpuDevice::MapQuad(int firstVertex, QuadSpan* span) const
{
    if (firstVertex < 0 || firstVertex + 4 > kVertexBufferSize)
        return false;
    const Vertex* v = &vertices_[firstVertex];
    // Strip order: top-left, top-right, bottom-left, bottom-right.
    double left = v[0].x, right = v[1].x, top = v[0].y, bottom = v[2].y;
    double uLeft = v[0].u, uRight = v[1].u, vTop = v[0].v, vBottom = v[2].v;
    if (right < left) {
        std::swap(left, right);
        std::swap(uLeft, uRight);
    }
    if (bottom < top) {
        std::swap(top, bottom);
        std::swap(vTop, vBottom);
    }
    if (!(right > left) || !(bottom > top))
        return false;
    // An edge exactly on pixel centres moves up or left by one sub-pixel
    // step, as the OpenGL device's vertex shader does, so both decide its
    // row or column and the texture coordinates alike.
    for (double* edge : {&left, &right, &top, &bottom})
        if (*edge == std::floor(*edge))
            *edge -= 1.0 / 256.0;
    // Pixel centres inside the quad; left and top edges included.
    const double width = renderTarget_->width;
    const double height = renderTarget_->height;
    span->x0 = static_cast<int>(std::clamp(std::ceil(left), 0.0, width));
    span->x1 = static_cast<int>(std::clamp(std::ceil(right), 0.0, width));
    span->y0 = static_cast<int>(std::clamp(std::ceil(top), 0.0, height));
    span->y1 = static_cast<int>(std::clamp(std::ceil(bottom), 0.0, height));
    if (span->x1 <= span->x0 || span->y1 <= span->y0)
        return false;
    span->du = (uRight - uLeft) / (right - left);
    span->dv = (vBottom - vTop) / (bottom - top);
    span->u0 = uLeft + (span->x0 - left) * span->du;
    span->v0 = vTop + (span->y0 - top) * span->dv;
    span->alpha = v[0].diffuse >> 24;
    return true;
}

void CCpuDevice::DrawQuad(int firstVertex)
{
    if (!activeEffect_ || !activeEffect_->ActivePass())
        return;
    CCpuTexture* texture = OwnTexture(activeEffect_->Texture());
    if (!texture || texture == renderTarget_)
        return;
    QuadSpan span;
    if (!MapQuad(firstVertex, &span))
        return;
    const EffectPass& pass = *activeEffect_->ActivePass();
    const bool intoComposition = renderTarget_ == compositionTarget_.get();
    if (intoComposition && span.x1 > span.x0 && span.y1 > span.y0) {
        DeviceRect& drawn = compositionClear_.drawn;
        if (drawn.right <= drawn.left || drawn.bottom <= drawn.top) {
            drawn = {span.x0, span.y0, span.x1, span.y1};
        } else {
            drawn = {std::min(drawn.left, span.x0), std::min(drawn.top, span.y0), std::max(drawn.right, span.x1),
                     std::max(drawn.bottom, span.y1)};
        }
    }
    if (intoComposition && activeEffect_->ActiveKernel() == CpuKernel::kAlphaMix && texture->uniform && IsOver(pass)) {
        if (span.x1 > span.x0 && span.y1 > span.y0)
            pendingQuads_.push_back({span.x0, span.x1, span.y0, span.y1, texture->texels.front(), span.alpha});
        return;
    }
    FlushComposition();
    switch (activeEffect_->ActiveKernel()) {
    case CpuKernel::kAlphaMix:
        DrawAlphaMix(span, *texture, pass);
        break;
    case CpuKernel::kShadow:
        DrawShadow(span, *texture, pass);
        break;
    case CpuKernel::kYCbCrFull:
        DrawYCbCr(span, *texture, pass, YCbCrRange::kFull);
        break;
    case CpuKernel::kYCbCrLimited:
        DrawYCbCr(span, *texture, pass, YCbCrRange::kLimited);
        break;
    case CpuKernel::kUnfoldAlpha:
        DrawUnfoldAlpha(span, *texture, pass);
        break;
    }
}

void CCpuDevice::FlushComposition()
{
    const DeviceRect clear = pendingClear_;
    const bool clearing = clear.right > clear.left && clear.bottom > clear.top;
    if (!clearing && pendingQuads_.empty())
        return;
    int top = clearing ? clear.top : compositionTarget_->height;
    int bottom = clearing ? clear.bottom : 0;
    for (const ColourQuad& q : pendingQuads_) {
        top = std::min(top, q.y0);
        bottom = std::max(bottom, q.y1);
    }
    CCpuTexture& target = *compositionTarget_;
    constexpr int kBandRows = 32;
    workers_->Run(bottom - top, [&](int first, int end) {
        for (int band = top + first; band < top + end; band += kBandRows) {
            const int bandEnd = std::min(band + kBandRows, top + end);
            if (clearing) {
                for (int y = std::max(band, clear.top); y < std::min(bandEnd, clear.bottom); ++y)
                    std::fill(target.Row(y) + clear.left, target.Row(y) + clear.right, pendingClearColour_);
            }
            for (const ColourQuad& q : pendingQuads_)
                for (int y = std::max(band, q.y0); y < std::min(bandEnd, q.y1); ++y)
                    ColourOverSpan(q.texel, q.x1 - q.x0, q.alpha, target.Row(y) + q.x0);
        }
    });
    pendingQuads_.clear();
    pendingClear_ = {};
}

void CCpuDevice::DrawAlphaMix(const QuadSpan& span, CCpuTexture& texture, const EffectPass& pass)
{
    const SamplerView sampler = SamplerOf(pass);
    const int count = span.x1 - span.x0;
    const bool over = IsOver(pass);
    int column0 = 0;
    int row0 = 0;
    const bool oneToOne = over && OneToOne(span.u0, span.du, texture.width, count, &column0)
                          && OneToOne(span.v0, span.dv, texture.height, span.y1 - span.y0, &row0)
                          && (sampler.addressU == AddressMode::kWrap
                              || (column0 >= 0 && column0 + count <= texture.width));
    if (oneToOne) {
        // Straight from the texture rows, in runs that end where the texture wraps.
        workers_->Run(span.y1 - span.y0, [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                const uint32_t* texels = texture.Row(Address(row0 + y, texture.height, sampler.addressV));
                uint32_t* destination = renderTarget_->Row(span.y0 + y) + span.x0;
                int column = Address(column0, texture.width, sampler.addressU);
                for (int done = 0; done < count;) {
                    const int run = std::min(count - done, texture.width - column);
                    AlphaMixOverSpan(texels + column, run, span.alpha, destination + done);
                    done += run;
                    column = 0;
                }
            }
        });
        return;
    }
    const TextureView view = ViewOf(texture);
    const bool linear = sampler.filter == FilterMode::kLinear;
    ColumnTaps columns;
    if (linear)
        PrepareColumns(texture.width, sampler.addressU, span.u0, span.du, count, &columns);
    workers_->Run(span.y1 - span.y0, [&](int first, int end) {
        std::vector<uint32_t> samples(count);
        for (int y = first; y < end; ++y) {
            const double v = span.v0 + y * span.dv;
            if (linear)
                SampleColumnsSpan(PrepareRow(view, sampler.addressV, v), columns, count, samples.data());
            else
                SampleSpan(view, sampler, span.u0, span.du, v, count, samples.data());
            uint32_t* destination = renderTarget_->Row(span.y0 + y) + span.x0;
            if (over) {
                AlphaMixOverSpan(samples.data(), count, span.alpha, destination);
                continue;
            }
            AlphaMixSpan(samples.data(), count, span.alpha, samples.data());
            if (pass.blend)
                BlendSpan(samples.data(), destination, count, pass.sourceBlend, pass.destinationBlend);
            else
                std::copy(samples.begin(), samples.end(), destination);
        }
    });
}

void CCpuDevice::DrawShadow(const QuadSpan& span, CCpuTexture& texture, const EffectPass& pass)
{
    // The 13 taps of the diamond, as parameter names of their x and y offsets.
    static const char* const kTaps[13][2] = {
        {"g_fX00", "g_fYL2"},
        {"g_fXL1", "g_fYL1"}, {"g_fX00", "g_fYL1"}, {"g_fXR1", "g_fYL1"},
        {"g_fXL2", "g_fY00"}, {"g_fXL1", "g_fY00"}, {"g_fX00", "g_fY00"}, {"g_fXR1", "g_fY00"}, {"g_fXR2", "g_fY00"},
        {"g_fXL1", "g_fYR1"}, {"g_fX00", "g_fYR1"}, {"g_fXR1", "g_fYR1"},
        {"g_fX00", "g_fYR2"},
    };
    const CEffectSource& source = activeEffect_->Source();
    double offsetU[13];
    double offsetV[13];
    for (int k = 0; k < 13; ++k) {
        offsetU[k] = activeEffect_->Parameter(source.FindParameter(QLatin1String(kTaps[k][0])));
        offsetV[k] = activeEffect_->Parameter(source.FindParameter(QLatin1String(kTaps[k][1])));
    }
    const SamplerView sampler = SamplerOf(pass);
    const int count = span.x1 - span.x0;
    const bool over = IsOver(pass);
    int column0 = 0;
    int row0 = 0;
    int tapColumn[13];
    int tapRow[13];
    bool oneToOne = over && OneToOne(span.u0, span.du, texture.width, count, &column0)
                    && OneToOne(span.v0, span.dv, texture.height, span.y1 - span.y0, &row0);
    for (int k = 0; k < 13 && oneToOne; ++k)
        oneToOne = NearInteger(offsetU[k] * texture.width, &tapColumn[k])
                   && NearInteger(offsetV[k] * texture.height, &tapRow[k]);
    const TextureView view = ViewOf(texture);

    // The taps one texel apart around the centre tap, as every shadow size
    // puts them: each texel row's alpha is read once a band instead of once
    // a tap, and the diamond summed from five rows of it.
    bool diamond = oneToOne;
    bool seen[5][5] = {};
    for (int k = 0; k < 13 && diamond; ++k) {
        const int dx = tapColumn[k] - tapColumn[6];
        const int dy = tapRow[k] - tapRow[6];
        diamond = std::abs(dx) + std::abs(dy) <= 2 && !seen[dy + 2][dx + 2];
        if (diamond)
            seen[dy + 2][dx + 2] = true;
    }
    if (diamond) {
        const int width = texture.width;
        const int firstColumn = column0 + tapColumn[6] - 2;
        const int stride = count + 4;
        // Columns lo..hi lie inside the texture; the rest wrap or clamp.
        const int lo = std::clamp(-firstColumn, 0, stride);
        const int hi = std::clamp(width - firstColumn, lo, stride);
        const int centreRow = row0 + tapRow[6];
        workers_->Run(span.y1 - span.y0, [&](int first, int end) {
            std::vector<uint32_t> alpha(static_cast<size_t>(5) * stride);
            std::vector<uint32_t> sums(count);
            uint32_t* rows[5];
            const auto fill = [&](int row, uint32_t* out) {
                const uint32_t* texels = texture.Row(Address(row, texture.height, sampler.addressV));
                for (int j = 0; j < lo; ++j)
                    out[j] = texels[Address(firstColumn + j, width, sampler.addressU)] >> 24;
                if (hi > lo)
                    AlphaOfSpan(texels + firstColumn + lo, hi - lo, out + lo);
                for (int j = hi; j < stride; ++j)
                    out[j] = texels[Address(firstColumn + j, width, sampler.addressU)] >> 24;
            };
            for (int r = 0; r < 5; ++r) {
                rows[r] = alpha.data() + static_cast<size_t>(r) * stride;
                fill(centreRow + first - 2 + r, rows[r]);
            }
            for (int y = first; y < end; ++y) {
                if (y > first) {
                    std::rotate(rows, rows + 1, rows + 5);
                    fill(centreRow + y + 2, rows[4]);
                }
                DiamondAlphaSpan(rows, count, sums.data());
                ShadowOverSpan(sums.data(), count, span.alpha, renderTarget_->Row(span.y0 + y) + span.x0);
            }
        });
        return;
    }
    if (oneToOne) {
        // Texel columns of every tap, the same for all rows; between
        // inner[k] and innerEnd[k] they run on without wrapping or clamping,
        // so that stretch is summed straight from the row.
        std::vector<int> columns(static_cast<size_t>(13) * count);
        int inner[13];
        int innerEnd[13];
        for (int k = 0; k < 13; ++k) {
            for (int i = 0; i < count; ++i)
                columns[k * count + i] = Address(column0 + i + tapColumn[k], texture.width, sampler.addressU);
            inner[k] = std::clamp(-(column0 + tapColumn[k]), 0, count);
            innerEnd[k] = std::clamp(texture.width - (column0 + tapColumn[k]), inner[k], count);
        }
        workers_->Run(span.y1 - span.y0, [&](int first, int end) {
            std::vector<uint32_t> sums(count);
            for (int y = first; y < end; ++y) {
                std::fill(sums.begin(), sums.end(), 0u);
                for (int k = 0; k < 13; ++k) {
                    const uint32_t* texels = texture.Row(Address(row0 + y + tapRow[k], texture.height, sampler.addressV));
                    const int* tapColumns = &columns[k * count];
                    for (int i = 0; i < inner[k]; ++i)
                        sums[i] += texels[tapColumns[i]] >> 24;
                    if (innerEnd[k] > inner[k])
                        AddAlphaSpan(texels + column0 + tapColumn[k] + inner[k], innerEnd[k] - inner[k], sums.data() + inner[k]);
                    for (int i = innerEnd[k]; i < count; ++i)
                        sums[i] += texels[tapColumns[i]] >> 24;
                }
                ShadowOverSpan(sums.data(), count, span.alpha, renderTarget_->Row(span.y0 + y) + span.x0);
            }
        });
        return;
    }
    // Scaled: every tap's columns once for the quad, its rows once a row.
    const bool linear = sampler.filter == FilterMode::kLinear;
    std::vector<ColumnTaps> tapColumns(linear ? 13 : 0);
    for (int k = 0; k < static_cast<int>(tapColumns.size()); ++k)
        PrepareColumns(texture.width, sampler.addressU, span.u0 + offsetU[k], span.du, count, &tapColumns[k]);
    workers_->Run(span.y1 - span.y0, [&](int first, int end) {
        std::vector<uint32_t> samples(linear && over ? 0 : count);
        std::vector<uint32_t> sums(count);
        for (int y = first; y < end; ++y) {
            std::fill(sums.begin(), sums.end(), 0u);
            const double v = span.v0 + y * span.dv;
            for (int k = 0; k < 13; ++k) {
                if (linear) {
                    AddSampledAlphaSpan(PrepareRow(view, sampler.addressV, v + offsetV[k]), tapColumns[k], count,
                                        sums.data());
                    continue;
                }
                SampleSpan(view, sampler, span.u0 + offsetU[k], span.du, v + offsetV[k], count, samples.data());
                for (int i = 0; i < count; ++i)
                    sums[i] += samples[i] >> 24;
            }
            uint32_t* destination = renderTarget_->Row(span.y0 + y) + span.x0;
            if (over) {
                ShadowOverSpan(sums.data(), count, span.alpha, destination);
                continue;
            }
            for (int i = 0; i < count; ++i)
                samples[i] = ((sums[i] * span.alpha * 2 + 13 * 255) / (2 * 13 * 255)) << 24;
            if (pass.blend)
                BlendSpan(samples.data(), destination, count, pass.sourceBlend, pass.destinationBlend);
            else
                std::copy(samples.begin(), samples.end(), destination);
        }
    });
}

void CCpuDevice::DrawYCbCr(const QuadSpan& span, CCpuTexture& texture, const EffectPass& pass, YCbCrRange range)
{
    const SamplerView sampler = SamplerOf(pass);
    const int count = span.x1 - span.x0;
    const int index = activeEffect_->Source().FindParameter(QStringLiteral("g_TextureWidth"));
    const double textureWidth = index >= 0 ? activeEffect_->Parameter(index) : 0.0;
    if (!(textureWidth > 0.0))
        return;  // the shader would divide by zero: nothing defined to draw
    // Per column: its texel, the texel of the other pixel of its chroma pair,
    // and whether it carries Cb (even) or Cr (odd). Columns do not change
    // from row to row.
    std::vector<int> own(count);
    std::vector<int> neighbour(count);
    std::vector<uint8_t> even(count);
    const int w = texture.width;
    auto texelOf = [&](double u) { return Address(static_cast<int>(std::floor(u * w)), w, sampler.addressU); };
    for (int i = 0; i < count; ++i) {
        const double u = span.u0 + i * span.du;
        const double xpos = u * textureWidth * 0.5;
        const double d = std::nearbyint(xpos) - xpos;
        even[i] = d * d < 0.1;
        own[i] = texelOf(u);
        neighbour[i] = texelOf(even[i] ? u + 1.0 / textureWidth : u - 1.0 / textureWidth);
    }
    // The pairs of columns (even, odd) that read two neighbouring texels in
    // order: all of the output quad but a clamped edge. They take the fast
    // loop; the rest goes pixel by pixel.
    int pairsBegin = 0;
    while (pairsBegin < count && !even[pairsBegin])
        ++pairsBegin;
    int pairsEnd = pairsBegin;
    while (pairsEnd + 1 < count && even[pairsEnd] && !even[pairsEnd + 1]
           && own[pairsEnd] == own[pairsBegin] + (pairsEnd - pairsBegin) && neighbour[pairsEnd] == own[pairsEnd] + 1
           && own[pairsEnd + 1] == own[pairsEnd] + 1 && neighbour[pairsEnd + 1] == own[pairsEnd])
        pairsEnd += 2;
    workers_->Run(span.y1 - span.y0, [&](int first, int end) {
        std::vector<uint32_t> packed(pass.blend ? count : 0);
        for (int y = first; y < end; ++y) {
            const double v = span.v0 + y * span.dv;
            const int row = Address(static_cast<int>(std::floor(v * texture.height)), texture.height, sampler.addressV);
            const uint32_t* texels = texture.Row(row);
            uint32_t* destination = renderTarget_->Row(span.y0 + y) + span.x0;
            uint32_t* out = pass.blend ? packed.data() : destination;
            PackYCbCrSpan(texels, own.data(), neighbour.data(), even.data(), pairsBegin, range, out);
            if (pairsEnd > pairsBegin)
                PackYCbCrPairsSpan(texels + own[pairsBegin], (pairsEnd - pairsBegin) / 2, range, out + pairsBegin);
            PackYCbCrSpan(texels, own.data() + pairsEnd, neighbour.data() + pairsEnd, even.data() + pairsEnd,
                          count - pairsEnd, range, out + pairsEnd);
            if (pass.blend)
                BlendSpan(packed.data(), destination, count, pass.sourceBlend, pass.destinationBlend);
        }
    });
}

void CCpuDevice::DrawUnfoldAlpha(const QuadSpan& span, CCpuTexture& texture, const EffectPass& pass)
{
    const SamplerView sampler = SamplerOf(pass);
    const TextureView view = ViewOf(texture);
    const int count = span.x1 - span.x0;
    workers_->Run(span.y1 - span.y0, [&](int first, int end) {
        std::vector<uint32_t> samples(count);
        for (int y = first; y < end; ++y) {
            SampleSpan(view, sampler, span.u0, span.du, span.v0 + y * span.dv, count, samples.data());
            UnfoldAlphaSpan(samples.data(), count, samples.data());
            uint32_t* destination = renderTarget_->Row(span.y0 + y) + span.x0;
            if (pass.blend)
                BlendSpan(samples.data(), destination, count, pass.sourceBlend, pass.destinationBlend);
            else
                std::copy(samples.begin(), samples.end(), destination);
        }
    });
}

DeviceStatus CCpuDevice::Present()
{
    FlushComposition();
    const auto started = CFramePacer::Clock::now();
    DeviceStatus status = DeviceStatus::kOk;
    if (presenter_) {
        status = presenter_->Show(backBuffer_->texels.data(), backBuffer_->width, backBuffer_->height);
        if (status == DeviceStatus::kOk)
            FollowWindowSize();
    }
    pacer_.FramePresented(started);
    return status;
}

void CCpuDevice::FollowWindowSize()
{
    const QSize size = presenter_->Size();
    const int width = std::clamp(size.width(), 1, kMaxTextureSize);
    const int height = std::clamp(size.height(), 1, kMaxTextureSize);
    if (width == backBuffer_->width && height == backBuffer_->height)
        return;
    try {
        auto resized = std::make_unique<CCpuTexture>(this, width, height);
        if (renderTarget_ == backBuffer_.get())
            renderTarget_ = resized.get();
        backBuffer_ = std::move(resized);
    } catch (const std::bad_alloc&) {
        // Keeps drawing at the old size; shown at the window's top-left.
        WriteLog(kLogFailure, "CCpuDevice: no memory for a %d x %d back buffer", width, height);
        return;
    }
    description_.backBufferWidth = width;
    description_.backBufferHeight = height;
}

bool CCpuDevice::ReadBackBuffer(CPicture* picture)
{
    picture->width = backBuffer_->width;
    picture->height = backBuffer_->height;
    picture->pixels.resize(backBuffer_->texels.size());
    std::transform(backBuffer_->texels.begin(), backBuffer_->texels.end(), picture->pixels.begin(),
                   [](uint32_t p) { return p | 0xFF000000u; });
    return true;
}

bool CCpuDevice::ReadTexture(IDeviceTexture* texture, CPicture* picture)
{
    CCpuTexture* own = OwnTexture(texture);
    if (!own)
        return false;
    if (own == compositionTarget_.get())
        FlushComposition();
    picture->width = own->width;
    picture->height = own->height;
    picture->pixels = own->texels;
    return true;
}
