#include "render/cpu/CpuDrawList.h"

#include "render/cpu/BandWorkers.h"
#include "render/cpu/CpuTexture.h"

#include <algorithm>
#include <cmath>

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

// The texture row a prepared row of samples starts at.
int RowOf(const CCpuTexture& texture, const uint32_t* row)
{
    return static_cast<int>((row - texture.texels.data()) / texture.width);
}


}  // namespace

CCpuDrawList::CCpuDrawList(CBandWorkers& workers) : workers_(workers) {}

CCpuDrawList::~CCpuDrawList()
{
    Discard();
}

void CCpuDrawList::Fill(const DeviceRect& area, uint32_t colour)
{
    fillArea_ = area;
    fillColour_ = colour;
}

void CCpuDrawList::Add(const Draw& draw)
{
    draws_.push_back(draw);
    if (draw.texture)
        draw.texture->pendingDraws = this;
}

int CCpuDrawList::PrepareColumns(int width, AddressMode mode, double u0, double du, int count)
{
    if (columnsUsed_ == columns_.size())
        columns_.emplace_back();
    cpukernels::PrepareColumns(width, mode, u0, du, count, &columns_[columnsUsed_]);
    return static_cast<int>(columnsUsed_++);
}

void CCpuDrawList::AddColour(const CpuQuadSpan& span, uint32_t texel)
{
    Draw draw{};
    draw.kind = Kind::kColour;
    draw.span = span;
    draw.texel = texel;
    Add(draw);
}

CCpuDrawList::Draw CCpuDrawList::TexturedDraw(const CpuQuadSpan& span, CCpuTexture& texture,
                                               const SamplerView& sampler, const EffectPass& pass)
{
    Draw draw{};
    draw.span = span;
    draw.texture = &texture;
    draw.sampler = sampler;
    draw.over = IsOver(pass);
    draw.blend = pass.blend;
    draw.sourceBlend = pass.sourceBlend;
    draw.destinationBlend = pass.destinationBlend;
    return draw;
}

void CCpuDrawList::AddAlphaMix(const CpuQuadSpan& span, CCpuTexture& texture, const SamplerView& sampler,
                               const EffectPass& pass)
{
    Draw draw = TexturedDraw(span, texture, sampler, pass);
    const int count = span.x1 - span.x0;
    const bool oneToOne = draw.over && OneToOne(span.u0, span.du, texture.width, count, &draw.column0)
                          && OneToOne(span.v0, span.dv, texture.height, span.y1 - span.y0, &draw.row0)
                          && (sampler.addressU == AddressMode::kWrap
                              || (draw.column0 >= 0 && draw.column0 + count <= texture.width));
    if (oneToOne) {
        draw.kind = Kind::kMixDirect;
    } else {
        draw.kind = Kind::kMixSampled;
        if (sampler.filter == FilterMode::kLinear)
            draw.columns = PrepareColumns(texture.width, sampler.addressU, span.u0, span.du, count);
    }
    Add(draw);
}

