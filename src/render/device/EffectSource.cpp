#include "render/device/EffectSource.h"

#include <QFile>
#include <QStringList>

// The effect sources live in the library's resources; a static library must
// register them explicitly.
static void InitEffectResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(render_effects);
        return true;
    }();
    (void)done;
}

namespace {

QByteArray ReadResource(const QString& path)
{
    InitEffectResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool ParseAddress(const QString& word, AddressMode* mode)
{
    if (word == QLatin1String("wrap"))
        *mode = AddressMode::kWrap;
    else if (word == QLatin1String("clamp"))
        *mode = AddressMode::kClamp;
    else
        return false;
    return true;
}

bool ParseBlendFactor(const QString& word, BlendFactor* factor)
{
    if (word == QLatin1String("one"))
        *factor = BlendFactor::kOne;
    else if (word == QLatin1String("srcalpha"))
        *factor = BlendFactor::kSrcAlpha;
    else if (word == QLatin1String("invsrcalpha"))
        *factor = BlendFactor::kInvSrcAlpha;
    else
        return false;
    return true;
}

}  // namespace

QString CEffectSource::ResourcePath(EffectId id)
{
    switch (id) {
    case EffectId::kYCbCrOutput:
        return QStringLiteral(":/effects/ycbcr_output.glsl");
    case EffectId::kCompositing:
        return QStringLiteral(":/effects/compositing.glsl");
    case EffectId::kPlainOutput:
        return QStringLiteral(":/effects/plain_output.glsl");
    }
    return {};
}

QByteArray CEffectSource::VertexShaderSource()
{
    return ReadResource(QStringLiteral(":/effects/quad.vert"));
}

bool CEffectSource::Load(EffectId id, QString* error)
{
    const QByteArray text = ReadResource(ResourcePath(id));
    if (text.isEmpty()) {
        *error = QStringLiteral("effect %1 not found").arg(static_cast<int>(id));
        return false;
    }
    return Parse(text, error);
}

bool CEffectSource::Parse(const QByteArray& text, QString* error)
{
    *this = CEffectSource();
    code = text;
    const QList<QByteArray> lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QByteArray line = lines[n].trimmed();
        if (!line.startsWith("//!"))
            continue;
        const QStringList words = QString::fromUtf8(line.mid(3)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        auto fail = [&](const char* why) {
            *error = QStringLiteral("line %1: %2").arg(n + 1).arg(QLatin1String(why));
            return false;
        };
        if (words.isEmpty())
            return fail("empty directive");
        const QString& kind = words[0];
        if (kind == QLatin1String("texture") && words.size() == 2) {
            textureName = words[1];
        } else if (kind == QLatin1String("parameter") && words.size() >= 2) {
            for (int i = 1; i < words.size(); ++i)
                parameters.push_back(words[i]);
        } else if (kind == QLatin1String("sampler") && words.size() == 5) {
            SamplerState s;
            s.name = words[1];
            if (!ParseAddress(words[2], &s.addressU) || !ParseAddress(words[3], &s.addressV))
                return fail("address mode must be wrap or clamp");
            if (words[4] == QLatin1String("linear"))
                s.filter = FilterMode::kLinear;
            else if (words[4] == QLatin1String("point"))
                s.filter = FilterMode::kPoint;
            else
                return fail("filter must be linear or point");
            samplers.push_back(s);
        } else if (kind == QLatin1String("shader") && words.size() == 3) {
            int sampler = -1;
            for (size_t i = 0; i < samplers.size(); ++i)
                if (samplers[i].name == words[2])
                    sampler = static_cast<int>(i);
            if (sampler < 0)
                return fail("unknown sampler");
            shaderSamplers_.emplace_back(words[1], sampler);
        } else if (kind == QLatin1String("technique") && words.size() == 2) {
            techniques.push_back({words[1], {}});
        } else if (kind == QLatin1String("pass") && (words.size() == 3 || words.size() == 6)) {
            if (techniques.empty())
                return fail("pass outside a technique");
            EffectPass pass;
            pass.name = words[1];
            pass.shader = words[2];
            pass.sampler = SamplerOfShader(pass.shader);
            if (pass.sampler < 0)
                return fail("unknown shader");
            if (words.size() == 6) {
                if (words[3] != QLatin1String("blend") || !ParseBlendFactor(words[4], &pass.sourceBlend)
                    || !ParseBlendFactor(words[5], &pass.destinationBlend))
                    return fail("blend needs two factors");
                pass.blend = true;
            }
            techniques.back().passes.push_back(pass);
        } else {
            return fail("unknown or malformed directive");
        }
    }
    if (techniques.empty()) {
        *error = QStringLiteral("no technique");
        return false;
    }
    return true;
}

int CEffectSource::FindTechnique(const QString& name) const
{
    for (size_t i = 0; i < techniques.size(); ++i)
        if (techniques[i].name == name)
            return static_cast<int>(i);
    return -1;
}

int CEffectSource::FindParameter(const QString& name) const
{
    for (size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i] == name)
            return static_cast<int>(i);
    return -1;
}

QStringList CEffectSource::ShaderEntries() const
{
    QStringList entries;
    for (const auto& [entry, sampler] : shaderSamplers_)
        entries << entry;
    return entries;
}

int CEffectSource::SamplerOfShader(const QString& entry) const
{
    for (const auto& [name, sampler] : shaderSamplers_)
        if (name == entry)
            return sampler;
    return -1;
}
