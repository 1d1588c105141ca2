#include "app/StringTable.h"

#include <algorithm>
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

}  // namespace

QString LoadText(int id)
{
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const StringEntry& entry, int key) { return entry.id < key; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return QString::fromUtf8(it->text);
}

QString FormatText(int id, ...)
{
    const QByteArray format = LoadText(id).toUtf8();
    va_list args;
    va_start(args, id);
    const QString text = QString::vasprintf(format.constData(), args);
    va_end(args);
    return text;
}
