#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// JSON text with the keys in the order they are added (QJsonObject sorts
// them), so tool output reads in the order the settings are documented.
class CJsonObjectText
{
public:
    void Add(const char* key, int64_t value);
    void Add(const char* key, const QString& value);
    // value is JSON text already (an object or an array).
    void AddJson(const char* key, const QString& value);
    QString Text() const;

private:
    QStringList members_;
};

// A JSON string literal.
QString JsonString(const QString& text);
// A JSON array of JSON texts, one element per line with the given indent.
QString JsonArray(const QStringList& elements, const QString& indent);
