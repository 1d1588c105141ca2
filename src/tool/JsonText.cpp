#include "tool/JsonText.h"

void CJsonObjectText::Add(const char* key, int64_t value)
{
    AddJson(key, QString::number(value));
}

void CJsonObjectText::Add(const char* key, const QString& value)
{
    AddJson(key, JsonString(value));
}

void CJsonObjectText::AddJson(const char* key, const QString& value)
{
    members_.append(JsonString(QString::fromLatin1(key)) + QStringLiteral(": ") + value);
}

QString CJsonObjectText::Text() const
{
    return QStringLiteral("{") + members_.join(QStringLiteral(", ")) + QStringLiteral("}");
}

QString JsonString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString JsonArray(const QStringList& elements, const QString& indent)
{
    if (elements.isEmpty())
        return QStringLiteral("[]");
    return QStringLiteral("[\n") + indent + elements.join(QStringLiteral(",\n") + indent) + QStringLiteral("\n")
           + indent.left(qMax(0, indent.size() - 1)) + QStringLiteral("]");
}
