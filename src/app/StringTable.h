#pragma once

#include <QString>

#include <optional>
#include <vector>

// Every text the user sees is fetched by its string id. Without a language
// pack these give the built-in table's text (resources/StringTable.inc).

// Texts of the chosen language by string id; nothing where the language
// has no text of its own.
class ITextTranslation
{
public:
    virtual ~ITextTranslation() = default;
    virtual std::optional<QString> Text(int id) const = 0;
};

// The translation LoadText and FormatText use (null: none, the built-in
// texts). Set at start-up on the user-interface thread; the caller keeps it
// alive while it is set.
void SetTextTranslation(const ITextTranslation* translation);

// The built-in text of a string id; empty for an unknown id.
QString BuiltInText(int id);
// Every id of the built-in table, ascending.
std::vector<int> BuiltInTextIds();
// The translated text of a string id when there is one, else the built-in.
QString LoadText(int id);
// The text of a string id with printf-style arguments ("%s" takes UTF-8
// char*), which must match the built-in text's conversions. A translated
// text is used only when it asks for the same arguments in the same order
// (ConversionsMatch); otherwise the built-in text is formatted.
QString FormatText(int id, ...);

// Kinds of message box a caller shows a text in.
enum MessageIcon : int
{
    kMessageError = 0,
    kMessageWarning = 1,
    kMessageQuestion = 2,
    kMessageInformation = 3,
};

// A message for the operator, produced where it arises and shown by the
// caller that knows the context (a box in the user interface, stderr in the
// headless tool).
struct CUserMessage
{
    int stringId = 0;
    int icon = kMessageError;
    QString text;
};
