#pragma once

#include <QByteArray>
#include <QString>

// The template a new source starts with: white bold Arial at 28 points,
// holding text. ASCII text is written as it is (RTF's special characters
// escaped), so "%1%" gives exactly 233 bytes; any other character is written
// as a Unicode escape, which every reader takes whatever its code page.
QByteArray BuildDefaultRtf(const QString& text);
