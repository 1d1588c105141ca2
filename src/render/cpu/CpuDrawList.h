#pragma once

#include "render/cpu/CpuKernels.h"
#include "render/device/DeviceTypes.h"
#include "render/device/EffectSource.h"

#include <cstdint>
#include <functional>
#include <vector>

class CBandWorkers;
class CCpuTexture;

// The pixels a quad covers and its texture mapping at their centres.
struct CpuQuadSpan
{
    int x0, x1, y0, y1;  // covered pixels, end exclusive
    double u0, du;       // u at pixel x0 and per pixel
    double v0, dv;       // v at row y0 and per row
    uint32_t alpha;      // vertex alpha 0-255
};

// Draws of quads into one target, each with its mapping and kernel worked
// out when it is added, carried out together: band by band over the rows of
// the target, each band taken by one thread, so that a band stays in the
// cache while every quad over it blends and the band workers are woken once
// for all the quads, not once per quad. Every pixel gets the draws in the
// order they were added, so the pixels are those of drawing the quads one
// by one.
//
// The textures drawn from must not change until the draws are carried out:
// a texture that is locked or destroyed with draws pending carries them out
// first (CCpuTexture::pendingDraws).
class CCpuDrawList
{
public:
    explicit CCpuDrawList(CBandWorkers& workers);
    // Forgets the pending draws.
    ~CCpuDrawList();
    CCpuDrawList(const CCpuDrawList&) = delete;
    CCpuDrawList& operator=(const CCpuDrawList&) = delete;

    // The texture drawn into; changed only while nothing is pending.
    void SetTarget(CCpuTexture* target) { target_ = target; }
    bool Empty() const { return draws_.empty() && !Filling(); }

    // Fills the area with a colour before any draw (the clear of the target).
    void Fill(const DeviceRect& area, uint32_t colour);
    const DeviceRect& FillArea() const { return fillArea_; }

    // A quad of one colour (a uniform texture), blended premultiplied "over".
    void AddColour(const CpuQuadSpan& span, uint32_t texel);
    // AlphaMixPS: the texture's colour times its alpha and the vertex alpha.
    void AddAlphaMix(const CpuQuadSpan& span, CCpuTexture& texture, const cpukernels::SamplerView& sampler,
                     const EffectPass& pass);
    // The drop shadow's 13 taps, offset in texture coordinates.
    void AddShadow(const CpuQuadSpan& span, CCpuTexture& texture, const cpukernels::SamplerView& sampler,
                   const EffectPass& pass, const double offsetU[cpukernels::kShadowTaps],
                   const double offsetV[cpukernels::kShadowTaps]);

    // Carries out the fill and the draws, then empties the list. afterBand,
    // if given, is called with the rows [top, bottom) of each band as soon
    // as they are drawn, on the thread that drew them.
    void Execute(const std::function<void(int, int)>& afterBand = {});
    // Empties the list without drawing anything.
    void Discard();

    // Rows per band: a band of the 2048-pixel composition target (256 KiB)
    // stays in the second-level cache.
    static constexpr int kBandRows = 32;
    // Bands handed to each thread at most: one band at a time for a
    // 1080-line frame on two threads, so that a thread the system holds
    // back keeps as little of the frame as possible while the other takes
    // the rest.
    static constexpr int kBandsPerThread = 16;

private:
    enum class Kind : uint8_t
    {
        kColour,
        kMixDirect,      // texels map to pixels one to one, blended "over"
        kMixSampled,
        kShadowDirect,   // the same for a shadow
        kShadowSampled,
    };
    struct Draw
    {
        Kind kind;
        CpuQuadSpan span;
        CCpuTexture* texture;  // null for a colour
        uint32_t texel;        // the colour
        cpukernels::SamplerView sampler;
        bool over;
        bool blend;
        BlendFactor sourceBlend;
        BlendFactor destinationBlend;
        int column0, row0;  // one to one: the texel of the pixel (x0, y0)
        int columns;        // its prepared columns (scaled, linear filtering)
        int shadow;         // its shadow's taps
    };
    // A shadow's taps worked out for the quad.
    struct ShadowTaps
    {
        double offsetU[cpukernels::kShadowTaps];
        double offsetV[cpukernels::kShadowTaps];
        // One to one: each tap's texel offset; between innerBegin and
        // innerEnd no tap wraps or clamps, and for the pixels outside (the
        // edges) the column each tap reads (13 x edges).
        int column[cpukernels::kShadowTaps];
        int row[cpukernels::kShadowTaps];
        int innerBegin, innerEnd;
        int edges;
        std::vector<int> columns;
        // Scaled, linear filtering: each tap's prepared columns.
        int columnsOf[cpukernels::kShadowTaps];
    };
    // What one thread needs while it draws a band.
    struct Scratch
    {
        std::vector<uint32_t> samples;
        std::vector<uint32_t> sums;
    };

    bool Filling() const { return fillArea_.right > fillArea_.left && fillArea_.bottom > fillArea_.top; }
    // A draw of texture over span with the pass's blending; the kind is the caller's.
    static Draw TexturedDraw(const CpuQuadSpan& span, CCpuTexture& texture, const cpukernels::SamplerView& sampler,
                             const EffectPass& pass);
    void Add(const Draw& draw);
    int PrepareColumns(int width, AddressMode mode, double u0, double du, int count);
    void DrawRows(const Draw& draw, int top, int bottom, Scratch& scratch) const;
    void DrawMixDirect(const Draw& draw, int top, int bottom) const;
    void DrawMixSampled(const Draw& draw, int top, int bottom, Scratch& scratch) const;
    void DrawShadowDirect(const Draw& draw, int top, int bottom, Scratch& scratch) const;
    void DrawShadowSampled(const Draw& draw, int top, int bottom, Scratch& scratch) const;
    void Release();

    CBandWorkers& workers_;
    CCpuTexture* target_ = nullptr;
    DeviceRect fillArea_;
    uint32_t fillColour_ = 0;
    std::vector<Draw> draws_;
    // Prepared taps, kept with their room from one frame to the next.
    std::vector<cpukernels::ColumnTaps> columns_;
    size_t columnsUsed_ = 0;
    std::vector<ShadowTaps> shadows_;
    size_t shadowsUsed_ = 0;
    // The draws over each band: band b's are bandDraws_[bandStart_[b] ..
    // bandStart_[b + 1]), in the order they were added.
    std::vector<int> bandStart_;
    std::vector<int> bandDraws_;
};