void CCpuDrawList::AddShadow(const CpuQuadSpan& span, CCpuTexture& texture, const SamplerView& sampler,
                             const EffectPass& pass, const double offsetU[kShadowTaps],
                             const double offsetV[kShadowTaps])
{
    Draw draw = TexturedDraw(span, texture, sampler, pass);
    if (shadowsUsed_ == shadows_.size())
        shadows_.emplace_back();
    draw.shadow = static_cast<int>(shadowsUsed_++);
    ShadowTaps& taps = shadows_[draw.shadow];
    std::copy(offsetU, offsetU + kShadowTaps, taps.offsetU);
    std::copy(offsetV, offsetV + kShadowTaps, taps.offsetV);

    const int count = span.x1 - span.x0;
    bool oneToOne = draw.over && OneToOne(span.u0, span.du, texture.width, count, &draw.column0)
                    && OneToOne(span.v0, span.dv, texture.height, span.y1 - span.y0, &draw.row0);
    for (int k = 0; k < kShadowTaps && oneToOne; ++k)
        oneToOne = NearInteger(offsetU[k] * texture.width, &taps.column[k])
                   && NearInteger(offsetV[k] * texture.height, &taps.row[k]);
    if (oneToOne) {
        // The texel columns of every tap, the same for all rows; between
        // innerBegin and innerEnd every tap runs on without wrapping or
        // clamping, so that stretch is summed straight from the rows.
        draw.kind = Kind::kShadowDirect;
        taps.innerBegin = 0;
        taps.innerEnd = count;
        for (int k = 0; k < kShadowTaps; ++k) {
            const int first = draw.column0 + taps.column[k];
            const int inner = std::clamp(-first, 0, count);
            taps.innerBegin = std::max(taps.innerBegin, inner);
            taps.innerEnd = std::min(taps.innerEnd, std::clamp(texture.width - first, inner, count));
        }
        taps.innerEnd = std::max(taps.innerEnd, taps.innerBegin);
        // Columns only for the edges: pixel i < innerBegin at i, pixel
        // i >= innerEnd at innerBegin + (i - innerEnd).
        const int edges = taps.innerBegin + (count - taps.innerEnd);
        taps.edges = edges;
        taps.columns.resize(static_cast<size_t>(kShadowTaps) * edges);
        for (int k = 0; k < kShadowTaps; ++k) {
            const int first = draw.column0 + taps.column[k];
            int* columns = taps.columns.data() + static_cast<size_t>(k) * edges;  // no edges: empty
            for (int i = 0; i < taps.innerBegin; ++i)
                columns[i] = Address(first + i, texture.width, sampler.addressU);
            for (int i = taps.innerEnd; i < count; ++i)
                columns[taps.innerBegin + (i - taps.innerEnd)] = Address(first + i, texture.width, sampler.addressU);
        }
    } else {
        // Scaled: every tap's columns once for the quad, its rows once a row.
        draw.kind = Kind::kShadowSampled;
        if (sampler.filter == FilterMode::kLinear) {
            // Taps with the same horizontal offset read the same columns
            // (five different ones in the diamond).
            for (int k = 0; k < kShadowTaps; ++k) {
                int same = 0;
                while (same < k && offsetU[same] != offsetU[k])
                    ++same;
                taps.columnsOf[k] = same < k ? taps.columnsOf[same]
                                             : PrepareColumns(texture.width, sampler.addressU, span.u0 + offsetU[k],
                                                              span.du, count);
            }
        }
    }
    Add(draw);
}

void CCpuDrawList::Execute(const std::function<void(int, int)>& afterBand)
{
    if (Empty()) {
        Release();
        return;
    }
    const bool filling = Filling();
    int top = filling ? fillArea_.top : target_->height;
    int bottom = filling ? fillArea_.bottom : 0;
    size_t widest = 0;
    for (const Draw& draw : draws_) {
        top = std::min(top, draw.span.y0);
        bottom = std::max(bottom, draw.span.y1);
        widest = std::max(widest, static_cast<size_t>(draw.span.x1 - draw.span.x0));
    }
    // Each draw listed once under every band it reaches.
    const int bands = (bottom - top + kBandRows - 1) / kBandRows;
    bandStart_.assign(static_cast<size_t>(bands) + 1, 0);
    for (const Draw& draw : draws_) {
        for (int b = (draw.span.y0 - top) / kBandRows; b <= (draw.span.y1 - 1 - top) / kBandRows; ++b)
            ++bandStart_[b + 1];
    }
    for (int b = 0; b < bands; ++b)
        bandStart_[b + 1] += bandStart_[b];
    bandDraws_.resize(static_cast<size_t>(bandStart_[bands]));
    {
        std::vector<int>& next = bandStart_;  // filled up to the start of the next band, then moved back
        for (int d = 0; d < static_cast<int>(draws_.size()); ++d) {
            const Draw& draw = draws_[d];
            for (int b = (draw.span.y0 - top) / kBandRows; b <= (draw.span.y1 - 1 - top) / kBandRows; ++b)
                bandDraws_[next[b]++] = d;
        }
        for (int b = bands; b > 0; --b)
            next[b] = next[b - 1];
        next[0] = 0;
    }

    workers_.Run(
        bands,
        [&](int firstBand, int endBand) {
            thread_local Scratch scratch;
            if (scratch.samples.size() < widest) {
                scratch.samples.resize(widest);
                scratch.sums.resize(widest);
            }
            for (int b = firstBand; b < endBand; ++b) {
                const int bandTop = top + b * kBandRows;
                const int bandBottom = std::min(bandTop + kBandRows, bottom);
                if (filling) {
                    for (int y = std::max(bandTop, fillArea_.top); y < std::min(bandBottom, fillArea_.bottom); ++y)
                        std::fill(target_->Row(y) + fillArea_.left, target_->Row(y) + fillArea_.right, fillColour_);
                }
                for (int i = bandStart_[b]; i < bandStart_[b + 1]; ++i) {
                    const Draw& draw = draws_[bandDraws_[i]];
                    DrawRows(draw, std::max(bandTop, draw.span.y0), std::min(bandBottom, draw.span.y1), scratch);
                }
                if (afterBand)
                    afterBand(bandTop, bandBottom);
            }
        },
        1, kBandsPerThread);
    Release();
}

