#include "scripts/ScriptStrings.h"

#include <algorithm>
#include <iterator>

namespace {

// "untill" is the program's own spelling; language packs key on these texts.
constexpr StringTableEntry kTable[] = {
    {10311, "Error: File open failed!\n\n%s"},
    {10650, "None"},
    {10651, "Button #%d"},
    {12200, "None"},
    {12260, "Load page file: %s"},
    {12261, "Add objects from page file: %s"},
    {12262, "Play all objects"},
    {12263, "Pause all objects"},
    {12264, "End all objects"},
    {12265, "Stop all objects"},
    {12266, "Delete all objects"},
    {12267, "Wait untill all objects end"},
    {12268, "Play objects group: %s"},
    {12269, "Pause objects group: %s"},
    {12270, "End objects group: %s"},
    {12271, "Stop objects group: %s"},
    {12272, "Delete objects in group: %s"},
    {12273, "Wait untill objects in group: %s end"},
    {12274, "Wait %d seconds"},
    {12275, "Wait until %02d:%02d:%02d"},
    {12330, "Load page file"},
    {12331, "Add objects from page file"},
    {12332, "Play objects"},
    {12333, "Pause objects"},
    {12334, "End objects"},
    {12335, "Stop objects"},
    {12336, "Delete objects"},
    {12337, "Wait untill objects end"},
    {12338, "Wait for a period of time"},
    {12339, "Wait until specified time"},
};

static_assert(std::is_sorted(std::begin(kTable), std::end(kTable),
                             [](const StringTableEntry& a, const StringTableEntry& b) { return a.id < b.id; }));

}  // namespace

const StringTableEntry* ScriptStringTable(int* count)
{
    *count = static_cast<int>(std::size(kTable));
    return kTable;
}

QString ScriptString(int id)
{
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                                     [](const StringTableEntry& e, int key) { return e.id < key; });
    if (it == std::end(kTable) || it->id != id)
        return {};
    return QString::fromUtf8(it->text);
}

QString ScriptString(int id, const QString& text)
{
    return QString::asprintf(ScriptString(id).toUtf8().constData(), text.toUtf8().constData());
}
