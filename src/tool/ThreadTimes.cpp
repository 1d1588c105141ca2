#include "tool/ThreadTimes.h"

#include "model/Frame.h"
#include "render/core/Render.h"

#include <QStringList>

#include <algorithm>

namespace {

QString Ms(double us)
{
    return QString::number(us / 1000.0, 'f', 3) + QStringLiteral(" ms");
}

// The mean of a per-frame figure over the frames where it is known (the
// text thread's clock is read from its first pass on); -1 when none is.
double MeanKnown(const std::vector<int>& perFrame)
{
    double sum = 0;
    int known = 0;
    for (const int us : perFrame) {
        if (us >= 0) {
            sum += us;
            ++known;
        }
    }
    return known > 0 ? sum / known : -1;
}

QString TextSourceName(int source)
{
    switch (source) {
    case kSourceObjectText: return QStringLiteral("its own text");
    case kSourceClock: return QStringLiteral("a clock");
    case kSourceTextFile: return QStringLiteral("text from a text file");
    case kSourceRtfFile: return QStringLiteral("text from an RTF file");
    case kSourceCsvFile: return QStringLiteral("text from a CSV file");
    case kSourceTimer: return QStringLiteral("a timer");
    default: return QStringLiteral("text source %1").arg(source);
    }
}

}  // namespace

QString ProcessorTimeText(const CRenderStatistics& statistics, const QString& indent)
{
    const auto frames = static_cast<double>(statistics.renderCpuUs.size());
    if (frames == 0)
        return QString();
    const double render = MeanKnown(statistics.renderCpuUs);
    const double text = MeanKnown(statistics.textCpuUs);
    const QString workers = statistics.helperCpuUs < 0 ? QStringLiteral("unknown")
                                                       : Ms(static_cast<double>(statistics.helperCpuUs) / frames);
    return indent + QStringLiteral("processor time per frame: render thread %1, band workers %2, text thread %3\n")
                        .arg(Ms(render), workers, text < 0 ? QStringLiteral("unknown") : Ms(text));
}

QString DescribeObject(const FrameList& objects, int place)
{
    if (place < 0 || place >= static_cast<int>(objects.size()))
        return QStringLiteral("object %1").arg(place + 1);
    const CFrame& o = *objects[static_cast<size_t>(place)];
    QStringList parts;
    if (o.backgroundType == kBackgroundSolid)
        parts << QStringLiteral("colour background");
    else if (o.backgroundFrames.size() > 1)
        parts << QStringLiteral("picture background of %1 frames").arg(o.backgroundFrames.size());
    else
        parts << QStringLiteral("picture background");
    if (o.textSource != kSourceObjectText || !o.richText.isEmpty())
        parts << TextSourceName(o.textSource);
    if (o.movement == kMovementScroll)
        parts << QStringLiteral("crawl");
    else if (o.movement == kMovementRoll)
        parts << QStringLiteral("roll");
    return QStringLiteral("object %1 (%2)").arg(place + 1).arg(parts.join(QStringLiteral(", ")));
}

QString RenderThreadWorkText(const CRenderStatistics& statistics, int framePeriodUs, const FrameList& objects,
                             const QString& indent)
{
    if (statistics.heaviestRenderFrames.empty())
        return QString();
    const int overHalf = static_cast<int>(std::count_if(statistics.renderCpuUs.begin(), statistics.renderCpuUs.end(),
                                                        [framePeriodUs](int us) { return us * 2 > framePeriodUs; }));
    const RenderThreadFrame& longest = statistics.heaviestRenderFrames.front();
    QString text = indent + QStringLiteral("render thread's own processor time: longest %1 (frame %2); over half the "
                                           "frame period in %3 frames\n")
                                .arg(Ms(longest.renderCpuUs))
                                .arg(longest.frame)
                                .arg(overHalf);
    QStringList heaviest;
    for (const RenderThreadFrame& f : statistics.heaviestRenderFrames) {
        QString entry = QStringLiteral("%1 (at %2 s: %3")
                            .arg(f.frame)
                            .arg(static_cast<double>(f.beganUs) / 1e6, 0, 'f', 3)
                            .arg(Ms(f.renderCpuUs));
        if (f.systemCpuUs >= 0 && f.pageFaults >= 0)
            entry += QStringLiteral(", in the kernel %1, %2 page faults").arg(Ms(f.systemCpuUs)).arg(f.pageFaults);
        if (f.machineUs >= 0)
            entry += QStringLiteral(", machine's interrupts and stolen time %1").arg(Ms(f.machineUs));
        entry += QStringLiteral("; drawing %1; objects' steps %2").arg(Ms(f.renderCpuUs - f.objectsCpuUs), Ms(f.objectsCpuUs));
        if (f.slowestObject >= 0)
            entry += QStringLiteral(", longest %1 %2").arg(DescribeObject(objects, f.slowestObject), Ms(f.slowestObjectUs));
        heaviest << entry + QLatin1Char(')');
    }
    return text + indent + QStringLiteral("heaviest: ") + heaviest.join(QStringLiteral(", ")) + QLatin1Char('\n');
}