void CCpuDrawList::Discard()
{
    Release();
}

void CCpuDrawList::Release()
{
    for (const Draw& draw : draws_)
        if (draw.texture)
            draw.texture->pendingDraws = nullptr;
    draws_.clear();
    fillArea_ = {};
    columnsUsed_ = 0;
    shadowsUsed_ = 0;
}

void CCpuDrawList::DrawRows(const Draw& draw, int top, int bottom, Scratch& scratch) const
{
    switch (draw.kind) {
    case Kind::kColour: {
        const CpuQuadSpan& span = draw.span;
        for (int y = top; y < bottom; ++y)
            ColourOverSpan(draw.texel, span.x1 - span.x0, span.alpha, target_->Row(y) + span.x0);
        break;
    }
    case Kind::kMixDirect:
        DrawMixDirect(draw, top, bottom);
        break;
    case Kind::kMixSampled:
        DrawMixSampled(draw, top, bottom, scratch);
        break;
    case Kind::kShadowDirect:
        DrawShadowDirect(draw, top, bottom, scratch);
        break;
    case Kind::kShadowSampled:
        DrawShadowSampled(draw, top, bottom, scratch);
        break;
    }
}

void CCpuDrawList::DrawMixDirect(const Draw& draw, int top, int bottom) const
{
    // Straight from the texture rows, in runs that end where the texture
    // wraps, and only over the columns that have alpha: clear texels leave
    // the target as it is.
    const CpuQuadSpan& span = draw.span;
    const CCpuTexture& texture = *draw.texture;
    const int count = span.x1 - span.x0;
    for (int y = top; y < bottom; ++y) {
        const int row = Address(draw.row0 + (y - span.y0), texture.height, draw.sampler.addressV);
        int coveredFirst = 0;
        int coveredEnd = 0;
        texture.Covered(row, &coveredFirst, &coveredEnd);
        if (coveredFirst >= coveredEnd)
            continue;
        const uint32_t* texels = texture.Row(row);
        uint32_t* destination = target_->Row(y) + span.x0;
        int column = Address(draw.column0, texture.width, draw.sampler.addressU);
        for (int done = 0; done < count;) {
            const int run = std::min(count - done, texture.width - column);
            const int first = std::max(column, coveredFirst);
            const int end = std::min(column + run, coveredEnd);
            if (end > first)
                AlphaMixOverSpan(texels + first, end - first, span.alpha, destination + done + (first - column));
            done += run;
            column = 0;
        }
    }
}

void CCpuDrawList::DrawMixSampled(const Draw& draw, int top, int bottom, Scratch& scratch) const
{
    const CpuQuadSpan& span = draw.span;
    const CCpuTexture& texture = *draw.texture;
    const TextureView view = ViewOf(texture);
    const int count = span.x1 - span.x0;
    const bool linear = draw.sampler.filter == FilterMode::kLinear;
    uint32_t* samples = scratch.samples.data();
    for (int y = top; y < bottom; ++y) {
        const double v = span.v0 + (y - span.y0) * span.dv;
        if (linear) {
            const RowTaps row = PrepareRow(view, draw.sampler.addressV, v);
            // Samples between clear rows are clear: nothing to blend "over".
            if (draw.over && texture.RowClear(RowOf(texture, row.top)) && texture.RowClear(RowOf(texture, row.bottom)))
                continue;
            SampleColumnsSpan(row, columns_[draw.columns], count, samples);
        } else {
            SampleSpan(view, draw.sampler, span.u0, span.du, v, count, samples);
        }
        uint32_t* destination = target_->Row(y) + span.x0;
        if (draw.over) {
            AlphaMixOverSpan(samples, count, span.alpha, destination);
            continue;
        }
        AlphaMixSpan(samples, count, span.alpha, samples);
        if (draw.blend)
            BlendSpan(samples, destination, count, draw.sourceBlend, draw.destinationBlend);
        else
            std::copy(samples, samples + count, destination);
    }
}

