#include "render/gl/GlDevice.h"

#include "app/Log.h"
#include "model/Picture.h"
#include "render/device/EffectSource.h"
#include "render/gl/GlEffect.h"

#include <algorithm>
#include <cstddef>

namespace {

// OpenGL keeps one flag per kind of error; there are a handful of kinds.
constexpr int kMaxErrorFlags = 16;

bool IsSoftwareRenderer(const QString& renderer)
{
    const QString r = renderer.toLower();
    return r.contains(QLatin1String("llvmpipe")) || r.contains(QLatin1String("softpipe"))
           || r.contains(QLatin1String("swrast")) || r.contains(QLatin1String("software"));
}

QString GlString(const GlFunctions& gl, GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(gl.GetString(name));
    return text ? QString::fromUtf8(text) : QString();
}

}  // namespace

CGlDevice::CGlDevice(std::unique_ptr<IGlContext> context) : context_(std::move(context)) {}

std::unique_ptr<CGlDevice> CGlDevice::Create(std::unique_ptr<IGlContext> context, int backBufferWidth,
                                             int backBufferHeight, int framePeriodUs, QString* error,
                                             bool paceByClock)
{
    if (!context) {
        *error = QStringLiteral("no OpenGL context");
        return nullptr;
    }
    std::unique_ptr<CGlDevice> device(new CGlDevice(std::move(context)));
    if (!device->Init(backBufferWidth, backBufferHeight, framePeriodUs, paceByClock, error))
        return nullptr;
    // Whoever draws next may be another thread.
    device->ReleaseThread();
    return device;
}

bool CGlDevice::Init(int backBufferWidth, int backBufferHeight, int framePeriodUs, bool paceByClock, QString* error)
{
    if (!EnsureCurrent()) {
        *error = QStringLiteral("the OpenGL context cannot be made current");
        return false;
    }
    const char* missing = nullptr;
    if (!gl_.Load([this](const char* name) { return context_->GetProcAddress(name); }, &missing)) {
        *error = QStringLiteral("OpenGL entry point %1 missing").arg(QLatin1String(missing));
        return false;
    }
    description_.api = QStringLiteral("OpenGL");
    description_.renderer = GlString(gl_, GL_RENDERER);
    description_.version = GlString(gl_, GL_VERSION);
    description_.softwareRasteriser = IsSoftwareRenderer(description_.renderer);
    GLint maxSize = 0;
    gl_.GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    description_.maxTextureSize = maxSize;
    if (maxSize < kCompositionTargetSize) {
        *error = QStringLiteral("textures limited to %1 pixels").arg(maxSize);
        return false;
    }

    QString compileError;
    vertexShader_ = CGlEffect::CompileShader(
        gl_, GL_VERTEX_SHADER, "#version 330 core\n#line 1\n" + CEffectSource::VertexShaderSource(), &compileError);
    if (!vertexShader_) {
        *error = QStringLiteral("vertex shader: %1").arg(compileError);
        return false;
    }

    gl_.GenFramebuffers(1, &scratchFramebuffer_);
    const unsigned target = NewTexture(kCompositionTargetSize, kCompositionTargetSize);
    compositionTarget_ =
        std::make_unique<CGlTexture>(this, graveyard_, target, kCompositionTargetSize, kCompositionTargetSize);
    compositionFramebuffer_ = NewFramebuffer(target);

    if (context_->HasWindow()) {
        backBufferWidth = context_->WindowSize().width();
        backBufferHeight = context_->WindowSize().height();
    }
    description_.backBufferWidth = std::clamp(backBufferWidth, 1, maxSize);
    description_.backBufferHeight = std::clamp(backBufferHeight, 1, maxSize);
    backBufferTexture_ = NewTexture(description_.backBufferWidth, description_.backBufferHeight);
    backBufferFramebuffer_ = NewFramebuffer(backBufferTexture_);
    if (!compositionFramebuffer_ || !backBufferFramebuffer_) {
        *error = QStringLiteral("render targets incomplete");
        return false;
    }

    gl_.GenVertexArrays(1, &vertexArray_);
    gl_.BindVertexArray(vertexArray_);
    gl_.GenBuffers(1, &vertexBuffer_);
    gl_.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    gl_.BufferData(GL_ARRAY_BUFFER, kVertexBufferSize * sizeof(Vertex), nullptr, GL_DYNAMIC_DRAW);
    gl_.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
    // The diffuse colour is ARGB in a 32-bit word: bytes B, G, R, A.
    gl_.VertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                            reinterpret_cast<void*>(offsetof(Vertex, diffuse)));
    gl_.VertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
    for (GLuint i = 0; i < 3; ++i)
        gl_.EnableVertexAttribArray(i);
    gl_.Disable(GL_DEPTH_TEST);
    gl_.Disable(GL_CULL_FACE);
    gl_.Disable(GL_SCISSOR_TEST);
    gl_.Disable(GL_BLEND);
    gl_.Disable(GL_DITHER);
    SetRenderTarget(nullptr);
    pacer_.SetPeriod(framePeriodUs);
    // The clock alone needs a swap that does not wait for the vertical
    // blank; a window made with that wait keeps it, and the pacer follows it.
    const int swapInterval = context_->SwapInterval();
    pacer_.SetClockOnly(paceByClock && swapInterval == 0);
    description_.clockPaced = pacer_.ClockOnly();
    if (paceByClock && swapInterval != 0)
        WriteLog(kLogFailure, "CGlDevice: the window waits for the vertical blank (swap interval %d); pacing follows it",
                 swapInterval);
    if (gl_.GetError() != GL_NO_ERROR) {
        *error = QStringLiteral("OpenGL error while setting up");
        return false;
    }
    return true;
}

