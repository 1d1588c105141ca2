#pragma once

#include "model/FileStamp.h"

#include <QByteArray>
#include <QString>

// Text and RTF file sources.

// Reading a text file stops (keeping what was read) at this many characters.
inline constexpr qsizetype kMaxSourceTextLength = 32 * 1024 * 1024;
// RTF files shorter than this fail (no document fits); longer than the
// maximum they fail as well, rather than take the text thread's memory.
inline constexpr qint64 kMinRtfFileBytes = 8;
inline constexpr qint64 kMaxRtfFileBytes = 64 * 1024 * 1024;

// The file's lines joined as the movement needs them: run together for a
// horizontal scroll (one line), separated by CR LF otherwise. Returns 0 when
// the file cannot be opened.
int ReadTextFile(const QString& path, int encoding, int movement, QString& text, CFileStamp* stamp = nullptr);

// The bar graph value of a text: its leading integer (after white space, with
// an optional sign, as wcstol reads it) clamped to 0..100, plus 1. Text that
// is not a number reads as 0.
int BarGraphValue(const QString& text);

// The whole file as it is. Returns 0 when it cannot be opened, is not a
// regular file, or its size is outside kMinRtfFileBytes..kMaxRtfFileBytes.
int ReadRtfFile(const QString& path, QByteArray& rtf, CFileStamp* stamp = nullptr);
