// CSV source files are outside data: any file must parse into placeholders
// and rows within the limits, and substituting any row into a template must
// end, even when fields hold placeholders.
#include "FuzzFile.h"

#include "app/MemorySettingsStore.h"
#include "model/Frame.h"
#include "playback/CsvSource.h"
#include "playback/SourceTextControl.h"
#include "playback/TextSubstitution.h"

#include <cstddef>
#include <cstdint>

namespace {

class CPlainControl final : public ISourceTextControl
{
public:
    int StreamIn(const QByteArray& rtf) override
    {
        text = QString::fromUtf8(rtf);
        return 1;
    }
    QByteArray StreamOut() override { return text.toUtf8(); }
    int TextLength() const override { return static_cast<int>(text.size()); }
    int Find(const QString& what, int from) const override { return static_cast<int>(text.indexOf(what, from)); }
    void Replace(int start, int length, const QString& with) override { text.replace(start, length, with); }
    QString text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzFile file;
    // ANSI files take the code page from the settings: keep them in memory.
    static const bool settingsInMemory = (InstallSettingsStore(std::make_unique<CMemorySettingsStore>()), true);
    (void)settingsInMemory;
    if (size < 1)
        return 0;
    // First byte: separator, header flag, encoding.
    const int separator = data[0] & 1;
    const int header = (data[0] >> 1) & 1;
    const int encoding = (data[0] >> 2) % 5;
    const QString path = file.Hold(data + 1, size - 1);

    CFrameSourceData csv;
    if (!ReadCsvFile(csv, path, encoding, separator, header) && !header)
        __builtin_trap();  // only an empty file with a header line may fail
    if (csv.placeholders.size() > kMaxCsvFields)
        __builtin_trap();
    qsizetype characters = 0;
    for (const QStringList& row : csv.rows) {
        if (row.size() > kMaxCsvFields)
            __builtin_trap();
        for (const QString& field : row)
            characters += field.size();
    }
    if (characters > static_cast<qsizetype>(size))
        __builtin_trap();

    // Each row into a template made of the placeholders themselves, so
    // fields meet placeholders as often as they can.
    CPlainControl control;
    const QString templateText = csv.placeholders.join(QLatin1Char(' '));
    for (size_t r = 0; r < csv.rows.size() && r < 64; ++r) {
        csv.currentRow = static_cast<int>(r);
        control.text = templateText;
        SubstituteCsvFields(control, csv.placeholders, [&](int i) { return CsvField(csv, i); });
        if (control.text.isEmpty())
            __builtin_trap();  // a row always shows something, at least a space
    }
    return 0;
}
