#include "app/StringTable.h"

#include "app/TextFormat.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <iterator>

namespace {

struct StringEntry
{
    int id;
    const char* text;  // UTF-8
};

constexpr StringEntry kStrings[] = {
#include "../../resources/StringTable.inc"
};

constexpr bool SortedById()
{
    for (size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    }
    return true;
}
static_assert(SortedById(), "string table entries must be sorted by id, each id once");

// Atomic: texts are fetched on other threads too (page reading in the tool).
std::atomic<const ITextTranslation*> g_translation{nullptr};

std::optional<QString> TranslatedText(int id)
{
    const ITextTranslation* translation = g_translation.load(std::memory_order_acquire);
    return translation != nullptr ? translation->Text(id) : std::nullopt;
}

}  // namespace

void SetTextTranslation(const ITextTranslation* translation)
{
    g_translation.store(translation, std::memory_order_release);
}

std::vector<int> BuiltInTextIds()
{
    std::vector<int> ids;
    ids.reserve(std::size(kStrings));
    for (const StringEntry& entry : kStrings)
        ids.push_back(entry.id);
    return ids;
}

QString BuiltInText(int id)
{
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const StringEntry& entry, int key) { return entry.id < key; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return QString::fromUtf8(it->text);
}

QString LoadText(int id)
{
    std::optional<QString> translated = TranslatedText(id);
    return translated ? std::move(*translated) : BuiltInText(id);
}

QString FormatText(int id, ...)
{
    // The caller's arguments fit the built-in text; a translation that
    // would read others (a wrong kind, one more or fewer, %n) is not used.
    QString format = BuiltInText(id);
    std::optional<QString> translated = TranslatedText(id);
    if (translated && ConversionsMatch(*translated, format))
        format = std::move(*translated);
    const QByteArray utf8 = format.toUtf8();
    va_list args;
    va_start(args, id);
    const QString text = QString::vasprintf(utf8.constData(), args);
    va_end(args);
    return text;
}
