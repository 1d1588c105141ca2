#pragma once

#include "scripts/FrameScript.h"

#include <QString>

// A loaded script as one line of JSON, the form "tavrel-tool info" prints:
// {"loop": 0, "items": [{"type": 2, "sdata": "", "idata": 0, "text": "Play all objects"}]}
// sdata is the value after the reader's rules (relative page paths expanded);
// text is the step's display text.
QString ScriptInfoJson(const CFrameScript& script);

// text as a JSON string literal, quotes included; UTF-8 characters stay as
// they are, control characters are escaped.
QString JsonQuote(const QString& text);
