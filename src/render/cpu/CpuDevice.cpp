#include "render/cpu/CpuDevice.h"

#include "app/Log.h"
#include "model/Picture.h"
#include "render/cpu/CpuEffect.h"
#include "render/cpu/CpuWindowPresenter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <sched.h>
#include <thread>

using namespace cpukernels;

namespace {

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
    compositionTarget_ = std::make_unique<CCpuTexture>(this, kCompositionTargetSize, kCompositionTargetSize, false);
    backBuffer_ = std::make_unique<CCpuTexture>(this, description_.backBufferWidth, description_.backBufferHeight, false);
    renderTarget_ = backBuffer_.get();
    vertices_.resize(kVertexBufferSize);
    workers_ = std::make_unique<CBandWorkers>(bands);
    composition_ = std::make_unique<CCpuDrawList>(*workers_);
    composition_->SetTarget(compositionTarget_.get());
    immediate_ = std::make_unique<CCpuDrawList>(*workers_);
    pacer_.SetPeriod(framePeriodUs);
    pacer_.SetClockOnly(paceByClock);
    description_.clockPaced = paceByClock;
}

int64_t CCpuDevice::HelperThreadsCpuUs() const
{
    return workers_->WorkersCpuUs();
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

bool CCpuDevice::LockTexture(IDeviceTexture* texture, LockedRect* locked, const DeviceRect* region)
{
    CCpuTexture* own = OwnTexture(texture);
    if (!own || own == compositionTarget_.get() || own->locked)
        return false;
    // Draws that read the texture see it as it was when they were made.
    if (own->pendingDraws)
        own->pendingDraws->Execute();
    own->locked = true;
    own->lockedTop = region ? std::clamp(region->top, 0, own->height) : 0;
    own->lockedBottom = region ? std::clamp(region->bottom, own->lockedTop, own->height) : own->height;
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
    own->RowsWritten(own->lockedTop, own->lockedBottom);
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
        // fill waits for the quads that follow; the quads not drawn yet
        // would be covered by it.
        DeviceRect area{0, 0, target.width, target.height};
        if (compositionClear_.valid && compositionClear_.colour == argb) {
            area = compositionClear_.drawn;
            // A clear not filled in yet still has to be.
            const DeviceRect& earlier = composition_->FillArea();
            if (earlier.right > earlier.left && earlier.bottom > earlier.top) {
                if (area.right <= area.left || area.bottom <= area.top)
                    area = earlier;
                else
                    area = {std::min(area.left, earlier.left), std::min(area.top, earlier.top),
                            std::max(area.right, earlier.right), std::max(area.bottom, earlier.bottom)};
            }
        }
        compositionClear_ = {true, argb, DeviceRect{}};
        composition_->Discard();
        composition_->Fill(area, argb);
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

bool CCpuDevice::MapQuad(int firstVertex, CpuQuadSpan* span) const
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
    CpuQuadSpan span;
    if (!MapQuad(firstVertex, &span))
        return;
    const EffectPass& pass = *activeEffect_->ActivePass();
    const bool intoComposition = renderTarget_ == compositionTarget_.get();
    if (intoComposition) {
        DeviceRect& drawn = compositionClear_.drawn;
        if (drawn.right <= drawn.left || drawn.bottom <= drawn.top) {
            drawn = {span.x0, span.y0, span.x1, span.y1};
        } else {
            drawn = {std::min(drawn.left, span.x0), std::min(drawn.top, span.y0), std::max(drawn.right, span.x1),
                     std::max(drawn.bottom, span.y1)};
        }
    }
    const CpuKernel kernel = activeEffect_->ActiveKernel();
    if (kernel == CpuKernel::kAlphaMix || kernel == CpuKernel::kShadow) {
        // Into the composition target they wait for the rest of the frame;
        // anywhere else they are drawn now, after what the composition
        // still owes.
        if (!intoComposition) {
            FlushComposition();
            immediate_->SetTarget(renderTarget_);
        }
        CCpuDrawList& list = intoComposition ? *composition_ : *immediate_;
        if (kernel == CpuKernel::kShadow) {
            double offsetU[kShadowTaps];
            double offsetV[kShadowTaps];
            activeEffect_->ShadowTapOffsets(offsetU, offsetV);
            list.AddShadow(span, *texture, SamplerOf(pass), pass, offsetU, offsetV);
        } else if (intoComposition && texture->uniform && IsOver(pass)) {
            list.AddColour(span, texture->texels.front());
        } else {
            list.AddAlphaMix(span, *texture, SamplerOf(pass), pass);
        }
        if (!intoComposition)
            immediate_->Execute();
        return;
    }
    // The output encodings compose the frame as they go (DrawYCbCr).
    if (kernel != CpuKernel::kYCbCrFull && kernel != CpuKernel::kYCbCrLimited)
        FlushComposition();
    switch (kernel) {
    case CpuKernel::kYCbCrFull:
        DrawYCbCr(span, *texture, pass, YCbCrRange::kFull);
        break;
    case CpuKernel::kYCbCrLimited:
        DrawYCbCr(span, *texture, pass, YCbCrRange::kLimited);
        break;
    case CpuKernel::kUnfoldAlpha:
        DrawUnfoldAlpha(span, *texture, pass);
        break;
    case CpuKernel::kAlphaMix:
    case CpuKernel::kShadow:
        break;
    }
}

void CCpuDevice::FlushComposition()
{
    composition_->Execute({});
}

void CCpuDevice::DrawYCbCr(const CpuQuadSpan& span, CCpuTexture& texture, const EffectPass& pass, YCbCrRange range)
{
    const SamplerView sampler = SamplerOf(pass);
    const int count = span.x1 - span.x0;
    const int index = activeEffect_->Source().FindParameter(QStringLiteral("g_TextureWidth"));
    const double textureWidth = index >= 0 ? activeEffect_->Parameter(index) : 0.0;
    if (!(textureWidth > 0.0)) {
        FlushComposition();
        return;  // the shader would divide by zero: nothing defined to draw
    }
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
    // Each output row reads one texture row.
    const int rows = span.y1 - span.y0;
    std::vector<int> sourceRows(rows);
    for (int y = 0; y < rows; ++y) {
        const double v = span.v0 + y * span.dv;
        sourceRows[y] = Address(static_cast<int>(std::floor(v * texture.height)), texture.height, sampler.addressV);
    }
    auto encode = [&](int y, std::vector<uint32_t>& packed) {
        const uint32_t* texels = texture.Row(sourceRows[y]);
        uint32_t* destination = renderTarget_->Row(span.y0 + y) + span.x0;
        packed.resize(pass.blend ? count : 0);
        uint32_t* out = pass.blend ? packed.data() : destination;
        PackYCbCrSpan(texels, own.data(), neighbour.data(), even.data(), pairsBegin, range, out);
        if (pairsEnd > pairsBegin)
            PackYCbCrPairsSpan(texels + own[pairsBegin], (pairsEnd - pairsBegin) / 2, range, out + pairsBegin);
        PackYCbCrSpan(texels, own.data() + pairsEnd, neighbour.data() + pairsEnd, even.data() + pairsEnd,
                      count - pairsEnd, range, out + pairsEnd);
        if (pass.blend)
            BlendSpan(packed.data(), destination, count, pass.sourceBlend, pass.destinationBlend);
    };
    std::vector<uint8_t> encoded(rows, 0);
    if (&texture == compositionTarget_.get() && !composition_->Empty()) {
        // The composition and its encoding in one pass: a band's rows are
        // encoded as soon as they are composed, while they are still in the
        // cache. The output rows in the order of the rows they read:
        // byRow[rowStart[r] .. rowStart[r + 1]) read row r.
        std::vector<int> rowStart(static_cast<size_t>(texture.height) + 1, 0);
        for (const int r : sourceRows)
            ++rowStart[r + 1];
        for (int r = 0; r < texture.height; ++r)
            rowStart[r + 1] += rowStart[r];
        std::vector<int> byRow(rows);
        {
            std::vector<int> next(rowStart.begin(), rowStart.end() - 1);
            for (int y = 0; y < rows; ++y)
                byRow[next[sourceRows[y]]++] = y;
        }
        composition_->Execute([&](int top, int bottom) {
            thread_local std::vector<uint32_t> packed;
            for (int i = rowStart[top]; i < rowStart[bottom]; ++i) {
                encode(byRow[i], packed);
                encoded[byRow[i]] = 1;
            }
        });
    } else {
        FlushComposition();
    }
    // The rest: rows that read what no band drew (or all of them).
    if (std::find(encoded.begin(), encoded.end(), 0) == encoded.end())
        return;
    workers_->Run(rows, [&](int first, int end) {
        std::vector<uint32_t> packed;
        for (int y = first; y < end; ++y)
            if (!encoded[y])
                encode(y, packed);
    });
}

void CCpuDevice::DrawUnfoldAlpha(const CpuQuadSpan& span, CCpuTexture& texture, const EffectPass& pass)
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
