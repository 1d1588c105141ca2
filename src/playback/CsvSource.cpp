#include "playback/CsvSource.h"

#include "app/Log.h"
#include "model/Frame.h"
#include "playback/NonStdioFile.h"

namespace {

constexpr QChar kQuote = QLatin1Char('"');

QChar SeparatorCharacter(int separator)
{
    return separator == kSeparatorComma ? QLatin1Char(',') : QLatin1Char(';');
}

// Rough memory of a parsed line: the characters plus the list entries.
qsizetype RowCost(const QString& line, qsizetype fields)
{
    return line.size() * 2 + fields * 40 + 64;
}

}  // namespace

QStringList SplitCsvLine(const QString& line, QChar separator)
{
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype pos = 0;
    while (pos < n && fields.size() < kMaxCsvFields) {
        if (line[pos] == kQuote) {
            QString field;
            ++pos;
            while (pos < n) {
                const QChar c = line[pos];
                if (c != kQuote) {
                    // Take the run up to the next quote in one go.
                    qsizetype next = line.indexOf(kQuote, pos);
                    if (next < 0)
                        next = n;
                    field += QStringView(line).mid(pos, next - pos);
                    pos = next;
                    continue;
                }
                if (pos + 1 >= n) {  // closes the field and ends the line
                    pos = n;
                    break;
                }
                const QChar after = line[pos + 1];
                if (after == kQuote) {
                    field += kQuote;
                    pos += 2;
                } else if (after == separator) {
                    pos += 2;
                    break;
                } else {
                    ++pos;  // a stray quote is dropped; the field goes on
                }
            }
            fields.append(field);
        } else {
            qsizetype end = line.indexOf(separator, pos);
            if (end < 0)
                end = n;
            fields.append(line.mid(pos, end - pos));
            pos = end + 1;
        }
    }
    if (!line.isEmpty() && line.back() == separator && fields.size() < kMaxCsvFields)
        fields.append(QString());
    return fields;
}

void ParseCsvLine(CFrameSourceData& data, int separator, const QString& line, int firstLineIsHeader)
{
    QStringList fields = SplitCsvLine(line, SeparatorCharacter(separator));
    if (data.placeholders.isEmpty() && data.rows.empty()) {
        data.placeholders.reserve(fields.size());
        for (qsizetype i = 0; i < fields.size(); ++i) {
            data.placeholders.append(firstLineIsHeader ? QLatin1Char('%') + fields[i] + QLatin1Char('%')
                                                       : QStringLiteral("%%1%").arg(i + 1));
        }
        if (firstLineIsHeader)
            return;
    }
    data.rows.push_back(std::move(fields));
}

QString CsvField(const CFrameSourceData& data, int i)
{
    if (data.currentRow < 0 || static_cast<size_t>(data.currentRow) >= data.rows.size())
        return {};
    const QStringList& row = data.rows[static_cast<size_t>(data.currentRow)];
    return i >= 0 && i < row.size() ? row[i] : QString();
}

int ReadCsvFile(CFrameSourceData& data, const QString& path, int encoding, int separator, int firstLineIsHeader,
                CFileStamp* stamp)
{
    data.placeholders.clear();
    data.rows.clear();
    data.currentRow = 0;

    CNonStdioFile file;
    if (!file.Open(path, encoding))
        return 0;
    QString line;
    qsizetype cost = 0;
    while (file.ReadLine(line)) {
        cost += RowCost(line, line.count(SeparatorCharacter(separator)) + 1);
        if (cost > kMaxCsvMemoryBytes) {
            WriteLog(kLogFailure, "ReadCsvFile(): %s is too large, reading stopped after %zu rows",
                     path.toUtf8().constData(), data.rows.size());
            break;
        }
        ParseCsvLine(data, separator, line, firstLineIsHeader);
    }
    if (stamp)
        *stamp = file.Stamp();
    if (firstLineIsHeader && data.placeholders.isEmpty())
        return 0;
    return 1;
}

QStringList ReadCsvPlaceholders(const QString& path, int encoding, int separator, int firstLineIsHeader)
{
    CNonStdioFile file;
    if (!file.Open(path, encoding))
        return {};
    QString line;
    if (!file.ReadLine(line))
        return {};
    CFrameSourceData data;
    ParseCsvLine(data, separator, line, firstLineIsHeader);
    return data.placeholders;
}
