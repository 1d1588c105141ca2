#pragma once

#include <QString>

#include <ostream>

// Readable failure messages for Qt strings in this unit's tests.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
