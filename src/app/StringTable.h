#pragma once

#include <QString>

// Every text the user sees is fetched by its string id. Without a language
// pack these give the built-in table's text (resources/StringTable.inc).

// The text of a string id; empty for an unknown id.
QString LoadText(int id);
// The text of a string id with printf-style arguments ("%s" takes UTF-8 char*).
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