CGlDevice::~CGlDevice()
{
    if (EnsureCurrent()) {
        compositionTarget_.reset();
        BuryTextures();
        const GLuint framebuffers[] = {compositionFramebuffer_, scratchFramebuffer_, backBufferFramebuffer_};
        gl_.DeleteFramebuffers(3, framebuffers);
        gl_.DeleteTextures(1, &backBufferTexture_);
        gl_.DeleteBuffers(1, &vertexBuffer_);
        gl_.DeleteVertexArrays(1, &vertexArray_);
        gl_.DeleteShader(vertexShader_);
        context_->DoneCurrent();
    }
    graveyard_->DeviceGone();
}

bool CGlDevice::EnsureCurrent()
{
    const auto self = std::this_thread::get_id();
    if (currentThread_ == self)
        return true;
    if (!context_->MakeCurrent())
        return false;
    currentThread_ = self;
    return true;
}

void CGlDevice::ReleaseThread()
{
    if (currentThread_ != std::this_thread::get_id())
        return;
    context_->DoneCurrent();
    currentThread_ = {};
}

unsigned CGlDevice::NewTexture(int width, int height)
{
    GLuint name = 0;
    gl_.GenTextures(1, &name);
    gl_.BindTexture(GL_TEXTURE_2D, name);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl_.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    gl_.BindTexture(GL_TEXTURE_2D, 0);
    if (gl_.GetError() != GL_NO_ERROR) {
        gl_.DeleteTextures(1, &name);
        return 0;
    }
    // New textures start transparent black, as on the CPU device.
    gl_.BindFramebuffer(GL_FRAMEBUFFER, scratchFramebuffer_);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
    gl_.ClearColor(0, 0, 0, 0);
    gl_.Clear(GL_COLOR_BUFFER_BIT);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
    return name;
}

unsigned CGlDevice::NewFramebuffer(unsigned texture)
{
    if (!texture)
        return 0;
    GLuint framebuffer = 0;
    gl_.GenFramebuffers(1, &framebuffer);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const bool complete = gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl_.BindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
    if (!complete) {
        gl_.DeleteFramebuffers(1, &framebuffer);
        return 0;
    }
    return framebuffer;
}

void CGlDevice::BuryTextures()
{
    const std::vector<unsigned> names = graveyard_->TakeAll();
    if (!names.empty())
        gl_.DeleteTextures(static_cast<GLsizei>(names.size()), names.data());
}

CGlTexture* CGlDevice::OwnTexture(IDeviceTexture* texture) const
{
    auto* own = dynamic_cast<CGlTexture*>(texture);
    return own && own->owner == this ? own : nullptr;
}

