#include "tool/ToolCommand.h"

#include "app/MainApp.h"
#include "content/RichEditExCtrl.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>

std::vector<ToolCommand>& ToolCommands()
{
    static std::vector<ToolCommand> commands;
    return commands;
}

ToolCommandRegistration::ToolCommandRegistration(ToolCommand command)
{
    ToolCommands().push_back(std::move(command));
}

void ToolOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void ToolError(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

namespace {

QString Overview()
{
    QString text = QStringLiteral(
        "Usage: tavrel-tool COMMAND [ARGUMENTS...]\n"
        "\n"
        "The Tavrel engine without windows: check page and script files, see what\n"
        "an object shows, render pages and scripts off-line, measure real time.\n"
        "\n"
        "Commands:\n");
    auto commands = ToolCommands();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const ToolCommand& command : commands)
        text += QStringLiteral("  %1 %2\n").arg(command.name, -8).arg(command.summary);
    text += QStringLiteral(
        "\n"
        "Options:\n"
        "  --help     this text; COMMAND --help tells about one command\n"
        "  --version  the program's version\n");
    return text;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Fonts and text layout work without a display on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    CMainApp::SetSettingsRootAndLocale();
    CRichEditExCtrl::PrepareFonts();

    QStringList arguments = app.arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        ToolError(Overview());
        return 2;
    }
    const QString first = arguments.takeFirst();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        ToolOut(Overview());
        return 0;
    }
    if (first == QLatin1String("--version")) {
        ToolOut(QStringLiteral("tavrel-tool %1\n").arg(QLatin1String(TAVREL_VERSION)));
        return 0;
    }
    for (const ToolCommand& command : ToolCommands()) {
        if (command.name != first)
            continue;
        if (arguments.contains(QLatin1String("--help"))) {
            ToolOut(command.help);
            return 0;
        }
        return command.run(arguments);
    }
    ToolError(QStringLiteral("tavrel-tool: unknown command \"%1\"; see tavrel-tool --help\n").arg(first));
    return 2;
}