void CCpuDrawList::DrawShadowDirect(const Draw& draw, int top, int bottom, Scratch& scratch) const
{
    const CpuQuadSpan& span = draw.span;
    const CCpuTexture& texture = *draw.texture;
    const ShadowTaps& taps = shadows_[draw.shadow];
    const int count = span.x1 - span.x0;
    uint32_t* sums = scratch.sums.data();
    for (int y = top; y < bottom; ++y) {
        const uint32_t* rows[kShadowTaps];
        // The pixels any tap finds alpha for; rows without any leave the
        // target as it is.
        int coveredFirst = count;
        int coveredEnd = 0;
        for (int k = 0; k < kShadowTaps; ++k) {
            const int row = Address(draw.row0 + (y - span.y0) + taps.row[k], texture.height, draw.sampler.addressV);
            rows[k] = texture.Row(row);
            int first = 0;
            int end = 0;
            texture.Covered(row, &first, &end);
            if (first < end) {
                const int shift = draw.column0 + taps.column[k];
                coveredFirst = std::min(coveredFirst, first - shift);
                coveredEnd = std::max(coveredEnd, end - shift);
            }
        }
        if (coveredFirst >= coveredEnd)
            continue;
        uint32_t* destination = target_->Row(y) + span.x0;
        // The edges, where taps wrap or clamp: column by column.
        auto edge = [&](int first, int end, int column) {
            for (int i = first; i < end; ++i, ++column) {
                uint32_t sum = 0;
                for (int k = 0; k < kShadowTaps; ++k)
                    sum += rows[k][taps.columns[static_cast<size_t>(k) * taps.edges + column]] >> 24;
                sums[i] = sum;
            }
            if (end > first)
                ShadowOverSpan(sums + first, end - first, span.alpha, destination + first);
        };
        edge(0, taps.innerBegin, 0);
        edge(taps.innerEnd, count, taps.innerBegin);
        const int first = std::max(taps.innerBegin, coveredFirst);
        const int end = std::min(taps.innerEnd, coveredEnd);
        if (end > first) {
            const uint32_t* starts[kShadowTaps];
            for (int k = 0; k < kShadowTaps; ++k)
                starts[k] = rows[k] + draw.column0 + taps.column[k] + first;
            ShadowTapsOverSpan(starts, end - first, span.alpha, destination + first);
        }
    }
}

void CCpuDrawList::DrawShadowSampled(const Draw& draw, int top, int bottom, Scratch& scratch) const
{
    const CpuQuadSpan& span = draw.span;
    const CCpuTexture& texture = *draw.texture;
    const TextureView view = ViewOf(texture);
    const ShadowTaps& taps = shadows_[draw.shadow];
    const int count = span.x1 - span.x0;
    const bool linear = draw.sampler.filter == FilterMode::kLinear;
    uint32_t* samples = scratch.samples.data();
    uint32_t* sums = scratch.sums.data();
    for (int y = top; y < bottom; ++y) {
        const double v = span.v0 + (y - span.y0) * span.dv;
        if (linear) {
            RowTaps rows[kShadowTaps];
            bool clear = draw.over;
            for (int k = 0; k < kShadowTaps; ++k) {
                rows[k] = PrepareRow(view, draw.sampler.addressV, v + taps.offsetV[k]);
                clear = clear && texture.RowClear(RowOf(texture, rows[k].top))
                        && texture.RowClear(RowOf(texture, rows[k].bottom));
            }
            // No tap finds alpha: no shadow on this row.
            if (clear)
                continue;
            std::fill(sums, sums + count, 0u);
            for (int k = 0; k < kShadowTaps; ++k)
                AddSampledAlphaSpan(rows[k], columns_[taps.columnsOf[k]], count, sums);
        } else {
            std::fill(sums, sums + count, 0u);
            for (int k = 0; k < kShadowTaps; ++k) {
                SampleSpan(view, draw.sampler, span.u0 + taps.offsetU[k], span.du, v + taps.offsetV[k], count, samples);
                for (int i = 0; i < count; ++i)
                    sums[i] += samples[i] >> 24;
            }
        }
        uint32_t* destination = target_->Row(y) + span.x0;
        if (draw.over) {
            ShadowOverSpan(sums, count, span.alpha, destination);
            continue;
        }
        for (int i = 0; i < count; ++i)
            samples[i] = ((sums[i] * span.alpha * 2 + 13 * 255) / (2 * 13 * 255)) << 24;
        if (draw.blend)
            BlendSpan(samples, destination, count, draw.sourceBlend, draw.destinationBlend);
        else
            std::copy(samples, samples + count, destination);
    }
}
