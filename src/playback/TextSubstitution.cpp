#include "playback/TextSubstitution.h"

#include "playback/SourceTextControl.h"

void SubstitutePlaceholder(ISourceTextControl& control, const QString& text)
{
    static const QString kPlaceholder = QStringLiteral("%1%");
    const int found = control.Find(kPlaceholder, 0);
    if (found >= 0)
        control.Replace(found, static_cast<int>(kPlaceholder.size()), text);
    else
        control.Replace(0, control.TextLength(), text);
}

void SubstituteCsvFields(ISourceTextControl& control, const QStringList& placeholders,
                         const std::function<QString(int)>& field)
{
    bool anyFound = false;
    bool anyText = false;
    for (int i = 0; i < placeholders.size(); ++i) {
        const QString& placeholder = placeholders[i];
        if (placeholder.isEmpty())
            continue;
        const QString value = field(i);
        // Search on after the inserted text: a field that holds its own
        // placeholder must not be replaced again and again.
        int from = 0;
        for (int at = control.Find(placeholder, from); at >= 0; at = control.Find(placeholder, from)) {
            control.Replace(at, static_cast<int>(placeholder.size()), value);
            from = at + static_cast<int>(value.size());
            anyFound = true;
            anyText = anyText || !value.isEmpty();
        }
    }
    if (!anyFound && !placeholders.isEmpty()) {
        QString joined;
        for (int i = 0; i < placeholders.size(); ++i)
            joined += field(i);
        if (!joined.isEmpty()) {
            control.Replace(0, control.TextLength(), joined);
            return;
        }
    }
    if (!anyText)
        control.Replace(0, control.TextLength(), QStringLiteral(" "));
}
