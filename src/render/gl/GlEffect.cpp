#include "render/gl/GlEffect.h"

#include "render/gl/GlDevice.h"
#include "render/gl/GlFunctions.h"

#include <utility>

namespace {

GLint AddressOf(AddressMode mode)
{
    return mode == AddressMode::kWrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

GLenum FactorOf(BlendFactor factor)
{
    switch (factor) {
    case BlendFactor::kOne:
        return GL_ONE;
    case BlendFactor::kSrcAlpha:
        return GL_SRC_ALPHA;
    case BlendFactor::kInvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    }
    return GL_ONE;
}

}  // namespace

unsigned CGlEffect::CompileShader(const GlFunctions& gl, unsigned type, const QByteArray& source, QString* error)
{
    const GLuint shader = gl.CreateShader(type);
    const char* text = source.constData();
    const GLint length = static_cast<GLint>(source.size());
    gl.ShaderSource(shader, 1, &text, &length);
    gl.CompileShader(shader);
    GLint ok = 0;
    gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        gl.GetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
        *error = QString::fromUtf8(log).trimmed();
        gl.DeleteShader(shader);
        return 0;
    }
    return shader;
}

CGlEffect::CGlEffect(CGlDevice* device, const GlFunctions& gl, CEffectSource source)
    : CEffectBase(std::move(source)), device_(device), gl_(gl)
{
}

std::unique_ptr<CGlEffect> CGlEffect::Create(CGlDevice* device, const GlFunctions& gl, unsigned vertexShader,
                                             CEffectSource source, QString* error)
{
    std::unique_ptr<CGlEffect> effect(new CGlEffect(device, gl, std::move(source)));
    const CEffectSource& src = effect->Source();
    for (const QString& entry : src.ShaderEntries()) {
        const QByteArray text = "#version 330 core\n#define ENTRY " + entry.toLatin1() + "\n#line 1\n" + src.code;
        QString compileError;
        const GLuint fragment = CompileShader(gl, GL_FRAGMENT_SHADER, text, &compileError);
        if (!fragment) {
            *error = QStringLiteral("%1: %2").arg(entry, compileError);
            return nullptr;
        }
        Program program;
        program.entry = entry;
        program.name = gl.CreateProgram();
        effect->programs_.push_back(program);  // owned from here on, even if linking fails
        gl.AttachShader(program.name, vertexShader);
        gl.AttachShader(program.name, fragment);
        gl.BindAttribLocation(program.name, 0, "aPosition");
        gl.BindAttribLocation(program.name, 1, "aDiffuse");
        gl.BindAttribLocation(program.name, 2, "aTexCoord");
        gl.LinkProgram(program.name);
        gl.DeleteShader(fragment);
        GLint linked = 0;
        gl.GetProgramiv(program.name, GL_LINK_STATUS, &linked);
        if (!linked) {
            char log[2048] = {};
            gl.GetProgramInfoLog(program.name, sizeof log - 1, nullptr, log);
            *error = QStringLiteral("%1: %2").arg(entry, QString::fromUtf8(log).trimmed());
            return nullptr;
        }
        for (const QString& parameter : src.parameters)
            program.parameterLocations.push_back(gl.GetUniformLocation(program.name, parameter.toLatin1().constData()));
        program.targetSizeLocation = gl.GetUniformLocation(program.name, "uTargetSize");
        gl.UseProgram(program.name);
        gl.Uniform1i(gl.GetUniformLocation(program.name, src.textureName.toLatin1().constData()), 0);
        gl.UseProgram(0);
        effect->programs_.back() = program;
    }
    for (const SamplerState& state : src.samplers) {
        GLuint sampler = 0;
        gl.GenSamplers(1, &sampler);
        const GLint filter = state.filter == FilterMode::kLinear ? GL_LINEAR : GL_NEAREST;
        gl.SamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, filter);
        gl.SamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, filter);
        gl.SamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressOf(state.addressU));
        gl.SamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressOf(state.addressV));
        effect->samplers_.push_back(sampler);
    }
    return effect;
}

CGlEffect::~CGlEffect()
{
    if (!device_->EnsureCurrent())
        return;  // the context is gone, and its objects with it
    End();
    for (const Program& program : programs_)
        gl_.DeleteProgram(program.name);
    if (!samplers_.empty())
        gl_.DeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
}

bool CGlEffect::ApplyPass(const EffectPass& pass)
{
    activeProgram_ = nullptr;
    for (const Program& program : programs_)
        if (program.entry == pass.shader)
            activeProgram_ = &program;
    if (!activeProgram_)
        return false;
    gl_.UseProgram(activeProgram_->name);
    gl_.BindSampler(0, samplers_[pass.sampler]);
    if (pass.blend) {
        gl_.Enable(GL_BLEND);
        gl_.BlendFunc(FactorOf(pass.sourceBlend), FactorOf(pass.destinationBlend));
    } else {
        gl_.Disable(GL_BLEND);
    }
    device_->SetActiveEffect(this);
    return true;
}

void CGlEffect::ReleasePass()
{
    gl_.Disable(GL_BLEND);
    gl_.BindSampler(0, 0);
    gl_.UseProgram(0);
    activeProgram_ = nullptr;
    device_->SetActiveEffect(nullptr);
}

void CGlEffect::PrepareDraw(unsigned texture, float targetWidth, float targetHeight) const
{
    gl_.ActiveTexture(GL_TEXTURE0);
    gl_.BindTexture(GL_TEXTURE_2D, texture);
    for (size_t i = 0; i < activeProgram_->parameterLocations.size(); ++i)
        if (activeProgram_->parameterLocations[i] >= 0)
            gl_.Uniform1f(activeProgram_->parameterLocations[i], Parameter(static_cast<int>(i)));
    gl_.Uniform2f(activeProgram_->targetSizeLocation, targetWidth, targetHeight);
}
