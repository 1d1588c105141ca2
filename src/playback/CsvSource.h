#pragma once

#include "model/FileStamp.h"
#include "model/FrameSourceData.h"

#include <QString>

// CSV text sources: ";" or "," separated lines, fields optionally enclosed in
// double quotes (two double quotes inside stand for one). The first line
// gives the placeholders: its fields as "%<field>%" when it is a header line
// (and then it is not a row), otherwise "%1%", "%2%", ...

// Fields beyond this many in one line are dropped (a line of separators
// only would otherwise cost memory per field).
inline constexpr int kMaxCsvFields = 16384;
// Reading stops (keeping what was read) once the rows would take about this
// much memory.
inline constexpr qsizetype kMaxCsvMemoryBytes = 128 * 1024 * 1024;

// Splits one line into fields.
QStringList SplitCsvLine(const QString& line, QChar separator);

// Adds one line of the file: the placeholders when it is the first, and a row
// unless it is the header. separator: CsvSeparator.
void ParseCsvLine(CFrameSourceData& data, int separator, const QString& line, int firstLineIsHeader);

// Field i of the row currentRow; empty when the row has fewer fields or
// currentRow names no row.
QString CsvField(const CFrameSourceData& data, int i);

// Reads the whole file into data (cleared first). Fails when the file cannot
// be opened, or when a header line is expected and the file is empty.
// stamp, when given, receives the file's stamp.
int ReadCsvFile(CFrameSourceData& data, const QString& path, int encoding, int separator, int firstLineIsHeader,
                CFileStamp* stamp = nullptr);

// The placeholders of the file's first line only; empty when the file cannot
// be read or gives none.
QStringList ReadCsvPlaceholders(const QString& path, int encoding, int separator, int firstLineIsHeader);
