// Translated texts come from language packs, which are outside data. Any text
// the conversion check lets through must format with the arguments of the
// text it replaces, reading nothing else and building no huge string; texts
// it refuses fall back to the built-in ones.
#include "app/StringTable.h"
#include "app/TextFormat.h"

#include <cstddef>
#include <cstdint>

namespace {

// Every id answers with the input.
class CFuzzTranslation : public ITextTranslation
{
public:
    std::optional<QString> Text(int) const override { return text; }
    QString text;
};

void CheckSize(const QString& formatted, const QString& format)
{
    // A conversion takes two characters at least and gives at most its field
    // or precision plus the digits of a double.
    if (formatted.size() > (format.size() + 1) * (kMaxFieldNumber + 400))
        __builtin_trap();
}

// Formats text with reference's arguments when the check lets it through.
template <typename... Args>
void Try(const QString& text, const char* reference, Args... args)
{
    if (!ConversionsMatch(text, QString::fromUtf8(reference)))
        return;
    const QByteArray utf8 = text.toUtf8();
    CheckSize(QString::asprintf(utf8.constData(), args...), text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString other = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    if (ConversionsMatch(text, other) != ConversionsMatch(other, text))
        __builtin_trap();

    // The program's own texts, through the translation.
    CFuzzTranslation translation;
    translation.text = text;
    SetTextTranslation(&translation);
    CheckSize(FormatText(10202, "News"), text);                              // %s
    CheckSize(FormatText(10213, "Large -", 144), text);                      // %s %d
    CheckSize(FormatText(10315, 1920, 1080, "/show/News.tavrel"), text);     // %d %d %s
    CheckSize(FormatText(12275, 12, 5, 9), text);                            // %02d three times
    CheckSize(FormatText(12552, "Morning", 2, 7), text);                     // %s %d %d
    SetTextTranslation(nullptr);

    // Every kind of argument the formatter knows.
    static const char16_t wide[] = u"wide";
    int sink = 0;
    Try(text, "%*d|%.*s", 5, 42, 3, "string");
    Try(text, "%ld %lld %zu %td", 1L, 2LL, size_t(3), ptrdiff_t(4));
    Try(text, "%f %Lf", 1.5, 2.5L);
    Try(text, "%p %ls %c %lc", static_cast<void*>(&sink), wide, 'x', 0x263A);
    return 0;
}
