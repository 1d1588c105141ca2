#include "ChangedSettings.h"

namespace {

template <class... F>
struct Overloaded : F...
{
    using F::operator()...;
};

int ChangedInt(const FrameSetting& setting, int value, int index)
{
    // Wide ranges (times, pixels) get a value of their own per setting, so
    // that two settings swapped on the way show.
    if (int64_t(setting.maximum) - setting.minimum > 1000)
        return value + 1001 + index;
    return value != setting.maximum ? setting.maximum : setting.minimum;
}

CFrameBackground Frame(uint32_t first, int duration)
{
    CFrameBackground frame;
    frame.picture.SetRaw(2, 1, {first, first + 0x04040404u});
    frame.duration = duration;
    return frame;
}

bool SameFrames(const std::vector<CFrameBackground>& a, const std::vector<CFrameBackground>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        CPicture pixelsA, pixelsB;
        a[i].picture.Decompress(pixelsA);
        b[i].picture.Decompress(pixelsB);
        if (a[i].duration != b[i].duration || pixelsA.width != pixelsB.width || pixelsA.height != pixelsB.height
            || pixelsA.pixels != pixelsB.pixels)
            return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<CFrame> ObjectWithEverySettingChanged()
{
    auto object = std::make_unique<CFrame>();
    CFrame& o = *object;
    int index = 0;
    for (const FrameSetting& setting : FrameSettings()) {
        const QString text = QString::fromLatin1(setting.name) + QStringLiteral(" \u00e4");
        std::visit(Overloaded{
                       [&](int CFrame::*m) {
                           // The frames below set their size.
                           if (setting.storage != SettingStorage::FrameSize)
                               o.*m = ChangedInt(setting, o.*m, index);
                       },
                       [&](uint32_t CFrame::*m) { o.*m = 0x80C0FFEEu; },
                       [&](CRect CFrame::*m) { o.*m = CRect{10, 20, 330, 200}; },
                       [&](QString CFrame::*m) { o.*m = text; },
                       [&](QByteArray CFrame::*m) { o.*m = QByteArray("{\\rtf1 hello\\par}"); },
                       [&](std::vector<CFrameBackground> CFrame::*m) {
                           o.*m = {Frame(0x04030201u, 40), Frame(0x80706050u, 60)};
                       },
                   },
                   setting.member);
        ++index;
    }
    o.backgroundWidth = 2;
    o.backgroundHeight = 1;
    return object;
}

std::vector<std::string> DifferingSettings(const CFrame& a, const CFrame& b,
                                           const std::function<bool(const FrameSetting&)>& select)
{
    std::vector<std::string> names;
    for (const FrameSetting& setting : FrameSettings()) {
        if (!select(setting))
            continue;
        const bool same = std::visit(Overloaded{
                                         [&](std::vector<CFrameBackground> CFrame::*m) { return SameFrames(a.*m, b.*m); },
                                         [&](auto CFrame::*m) { return a.*m == b.*m; },
                                     },
                                     setting.member);
        if (!same)
            names.push_back(setting.name);
    }
    return names;
}

std::vector<std::string> DifferingSettings(const CFrame& a, const CFrame& b)
{
    return DifferingSettings(a, b, [](const FrameSetting&) { return true; });
}
