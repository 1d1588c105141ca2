#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One command of tavrel-tool. Each command lives in its own file and
// registers itself with a static ToolCommandRegistration.
struct ToolCommand
{
    QString name;
    QString summary;  // one line for the overview
    QString help;     // the whole text of "tavrel-tool NAME --help"
    // arguments: what follows the command name. Returns the exit status.
    std::function<int(const QStringList& arguments)> run;
};

std::vector<ToolCommand>& ToolCommands();

struct ToolCommandRegistration
{
    explicit ToolCommandRegistration(ToolCommand command);
};

// Exit status of every command for arguments it cannot take.
constexpr int kUsageError = 2;

// Output helpers: stdout for results, stderr for the one-line reason.
void ToolOut(const QString& text);
void ToolError(const QString& text);
