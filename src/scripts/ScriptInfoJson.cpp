#include "scripts/ScriptInfoJson.h"

QString JsonQuote(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': quoted += QLatin1String("\\\""); break;
        case '\\': quoted += QLatin1String("\\\\"); break;
        case '\n': quoted += QLatin1String("\\n"); break;
        case '\r': quoted += QLatin1String("\\r"); break;
        case '\t': quoted += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString ScriptInfoJson(const CFrameScript& script)
{
    QString json = QStringLiteral("{\"loop\": %1, \"items\": [").arg(script.loop);
    bool first = true;
    for (const CFrameScriptItem& item : script.items) {
        if (!first)
            json += QLatin1String(", ");
        first = false;
        json += QStringLiteral("{\"type\": %1, \"sdata\": %2, \"idata\": %3, \"text\": %4}")
                    .arg(item.type)
                    .arg(JsonQuote(item.sdata))
                    .arg(item.idata)
                    .arg(JsonQuote(CFrameScript::Describe(item)));
    }
    json += QLatin1String("]}");
    return json;
}
