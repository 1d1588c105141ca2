#include "tool/PacedRun.h"

#include "render/core/LateFrames.h"

namespace {

QString Ms(int us)
{
    return QString::number(us / 1000.0, 'f', 3) + QStringLiteral(" ms");
}

}  // namespace

bool TakePacedOption(QStringList& arguments)
{
    return arguments.removeAll(QStringLiteral("--paced")) > 0;
}

QString MissedDeadlinesText(const CRenderStatistics& statistics, int framePeriodUs, int listLimit,
                            const QString& indent)
{
    const MissedDeadlines missed = FindMissedDeadlines(statistics, framePeriodUs, listLimit);
    QStringList first;
    for (const int frame : missed.listed) {
        const auto at = static_cast<size_t>(frame);
        const auto known = [](int us) { return us < 0 ? QStringLiteral("unknown") : Ms(us); };
        const int waitUs = at < statistics.drawingWaitUs.size() ? statistics.drawingWaitUs[at] : -1;
        first << QStringLiteral("%1 (%2 late; render thread ran %3, text thread %4; the others waited %5)")
                     .arg(frame)
                     .arg(Ms(statistics.lateUs[at]), Ms(statistics.renderCpuUs[at]), known(statistics.textCpuUs[at]),
                          known(waitUs));
    }
    QString text = indent + QStringLiteral("missed deadlines: %1 of %2 frames").arg(missed.missed).arg(missed.frames);
    if (missed.missed > 0)
        text += QStringLiteral(" (most late %1)").arg(Ms(missed.mostLateUs));
    if (!first.isEmpty())
        text += QStringLiteral("; first: ") + first.join(QStringLiteral(", "));
    text += QLatin1Char('\n');
    text += indent + QStringLiteral("late by the render thread: %1; by the text thread: %2; by the machine: %3\n")
                         .arg(missed.byRenderThread)
                         .arg(missed.byTextThread)
                         .arg(missed.byMachine);
    return text;
}
