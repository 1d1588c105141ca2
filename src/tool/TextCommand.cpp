#include "tool/PlainText.h"
#include "tool/ToolCommand.h"

#include "content/RichEditSourceControl.h"
#include "content/RichEditTextRenderer.h"
#include "model/PageFile.h"
#include "playback/FrameTextSource.h"

namespace {

constexpr int kSourceFailed = 1;

struct TextArguments
{
    QString page;
    int object = 0;  // 1-based, bottom to top
    long long atMs = 0;
    int row = 1;     // 1-based
};

// A whole non-negative number, or -1.
long long Number(const QString& text)
{
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

int Usage(const QString& reason)
{
    ToolError(QStringLiteral("tavrel-tool text: %1; see tavrel-tool text --help\n").arg(reason));
    return kUsageError;
}

int RunText(const QStringList& arguments)
{
    TextArguments a;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--object") || argument == QLatin1String("--at-ms") ||
            argument == QLatin1String("--row")) {
            const long long value = hasValue ? Number(arguments[i + 1]) : -1;
            if (value < 0 || value > 0x7FFFFFFF)
                return Usage(QStringLiteral("%1 needs a whole number").arg(argument));
            if (argument == QLatin1String("--object"))
                a.object = int(value);
            else if (argument == QLatin1String("--at-ms"))
                a.atMs = value;
            else
                a.row = int(value);
            ++i;
        } else if (a.page.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            a.page = argument;
        } else {
            return Usage(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        }
    }
    if (a.page.isEmpty())
        return Usage(QStringLiteral("which page?"));
    if (a.object < 1)
        return Usage(QStringLiteral("--object N (1 is the bottom object) is needed"));
    if (a.row < 1)
        return Usage(QStringLiteral("--row counts from 1"));

    CPageFileContext context;
    context.message = [](const CUserMessage& message) { ToolError(message.text + QLatin1Char('\n')); };
    OwnedFrameList objects;
    if (!ReadPage(a.page, objects, 0, context))
        return context.status;
    if (a.object > int(objects.size()))
        return Usage(QStringLiteral("the page has %1 objects, not %2").arg(objects.size()).arg(a.object));
    CFrame& object = *objects[size_t(a.object - 1)];

    if (object.textSource == kSourceTimer) {
        // The timer as it stands the given time after Play.
        object.playing.store(1);
        object.elapsed.store(int(std::min<long long>(a.atMs, 0x7FFFFFFF)));
        object.elapsedMicros = 0;
    }
    CRichEditTextRenderer renderer;
    CRichEditExCtrl& control = renderer.ControlFor(object.movement);
    CRichEditSourceControl source(control);
    if (!CFrameTextSource(object).InitSource(source)) {
        ToolError(QStringLiteral("tavrel-tool text: the source of object %1 cannot be read: %2\n")
                      .arg(a.object)
                      .arg(object.fileName));
        return kSourceFailed;
    }
    if (object.textSource == kSourceCsvFile) {
        if (size_t(a.row) > object.csvData.rows.size()) {
            ToolError(QStringLiteral("tavrel-tool text: %1 has %2 rows, not %3\n")
                          .arg(object.fileName)
                          .arg(object.csvData.rows.size())
                          .arg(a.row));
            return kSourceFailed;
        }
        object.csvData.currentRow = a.row - 1;
    }
    CFrameTextSource(object).LoadContent(source);
    QString text = PlainTextOf(control);
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    ToolOut(text);
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("text"),
    QStringLiteral("print the text an object of a page shows"),
    QStringLiteral(
        "Usage: tavrel-tool text PAGE.tavrel --object N [--at-ms T] [--row R]\n"
        "\n"
        "Prints (UTF-8, one line per paragraph) the plain text that object N of\n"
        "the page shows (1 is the bottom object): its own text, or the text its\n"
        "source puts into it: the clock now, the timer T ms after Play (default\n"
        "0), the text file, the RTF file, or row R of the CSV file (default 1,\n"
        "the first row after a header line).\n"
        "\n"
        "Exit status: 0 printed; 1 the source cannot be read (or has no row R);\n"
        "2 wrong arguments; the page file's status (1 open failed, 3 corrupt,\n"
        "4 unknown version) when the page does not read, with the program's\n"
        "message text on stderr.\n"),
    &RunText,
});

}  // namespace