std::unique_ptr<IDeviceTexture> CGlDevice::CreateTexture(int width, int height)
{
    if (width <= 0 || height <= 0 || width > description_.maxTextureSize || height > description_.maxTextureSize)
        return nullptr;
    if (!EnsureCurrent())
        return nullptr;
    BuryTextures();
    const unsigned name = NewTexture(width, height);
    if (!name) {
        WriteLog(kLogFailure, "CGlDevice::CreateTexture(%d x %d): failed", width, height);
        return nullptr;
    }
    return std::make_unique<CGlTexture>(this, graveyard_, name, width, height);
}

bool CGlDevice::LockTexture(IDeviceTexture* texture, LockedRect* locked, const DeviceRect* region)
{
    CGlTexture* own = OwnTexture(texture);
    if (!own || own == compositionTarget_.get() || own->locked)
        return false;
    DeviceRect whole{0, 0, own->width, own->height};
    DeviceRect r = region ? *region : whole;
    r.left = std::clamp(r.left, 0, own->width);
    r.right = std::clamp(r.right, r.left, own->width);
    r.top = std::clamp(r.top, 0, own->height);
    r.bottom = std::clamp(r.bottom, r.top, own->height);
    try {
        own->staging.resize(static_cast<size_t>(own->width) * own->height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    own->locked = true;
    own->lockedRegion = r;
    locked->bits = reinterpret_cast<uint8_t*>(own->staging.data());
    locked->pitch = own->width * 4;
    return true;
}

bool CGlDevice::UnlockTexture(IDeviceTexture* texture)
{
    CGlTexture* own = OwnTexture(texture);
    if (!own || !own->locked)
        return false;
    own->locked = false;
    const DeviceRect& r = own->lockedRegion;
    if (r.right <= r.left || r.bottom <= r.top)
        return true;
    if (!EnsureCurrent())
        return false;
    gl_.BindTexture(GL_TEXTURE_2D, own->name);
    gl_.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, own->width);
    const uint32_t* first = own->staging.data() + static_cast<size_t>(r.top) * own->width + r.left;
    gl_.TexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, r.right - r.left, r.bottom - r.top, GL_BGRA,
                      GL_UNSIGNED_INT_8_8_8_8_REV, first);
    gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl_.BindTexture(GL_TEXTURE_2D, 0);
    return gl_.GetError() == GL_NO_ERROR;
}

bool CGlDevice::UploadVertices(const Vertex* vertices, int count)
{
    if (count < 0 || count > kVertexBufferSize || !EnsureCurrent())
        return false;
    gl_.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    gl_.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count) * sizeof(Vertex), vertices);
    return true;
}

std::unique_ptr<IDeviceEffect> CGlDevice::CreateEffect(EffectId id)
{
    CEffectSource source;
    QString error;
    std::unique_ptr<CGlEffect> effect;
    if (source.Load(id, &error) && EnsureCurrent())
        effect = CGlEffect::Create(this, gl_, vertexShader_, std::move(source), &error);
    if (!effect)
        WriteLog(kLogFailure, "CGlDevice::CreateEffect(%d): %s", static_cast<int>(id), error.toUtf8().constData());
    return effect;
}

void CGlDevice::BindTarget(unsigned framebuffer, int width, int height)
{
    targetFramebuffer_ = framebuffer;
    targetWidth_ = width;
    targetHeight_ = height;
    gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl_.Viewport(0, 0, width, height);
}

bool CGlDevice::SetRenderTarget(IDeviceTexture* target)
{
    if (target && target != compositionTarget_.get())
        return false;
    if (!EnsureCurrent())
        return false;
    if (target)
        BindTarget(compositionFramebuffer_, kCompositionTargetSize, kCompositionTargetSize);
    else
        BindTarget(backBufferFramebuffer_, description_.backBufferWidth, description_.backBufferHeight);
    return true;
}

void CGlDevice::Clear(uint32_t argb)
{
    if (!EnsureCurrent())
        return;
    BuryTextures();
    auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFF) / 255.0f; };
    gl_.ClearColor(channel(16), channel(8), channel(0), channel(24));
    gl_.Clear(GL_COLOR_BUFFER_BIT);
}

