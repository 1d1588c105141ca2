#include "tool/PageInput.h"

#include "app/StringTable.h"
#include "model/PageFile.h"
#include "render/display/VideoMode.h"
#include "tool/ToolCommand.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

bool ParsePlayOptions(const QString& command, const QStringList& arguments, const QStringList& valueOptions,
                      PlayOptions& options, QStringList& other)
{
    const auto fail = [&command](const QString& reason) {
        ToolError(QStringLiteral("tavrel-tool %1: %2; see tavrel-tool %1 --help\n").arg(command, reason));
        return false;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const QString value = hasValue ? arguments[i + 1] : QString();
        if (argument == QLatin1String("--mode")) {
            if (!hasValue || !(options.mode = VideoModeByName(value)))
                return fail(QStringLiteral("--mode needs a video mode name (see tavrel-tool modes)"));
            ++i;
        } else if (argument == QLatin1String("--device")) {
            if (!hasValue || !QStringList{"auto", "cpu", "gl", "all"}.contains(value))
                return fail(QStringLiteral("--device takes auto, cpu or gl"));
            options.device = value;
            ++i;
        } else if (argument == QLatin1String("--seconds")) {
            bool ok = false;
            options.seconds = value.toDouble(&ok);
            if (!hasValue || !ok || options.seconds <= 0 || options.seconds > 3600)
                return fail(QStringLiteral("--seconds takes a number of seconds above 0, at most 3600"));
            ++i;
        } else if (argument == QLatin1String("--frames")) {
            bool ok = false;
            options.frames = value.toInt(&ok);
            if (!hasValue || !ok || options.frames <= 0 || options.frames > 1000000)
                return fail(QStringLiteral("--frames takes a count from 1 to 1000000"));
            ++i;
        } else if (valueOptions.contains(argument)) {
            if (!hasValue)
                return fail(argument + QStringLiteral(" needs a value"));
            other << argument << value;
            ++i;
        } else if (options.input.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            options.input = argument;
        } else {
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        }
    }
    if (options.input.isEmpty())
        return fail(QStringLiteral("which page?"));
    if (!options.mode)
        return fail(QStringLiteral("--mode is required"));
    return true;
}

int LoadPageInto(const QString& path, const VideoMode& mode, CFrameSet& page)
{
    CPageFileContext context;
    context.rasterWidth = mode.canvasWidth;
    context.rasterHeight = mode.canvasHeight;
    context.framePeriod = mode.framePeriodUs;
    const QScreen* screen = QGuiApplication::primaryScreen();
    context.desktopDpi = screen ? int(std::lround(screen->logicalDotsPerInchX())) : 96;
    context.message = [](const CUserMessage& message) { ToolError(message.text + QLatin1Char('\n')); };
    OwnedFrameList objects;
    if (!ReadPage(path, objects, 0, context))
        return context.modeMismatch ? 5 : (context.status ? context.status : 1);
    for (auto& object : objects)
        page.AddObject(object);
    return 0;
}

bool IsScriptInput(const QString& path)
{
    return path.endsWith(QLatin1String(".script"), Qt::CaseInsensitive);
}

QString RenderErrorText(int renderError)
{
    const QString text = LoadText(10320 + renderError);
    return text.isEmpty() ? QStringLiteral("the output did not start (error %1)").arg(renderError) : text;
}
