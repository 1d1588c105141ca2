#pragma once

#include "render/device/DeviceTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// One of the program's effect sources, read from the program's resources:
// the shader code and, in "//!" lines, what the device needs around it:
//
//   //!texture NAME                      the texture parameter
//   //!parameter NAME [NAME ...]         float parameters
//   //!sampler NAME wrap|clamp wrap|clamp linear|point   (address U, V; filter)
//   //!shader ENTRY SAMPLER              a pixel shader and the sampler it reads
//   //!technique NAME                    starts a technique
//   //!pass NAME ENTRY [blend SRC DST]   a pass; SRC/DST one, srcalpha, invsrcalpha
//
// The OpenGL device compiles one program per shader entry (ENTRY defined to
// the entry's name); the CPU device runs its own kernel of the same name with
// the same sampler and blend states.
enum class AddressMode { kWrap, kClamp };
enum class FilterMode { kLinear, kPoint };
enum class BlendFactor { kOne, kSrcAlpha, kInvSrcAlpha };

struct SamplerState
{
    QString name;
    AddressMode addressU = AddressMode::kClamp;
    AddressMode addressV = AddressMode::kClamp;
    FilterMode filter = FilterMode::kPoint;
};

struct EffectPass
{
    QString name;
    QString shader;
    int sampler = -1;  // index into samplers
    bool blend = false;
    BlendFactor sourceBlend = BlendFactor::kOne;
    BlendFactor destinationBlend = BlendFactor::kOne;
};

struct EffectTechnique
{
    QString name;
    std::vector<EffectPass> passes;
};

class CEffectSource
{
public:
    // Reads and parses the source of an effect; false with a reason.
    bool Load(EffectId id, QString* error);
    // Parses source text; false with a reason naming the line.
    bool Parse(const QByteArray& text, QString* error);

    int FindTechnique(const QString& name) const;
    int FindParameter(const QString& name) const;
    // The distinct shader entries, in the order of their declarations.
    QStringList ShaderEntries() const;
    // The sampler of a shader entry, or -1.
    int SamplerOfShader(const QString& entry) const;

    QString textureName;
    std::vector<QString> parameters;
    std::vector<SamplerState> samplers;
    std::vector<EffectTechnique> techniques;
    QByteArray code;  // the whole text; "//!" lines are comments to GLSL

    // Resource path of an effect's source, and of the shared vertex shader.
    static QString ResourcePath(EffectId id);
    static QByteArray VertexShaderSource();

private:
    std::vector<std::pair<QString, int>> shaderSamplers_;
};
