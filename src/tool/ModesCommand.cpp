#include "tool/ToolCommand.h"

#include "render/display/VideoMode.h"

namespace {

int RunModes(const QStringList& arguments)
{
    if (!arguments.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool modes: takes no arguments\n"));
        return 2;
    }
    QString text;
    for (const QString& name : VideoModeListNames()) {
        const VideoMode* m = VideoModeByName(name);
        text += QStringLiteral("%1 id %2 canvas %3x%4 display %5x%6 %7 Hz%8 frame %9 us\n")
                    .arg(QLatin1String(m->name), -8)
                    .arg(m->id, 2)
                    .arg(m->canvasWidth)
                    .arg(m->canvasHeight)
                    .arg(m->displayWidth)
                    .arg(m->displayHeight)
                    .arg(m->refreshRate)
                    .arg(m->Interlaced() ? QStringLiteral(" interlaced") : QString())
                    .arg(m->framePeriodUs);
    }
    ToolOut(text);
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("modes"),
    QStringLiteral("list the video modes in the order the operator picks them"),
    QStringLiteral("Usage: tavrel-tool modes\n\n"
                   "Lists the video modes in list order: name, mode id, canvas size, display\n"
                   "size, refresh rate as requested from the display, and frame period.\n"),
    &RunModes,
});

}  // namespace
