#include "document/WindowTexts.h"

#include "app/StringTable.h"

namespace {

constexpr int kApplicationTitleId = 57344;
constexpr int kScriptLoadedId = 12551;
constexpr int kScriptPlayingId = 12552;
constexpr int kProgramStateBase = 10300;
constexpr int kProgramStates = 4;

}  // namespace

QString MainWindowTitle(bool editMode, const QString& documentTitle)
{
    QString title = LoadText(kApplicationTitleId);
    if (editMode)
        title += QStringLiteral(" Editor");
    // "[*]" is where Qt shows the modified mark; a title's own "[*]" must
    // show as it is, which Qt spells "[*][*]".
    QString name = documentTitle;
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return title + QStringLiteral(" - ") + name + QStringLiteral("[*]");
}

ScriptStateKind ScriptStateKindOf(const ScriptState& state)
{
    if (state.running)
        return kScriptPlaying;
    return state.loaded ? kScriptLoaded : kScriptNone;
}

QString ScriptStateText(const ScriptState& state)
{
    const QByteArray name = state.name.toUtf8();
    switch (ScriptStateKindOf(state)) {
    case kScriptPlaying:
        return FormatText(kScriptPlayingId, name.constData(), state.step, state.count);
    case kScriptLoaded:
        return FormatText(kScriptLoadedId, name.constData());
    default:
        return {};
    }
}

QString ProgramStateToolTip(int state)
{
    if (state < 0 || state >= kProgramStates)
        return {};
    return LoadText(kProgramStateBase + state);
}