void CGlDevice::DrawQuad(int firstVertex)
{
    if (!activeEffect_ || firstVertex < 0 || firstVertex + 4 > kVertexBufferSize)
        return;
    CGlTexture* texture = OwnTexture(activeEffect_->Texture());
    if (!texture || (texture == compositionTarget_.get() && targetFramebuffer_ == compositionFramebuffer_))
        return;
    activeEffect_->PrepareDraw(texture->name, static_cast<float>(targetWidth_), static_cast<float>(targetHeight_));
    gl_.DrawArrays(GL_TRIANGLE_STRIP, firstVertex, 4);
}

DeviceStatus CGlDevice::Present()
{
    if (!EnsureCurrent())
        return DeviceStatus::kDeviceLost;
    const auto started = CFramePacer::Clock::now();
    if (gl_.GetGraphicsResetStatus && gl_.GetGraphicsResetStatus() != GL_NO_ERROR)
        return DeviceStatus::kDeviceLost;
    if (context_->HasWindow()) {
        // Windows keep their rows bottom-up: copy upside down.
        const int w = description_.backBufferWidth;
        const int h = description_.backBufferHeight;
        gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, backBufferFramebuffer_);
        gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, context_->WindowFramebuffer());
        gl_.BlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
    }
    if (!context_->SwapBuffers())
        return DeviceStatus::kDeviceLost;
    if (context_->HasWindow())
        FollowWindowSize();
    // Errors of the frame's calls; the frame was shown all the same. Each
    // kind of error has its own flag: clear them all, so that none is
    // reported again with the next frame.
    bool drawFailed = false;
    for (int i = 0; i < kMaxErrorFlags; ++i) {
        const GLenum error = gl_.GetError();
        if (error == GL_NO_ERROR)
            break;
        WriteLog(kLogDetail, "CGlDevice::Present(): OpenGL error %04X", error);
        drawFailed = true;
    }
    pacer_.FramePresented(started);
    return drawFailed ? DeviceStatus::kDrawFailed : DeviceStatus::kOk;
}

void CGlDevice::FollowWindowSize()
{
    const int width = std::clamp(context_->WindowSize().width(), 1, description_.maxTextureSize);
    const int height = std::clamp(context_->WindowSize().height(), 1, description_.maxTextureSize);
    if (width == description_.backBufferWidth && height == description_.backBufferHeight)
        return;
    // The framebuffer keeps its name; only its texture is replaced.
    const unsigned texture = NewTexture(width, height);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, backBufferFramebuffer_);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        WriteLog(kLogFailure, "CGlDevice: no %d x %d back buffer; staying at %d x %d", width, height,
                 description_.backBufferWidth, description_.backBufferHeight);
        gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backBufferTexture_, 0);
        gl_.DeleteTextures(1, &texture);
    } else {
        gl_.DeleteTextures(1, &backBufferTexture_);
        backBufferTexture_ = texture;
        description_.backBufferWidth = width;
        description_.backBufferHeight = height;
    }
    if (targetFramebuffer_ == backBufferFramebuffer_)
        BindTarget(backBufferFramebuffer_, description_.backBufferWidth, description_.backBufferHeight);
    else
        gl_.BindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
}

bool CGlDevice::ReadFramebuffer(unsigned framebuffer, int width, int height, CPicture* picture)
{
    picture->width = width;
    picture->height = height;
    picture->pixels.assign(static_cast<size_t>(width) * height, 0u);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl_.ReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, picture->pixels.data());
    gl_.BindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
    return gl_.GetError() == GL_NO_ERROR;
}

bool CGlDevice::ReadBackBuffer(CPicture* picture)
{
    if (!EnsureCurrent())
        return false;
    const bool ok =
        ReadFramebuffer(backBufferFramebuffer_, description_.backBufferWidth, description_.backBufferHeight, picture);
    for (uint32_t& pixel : picture->pixels)
        pixel |= 0xFF000000u;
    return ok;
}

bool CGlDevice::ReadTexture(IDeviceTexture* texture, CPicture* picture)
{
    CGlTexture* own = OwnTexture(texture);
    if (!own || !EnsureCurrent())
        return false;
    if (own == compositionTarget_.get())
        return ReadFramebuffer(compositionFramebuffer_, own->width, own->height, picture);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, scratchFramebuffer_);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, own->name, 0);
    const bool ok = ReadFramebuffer(scratchFramebuffer_, own->width, own->height, picture);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, scratchFramebuffer_);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
    return ok;
}
